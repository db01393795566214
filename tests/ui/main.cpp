#include <QApplication>
#include <QTest>

#include <memory>

QObject *makeWindowsTest();
QObject *makeProjectFlowsTest();
QObject *makeSettingsBindingTest();
QObject *makeWorkFlowsTest();
QObject *makeStaleMarksTest();

// Runs every test class of the windows.
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (QObject *(*make)() :
         {makeWindowsTest, makeProjectFlowsTest, makeSettingsBindingTest, makeWorkFlowsTest, makeStaleMarksTest}) {
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
