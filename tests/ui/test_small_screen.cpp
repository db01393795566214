// The windows on a 1366 x 768 screen (the offscreen platform configured so): a window larger
// than the screen's available area fits it and its content scrolls, so every control can be
// reached; a window that fits keeps its designed size.
#include <QApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <memory>

#include "scripted_platform.h"
#include "ui/application.h"

using namespace pulsefir;
using namespace pulsefir::ui;

class SmallScreenTest : public QObject {
    Q_OBJECT

    // The scroll area sets its bars once the window's resize has been processed.
    static constexpr int LayoutMs = 50;
    std::unique_ptr<PlatformScope> m_platform;
    std::unique_ptr<Application> m_app;

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    // Whether `control` lies inside the visible part of its window's scroll area once the area
    // has been scrolled to it, as the user scrolls to it.
    static bool reachable(TForm &form, QWidget *control) {
        QScrollArea *area = form.contentScrollArea();
        if (!area)
            return false;
        // Scrolled just far enough for the control's lower edge, as the user scrolls to it.
        const QRect inContent(control->mapTo(area->widget(), QPoint(0, 0)), control->size());
        QScrollBar *bar = area->verticalScrollBar();
        bar->setValue(std::clamp(inContent.bottom() + 1 - area->viewport()->height(), 0, bar->maximum()));
        const QRect inViewport(control->mapTo(area->viewport(), QPoint(0, 0)), control->size());
        return control->isVisible() && area->viewport()->rect().contains(inViewport);
    }

  private slots:
    void init() {
        m_platform = std::make_unique<PlatformScope>();
        m_app = std::make_unique<Application>();
    }
    void cleanup() {
        m_app.reset();
        m_platform.reset();
    }

    void theScreenIsTheSmallOne() { QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1366, 768)); }

    // The filter window's designed client area is 566 x 771: taller than the screen.
    void theFilterWindowFitsAndEveryControlCanBeReached() {
        TFilterForm &filter = m_app->filterForm();
        m_app->mainForm().FilterBitBtnClick();
        QVERIFY(QTest::qWaitForWindowExposed(&filter));
        QTest::qWait(LayoutMs);
        QVERIFY(filter.height() < 771);
        // As wide as designed, and the vertical scroll bar beside it: no horizontal one.
        QVERIFY(filter.width() > 566);
        QVERIFY(!filter.contentScrollArea()->horizontalScrollBar()->isVisible());
        QVERIFY(available().contains(filter.geometry()));
        QScrollArea *area = filter.contentScrollArea();
        QVERIFY(area != nullptr);
        QVERIFY(area->verticalScrollBar()->maximum() > 0);
        QCOMPARE(area->widget()->height(), 771);
        for (QWidget *control : std::initializer_list<QWidget *>{
                 filter.WINNmSpinEdit, filter.ViewFilterBitBtn, filter.ExportFilterBitBtn, filter.PointsCheckBox,
                 filter.ZoomUnDoButton, filter.CoeBitsNmSpinEdit, filter.SynthesizeBitBtn})
            QVERIFY2(reachable(filter, control), qPrintable(control->objectName()));
    }

    // Shown again, the window keeps fitting; its stored designed size is not lost.
    void shownTwiceTheFilterWindowStillFits() {
        TFilterForm &filter = m_app->filterForm();
        filter.show();
        filter.hide();
        filter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&filter));
        QVERIFY(available().contains(filter.geometry()));
        QCOMPARE(filter.contentScrollArea()->widget()->minimumSize(), QSize(566, 771));
    }

    // Windows that fit keep their designed sizes and show no scroll bar.
    void windowsThatFitKeepTheirDesignedSize_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QSize>("client"); // the outer frame's designed size
        QTest::newRow("main") << 0 << QSize(870, 640);
        QTest::newRow("spectra") << 3 << QSize(815, 609);
    }
    void windowsThatFitKeepTheirDesignedSize() {
        QFETCH(int, window);
        QFETCH(QSize, client);
        TForm *forms[] = {&m_app->mainForm(), &m_app->signalForm(), &m_app->filterForm(), &m_app->spectorForm()};
        TForm *form = forms[window];
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::qWait(LayoutMs);
        QCOMPARE(form->frameGeometry().size(), client);
        QVERIFY(!form->contentScrollArea()->verticalScrollBar()->isVisible());
        QVERIFY(!form->contentScrollArea()->horizontalScrollBar()->isVisible());
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_small_screen.moc"
