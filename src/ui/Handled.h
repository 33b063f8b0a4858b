#pragma once

#include "ErrorReport.h"
#include "Failure.h"

#include <QString>

namespace nw {

// Runs a handler of the main window; whatever it throws is reported under its procedure name
// and ends it, as every handler's failures are.
template <typename Body> void handled(const char* procedure, Body&& body) {
    try {
        body();
    } catch (...) {
        ReportError(QStringLiteral("frmMain"), QString::fromLatin1(procedure), currentFailure());
    }
}

} // namespace nw
