#include "about/AboutDialog.h"
#include "about/UpdateWindow.h"
#include "core/ErrorReport.h"
#include "platform/Shell.h"
#include "ui/Handled.h"
#include "ui/MainWindow.h"
#include "widgets/Links.h"

#include <QAction>

namespace nw {

void MainWindow::connectHelpMenu() {
    const struct {
        const char* name;
        void (MainWindow::*handler)();
    } items[] = {{"About", &MainWindow::aboutClick},
                 {"HomePage", &MainWindow::homePageClick},
                 {"UpdateCheck", &MainWindow::updateCheckClick},
                 {"OrloNews", &MainWindow::newsletterClick},
                 {"FakeError", &MainWindow::fakeErrorClick}};
    for (const auto& item : items) {
        connect(control<QAction>(item.name), &QAction::triggered, this, item.handler);
    }
}

void MainWindow::aboutClick() {
    handled("About_Click", [this] { AboutDialog::showAbout(this); });
}

void MainWindow::homePageClick() {
    handled("HomePage_Click", [] { OpenURL(homePageUrl()); });
}

void MainWindow::updateCheckClick() {
    handled("UpdateCheck_Click", [this] { UpdateWindow::check(this); });
}

void MainWindow::newsletterClick() {
    // Without a mail program the desktop shows what it shows; the result is not used.
    handled("OrloNews_Click", [] { openUrl(newsletterUrl()); });
}

void MainWindow::fakeErrorClick() {
    ReportError(QStringLiteral("frmMain"), QStringLiteral("FakeError_Click"),
                ErrorInfo::make(ErrFormShownModally));
}

} // namespace nw
