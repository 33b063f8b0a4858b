#include "cli/ResultWriter.h"
#include "cli/TerminalText.h"
#include "core/IndexTools.h"
#include "core/Texts.h"
#include "platform/PathCodec.h"

#include <algorithm>

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

namespace {

// Rows a piece holds. Pieces are made two at a time, one on a helper thread: the texts of a
// million rows take longer to make than the scan that found them.
constexpr int PieceRows = 8192;

QByteArray rowsText(Format format, const RowTable& rows, int from, int to, bool terminal) {
    QByteArray out;
    const QLocale locale = numberLocale();
    for (int r = from; r < to; ++r) {
        const std::array<QString, ColumnCount> cells = rows.cells(r, locale);
        if (format == Format::Csv) {
            for (int c = 0; c < ColumnCount; ++c) {
                if (c)
                    out += ',';
                out += csvField(shownOn(terminal, cells[size_t(c)]));
            }
            out += "\r\n";
            continue;
        }
        out += r > 1 ? ",\n  {" : "\n  {";
        for (int c = 0; c < ColumnCount; ++c) {
            if (c)
                out += ", ";
            out +=
                jsonString(ColumnKeys[size_t(c)]) + ": " + jsonString(cells[size_t(c)], terminal);
        }
        out += '}';
    }
    return out;
}

} // namespace

bool writeResults(Format format, ScanStatus status, const RowTable& rows, bool terminal,
                  const ResultSink& sink, const std::function<void(int)>& written) {
    QByteArray head;
    if (format == Format::Csv) {
        for (int c = 0; c < ColumnCount; ++c)
            head += (c ? "," : "") + ColumnKeys[size_t(c)].toLatin1();
        head += "\r\n";
    } else {
        head += "{\"status\": " + jsonString(statusText(status)) +
                ", \"found\": " + QByteArray::number(rows.count()) + ", \"rows\": [";
    }
    if (!sink(head))
        return false;
    const int end = rows.count() + 1;
    for (int from = 1; from < end; from += 2 * PieceRows) {
        const int middle = std::min(end, from + PieceRows);
        QByteArray second;
        Beside helper([&] {
            second = rowsText(format, rows, middle, std::min(end, middle + PieceRows), terminal);
        });
        const QByteArray first = rowsText(format, rows, from, middle, terminal);
        helper.join();
        if (!sink(first) || (!second.isEmpty() && !sink(second)))
            return false;
        if (written)
            written(std::min(end, middle + PieceRows) - 1);
    }
    if (format == Format::Json)
        return sink(rows.count() == 0 ? "]}\n" : "\n]}\n");
    return true;
}

} // namespace nw::cli
