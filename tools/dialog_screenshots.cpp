// Saves a picture of each dialog into the folder given as the first argument.
#include "about/AboutDialog.h"
#include "about/UpdateWindow.h"
#include "errors/ErrorDialog.h"
#include "errors/ErrorSubmitWindow.h"
#include "support/PageServer.h"

#include <QApplication>
#include <QDir>

using namespace nw;

namespace {

bool save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    QCoreApplication::processEvents();
    return widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    bool ok = true;

    AboutDialog startUp(AboutRole::StartUp);
    ok &= save(startUp, folder, QStringLiteral("frmAbout-startup"));
    AboutDialog about(AboutRole::About);
    ok &= save(about, folder, QStringLiteral("frmAbout-about"));

    ErrorDialog error;
    error.fill(QStringLiteral("frmMain"), QStringLiteral("FakeError_Click"),
               ErrorInfo::make(ErrFormShownModally));
    ok &= save(error, folder, QStringLiteral("frmError"));

    test::PageServer server(200, "<html><body><h3>Namewick Finder</h3><p>You are running the "
                                 "latest version.</p></body></html>");
    UpdateWindow update(nullptr, server.url("/update.php?sw=namewick"));
    test::waitForPage(update.page());
    ok &= save(update, folder, QStringLiteral("Browser"));

    test::PageServer reports(500, "<h1>Internal Server Error</h1><p>The report could not be "
                                  "stored.</p>");
    ErrorSubmitWindow submit(reports.url("/sw_errors.php?a=namewick&o="));
    test::waitForPage(submit.page());
    ok &= save(submit, folder, QStringLiteral("errSubmit"));
    return ok ? 0 : 1;
}
