#include "core/ErrorReport.h"
#include "core/Flags.h"

#include <QDebug>

namespace nw {

namespace {
ErrorSink* currentSink = nullptr;
}

ErrorSink* setErrorSink(ErrorSink* sink) {
    ErrorSink* previous = currentSink;
    currentSink = sink;
    return previous;
}

void ReportError(const QString& module, const QString& procedure, const ErrorInfo& error) {
    if (currentSink)
        currentSink->showError(module, procedure, error);
    else
        qWarning().noquote() << module << procedure << error.number << error.description
                             << error.detail;
    StopFlag = true;
}

} // namespace nw
