#pragma once

#include "core/ErrorReport.h"
#include "platform/ErrorCodes.h"

#include <QString>

namespace nw {

// The exception being handled as an error report; call only inside a catch block.
ErrorInfo currentFailure();

// Runs a handler; whatever it throws is reported under its module and procedure and ends it.
template <typename Body>
void reportingFailures(const QString& module, const char* procedure, Body&& body) {
    try {
        body();
    } catch (...) {
        ReportError(module, QString::fromLatin1(procedure), currentFailure());
    }
}

} // namespace nw
