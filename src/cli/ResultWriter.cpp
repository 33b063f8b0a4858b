#include "cli/ResultWriter.h"
#include "cli/TerminalText.h"
#include "platform/PathCodec.h"

namespace nw::cli {

namespace {

QByteArray csvField(const QString& text) {
    QByteArray bytes = encodeText(text);
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

// terminal: DEL and the C1 controls escaped too, which JSON itself lets through.
QByteArray jsonString(const QString& text, bool terminal = false) {
    QByteArray out = "\"";
    const qsizetype n = text.size();
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t u = text.at(k).unicode();
        switch (u) {
        case '"':
            out += "\\\"";
            continue;
        case '\\':
            out += "\\\\";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        const bool pair = QChar::isHighSurrogate(u) && k + 1 < n &&
                          QChar::isLowSurrogate(text.at(k + 1).unicode());
        const bool control = u < 0x20 || (terminal && (u == 0x7f || (u >= 0x80 && u <= 0x9f)));
        if (control || (QChar::isSurrogate(u) && !pair)) {
            // Control characters, and the bytes of a name that is not valid UTF-8.
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toLatin1();
            continue;
        }
        if (pair) {
            out += text.mid(k, 2).toUtf8();
            ++k;
        } else {
            out += QString(QChar(u)).toUtf8();
        }
    }
    return out + '"';
}

} // namespace

bool writeResults(Format format, ScanStatus status, const RowTable& rows, bool terminal,
                  const ResultSink& sink) {
    QByteArray out;
    // Handed on in pieces: the text of every row at once would take more memory than the rows.
    auto flushed = [&](bool last) {
        if (!last && out.size() < ResultPiece)
            return true;
        const bool taken = out.isEmpty() || sink(out);
        out.clear();
        return taken;
    };
    if (format == Format::Csv) {
        for (int c = 0; c < ColumnCount; ++c)
            out += (c ? "," : "") + ColumnKeys[size_t(c)].toLatin1();
        out += "\r\n";
        for (int r = 1; r <= rows.count(); ++r) {
            const std::array<QString, ColumnCount> cells = rows.cells(r);
            for (int c = 0; c < ColumnCount; ++c) {
                if (c)
                    out += ',';
                out += csvField(shownOn(terminal, cells[size_t(c)]));
            }
            out += "\r\n";
            if (!flushed(false))
                return false;
        }
        return flushed(true);
    }
    out += "{\"status\": " + jsonString(statusText(status)) +
           ", \"found\": " + QByteArray::number(rows.count()) + ", \"rows\": [";
    for (int r = 1; r <= rows.count(); ++r) {
        out += r > 1 ? ",\n  {" : "\n  {";
        const std::array<QString, ColumnCount> cells = rows.cells(r);
        for (int c = 0; c < ColumnCount; ++c) {
            if (c)
                out += ", ";
            out +=
                jsonString(ColumnKeys[size_t(c)]) + ": " + jsonString(cells[size_t(c)], terminal);
        }
        out += '}';
        if (!flushed(false))
            return false;
    }
    out += rows.count() == 0 ? "]}\n" : "\n]}\n";
    return flushed(true);
}

} // namespace nw::cli
