#pragma once

#include "core/Failure.h"

#include <utility>

namespace nw {

// Runs a handler of the main window; whatever it throws is reported under its procedure name
// and ends it, as every handler's failures are.
template <typename Body> void handled(const char* procedure, Body&& body) {
    reportingFailures(QStringLiteral("frmMain"), procedure, std::forward<Body>(body));
}

} // namespace nw
