#include "cli/TerminalText.h"

namespace nw::cli {

namespace {

void appendByte(QString& out, unsigned byte) {
    out += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

} // namespace

QString escapeControls(const QString& text) {
    static constexpr char Letters[] = "abtnvfr"; // \a (7) to \r (13)
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\') {
            out += QLatin1String("\\\\");
        } else if (u >= '\a' && u <= '\r') {
            out += QLatin1Char('\\');
            out += QLatin1Char(Letters[u - '\a']);
        } else if (u < 0x20 || u == 0x7f) {
            appendByte(out, u);
        } else if (u >= 0x80 && u <= 0x9f) {
            // C1 controls, as the two bytes UTF-8 writes them with.
            appendByte(out, 0xc2);
            appendByte(out, u);
        } else if (u >= 0xdc80 && u <= 0xdcff) {
            // A byte that did not decode (see PathCodec).
            appendByte(out, u - 0xdc00);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace nw::cli
