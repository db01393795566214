#include "table_text.h"

#include <QTableWidget>

#include <cmath>
#include <string>

#include "base/number_text.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui::widgets {

namespace {

// Four significant digits tell a pulse's metrics apart to a tenth of a percent, which is as far
// as the estimates from a sampled pulse go, and keep every column narrow.
constexpr int MeasuredDigits = 4;

} // namespace

Quantity quantityOfMetric(std::string_view column) {
    const auto endsWith = [column](std::string_view unit) {
        return column.size() > unit.size() && column.substr(column.size() - unit.size()) == unit;
    };
    if (endsWith("_us"))
        return Quantity::Microseconds;
    if (endsWith("_mhz"))
        return Quantity::Megahertz;
    if (endsWith("_db"))
        return Quantity::Decibels;
    if (endsWith("_percent"))
        return Quantity::Percent;
    return Quantity::Amplitude;
}

int significantDigits(Quantity kind) {
    switch (kind) {
    case Quantity::Amplitude:
    case Quantity::Microseconds:
    case Quantity::Megahertz:
    case Quantity::Decibels:
    case Quantity::Percent:
        return MeasuredDigits;
    case Quantity::Count:
        return 0;
    }
    return MeasuredDigits;
}

QString quantityText(const std::optional<double> &value, Quantity kind, QChar decimal) {
    if (!value || std::isnan(*value))
        return NoQuantity;
    if (std::isinf(*value))
        return *value > 0 ? QStringLiteral("∞") : QStringLiteral("-∞");
    if (kind == Quantity::Count)
        return QString::fromStdString(base::formatInteger(std::llround(*value)));
    QString text = QString::fromStdString(base::formatSignificant(*value, significantDigits(kind)));
    return text.replace('.', decimal.isNull() ? QChar('.') : decimal).replace('e', 'E');
}

QString quantityText(const std::optional<double> &value, Quantity kind) {
    return quantityText(value, kind, NumberSeparators::current().decimal);
}

void keepCellsOnOneLine(QTableWidget *table) {
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideRight);
}

QTableWidgetItem *setTableText(QTableWidget *table, int row, int column, const QString &text) {
    QTableWidgetItem *item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        table->setItem(row, column, item);
    }
    QString line = text;
    line.replace('\n', ' ');
    item->setText(line);
    item->setToolTip(line);
    return item;
}

QTableWidgetItem *setQuantityCell(QTableWidget *table, int row, int column, const std::optional<double> &value,
                                  Quantity kind, const QString &prefix) {
    QTableWidgetItem *item = setTableText(table, row, column, prefix + quantityText(value, kind));
    item->setData(QuantityRole, value ? QVariant(*value) : QVariant());
    item->setData(KindRole, static_cast<int>(kind));
    return item;
}

} // namespace pulsefir::ui::widgets
