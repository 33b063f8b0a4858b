#include "MainWindow.h"
#include "Texts.h"

namespace nw {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle);
    resize(763, 469);
}

} // namespace nw
