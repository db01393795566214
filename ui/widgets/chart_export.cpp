#include "chart.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "ui/widgets/chart_painter.h"

namespace pulsefir::ui::widgets {

void TChart::createPopupMenu() {
    m_popup->setObjectName("PopupMenu");
    QAction *heading = m_popup->addAction("Сохранить картинку");
    heading->setObjectName("N3");
    QAction *separator = m_popup->addSeparator();
    separator->setObjectName("N4");
    const std::tuple<const char *, const char *, void (TChart::*)()> items[] = {
        {"в буфер обмена", "SaveToClipBoardN5", &TChart::SaveToClipBoardN5Click},
        {"в граф. файл", "SaveToBMPFileN6", &TChart::SaveToBMPFileN6Click},
        {"в CSV файл", "SaveToCSVFileN7", &TChart::SaveToCSVFileN7Click},
        {"в PNG файл", "SaveToPNGFileN8", &TChart::SaveToPNGFileN8Click},
        {"в SVG файл", "SaveToSVGFileN9", &TChart::SaveToSVGFileN9Click}};
    for (const auto &[text, name, slot] : items) {
        QAction *action = m_popup->addAction(QString::fromUtf8(text));
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
    }
    m_legendSeparator = m_popup->addSeparator();
    m_legendAction = m_popup->addAction("Легенда");
    m_legendAction->setObjectName("LegendN11");
    m_legendAction->setCheckable(true);
    connect(m_legendAction, &QAction::toggled, this, &TChart::setLegendVisible);
    // Items a window adds to the menu come before the legend's.
    connect(m_popup, &QMenu::aboutToShow, this, [this] {
        for (QAction *a : {m_legendSeparator, m_legendAction}) {
            m_popup->removeAction(a);
            m_popup->addAction(a);
        }
    });

    m_pictureDialog.kind = FileDialogRequest::Kind::Save;
    m_pictureDialog.title = "Записаь картинку в файл";
    m_pictureDialog.fileName = "NoName.bmp";
    m_pictureDialog.filter = "Bitmaps (*.bmp)";
    const std::tuple<FileDialogRequest *, const char *, const char *, const char *, const char *> dialogs[] = {
        {&m_dataDialog, "Записать данные графика в файл", "NoName.csv", "CSV (*.csv)", "csv"},
        {&m_pngDialog, "Записать картинку в файл", "NoName.png", "PNG (*.png)", "png"},
        {&m_svgDialog, "Записать картинку в файл", "NoName.svg", "SVG (*.svg)", "svg"}};
    for (const auto &[dialog, title, name, filter, suffix] : dialogs) {
        dialog->kind = FileDialogRequest::Kind::Save;
        dialog->title = QString::fromUtf8(title);
        dialog->fileName = name;
        dialog->filter = filter;
        dialog->defaultSuffix = suffix;
    }
}

void TChart::copyPictureToClipboard() {
    QApplication::clipboard()->setImage(renderImage(size()));
}

bool TChart::saveBytes(const QString &fileName, const std::optional<QByteArray> &bytes, const char *format) {
    try {
        if (!bytes)
            throw base::Error(
                base::Message::unableToWrite(fileName.toStdString(), base::Message::encodingFailed(format)));
        base::writeFileWhole(QFile::encodeName(fileName).toStdString(),
                             std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
        return true;
    } catch (const base::Error &error) {
        Platform::current().showError(this, QString::fromUtf8(error.what()));
        return false;
    }
}

std::optional<QByteArray> TChart::encodeImage(const char *format) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!renderImage(size()).save(&buffer, format))
        return std::nullopt;
    return bytes;
}

bool TChart::savePictureToFile(const QString &fileName) {
    return saveBytes(fileName, encodeImage("BMP"), "BMP");
}

void TChart::SaveToClipBoardN5Click() {
    copyPictureToClipboard();
}

