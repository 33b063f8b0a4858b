#pragma once

#include <QIcon>

namespace nw {

// The window icon: two name tags under a magnifying glass, drawn at 48 x 48.
QIcon appIcon();

} // namespace nw
