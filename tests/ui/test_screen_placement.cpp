// Every window opens wholly on the screen's available area, whatever the screen (the offscreen
// platform configured as a laptop's 1366 x 768 and a desktop's 1920 x 1080 screen), opened from
// the main window as the user opens them.
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "scripted_platform.h"
#include "ui/application.h"

using namespace pulsefir;
using namespace pulsefir::ui;

class ScreenPlacementTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PlatformScope> m_platform;
    std::unique_ptr<Application> m_app;

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

  private slots:
    void init() {
        m_platform = std::make_unique<PlatformScope>();
        m_app = std::make_unique<Application>();
    }
    void cleanup() {
        m_app.reset();
        m_platform.reset();
    }

    void windowOpensWhollyOnTheScreen_data() {
        QTest::addColumn<int>("window");
        QTest::newRow("signal") << 1;
        QTest::newRow("filter") << 2;
        QTest::newRow("spectra") << 3;
    }
    void windowOpensWhollyOnTheScreen() {
        QFETCH(int, window);
        TMainForm &main = m_app->mainForm();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QVERIFY2(available().contains(main.frameGeometry()), "the main window");
        QPushButton *buttons[] = {nullptr, main.SignalBitBtn, main.FilterBitBtn, main.SpectorBitBtn};
        TForm *forms[] = {&main, &m_app->signalForm(), &m_app->filterForm(), &m_app->spectorForm()};
        buttons[window]->click();
        TForm *form = forms[window];
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY2(available().contains(form->frameGeometry()), qPrintable(QString("%1,%2 %3x%4")
                                                                             .arg(form->frameGeometry().x())
                                                                             .arg(form->frameGeometry().y())
                                                                             .arg(form->frameGeometry().width())
                                                                             .arg(form->frameGeometry().height())));
        // Moved back after the user dragged it off the screen and opened it again.
        form->hide();
        form->move(available().right() - 50, available().bottom() - 50);
        buttons[window]->click();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(available().contains(form->frameGeometry()));
    }

    // F1 in each window opens the guide at that window's chapter; "?" at its beginning.
    void helpOpensAtTheWindowsChapter_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("chapter");
        QTest::newRow("main") << 0 << "MainForm";
        QTest::newRow("signal") << 1 << "SignalForm";
        QTest::newRow("filter") << 2 << "FilterForm";
        QTest::newRow("spectra") << 3 << "SpectorForm";
    }
    void helpOpensAtTheWindowsChapter() {
        QFETCH(int, window);
        QFETCH(QString, chapter);
        TForm *forms[] = {&m_app->mainForm(), &m_app->signalForm(), &m_app->filterForm(), &m_app->spectorForm()};
        TForm *form = forms[window];
        HelpWindow &help = m_app->helpWindow();
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QVERIFY(!help.isVisible());
        QTest::keyClick(form, Qt::Key_F1);
        QVERIFY(help.isVisible());
        QCOMPARE(help.GuideBrowser->source().fragment(), chapter);
        // The chapter exists in the guide, and the guide is the built-in one with its pictures.
        QVERIFY(help.GuideBrowser->toHtml().contains("name=\"" + chapter + "\""));
        QVERIFY(available().contains(help.frameGeometry()));
        help.hide();
        m_app->mainForm().HelpSpeedButton->click();
        QVERIFY(help.isVisible());
        QCOMPARE(help.GuideBrowser->source().fragment(), QString());
    }

    // Every picture the guide shows is in the program, those of the fixed-point and air-path
    // chapters among them.
    void theGuidesPicturesAreBuiltIn() {
        QTextBrowser &browser = *m_app->helpWindow().GuideBrowser;
        const QString html = browser.toHtml();
        const QRegularExpression picture("<img src=\"([^\"]+)\"");
        int count = 0;
        for (auto match = picture.globalMatch(html); match.hasNext(); ++count) {
            const QString name = match.next().captured(1);
            const QImage image(":/help/" + name);
            QVERIFY2(!image.isNull() && image.width() > 100, qPrintable(name));
        }
        QVERIFY(count >= 10);
    }

    // The pulse set in a window of its own: on the screen, eight rows of the list and of the
    // table, every column of the table; closed, the tab has them back.
    void pulseSetWindowShowsEightRowsAndEveryColumn() {
        TFilterForm &filter = m_app->filterForm();
        PulseSetTab &tab = *filter.TabSheet4;
        m_app->signalForm().Exp_Load_BitBtnClick();
        filter.LeastSquaresBitBtnClick(); // the table: one row, every column sized to its header
        for (int k = 1; k <= 9; ++k)
            tab.addFile(QString("/data/измерение %1.txt").arg(k), k % 2 == 0);
        m_app->mainForm().show();
        filter.show();
        filter.PageControl1->setCurrentWidget(&tab);
        QVERIFY(QTest::qWaitForWindowExposed(&filter));
        tab.DetachBitBtn->click();
        QWidget *window = tab.detachedWindow();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QApplication::processEvents();
        QVERIFY(available().contains(window->frameGeometry()));
        QVERIFY(tab.PulseListTable->window() == window);
        const int row = tab.PulseListTable->verticalHeader()->defaultSectionSize();
        QVERIFY(tab.PulseListTable->viewport()->height() >= 8 * row);
        QVERIFY(tab.PulseFitTable->viewport()->height() >= 8 * row);
        QCOMPARE(tab.PulseFitTable->horizontalScrollBar()->maximum(), 0);
        window->close();
        QApplication::processEvents();
        QVERIFY(!tab.detachedWindow());
        QVERIFY(tab.PulseListTable->window() == &filter);
        QCOMPARE(tab.DetachBitBtn->text(), QString("В отдельном окне"));
    }

    // A note of several lines under the filter chart keeps to its area: the chart keeps its
    // height, and the note's tooltip holds all of it.
    void filterNoteKeepsTheChartsRoom() {
        TFilterForm &filter = m_app->filterForm();
        m_app->mainForm().show();
        filter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&filter));
        const int chartHeight = filter.Chart->height();
        QTemporaryDir dir;
        filter.exportFilterTo(dir.filePath("taps.h")); // two lines: Q15 and Q31
        QVERIFY(filter.QuantisationLabel->text().contains('\n'));
        QApplication::processEvents();
        QCOMPARE(filter.Chart->height(), chartHeight);
        QCOMPARE(filter.QuantisationLabel->toolTip(), filter.QuantisationLabel->text());
        QVERIFY(filter.QuantisationLabel->height() <= 2 * filter.QuantisationLabel->fontMetrics().lineSpacing());
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    ScreenPlacementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screen_placement.moc"
