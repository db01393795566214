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

    // Lets the window manager frame, place and size what was shown, moved or resized: until
    // every shown window has its frame and no frame has changed for a while.
    static void settle() {
        const auto frames = [] {
            QList<QRect> all;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<TForm *>(w) && w->isVisible())
                    all << w->frameGeometry() << w->geometry();
            return all;
        };
        const auto framed = [](const QList<QRect> &all) {
            for (int k = 0; k + 1 < all.size(); k += 2)
                if (all[k] == all[k + 1])
                    return false;
            return true;
        };
        QList<QRect> last;
        int stable = 0;
        for (int k = 0; k < 60 && stable < 3; ++k) {
            QTest::qWait(50);
            const QList<QRect> now = frames();
            stable = now == last && framed(now) ? stable + 1 : 0;
            last = now;
        }
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
        settle();
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
            settle();
            TForm *others[] = {&app.signalForm(), &app.filterForm(), &app.spectorForm()};
            for (int k = 0; k < 3; ++k)
                if (shown & (1 << k))
                    others[k]->show();
            settle();
            // The designed places and sizes are those of the outer frames (the filter window's
            // size is that of its client area).
            for (TForm *form : forms(app)) {
                const auto &designed = project::designedPlacement(form->objectName().toStdString());
                QCOMPARE(form->outerGeometry().topLeft(), rectOf(designed.frame).topLeft());
                if (!designed.clientSize)
                    QCOMPARE(form->outerGeometry().size(), rectOf(designed.frame).size());
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
            settle();
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