void TChart::SaveToBMPFileN6Click() {
    const auto chosen = choosePicture(this, m_pictureDialog, renderImage(size()));
    if (!chosen)
        return;
    m_pictureDialog.fileName = *chosen;
    m_pictureDialog.initialDirectory = QFileInfo(*chosen).absolutePath();
    savePictureToFile(*chosen);
}

namespace {

// A gap (NaN) is an empty cell.
QString csvNumber(double value) {
    return std::isnan(value) ? QString() : QString::fromStdString(base::formatSignificant(value, 17));
}

QString csvField(const QString &text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n'))
        return text;
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

bool sameX(const TLineSeries *a, const TLineSeries *b) {
    if (a->count() != b->count())
        return false;
    for (int k = 0; k < a->count(); ++k)
        if (a->point(k).x != b->point(k).x)
            return false;
    return true;
}

} // namespace

QString TChart::dataCsv() const {
    std::vector<const TLineSeries *> active;
    for (const TLineSeries *series : m_series)
        if (series->Active() && series->count() > 0)
            active.push_back(series);
    bool shared = !active.empty();
    for (const TLineSeries *series : active)
        shared = shared && sameX(active.front(), series);

    QStringList header;
    if (shared || active.empty())
        header << csvField(m_csvXHeader);
    for (const TLineSeries *series : active) {
        if (!shared)
            header << csvField(m_csvXHeader + " (" + series->caption() + ")");
        header << csvField(series->caption());
    }
    QString text = header.join(',') + '\n';
    int rows = 0;
    for (const TLineSeries *series : active)
        rows = std::max(rows, series->count());
    for (int k = 0; k < rows; ++k) {
        QStringList row;
        if (shared)
            row << csvNumber(active.front()->point(k).x);
        for (const TLineSeries *series : active) {
            const bool has = k < series->count();
            if (!shared)
                row << (has ? csvNumber(series->point(k).x) : QString());
            row << (has ? csvNumber(series->point(k).y) : QString());
        }
        text += row.join(',') + '\n';
    }
    return text;
}

bool TChart::saveDataToCsvFile(const QString &fileName) {
    return saveBytes(fileName, dataCsv().toUtf8(), "CSV");
}

bool TChart::savePictureToPngFile(const QString &fileName) {
    return saveBytes(fileName, encodeImage("PNG"), "PNG");
}

bool TChart::savePictureToSvgFile(const QString &fileName) {
    return saveBytes(fileName, encodeSvg(), "SVG");
}

std::optional<QByteArray> TChart::encodeSvg() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size());
    generator.setViewBox(QRect(QPoint(0, 0), size()));
    generator.setTitle("pulsefir");
    clearPendingChanges();
    QPainter painter;
    if (!painter.begin(&generator))
        return std::nullopt;
    paintChart(painter, scene(size()), ChartDevice::Vector);
    if (!painter.end())
        return std::nullopt;
    return bytes;
}

std::optional<QString> TChart::askFileName(FileDialogRequest &dialog, bool picture) {
    if (dialog.initialDirectory.isEmpty())
        dialog.initialDirectory = m_pictureDialog.initialDirectory; // the picture dialog's folder at first
    // The picture dialogs show what will be written.
    const auto chosen = picture ? choosePicture(this, dialog, renderImage(size())) : chooseFile(this, dialog);
    if (chosen) {
        dialog.fileName = *chosen;
        dialog.initialDirectory = QFileInfo(*chosen).absolutePath();
    }
    return chosen;
}

void TChart::SaveToCSVFileN7Click() {
    if (const auto chosen = askFileName(m_dataDialog))
        saveDataToCsvFile(*chosen);
}

void TChart::SaveToPNGFileN8Click() {
    if (const auto chosen = askFileName(m_pngDialog, true))
        savePictureToPngFile(*chosen);
}

void TChart::SaveToSVGFileN9Click() {
    if (const auto chosen = askFileName(m_svgDialog, true))
        savePictureToSvgFile(*chosen);
}

} // namespace pulsefir::ui::widgets
