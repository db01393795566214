#include <QApplication>
#include <QLocale>
#include <QTest>

#include <memory>
#include <vector>

QObject *makeNumericFieldsTest(const QLocale &locale);
QObject *makeChartTest();
QObject *makePlatformTest();

// Runs every test class; the separator-sensitive ones once under a comma and once under a
// point locale.
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (const QLocale &locale :
         {QLocale(QLocale::Russian, QLocale::Russia), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        std::unique_ptr<QObject> test(makeNumericFieldsTest(locale));
        failures += QTest::qExec(test.get(), argc, argv);
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    std::unique_ptr<QObject> chart(makeChartTest());
    failures += QTest::qExec(chart.get(), argc, argv);
    std::unique_ptr<QObject> platform(makePlatformTest());
    failures += QTest::qExec(platform.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
