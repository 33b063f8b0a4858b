#pragma once

#include <QPixmap>

namespace nw {

// The picture beside the about text.
QPixmap aboutPicture(QSize size);
// The 60 x 28 donation button face.
QPixmap donateButtonPicture();

} // namespace nw
