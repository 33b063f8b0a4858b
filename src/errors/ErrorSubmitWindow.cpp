#include "errors/ErrorSubmitWindow.h"
#include "widgets/DialogLook.h"
#include "widgets/PageView.h"

namespace nw {

ErrorSubmitWindow::ErrorSubmitWindow(const QUrl& address, QWidget* parent)
    : QDialog(parent, look::ToolWindowFlags) {
    look::setUpToolWindow(*this, QStringLiteral("errSubmit"),
                          QStringLiteral("Submit this error via Internet"), 6780, 3795);
    page_ = new PageView(this);
    page_->setObjectName(QStringLiteral("WebBrowser1"));
    page_->setGeometry(look::place(0, 0, 6750, 3780));
    page_->navigate(address);
}

} // namespace nw
