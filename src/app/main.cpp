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
    const nw::ScopedService dialogsInUse(nw::dialogsService(), &dialogs);
    nw::DesktopShell shell;
    const nw::ScopedService shellInUse(nw::shellService(), &shell);
    nw::ErrorDialogSink errors;
    const nw::ScopedService errorsInUse(nw::errorSinkService(), &errors);
    // Ends when the last window has closed.
    nw::StartUp startUp;
    return startUp.Main() ? QApplication::exec() : 1;
}
