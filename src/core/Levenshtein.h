#pragma once

#include "core/Yield.h"

#include <QString>

namespace nw {

// Edit distance of two texts over 16-bit character units, case-sensitive. Returns 0 at once when
// StopFlag is raised; a text longer than 32767 units is reported as an overflow and gives 0.
qint16 LD(const QString& s, const QString& t, const Yielder& yield = {});

qint16 Minimum(qint16 a, qint16 b, qint16 c);

} // namespace nw
