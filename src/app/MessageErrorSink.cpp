#include "MessageErrorSink.h"
#include "Dialogs.h"

namespace nw {

void MessageErrorSink::showError(const QString& module, const QString& procedure,
                                 const ErrorInfo& error) {
    QString text = QStringLiteral("Module: %1\nProcedure: %2\nError %3: %4")
                       .arg(module, procedure)
                       .arg(error.number)
                       .arg(error.description);
    if (!error.detail.isEmpty())
        text += QStringLiteral("\n") + error.detail;
    showMessage(QStringLiteral("Error Message"), text, MessageButtons::Ok, MessageIcon::Critical);
}

} // namespace nw
