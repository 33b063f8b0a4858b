#pragma once

#include "platform/ErrorCodes.h"

#include <QString>

namespace nw {

// The value of a number box. A text that does not read is not an error until the scan needs
// the value, so the result carries the error instead of raising it.
struct NumberValue {
    qint16 value = 0;
    ErrorInfo error;
    bool ok() const { return error.ok(); }
};

// Blanks around the number are ignored, a fraction rounds to the nearest integer with halves to
// the even neighbour, and a text that is no number ("Type mismatch") or lies outside the 16-bit
// range ("Overflow") is an error.
NumberValue readNumericBox(const QString& text);

} // namespace nw
