#pragma once

#include "platform/ErrorCodes.h"
#include "platform/ScopedService.h"

#include <QString>

namespace nw {

// Where failures go: each front end shows them its own way (a dialog, a line on stderr).
class ErrorSink {
public:
    virtual ~ErrorSink() = default;
    // Returns once the user has seen the report.
    virtual void showError(const QString& module, const QString& procedure,
                           const ErrorInfo& error) = 0;
};

// The sink in use. Without a sink reports go to the debug log.
Service<ErrorSink*>& errorSinkService();

// Shows the report, then raises StopFlag so that a running scan ends at its next check.
void ReportError(const QString& module, const QString& procedure, const ErrorInfo& error);

} // namespace nw
