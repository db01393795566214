// The work kept in a project through the windows, the question before the program ends and the
// folders the file dialogs start in.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <bit>
#include <memory>

#include "scripted_platform.h"
#include "ui/application.h"
#include "ui/dialog_folders.h"

using namespace pulsefir;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

Q_DECLARE_METATYPE(pulsefir::ui::widgets::Platform::Answer)

namespace {

QByteArray readAll(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool sameBits(const core::SignalArray &a, const core::SignalArray &b) {
    for (int i = -core::MaxSignalHalfWidth; i <= core::MaxSignalHalfWidth; ++i)
        if (std::bit_cast<quint64>(a[i]) != std::bit_cast<quint64>(b[i]))
            return false;
    return true;
}

bool sameBits(const core::FilterArray &a, const core::FilterArray &b) {
    for (int j = -core::MaxFilterHalfWidth; j <= core::MaxFilterHalfWidth; ++j)
        if (std::bit_cast<quint64>(a[j]) != std::bit_cast<quint64>(b[j]))
            return false;
    return true;
}

QStringList metricsTexts(TMainForm &main) {
    QStringList texts;
    for (int row = 0; row < main.MetricsTable->rowCount(); ++row)
        for (int column = 0; column < main.MetricsTable->columnCount(); ++column)
            texts << main.MetricsTable->item(row, column)->text();
    return texts;
}

} // namespace

class WorkFlowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PlatformScope> m_scope;
    std::unique_ptr<Application> m_app;
    QTemporaryDir m_dir;

    ScriptedPlatform &platform() { return m_scope->platform; }
    QString path(const char *name) const { return m_dir.filePath(name); }

    // The work of a session: a signal, a short search, the least-squares filter, applied.
    void work(Application &app) {
        app.signalForm().Exp_Load_BitBtnClick();
        app.filterForm().EpochNmSpinEdit->setValue(40);
        app.filterForm().StartBitBtnClick();
        app.filterForm().Serch1_BitBtnClick();
        app.filterForm().LeastSquaresBitBtnClick();
        app.mainForm().CalcOutBitBtnClick();
    }

  private slots:
    void init() {
        m_scope = std::make_unique<PlatformScope>();
        m_app = std::make_unique<Application>();
    }
    void cleanup() {
        m_app.reset();
        m_scope.reset();
    }

    // Load signal, search, least squares, apply, save, quit, start with the file: the same
    // buffers bit for bit, the same curves, filter and metrics, and the same file when saved again.
    void theWorkComesBackBitForBit() {
        work(*m_app);
        m_app->mainForm().SWNmSpinEdit->setValue(1200);
        m_app->mainForm().DrawBitBtnClick();
        m_app->mainForm().SWNmSpinEdit->setValue(1500); // typed but not drawn: the chart keeps 1200
        const QString name = path("work.flt");
        platform().dialogAnswers = {name};
        m_app->mainForm().SaveFileSpeedButtonClick();
        QVERIFY(!m_app->hasUnsavedChanges());
        const QByteArray saved = readAll(name);
        QVERIFY(saved.contains("[SignalBuffer]"));

        auto again = std::make_unique<Application>();
        again->openProjectFile(name);
        QCOMPARE(again->mainForm().windowTitle(), name);
        const core::CoreState &a = m_app->state();
        const core::CoreState &b = again->state();
        QVERIFY(sameBits(a.SignalBuffer, b.SignalBuffer));
        QVERIFY(sameBits(a.OutputBuffer, b.OutputBuffer));
        QVERIFY(sameBits(a.ResponseBuffer, b.ResponseBuffer));
        QVERIFY(sameBits(a.FilterBuffer, b.FilterBuffer));
        QCOMPARE(b.SignalHalfWidth, 1200);
        QCOMPARE(again->mainForm().SWNmSpinEdit->value(), 1500);
        QCOMPARE(b.FilterHalfWidth, a.FilterHalfWidth);
        // Drawn as they were: the main chart's three curves and the filter's taps.
        TMainForm &main = again->mainForm();
        QCOMPARE(main.Series1->count(), 2401);
        QCOMPARE(main.Series2->point(1200 + 37).y, a.OutputBuffer[37]);
        QCOMPARE(main.Series3->point(1200 - 5).y, a.ResponseBuffer[-5]);
        TFilterForm &filter = again->filterForm();
        QCOMPARE(filter.Series1->count(), 2 * a.FilterHalfWidth + 1);
        QCOMPARE(filter.Series1->point(a.FilterHalfWidth + 3).y, a.FilterBuffer[3]);
        QCOMPARE(metricsTexts(main), metricsTexts(m_app->mainForm()));
        QVERIFY(!again->hasUnsavedChanges());
        // Saved again, byte for byte the same.
        const QString second = path("again.flt");
        platform().dialogAnswers = {second};
        again->mainForm().SaveFileSpeedButtonClick();
        QCOMPARE(readAll(second), saved);
    }

