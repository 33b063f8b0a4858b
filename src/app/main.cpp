#include "app/StartUp.h"
#include "core/Texts.h"
#include "errors/ErrorDialog.h"
#include "platform/desktop/DesktopDialogs.h"
#include "platform/desktop/DesktopShell.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("namewick"));
    QApplication::setApplicationVersion(nw::versionText());
    // Lets the desktop match the window to its entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(NAMEWICK_APP_ID));
    nw::DesktopDialogs dialogs;
    nw::setDialogs(&dialogs);
    nw::DesktopShell shell;
    nw::setShell(&shell);
    nw::ErrorDialogSink errors;
    nw::setErrorSink(&errors);
    int status = 0;
    {
        // Ends when the last window has closed.
        nw::StartUp startUp;
        status = startUp.Main() ? QApplication::exec() : 1;
    }
    nw::setErrorSink(nullptr);
    nw::setShell(nullptr);
    nw::setDialogs(nullptr);
    return status;
}
