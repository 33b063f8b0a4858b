#pragma once

#include <QString>

namespace nw::cli {

// A file name may hold control characters that move the cursor, recolour or retitle a terminal.
// On a terminal they are shown C-style: \a \b \t \n \v \f \r by letter, any other control
// character and every byte that is not UTF-8 as \xHH, one byte of the name each; a backslash is
// doubled so that the shown text reads back to one name only.
QString escapeControls(const QString& text);

// text as it goes to a stream: escaped on a terminal, the exact name anywhere else.
inline QString shownOn(bool terminal, const QString& text) {
    return terminal ? escapeControls(text) : text;
}

} // namespace nw::cli
