#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

#include <cmath>
#include <limits>
#include <optional>

#include "ui/widgets/table_text.h"

using namespace pulsefir::ui::widgets;

namespace {

class TableTextTest : public QObject {
    Q_OBJECT
  private slots:
    // One number of digits per kind, whatever the table: four significant digits for every
    // measured kind, integers for counts; the decimal mark as given, "E" before an exponent.
    void quantityText_data() {
        QTest::addColumn<Quantity>("kind");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("point");
        QTest::addColumn<QString>("comma");
        QTest::newRow("small amplitude, no wrap") << Quantity::Amplitude << 0.000358512 << "0.0003585"
                                                  << "0,0003585";
        QTest::newRow("amplitude rounds up") << Quantity::Amplitude << 0.99996 << "1"
                                             << "1";
        QTest::newRow("tiny residual") << Quantity::Amplitude << 1.23456e-7 << "1.235E-07"
                                       << "1,235E-07";
        QTest::newRow("time in µs") << Quantity::Microseconds << 12.34567 << "12.35"
                                    << "12,35";
        QTest::newRow("long time") << Quantity::Microseconds << 123456.0 << "1.235E+05"
                                   << "1,235E+05";
        QTest::newRow("frequency in MHz") << Quantity::Megahertz << 2.5003 << "2.5"
                                          << "2,5";
        QTest::newRow("level in dB") << Quantity::Decibels << -35.2749 << "-35.27"
                                     << "-35,27";
        QTest::newRow("infinite SNR") << Quantity::Decibels << std::numeric_limits<double>::infinity() << "∞"
                                      << "∞";
        QTest::newRow("not a number") << Quantity::Decibels << std::nan("") << "—"
                                      << "—";
        QTest::newRow("percent") << Quantity::Percent << 45.678 << "45.68"
                                 << "45,68";
        QTest::newRow("count") << Quantity::Count << 12.0 << "12"
                               << "12";
        QTest::newRow("negative count") << Quantity::Count << -3.0 << "-3"
                                        << "-3";
    }
    void quantityText() {
        QFETCH(Quantity, kind);
        QFETCH(double, value);
        QFETCH(QString, point);
        QFETCH(QString, comma);
        QCOMPARE(pulsefir::ui::widgets::quantityText(value, kind, '.'), point);
        QCOMPARE(pulsefir::ui::widgets::quantityText(value, kind, ','), comma);
        QCOMPARE(pulsefir::ui::widgets::quantityText(std::nullopt, kind, ','), NoQuantity);
    }

    // A metric's kind by its column's unit.
    void metricKinds_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<Quantity>("kind");
        QTest::newRow("peak") << "peak" << Quantity::Amplitude;
        QTest::newRow("time") << "peak_time_us" << Quantity::Microseconds;
        QTest::newRow("level") << "side_level_db" << Quantity::Decibels;
        QTest::newRow("frequency") << "upper_frequency_mhz" << Quantity::Megahertz;
        QTest::newRow("percent") << "bandwidth_6db_percent" << Quantity::Percent;
        QTest::newRow("unit alone") << "_us" << Quantity::Amplitude;
    }
    void metricKinds() {
        QFETCH(QString, column);
        QFETCH(Quantity, kind);
        QCOMPARE(quantityOfMetric(column.toStdString()), kind);
    }

    // A cell keeps its text on one line, cut with its whole text in the tooltip, and tells how it
    // was made.
    void cellsStayOnOneLine() {
        QTableWidget table(1, 2);
        keepCellsOnOneLine(&table);
        QVERIFY(!table.wordWrap());
        QCOMPARE(table.textElideMode(), Qt::ElideRight);
        setTableText(&table, 0, 0, "два\nслова");
        QCOMPARE(table.item(0, 0)->text(), QString("два слова"));
        QCOMPARE(table.item(0, 0)->toolTip(), QString("два слова"));
        QTableWidgetItem *cell = setQuantityCell(&table, 0, 1, 0.000358512, Quantity::Amplitude, "> ");
        QCOMPARE(cell->text(), "> " + pulsefir::ui::widgets::quantityText(0.000358512, Quantity::Amplitude));
        QCOMPARE(cell->toolTip(), cell->text());
        QCOMPARE(cell->data(QuantityRole).toDouble(), 0.000358512);
        QCOMPARE(cell->data(KindRole).toInt(), static_cast<int>(Quantity::Amplitude));
        setQuantityCell(&table, 0, 1, std::nullopt, Quantity::Amplitude);
        QCOMPARE(table.item(0, 1), cell); // the item is kept, with its alignment and colours
        QVERIFY(!cell->data(QuantityRole).isValid());
        QCOMPARE(cell->text(), NoQuantity);
    }
};

} // namespace

QObject *makeTableTextTest() {
    return new TableTextTest;
}

#include "test_table_text.moc"
