#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include "chart_fixture.h"
#include "ui/widgets/chart_painter.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

class ChartExportTest : public ChartFixture {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(createChart()); }
    void cleanup() { destroyChart(); }

    void savedPictureIsTheZoomedViewAtTheChartsSize() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {400, 300});
        QTemporaryDir dir;
        const QString name = dir.filePath("picture"); // no extension
        QVERIFY(m_chart->savePictureToFile(name));
        QVERIFY(QFile::exists(name));
        QImageReader reader(name);
        QCOMPARE(reader.format(), QByteArray("bmp"));
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), m_chart->size());
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), m_chart->renderImage());
    }

    void unwritablePictureIsReported() {
        QVERIFY(!m_chart->savePictureToFile("/nonexistent-folder/picture.bmp"));
        QCOMPARE(platform().messages.size(), std::size_t(1));
        QCOMPARE(platform().messages[0].text,
                 QString("Unable to write to /nonexistent-folder/picture.bmp.\nнет такого файла или папки"));
    }

    // "Легенда" stays the menu's last item whatever a window adds, and switches a box naming
    // each series drawn, in the colour its points are drawn in, into a corner of the plot.
    void legendIsTheLastItemAndNamesEverySeries() {
        QMenu *menu = m_chart->popupMenu();
        menu->addAction("Экспорт фильтра…");
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().back()->objectName(), QString("LegendN11"));
        const QImage plain = m_chart->renderImage();
        line()->setCaption("Сигнал");
        menu->actions().back()->trigger();
        QVERIFY(m_chart->legendVisible());
        const QImage shown = m_chart->renderImage();
        QVERIFY(shown != plain);
        const ChartScene scene = m_chart->scene(m_chart->size());
        const QRect box = legendRect(scene);
        QVERIFY(scene.layout.plot.contains(box));
        // The sample line of the one series with points, black like its points.
        int black = 0;
        for (int x = box.left() + 4; x < box.left() + 24; ++x)
            black += shown.pixelColor(x, box.top() + box.height() / 2) == QColor(Qt::black);
        QVERIFY(black > 10);
        m_chart->setLegendVisible(false);
        QVERIFY(!menu->actions().back()->isChecked());
        QCOMPARE(m_chart->renderImage(), plain);
    }

    // Every picture dialog previews the chart as it will be written; the data dialog does not.
    void pictureDialogsPreviewTheChart() {
        platform().dialogAnswers = {std::nullopt, std::nullopt, std::nullopt, std::nullopt};
        m_chart->SaveToBMPFileN6Click();
        m_chart->SaveToPNGFileN8Click();
        m_chart->SaveToSVGFileN9Click();
        m_chart->SaveToCSVFileN7Click();
        QCOMPARE(platform().previews.size(), std::size_t(3));
        for (const QImage &preview : platform().previews)
            QCOMPARE(preview, m_chart->renderImage());
        QCOMPARE(platform().dialogRequests.size(), std::size_t(4));
    }

    void pictureMenuOffersClipboardAndFile() {
        const auto actions = m_chart->popupMenu()->actions();
        QCOMPARE(actions.size(), 9); // then "в CSV файл", "в PNG файл", "в SVG файл", a separator, "Легенда"
        QCOMPARE(actions[0]->text(), QString("Сохранить картинку"));
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QString("в буфер обмена"));
        QCOMPARE(actions[3]->text(), QString("в граф. файл"));
        QCOMPARE(actions[3]->objectName(), QString("SaveToBMPFileN6"));
        QVERIFY(actions[7]->isSeparator());
        QCOMPARE(actions[8]->text(), QString("Легенда"));
        QVERIFY(actions[8]->isCheckable());
        QVERIFY(!actions[8]->isChecked()); // off: the chart looks as designed

        actions[2]->trigger();
        QCOMPARE(QApplication::clipboard()->image().size(), m_chart->size());

        QTemporaryDir dir;
        const QString name = dir.filePath("chart.bmp");
        platform().dialogAnswers = {std::nullopt, name};
        actions[3]->trigger(); // cancelled
        QVERIFY(!QFile::exists(name));
        actions[3]->trigger();
        QVERIFY(QFile::exists(name));
        QCOMPARE(platform().dialogRequests.size(), std::size_t(2));
        const auto &request = platform().dialogRequests[0];
        QCOMPARE(request.title, QString("Записаь картинку в файл"));
        QCOMPARE(request.fileName, QString("NoName.bmp"));
        QCOMPARE(request.filter, QString("Bitmaps (*.bmp)"));
        QVERIFY(request.defaultSuffix.isEmpty());
        // The dialog previewed the picture it was about to write.
        QCOMPARE(platform().previews.size(), std::size_t(2));
        QCOMPARE(platform().previews[1], m_chart->renderImage());
    }

    void dataCsvHasOneColumnPerActiveSeries_data() {
        QTest::addColumn<bool>("sharedX");
        QTest::addColumn<bool>("secondActive");
        QTest::addColumn<QString>("expected");
        QTest::newRow("shared x, one x column")
            << true << true << "Индекс,Сигнал,\"Отклик, желаемый\"\n0,0,1\n1,0.5,0.10000000000000001\n";
        QTest::newRow("different x, a column pair per series")
            << false << true
            << "Индекс (Сигнал),Сигнал,\"Индекс (Отклик, желаемый)\",\"Отклик, желаемый\"\n0,0,-5,1\n1,0.5,,\n";
        QTest::newRow("hidden series left out") << true << false << "Индекс,Сигнал\n0,0\n1,0.5\n";
    }

    void dataCsvHasOneColumnPerActiveSeries() {
        QFETCH(bool, sharedX);
        QFETCH(bool, secondActive);
        QFETCH(QString, expected);
        line()->clearPoints();
        line()->addPoint(0, 0, Qt::black);
        line()->addPoint(1, 0.5, Qt::black);
        TLineSeries *second = m_chart->series(1);
        second->addPoint(sharedX ? 0 : -5, 1, Qt::red);
        if (sharedX)
            second->addPoint(1, 0.1, Qt::red);
        second->setActive(secondActive);
        m_chart->setCsvXHeader("Индекс");
        line()->setCaption("Сигнал");
        second->setCaption("Отклик, желаемый"); // a comma in a caption is quoted
        QCOMPARE(m_chart->dataCsv(), expected);
    }

    void menuWritesDataAndPictures() {
        const auto actions = m_chart->popupMenu()->actions();
        QCOMPARE(actions[4]->text(), QString("в CSV файл"));
        QCOMPARE(actions[5]->text(), QString("в PNG файл"));
        QCOMPARE(actions[6]->text(), QString("в SVG файл"));
        QTemporaryDir dir;
        const QString csv = dir.filePath("data.csv");
        const QString png = dir.filePath("chart.png");
        const QString svg = dir.filePath("chart.svg");
        platform().dialogAnswers = {csv, png, std::nullopt, svg};
        actions[4]->trigger();
        actions[5]->trigger();
        actions[6]->trigger(); // cancelled
        QVERIFY(!QFile::exists(svg));
        actions[6]->trigger();

        QFile data(csv);
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = data.readAll().split('\n');
        QCOMPARE(rows[0], QByteArray("x,Series1")); // Series2 has no points: no column
        QCOMPARE(rows.size(), 101 + 2);             // header, 101 points, the final empty piece
        QCOMPARE(rows[101], QByteArray("100,50"));

        QImageReader reader(png);
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.read().convertToFormat(QImage::Format_RGB32), m_chart->renderImage());

        QSvgRenderer vector(svg);
        QVERIFY(vector.isValid());
        QCOMPARE(vector.viewBox(), QRect(QPoint(0, 0), m_chart->size()));
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        QVERIFY(svgFile.readAll().contains("<polyline"));
        QCOMPARE(platform().dialogRequests[2].filter, QString("SVG (*.svg)"));
        QVERIFY(!QFile::exists(dir.filePath("unwritten")));
    }

    void rightClickOpensTheMenu() {
        sendMouse(m_chart.get(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, {200, 150});
        sendMouse(m_chart.get(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, {200, 150});
        QTRY_VERIFY(m_chart->popupMenu()->isVisible());
        m_chart->popupMenu()->hide();
    }
};

QObject *makeChartExportTest() {
    return new ChartExportTest;
}

#include "test_chart_export.moc"
