#pragma once

#include "ErrorCodes.h"

namespace nw {

// The exception being handled as an error report; call only inside a catch block.
ErrorInfo currentFailure();

} // namespace nw
