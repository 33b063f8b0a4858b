#include "core/ErrorReport.h"
#include "core/Flags.h"

#include <QDebug>

namespace nw {

Service<ErrorSink*>& errorSinkService() {
    static Service<ErrorSink*> sink;
    return sink;
}

void ReportError(const QString& module, const QString& procedure, const ErrorInfo& error) {
    if (ErrorSink* sink = errorSinkService().get())
        sink->showError(module, procedure, error);
    else
        qWarning().noquote() << module << procedure << error.number << error.description
                             << error.detail;
    StopFlag = true;
}

} // namespace nw