    // The filtered signal's metrics row says when it is older than the signal or filter.
    void staleFilteredSignalIsMarked() {
        TMainForm &main = m_app->mainForm();
        const auto header = [&] { return main.MetricsTable->verticalHeaderItem(1)->text(); };
        m_app->signalForm().Exp_Load_BitBtnClick();
        m_app->filterForm().LeastSquaresBitBtnClick();
        main.CalcOutBitBtnClick();
        QCOMPARE(header(), QString("После фильтрации"));
        m_app->signalForm().Exp_Am_NmSuperSpin->setValue(2.0);
        m_app->signalForm().Exp_Load_BitBtnClick(); // a new pulse, drawn: the old filtered signal stays
        QCOMPARE(header(), QString("После фильтрации (устарело)"));
        QCOMPARE(main.MetricsTable->item(1, 0)->foreground().color(), QColor(Qt::gray));
        main.CalcOutBitBtnClick();
        QCOMPARE(header(), QString("После фильтрации"));
        m_app->filterForm().SynthesizeBitBtnClick(); // a new filter, then a redraw
        main.DrawBitBtnClick();
        QCOMPARE(header(), QString("После фильтрации (устарело)"));
    }

    // What the user is asked when the program is to end, and what each answer does.
    void closingAsksAboutUnsavedChanges_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<Platform::Answer>("answer");
        QTest::addColumn<bool>("saveChosen");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("written");
        using A = Platform::Answer;
        QTest::newRow("nothing changed: no question") << false << A::Yes << false << false << true << false;
        QTest::newRow("Нет: closes without saving") << true << A::No << false << true << true << false;
        QTest::newRow("Отмена: stays open") << true << A::Cancel << false << true << false << false;
        QTest::newRow("Да: saves and closes") << true << A::Yes << true << true << true << true;
        QTest::newRow("Да, save cancelled: stays open") << true << A::Yes << false << true << false << false;
    }
    void closingAsksAboutUnsavedChanges() {
        QFETCH(bool, changed);
        QFETCH(Platform::Answer, answer);
        QFETCH(bool, saveChosen);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        QFETCH(bool, written);
        TMainForm &main = m_app->mainForm();
        main.show();
        if (changed)
            m_app->signalForm().Exp_Load_BitBtnClick();
        const QString name = path("closing.flt");
        QFile::remove(name);
        platform().choiceAnswers = {answer};
        platform().dialogAnswers = {saveChosen ? std::optional<QString>(name) : std::nullopt};
        main.ExitSpeedButtonClick();
        const auto choice = std::count_if(platform().messages.begin(), platform().messages.end(),
                                          [](const auto &m) { return m.kind == "choice"; });
        QCOMPARE(choice, asked ? 1 : 0);
        if (asked)
            QCOMPARE(platform().messages.front().text, QString("Сохранить изменения в проекте?"));
        QCOMPARE(!main.isVisible(), closed);
        QCOMPARE(QFileInfo::exists(name), written);
        QCOMPARE(m_app->hasUnsavedChanges(), changed && !written);
    }

    // "Да" and Ctrl+S write a project that has a file of its own to that file with no dialog and
    // no question; a project without one gets the save dialog.
    void savingGoesToTheProjectsOwnFile_data() {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("byKey"); // Ctrl+S instead of "Да" on closing
        QTest::newRow("named, Да on closing") << true << false;
        QTest::newRow("unnamed, Да on closing") << false << false;
        QTest::newRow("named, Ctrl+S") << true << true;
        QTest::newRow("unnamed, Ctrl+S") << false << true;
    }
    void savingGoesToTheProjectsOwnFile() {
        QFETCH(bool, named);
        QFETCH(bool, byKey);
        TMainForm &main = m_app->mainForm();
        main.show();
        const QString tag = QString::number(named) + QString::number(byKey);
        const QString own = m_dir.filePath("own" + tag + ".flt");
        const QString chosen = m_dir.filePath("chosen" + tag + ".flt");
        if (named) {
            platform().dialogAnswers = {own};
            main.SaveFileSpeedButtonClick();
        }
        const qsizetype dialogsBefore = platform().dialogRequests.size();
        m_app->filterForm().WINNmSpinEdit->setValue(250);
        platform().dialogAnswers = {chosen};
        if (byKey) {
            main.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&main));
            QTest::keyClick(&main, Qt::Key_S, Qt::ControlModifier);
        } else {
            platform().choiceAnswers = {Platform::Answer::Yes};
            main.ExitSpeedButtonClick();
            QVERIFY(!main.isVisible());
        }
        const QString written = named ? own : chosen;
        QVERIFY(readAll(written).contains("WINNmSpinEdit=250"));
        QCOMPARE(platform().dialogRequests.size() - dialogsBefore, named ? 0 : 1);
        QVERIFY(std::none_of(platform().messages.begin(), platform().messages.end(),
                             [](const auto &m) { return m.kind == "question"; })); // no overwrite question
        QVERIFY(!m_app->hasUnsavedChanges());
        QCOMPARE(main.windowTitle(), written);
    }

    // Looking at a file through "Обзор…" changes no field but the file's name: choosing the
    // name the field already holds is no change.
    void browsingIsNoChange() {
        const QString pulse = path("browse.txt");
        QFile file(pulse);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("0.5\n1\n0.5\n");
        file.close();
        TSignalForm &signal = m_app->signalForm();
        signal.FileNameEdit->setText(pulse);
        platform().dialogAnswers = {path("browse.flt")};
        m_app->mainForm().SaveFileSpeedButtonClick();
        QVERIFY(!m_app->hasUnsavedChanges());
        platform().dialogAnswers = {pulse};
        signal.FileBrowseButtonClick();
        QVERIFY(signal.FileInfoLabel->text().contains("3")); // it was read and described
        QVERIFY(!m_app->hasUnsavedChanges());
    }

    // A setting changed and set back is no change; the window's own close button asks too.
    void settingsCountAsChanges() {
        TMainForm &main = m_app->mainForm();
        main.show();
        QVERIFY(!m_app->hasUnsavedChanges());
        m_app->filterForm().WINNmSpinEdit->setValue(250);
        QVERIFY(m_app->hasUnsavedChanges());
        m_app->filterForm().WINNmSpinEdit->setValue(100);
        QVERIFY(!m_app->hasUnsavedChanges());
        main.CheckBox2->setChecked(true);
        platform().choiceAnswers = {Platform::Answer::Cancel};
        main.close();
        QVERIFY(main.isVisible());
    }

    // A file that holds none of the sections, and one with keys that cannot be used.
    void openingTellsWhatCouldNotBeLoaded_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("informations");
        QTest::newRow("no section") << QByteArray("just text\r\n") << QStringList{"нет ни одного из разделов MainForm"};
        QTest::newRow("unusable keys, in one box")
            << QByteArray("[MainForm]\r\nSWNmSpinEdit=50.0\r\n[FilterForm]\r\nEpochNmSpinEdit=5e1\r\n")
            << QStringList{"MainForm.SWNmSpinEdit, FilterForm.EpochNmSpinEdit"};
        QTest::newRow("a good file says nothing") << QByteArray("[MainForm]\r\nSWNmSpinEdit=50\r\n") << QStringList{};
    }
    void openingTellsWhatCouldNotBeLoaded() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, informations);
        const QString name = path("other.flt");
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        m_app->openProjectFile(name);
        QCOMPARE(m_app->mainForm().windowTitle(), name); // the caption changes all the same
        QStringList shown;
        for (const auto &m : platform().messages)
            if (m.kind == "information")
                shown << m.text;
        QCOMPARE(shown.size(), informations.size());
        for (int k = 0; k < shown.size(); ++k)
            QVERIFY2(shown[k].contains(informations[k]), qPrintable(shown[k]));
    }

    // The first folder: the program's where the user can write there, else the home folder.
    void firstFolder_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("writable build folder") << "/home/u/pulsefir/build/app" << true << "/home/u/pulsefir/build/app";
        QTest::newRow("read-only folder") << "/srv/tools" << false << "/home/u";
        QTest::newRow("installed, writable for root") << "/usr/bin" << true << "/home/u";
        QTest::newRow("installed below /opt") << "/opt/pulsefir/bin" << true << "/home/u";
        QTest::newRow("a folder merely named usr") << "/home/u/usr" << true << "/home/u/usr";
    }
    void firstFolder() {
        QFETCH(QString, program);
        QFETCH(bool, writable);
        QFETCH(QString, expected);
        QCOMPARE(firstDialogFolder(program, writable, "/home/u"), expected);
    }

    // One folder for every dialog: a file confirmed in any of them (here the filter export) is
    // where the others start, the project's and the pulse set's, and where they start in the next
    // run; a cancelled dialog changes nothing.
    void oneFolderForEveryDialogBetweenRuns() {
        const QString folders = path("config/folders.ini");
        QDir(m_dir.path()).mkpath("taps");
        m_app->rememberDialogFolders(folders);
        TFilterForm &filter = m_app->filterForm();
        platform().dialogAnswers = {std::nullopt, path("taps/f.csv"), std::nullopt, std::nullopt};
        filter.LoadFilterBitBtnClick();
        filter.ExportFilterBitBtnClick();
        m_app->mainForm().OpenFileSpeedButtonClick();
        filter.TabSheet4->AddPulseBitBtnClick();
        const auto started = [this](std::size_t k) { return platform().dialogRequests.at(k).initialDirectory; };
        QCOMPARE(started(0), firstDialogFolder());
        QCOMPARE(started(1), firstDialogFolder());
        QCOMPARE(started(2), path("taps"));
        QCOMPARE(started(3), path("taps"));
        // The project dialog's own folder stays what its last use left.
        QCOMPARE(m_app->mainForm().OpenDialog.initialDirectory, QString());
        platform().choiceAnswers = {Platform::Answer::No};
        m_app->mainForm().close();

        auto next = std::make_unique<Application>();
        next->rememberDialogFolders(folders);
        platform().dialogAnswers = {std::nullopt};
        next->signalForm().FileBrowseButtonClick();
        QCOMPARE(platform().dialogRequests.back().initialDirectory, path("taps"));
    }

    // What the folders file holds: the one folder, or (from earlier versions) a folder per dialog,
    // of which the project's dialogs are taken first; a folder gone since is passed over.
    void keptFolderRead_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("expected"); // relative to the test folder; "" the first folder
        QTest::newRow("one folder") << "[Folders]\nLast=@/a\n"
                                    << "a";
        QTest::newRow("one folder gone") << "[Folders]\nLast=@/gone\n"
                                         << "";
        QTest::newRow("old keys, project first") << "[Folders]\nFilterForm.ExportDialog=@/b\nMainForm.SaveDialog=@/a\n"
                                                 << "a";
        QTest::newRow("old key gone, next taken")
            << "[Folders]\nMainForm.OpenDialog=@/gone\nSignalForm.FileOpenDialog=@/b\n"
            << "b";
        QTest::newRow("one folder before old keys") << "[Folders]\nMainForm.OpenDialog=@/a\nLast=@/b\n"
                                                    << "b";
        QTest::newRow("no folder") << "[Other]\nX=1\n"
                                   << "";
        QTest::newRow("not an ini") << QString::fromLatin1("\x01\xff\n[[[") << "";
    }
    void keptFolderRead() {
        QFETCH(QString, ini);
        QFETCH(QString, expected);
        QDir(m_dir.path()).mkpath("a");
        QDir(m_dir.path()).mkpath("b");
        const QString folders = path("folders.ini");
        QFile file(folders);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QString(ini).replace("@", m_dir.path()).toUtf8());
        file.close();
        m_app->rememberDialogFolders(folders);
        platform().dialogAnswers = {std::nullopt};
        m_app->filterForm().ExportFilterBitBtnClick();
        const QString want = expected.isEmpty() ? firstDialogFolder() : m_dir.filePath(expected);
        QCOMPARE(platform().dialogRequests.back().initialDirectory, want);
        // Written back as the one folder.
        platform().choiceAnswers = {Platform::Answer::No};
        m_app->mainForm().close();
        QVERIFY(readAll(folders).contains(("Last=" + want).toUtf8()));
    }
};

QObject *makeWorkFlowsTest() {
    return new WorkFlowsTest;
}

#include "test_work_flows.moc"
