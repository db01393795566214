#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "base/error.h"
#include "project/fake_windows.h"
#include "scripted_platform.h"
#include "ui/project_flows.h"

using namespace pulsefir;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

// The open and save flows of the main window's project buttons, over windows without widgets:
// the dialogs' titles, the question before a file is replaced, the messages, the captions.
class ProjectFlowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<PlatformScope> m_scope;
    std::vector<std::unique_ptr<FakeWindow>> m_windows;
    FileDialogRequest m_dialog;

    ScriptedPlatform &platform() { return m_scope->platform; }
    FakeWindow &win(int k) { return *m_windows[static_cast<std::size_t>(k)]; }
    QString path(const char *name) const { return m_dir.filePath(name); }
    project::Windows windows() { return pointers(m_windows); }

  private slots:
    void init() {
        m_scope = std::make_unique<PlatformScope>();
        m_windows = makeProgramWindows();
        m_dialog = FileDialogRequest();
    }
    void cleanup() { m_scope.reset(); }

    void overwriteIsAskedEveryTimeAndNoWritesNothing() {
        const QString name = path("p.flt");
        writeAll(name, "old");
        platform().dialogAnswers = {name, name, name};
        platform().questionAnswers = {false, true, true};
        QCOMPARE(saveProject(m_dialog, "caption", windows(), nullptr, ','), QString("caption"));
        QCOMPARE(readAll(name), QByteArray("old"));
        QCOMPARE(saveProject(m_dialog, "caption", windows(), nullptr, ','), name);
        QVERIFY(readAll(name).startsWith("old\r\n[MainForm]"));
        QCOMPARE(saveProject(m_dialog, name, windows(), nullptr, ','), name);
        QCOMPARE(platform().messages.size(), std::size_t(3));
        QCOMPARE(platform().messages[0].kind, QString("question"));
        QCOMPARE(platform().messages[0].title, QString("Confirm"));
        QCOMPARE(platform().messages[0].text, "Файл с именем \r" + name + "\rуже существует\rЗаписать в него?");
        QCOMPARE(platform().dialogRequests[0].title, QString("Сохранить проект в файл как..."));
        QCOMPARE(m_dialog.initialDirectory, m_dir.path());
    }

    void saveToANewFileAsksNothing() {
        platform().dialogAnswers = {path("new.flt")};
        QCOMPARE(saveProject(m_dialog, "c", windows(), nullptr, ','), path("new.flt"));
        QVERIFY(platform().messages.empty());
        QVERIFY(QFile::exists(path("new.flt")));
    }

    void openingAMissingFileSaysSoAndChangesNothing() {
        platform().dialogAnswers = {path("missing.flt")};
        QCOMPARE(openProject(m_dialog, "caption", windows(), nullptr), QString("caption"));
        QCOMPARE(platform().messages.size(), std::size_t(1));
        QCOMPARE(platform().messages[0].kind, QString("information"));
        QCOMPARE(platform().messages[0].title, QString("Information"));
        QCOMPARE(platform().messages[0].text, "Не существует Файл \r" + path("missing.flt"));
        QCOMPARE(platform().dialogRequests[0].title, QString("Загрузить проект из файла"));
        QCOMPARE(win(0).control("FNmSuperSpin").changes, 0);
    }

    void aGivenNameLoadsWithoutTheDialog() {
        writeAll(path("p.flt"), "[SignalForm]\nExp_Am_NmSuperSpin=2,5\n");
        QCOMPARE(openProject(m_dialog, "c", windows(), nullptr, path("p.flt")), path("p.flt"));
        QVERIFY(platform().dialogRequests.empty());
        QCOMPARE(win(1).control("Exp_Am_NmSuperSpin").number, 2.5);
    }

    void cancelledDialogKeepsTheCaptionAndTheLastDirectory() {
        m_dialog.fileName = "NoName.flt";
        QCOMPARE(openProject(m_dialog, "caption", windows(), nullptr), QString("caption"));
        QCOMPARE(m_dialog.initialDirectory, QString());
        QCOMPARE(directoryPart("C:\\p.flt"), QString("C:\\"));
        QCOMPARE(directoryPart("/home/user/p.flt"), QString("/home/user"));
        QCOMPARE(directoryPart("/p.flt"), QString("/"));
    }

    void malformedFloatChangesNothingAnywhere() {
        writeAll(path("p.flt"), "[MainForm]\nTop=300\nSWNmSpinEdit=50\n[SignalForm]\nExp_Am_NmSuperSpin=1;5\n");
        platform().dialogAnswers = {path("p.flt")};
        m_dialog.initialDirectory = "before";
        try {
            openProject(m_dialog, "caption", windows(), nullptr);
            QFAIL("no error");
        } catch (const base::Error &error) {
            QCOMPARE(QString(error.what()), QString("'1;5' is not a valid floating point value."));
        }
        QCOMPARE(win(0).frameRect.top, 1);
        QCOMPARE(win(0).control("SWNmSpinEdit").integer, 1000);
        QCOMPARE(win(0).control("SWNmSpinEdit").changes, 0);
        QCOMPARE(m_dialog.initialDirectory, QString("before"));
    }
};

QObject *makeProjectFlowsTest() {
    return new ProjectFlowsTest;
}

#include "test_project_flows.moc"
