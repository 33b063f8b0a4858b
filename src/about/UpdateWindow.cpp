#include "about/UpdateWindow.h"
#include "core/ErrorReport.h"
#include "core/Failure.h"
#include "widgets/DialogLook.h"
#include "widgets/Links.h"
#include "widgets/Modal.h"
#include "widgets/PageView.h"

namespace nw {

UpdateWindow::UpdateWindow(QWidget* parent, const QUrl& address)
    : QDialog(parent, look::ToolWindowFlags) {
    look::setUpToolWindow(*this, QStringLiteral("Browser"), QStringLiteral("Update Status"), 4680,
                          2520);
    page_ = new PageView(this);
    page_->setObjectName(QStringLiteral("WebBrowser1"));
    // Reaches past the client area, so the view's own border lies outside it.
    page_->setGeometry(look::place(-15, -15, 4710, 2565));
    formLoad(address.isEmpty() ? updateUrl() : address);
}

void UpdateWindow::formLoad(const QUrl& address) {
    try {
        if (!address.isValid()) {
            ReportError(QStringLiteral("Browser"), QStringLiteral("Form_Load"),
                        ErrorInfo::make(ErrInvalidCall, address.toString()));
            return;
        }
        page_->navigate(address);
    } catch (...) {
        ReportError(QStringLiteral("Browser"), QStringLiteral("Form_Load"), currentFailure());
    }
}

void UpdateWindow::check(QWidget* parent) {
    UpdateWindow window(parent);
    runModal(window);
}

} // namespace nw
