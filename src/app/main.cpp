#include "MainWindow.h"
#include "Texts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("namewick"));
    QApplication::setApplicationDisplayName(nw::AppTitle);
    QApplication::setApplicationVersion(nw::versionText());
    nw::MainWindow window;
    window.show();
    return QApplication::exec();
}
