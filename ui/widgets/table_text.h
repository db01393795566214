#pragma once

#include <QChar>
#include <QString>

#include <optional>
#include <string_view>

class QTableWidget;
class QTableWidgetItem;

namespace pulsefir::ui::widgets {

// The kinds of quantity the windows' tables show, each with one number of significant digits
// wherever it appears, so that the same value reads the same in every table.
enum class Quantity {
    Amplitude,    // a peak, a residual: relative to the signal, no unit
    Microseconds, // times and durations
    Megahertz,    // frequencies
    Decibels,     // levels and ratios in dB
    Percent,      // relative widths
    Count,        // whole numbers: bits, samples, epochs
};

// The kind of a pulse metric by the unit its column name ends with ("peak_time_us",
// "side_level_db", "centre_frequency_mhz", "bandwidth_6db_percent"); Amplitude without one.
Quantity quantityOfMetric(std::string_view column);

// The significant digits of a kind; 0 for Count, which is shown as an integer.
int significantDigits(Quantity kind);

// A value as the tables show it: its kind's significant digits, `decimal` as the decimal mark
// and "E" before an exponent ("0,0003585", "1,5E-05"); a Count rounded to an integer; no value,
// or one that is not finite where the kind has no words for it, as "—".
QString quantityText(const std::optional<double> &value, Quantity kind, QChar decimal);
// The same with the user's decimal mark.
QString quantityText(const std::optional<double> &value, Quantity kind);

// The text of no value in a table.
inline const QString NoQuantity = QStringLiteral("—");

// A table whose cells never wrap: a text too long for its column is cut with an ellipsis and
// shown whole in its cell's tooltip (setTableText and setQuantityCell set it).
void keepCellsOnOneLine(QTableWidget *table);

// Sets a cell's text (creating its item where it has none) with the whole text as its tooltip;
// a text of several lines is joined into one. Returns the item.
QTableWidgetItem *setTableText(QTableWidget *table, int row, int column, const QString &text);

// Sets a cell to a value of a kind, after `prefix` (a mark such as "> "); the value and kind
// stay in the item (QuantityRole, KindRole), so that a check can tell how the text was made.
QTableWidgetItem *setQuantityCell(QTableWidget *table, int row, int column, const std::optional<double> &value,
                                  Quantity kind, const QString &prefix = {});

// Item data roles of a cell set by setQuantityCell: the value (absent for no value) and the kind.
constexpr int QuantityRole = 0x0100 + 40; // Qt::UserRole + 40
constexpr int KindRole = 0x0100 + 41;

} // namespace pulsefir::ui::widgets
