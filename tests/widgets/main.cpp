#include <QApplication>
#include <QLocale>
#include <QTest>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "c_locale.h"

QObject *makeFloatFieldTest(const QLocale &locale);
QObject *makeIntegerFieldTest(const QLocale &locale);
QObject *makeFieldBehaviourTest(const QLocale &locale);
QObject *makeChartSeriesTest();
QObject *makeChartTest();
QObject *makeChartPainterTest();
QObject *makeChartExportTest();
QObject *makePlatformTest();
QObject *makeTableTextTest();

// Runs every test class; the separator-sensitive ones once under a comma and once under a
// point locale.
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (const std::string mismatch = cLocaleMismatch(); !mismatch.empty()) {
        std::fputs(("locale: " + mismatch + "\n").c_str(), stderr);
        return 1;
    }
    int failures = 0;
    for (const QLocale &locale :
         {QLocale(QLocale::Russian, QLocale::Russia), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        for (auto makeTest : {makeFloatFieldTest, makeIntegerFieldTest, makeFieldBehaviourTest}) {
            std::unique_ptr<QObject> test(makeTest(locale));
            failures += QTest::qExec(test.get(), argc, argv);
        }
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    for (QObject *(*make)() : {makeChartSeriesTest, makeChartTest, makeChartPainterTest, makeChartExportTest,
                               makePlatformTest, makeTableTextTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
