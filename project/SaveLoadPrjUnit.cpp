#include "SaveLoadPrjUnit.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "project/FileAccess.h"

namespace pulsefir::project {

namespace {

using Actions = std::vector<std::function<void()>>;

[[noreturn]] void fail(const QString &message) {
    throw base::Error(message.toStdString());
}

// Gives the window its enabled state back however the save of its section ends.
class EnabledRestorer {
  public:
    explicit EnabledRestorer(ProjectWindow &window) : m_window(window), m_enabled(window.isEnabled()) {
        m_window.setEnabled(false);
    }
    ~EnabledRestorer() {
        m_window.setEnabled(m_enabled);
        m_window.repaint();
    }
    bool enabled() const { return m_enabled; }

  private:
    ProjectWindow &m_window;
    bool m_enabled;
};

void writeControl(IniDocument &doc, const QString &section, ProjectControl &c, QChar decimal) {
    const QString key = c.name();
    switch (c.kind()) {
    case ControlKind::Edit:
        doc.writeString(section, key, c.text());
        break;
    case ControlKind::IntegerSpin:
    case ControlKind::TrackBar:
    case ControlKind::RadioGroup:
        doc.writeInteger(section, key, c.integerValue());
        break;
    case ControlKind::CheckBox:
    case ControlKind::SpeedButton:
        doc.writeBool(section, key, c.checked());
        break;
    case ControlKind::FloatField:
        doc.writeString(section, key,
                        QString::fromStdString(base::formatProjectFloat(c.floatValue(), decimal.unicode())));
        break;
    case ControlKind::StringGrid: {
        const int columns = c.columnCount();
        const int rows = c.rowCount();
        doc.writeInteger(section, key + "ColCount", columns);
        doc.writeInteger(section, key + "RowCount", rows);
        for (int col = 0; col < columns; ++col)
            for (int row = 0; row < rows; ++row)
                doc.writeString(section, GridCellKey(key, col, row), c.cell(col, row));
        break;
    }
    }
}

// What loading one control will do, with every value already read and checked.
void planControl(const IniDocument &doc, const QString &section, ProjectControl *c, Actions &actions) {
    const QString key = c->name();
    switch (c->kind()) {
    case ControlKind::Edit: {
        const QString text = doc.readString(section, key, c->text());
        actions.push_back([c, text] { c->setText(text); });
        break;
    }
    case ControlKind::IntegerSpin:
    case ControlKind::TrackBar: {
        const int value = doc.readInteger(section, key, c->integerValue());
        actions.push_back([c, value] { c->setIntegerValue(value); });
        break;
    }
    case ControlKind::RadioGroup: {
        const int value = std::clamp(doc.readInteger(section, key, c->integerValue()), -1, c->itemCount() - 1);
        actions.push_back([c, value] { c->setIntegerValue(value); });
        break;
    }
    case ControlKind::CheckBox:
    case ControlKind::SpeedButton: {
        const bool value = doc.readBool(section, key, c->checked());
        actions.push_back([c, value] { c->setChecked(value); });
        break;
    }
    case ControlKind::FloatField: {
        if (!doc.hasKey(section, key))
            break;
        const QString text = doc.readString(section, key, QString());
        const auto value = base::parseProjectFloat(text.toStdString());
        if (!value)
            fail(QString::fromStdString(base::Message::invalidFloat(text.toStdString())));
        actions.push_back([c, v = *value] { c->setFloatValue(v); });
        break;
    }
    case ControlKind::StringGrid: {
        // The counts default to 1, not to the grid's present size.
        const int columns = std::max(0, doc.readInteger(section, key + "ColCount", 1));
        const int rows = std::max(0, doc.readInteger(section, key + "RowCount", 1));
        std::vector<QString> cells;
        for (int col = 0; col < columns; ++col)
            for (int row = 0; row < rows; ++row)
                cells.push_back(doc.readString(section, GridCellKey(key, col, row), QString()));
        actions.push_back([c, columns, rows, cells] {
            c->setGridSize(columns, rows);
            std::size_t k = 0;
            for (int col = 0; col < columns; ++col)
                for (int row = 0; row < rows; ++row)
                    c->setCell(col, row, cells[k++]);
        });
        break;
    }
    }
}

void planWindow(const IniDocument &doc, ProjectWindow &window, Actions &actions) {
    const QString section = window.name();
    const QRect frame = window.frame();
    const int top = doc.readInteger(section, "Top", frame.top());
    const int left = doc.readInteger(section, "Left", frame.left());
    ProjectWindow *w = &window;
    actions.push_back([w, left, top] { w->moveTo(left, top); });
    if (window.sizeable()) {
        const int width = doc.readInteger(section, "Width", frame.width());
        const int height = doc.readInteger(section, "Height", frame.height());
        actions.push_back([w, width, height] { w->resizeOuter(width, height); });
    }
    for (ProjectControl *c : window.controls())
        planControl(doc, section, c, actions);
    const bool visible = doc.readBool(section, "Wisible", window.isVisible());
    // A hidden main window would leave a running program that nobody can reach or close.
    if (!(window.isMainWindow() && !visible))
        actions.push_back([w, visible] { w->setVisible(visible); });
    actions.push_back([w] { w->repaint(); });
}

IniDocument readDocument(const QString &fileName) {
    return IniDocument::parse(ReadProjectBytes(fileName));
}

} // namespace

QString GridCellKey(const QString &grid, int column, int row) {
    return grid + QString::fromStdString(base::formatInteger(column, 10, 4) + base::formatInteger(row, 10, 4));
}

QString DirectoryPart(const QString &fileName) {
    const int slash = static_cast<int>(std::max(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\')));
    if (slash < 0)
        return QString();
    QString dir = fileName.left(slash);
    // Keep the separator after a drive letter and colon, and for the root folder itself.
    if (dir.isEmpty() || dir.endsWith(':'))
        dir = fileName.left(slash + 1);
    return dir;
}

void SaveWindowSettings(IniDocument &doc, ProjectWindow &window, QChar decimal) {
    EnabledRestorer restorer(window);
    const QString section = window.name();
    doc.eraseSection(section);
    const QRect frame = window.frame();
    doc.writeInteger(section, "Top", frame.top());
    doc.writeInteger(section, "Left", frame.left());
    doc.writeInteger(section, "Width", frame.width());
    doc.writeInteger(section, "Height", frame.height());
    for (ProjectControl *c : window.controls())
        writeControl(doc, section, *c, decimal);
    doc.writeBool(section, "Wisible", window.isVisible());
    doc.writeBool(section, "Enabled", restorer.enabled());
}

void LoadWindowSettings(const IniDocument &doc, ProjectWindow &window) {
    Actions actions;
    planWindow(doc, window, actions);
    for (auto &action : actions)
        action();
}

QByteArray ComposeProject(const QByteArray &existing, const Windows &windows, QChar decimal) {
    IniDocument doc = IniDocument::parse(existing);
    for (ProjectWindow *w : windows)
        SaveWindowSettings(doc, *w, decimal);
    return doc.serialize();
}

void LoadProjectFile(const QString &fileName, const Windows &windows) {
    const IniDocument doc = readDocument(fileName);
    Actions actions;
    for (ProjectWindow *w : windows)
        planWindow(doc, *w, actions);
    for (auto &action : actions)
        action();
}

void SaveProjectFile(const QString &fileName, const Windows &windows, QChar decimal) {
    // The sections of other names in an existing file are kept, so it is read first.
    const std::string name = QFile::encodeName(fileName).toStdString();
    QByteArray existing;
    if (base::kindOfPath(name) != base::PathKind::Missing) {
        try {
            const std::string bytes = base::readFileWhole(name, MaxProjectFileBytes);
            existing = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
        } catch (const base::FileReadError &error) {
            // What cannot be read as a project is not replaced by one.
            fail(QString::fromStdString(base::Message::unableToWrite(fileName.toStdString(), error.cause())));
        }
    }
    WriteProjectBytes(fileName, ComposeProject(existing, windows, decimal));
}

QString OpenProject(FileDialogRequest &dialog, const QString &caption, const Windows &windows, ProjectHost &host) {
    QString result = caption;
    dialog.title = "Загрузить проект из файла";
    if (const auto chosen = host.runFileDialog(dialog)) {
        dialog.fileName = *chosen;
        if (PathExists(*chosen)) {
            LoadProjectFile(*chosen, windows);
            result = *chosen;
        } else {
            host.showInformation("Information", QString::fromStdString(base::Message::projectFileMissing(chosen->toStdString())));
        }
    }
    dialog.initialDirectory = DirectoryPart(dialog.fileName);
    return result;
}

QString SaveProject(FileDialogRequest &dialog, const QString &caption, const Windows &windows, ProjectHost &host,
                    QChar decimal) {
    QString result = caption;
    dialog.title = "Сохранить проект в файл как...";
    if (const auto chosen = host.runFileDialog(dialog)) {
        dialog.fileName = *chosen;
        bool write = true;
        if (PathExists(*chosen))
            write = host.askYesNo("Confirm", QString::fromStdString(base::Message::projectOverwriteQuestion(chosen->toStdString())));
        if (write) {
            SaveProjectFile(*chosen, windows, decimal);
            result = *chosen;
        }
    }
    dialog.initialDirectory = DirectoryPart(dialog.fileName);
    return result;
}

} // namespace pulsefir::project
