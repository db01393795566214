// Save, load and save again must give the same file, with the windows shown or hidden in every
// combination, offscreen and on a real X server with a window manager (which draws frames and
// places windows itself).
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "c_locale.h"
#include "project/SaveLoadPrjUnit.h"
#include "project/window_placement.h"
#include "scripted_platform.h"
#include "ui/application.h"
#include "ui/project_adapter.h"

using namespace pulsefir;
using namespace pulsefir::core;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

class GeometryTest : public QObject {
    Q_OBJECT

    // Lets the window manager frame what was shown: until every shown window reports the frame
    // the window manager gave it and stands where the program placed it. Offscreen, no window
    // gets a frame, and the windows stand where they were put at once.
    static bool settle() {
        if (QGuiApplication::platformName() == "offscreen") {
            QCoreApplication::processEvents();
            return true;
        }
        const auto settled = [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *form = qobject_cast<TForm *>(w); form && form->isVisible() && !form->frameSettled())
                    return false;
            return true;
        };
        // A busy machine delays the window manager by seconds, never by this much.
        constexpr int LimitMs = 60000;
        return QTest::qWaitFor(settled, LimitMs);
    }

    static std::vector<TForm *> forms(Application &app) {
        return {&app.mainForm(), &app.signalForm(), &app.filterForm(), &app.spectorForm()};
    }

    static QByteArray save(Application &app, const QString &name) {
        ProjectWindows windows(forms(app));
        project::saveProjectFile(QFile::encodeName(name).toStdString(), windows.windows(), ',');
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void load(Application &app, const QString &name) {
        ProjectWindows windows(forms(app));
        project::loadProjectFile(QFile::encodeName(name).toStdString(), windows.windows());
        QVERIFY(settle());
    }

    // The lines that differ, for a readable failure.
    static QString difference(const QByteArray &a, const QByteArray &b) {
        const QList<QByteArray> x = a.split('\n'), y = b.split('\n');
        QString out;
        QByteArray section;
        for (int k = 0; k < std::max(x.size(), y.size()); ++k) {
            const QByteArray l = k < x.size() ? x[k].trimmed() : QByteArray();
            const QByteArray r = k < y.size() ? y[k].trimmed() : QByteArray();
            if (l.startsWith('['))
                section = l;
            if (l != r)
                out += QString("%1 %2 -> %3; ").arg(section, l, r);
        }
        return out;
    }

  private slots:
    void initTestCase() {
        const std::string mismatch = cLocaleMismatch();
        QVERIFY2(mismatch.empty(), mismatch.c_str());
        qInfo() << "platform" << QGuiApplication::platformName();
    }

    void saveLoadSaveChangesNothing_data() {
        QTest::addColumn<int>("shown"); // bit 0 signal, bit 1 filter, bit 2 spectra
        for (int shown = 0; shown < 8; ++shown)
            QTest::newRow(qPrintable(QString("shown %1%2%3")
                                         .arg(shown & 1 ? "S" : "-")
                                         .arg(shown & 2 ? "F" : "-")
                                         .arg(shown & 4 ? "P" : "-")))
                << shown;
    }

    void saveLoadSaveChangesNothing() {
        QFETCH(int, shown);
        PlatformScope scope;
        QTemporaryDir dir;
        QByteArray first;
        {
            Application app;
            app.mainForm().show();
            QVERIFY(settle());
            TForm *others[] = {&app.signalForm(), &app.filterForm(), &app.spectorForm()};
            for (int k = 0; k < 3; ++k)
                if (shown & (1 << k))
                    others[k]->show();
            // The designed places and sizes are those of the outer frames (the filter window's
            // size is that of its client area): so they read at once, before the window manager
            // has framed the windows just shown (what a save then writes), and after it.
            for (const bool framed : {false, true}) {
                if (framed)
                    QVERIFY(settle());
                for (TForm *form : forms(app)) {
                    const auto &designed = project::designedPlacement(form->objectName().toStdString());
                    QCOMPARE(form->outerGeometry().topLeft(), rectOf(designed.frame).topLeft());
                    if (!designed.clientSize)
                        QCOMPARE(form->outerGeometry().size(), rectOf(designed.frame).size());
                }
            }
            first = save(app, dir.filePath("a.flt"));
            // Into the same windows, and saved again.
            load(app, dir.filePath("a.flt"));
            QCOMPARE(difference(first, save(app, dir.filePath("b.flt"))), QString());
        }
        {
            // Into windows that start as the program starts (all but the main one hidden).
            Application app;
            app.mainForm().show();
            QVERIFY(settle());
            load(app, dir.filePath("a.flt"));
            QCOMPARE(difference(first, save(app, dir.filePath("c.flt"))), QString());
            // And once more into windows whose visibility is the file's already.
            load(app, dir.filePath("c.flt"));
            QCOMPARE(difference(first, save(app, dir.filePath("d.flt"))), QString());
        }
    }
};

QTEST_MAIN(GeometryTest)
#include "test_geometry.moc"
