#include "AboutDialog.h"
#include "ErrorReport.h"
#include "Failure.h"
#include "Links.h"
#include "MainWindow.h"
#include "Shell.h"
#include "UpdateWindow.h"

#include <QAction>

namespace nw {

namespace {

const QString Form = QStringLiteral("frmMain");

template <typename Handler> void reported(const char* procedure, Handler handler) {
    try {
        handler();
    } catch (...) {
        ReportError(Form, QString::fromLatin1(procedure), currentFailure());
    }
}

} // namespace

void MainWindow::connectHelpMenu() {
    const struct {
        const char* name;
        void (MainWindow::*handler)();
    } items[] = {{"About", &MainWindow::aboutClick},
                 {"HomePage", &MainWindow::homePageClick},
                 {"UpdateCheck", &MainWindow::updateCheckClick},
                 {"OrloNews", &MainWindow::orloNewsClick},
                 {"FakeError", &MainWindow::fakeErrorClick}};
    for (const auto& item : items) {
        auto* action = findChild<QAction*>(QString::fromLatin1(item.name));
        Q_ASSERT_X(action, "MainWindow::connectHelpMenu", item.name);
        connect(action, &QAction::triggered, this, item.handler);
    }
}

void MainWindow::aboutClick() {
    reported("About_Click", [this] { AboutDialog::showAbout(this); });
}

void MainWindow::homePageClick() {
    reported("HomePage_Click", [] { OpenURL(homePageUrl()); });
}

void MainWindow::updateCheckClick() {
    reported("UpdateCheck_Click", [this] { UpdateWindow::check(this); });
}

void MainWindow::orloNewsClick() {
    // Without a mail program the desktop shows what it shows; the result is not used.
    reported("OrloNews_Click", [] { openUrl(newsletterUrl()); });
}

void MainWindow::fakeErrorClick() {
    ReportError(Form, QStringLiteral("FakeError_Click"), ErrorInfo::make(ErrFormShownModally));
}

} // namespace nw
