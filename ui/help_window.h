#pragma once

#include <QTextBrowser>
#include <QWidget>

namespace pulsefir::ui {

// The user guide in Russian, built into the program: F1 in any window and the main window's
// "?" button open it at the chapter of that window.
class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the guide at `chapter` (an anchor of the guide: a window's object name such as
    // "FilterForm"; empty: the beginning) and brings it to the front.
    void showChapter(const QString &chapter);

    QTextBrowser *GuideBrowser;

    // Where the guide lives among the program's resources.
    static QUrl guideUrl();
};

} // namespace pulsefir::ui
