#include <QApplication>
#include <QLocale>

#include "base/messages.h"
#include "ui/application.h"
#include "ui/widgets/platform.h"

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    // The windows' messages: the texts their design gives, Russian for the rest.
    pulsefir::base::setAudience(pulsefir::base::Audience::Windows);
    // The title of the error boxes; a display name would be appended to every window caption.
    QApplication::setApplicationName("Тривелан");
    // Closing the main window ends the program, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's file dialogs in the user's language when that is Russian, as the program itself.
    pulsefir::ui::widgets::installPlatformTranslation(app, QLocale::system());
    pulsefir::ui::Application program;
    // The dialogs start where the user last worked with them.
    program.rememberDialogFolders(pulsefir::ui::dialogFoldersFile());
    program.mainForm().show();
    // A project file named on the command line (a double click on it, the menu entry's %f) is
    // loaded as "Загрузить проект" would load it.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        program.openProjectFile(arguments.at(1));
    return QApplication::exec();
}
