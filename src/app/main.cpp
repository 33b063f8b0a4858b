#include "DesktopDialogs.h"
#include "DesktopShell.h"
#include "MainWindow.h"
#include "MessageErrorSink.h"
#include "Texts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("namewick"));
    QApplication::setApplicationVersion(nw::versionText());
    nw::DesktopDialogs dialogs;
    nw::setDialogs(&dialogs);
    nw::DesktopShell shell;
    nw::setShell(&shell);
    nw::MessageErrorSink errors;
    nw::setErrorSink(&errors);
    int status = 0;
    {
        nw::MainWindow window;
        window.show();
        status = QApplication::exec();
    }
    nw::setErrorSink(nullptr);
    nw::setShell(nullptr);
    nw::setDialogs(nullptr);
    return status;
}
