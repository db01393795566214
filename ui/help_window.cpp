#include "help_window.h"

#include <QUrl>
#include <QVBoxLayout>

// The guide's resource lives in this static library: registered by name, once, from the global
// namespace as Qt asks.
static void registerGuide() {
    Q_INIT_RESOURCE(help);
}

namespace pulsefir::ui {

namespace {
constexpr int GuideWidth = 820;  // px
constexpr int GuideHeight = 640; // px, fits a 1366 x 768 screen with its frame
} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    registerGuide();
    setObjectName("HelpWindow");
    setWindowTitle("Руководство пользователя");
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    GuideBrowser = new QTextBrowser(this);
    GuideBrowser->setObjectName("GuideBrowser");
    GuideBrowser->setOpenExternalLinks(true);
    GuideBrowser->setSource(guideUrl());
    layout->addWidget(GuideBrowser);
    resize(GuideWidth, GuideHeight);
}

QUrl HelpWindow::guideUrl() {
    return QUrl("qrc:/help/guide.html");
}

void HelpWindow::showChapter(const QString &chapter) {
    QUrl url = guideUrl();
    if (!chapter.isEmpty())
        url.setFragment(chapter);
    GuideBrowser->setSource(url);
    if (!chapter.isEmpty())
        GuideBrowser->scrollToAnchor(chapter);
    show();
    raise();
    activateWindow();
}

} // namespace pulsefir::ui
