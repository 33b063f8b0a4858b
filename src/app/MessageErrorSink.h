#pragma once

#include "ErrorReport.h"

namespace nw {

// Shows every error report in a plain message box, until the error dialog takes over.
class MessageErrorSink : public ErrorSink {
public:
    void showError(const QString& module, const QString& procedure,
                   const ErrorInfo& error) override;
};

} // namespace nw
