#pragma once

#include <QByteArray>
#include <QString>

namespace nw {

// File names on Linux are bytes. Names that are not valid UTF-8 would be skipped or mangled by
// Qt's own decoding, so every byte that does not decode is kept as a lone surrogate U+DC80 to
// U+DCFF and turned back into that byte on the way out: every listed file can be opened again.
QString decodePath(const QByteArray& bytes);
QByteArray encodePath(const QString& path);

// The same encoding for texts written to logs and reports: a name's original bytes survive.
inline QByteArray encodeText(const QString& text) {
    return encodePath(text);
}

} // namespace nw
