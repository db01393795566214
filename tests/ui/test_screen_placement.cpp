// Every window opens wholly on the screen's available area, whatever the screen (the offscreen
// platform configured as a laptop's 1366 x 768 and a desktop's 1920 x 1080 screen), opened from
// the main window as the user opens them.
#include <QApplication>
#include <QScreen>
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
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    ScreenPlacementTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screen_placement.moc"
