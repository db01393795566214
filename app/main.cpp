#include <QApplication>

#include "ui/Application.h"

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // The title of the error boxes; a display name would be appended to every window caption.
    QApplication::setApplicationName("Тривелан");
    // Closing the main window ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    pulsefir::ui::Application program;
    program.mainForm().show();
    return QApplication::exec();
}
