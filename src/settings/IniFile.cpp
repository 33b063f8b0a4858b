#include "settings/IniFile.h"
#include "platform/PathCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <deque>
#include <vector>

namespace nw {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

qsizetype skipBlanks(const QString& text, qsizetype from) {
    while (from < text.size() && isBlank(text.at(from)))
        ++from;
    return from;
}

QString trimBlanks(const QString& text) {
    const qsizetype begin = skipBlanks(text, 0);
    qsizetype end = text.size();
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

bool isAscii(QByteArrayView bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

QString decodeLine(QByteArrayView bytes) {
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
#ifdef Q_OS_WIN
    // ConvertInitialBom: a decoder would otherwise drop a U+FEFF that begins a line.
    const auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    QStringDecoder utf8(QStringDecoder::Utf8, flags);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder local(QStringDecoder::System, flags);
    text = local(bytes);
    return local.hasError() ? QString::fromLatin1(bytes) : text;
#else
    // File names are bytes here: a folder whose name is not UTF-8 must read back as itself.
    return decodePath(bytes.toByteArray());
#endif
}

struct Line {
    enum Kind { Unread, Other, Section, Key };

    // Views into the document's bytes (or its added lines): a file of many lines must not cost
    // an allocation per line, as every read parses the file anew.
    QByteArrayView content; // the line without its line end
    QByteArrayView end;     // "\r\n", "\n", "\r", or empty for an unterminated last line
    Kind kind = Unread;     // lines are classified as a search reaches them
    QString name;
    QString value;
};

void classify(Line& line) {
    line.kind = Line::Other;
    const QString text = decodeLine(line.content);
    const qsizetype start = skipBlanks(text, 0);
    if (start == text.size() || text.at(start) == u';')
        return;
    if (text.at(start) == u'[') {
        const qsizetype close = text.indexOf(u']', start + 1);
        line.kind = Line::Section;
        line.name =
            trimBlanks(text.sliced(start + 1, (close < 0 ? text.size() : close) - start - 1));
        return;
    }
    const qsizetype equals = text.indexOf(u'=', start);
    if (equals < 0)
        return;
    line.kind = Line::Key;
    line.name = trimBlanks(text.sliced(start, equals - start));
    line.value = text.sliced(skipBlanks(text, equals + 1));
}

struct Place {
    qsizetype section = -1;
    qsizetype key = -1;
    qsizetype lastKey = -1; // the section's last key line
};

struct Document {
    QByteArray data;
    QByteArrayView bom;
    QByteArrayView newline = "\r\n";
    std::vector<Line> lines;
    std::deque<QByteArray> added; // storage of new and changed lines; a deque never moves them

    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    void parse(QByteArray bytes) {
        data = std::move(bytes);
        qsizetype pos = 0;
        if (data.startsWith("\xEF\xBB\xBF")) {
            bom = QByteArrayView(data).first(3);
            pos = 3;
        }
        lines.reserve(size_t(data.count('\n')) + 1);
        bool styleKnown = false;
        while (pos < data.size()) {
            const qsizetype feed = data.indexOf('\n', pos);
            const qsizetype next = feed < 0 ? data.size() : feed + 1;
            qsizetype contentEnd = feed < 0 ? data.size() : feed;
            if (contentEnd > pos && data.at(contentEnd - 1) == '\r')
                --contentEnd;
            Line line;
            line.content = QByteArrayView(data).sliced(pos, contentEnd - pos);
            line.end = QByteArrayView(data).sliced(contentEnd, next - contentEnd);
            if (!styleKnown && feed >= 0) {
                newline = line.end;
                styleKnown = true;
            }
            lines.push_back(std::move(line));
            pos = next;
        }
    }

    QByteArray bytes() const {
        QByteArray out;
        out.reserve(data.size() + 512);
        out.append(bom);
        for (const Line& line : lines)
            out.append(line.content).append(line.end);
        return out;
    }

    QByteArrayView keep(QByteArray bytes) { return added.emplace_back(std::move(bytes)); }

    // A read stops at the key; a write needs the section's last key too.
    enum Scan { UntilKey, WholeSection };

    Place find(const QString& section, const QString& key, Scan scan) {
        Place place;
        for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
            Line& line = lines[size_t(i)];
            if (line.kind == Line::Unread)
                classify(line);
            if (place.section < 0) {
                if (line.kind == Line::Section &&
                    line.name.compare(section, Qt::CaseInsensitive) == 0)
                    place.section = i;
                continue;
            }
            if (line.kind == Line::Section)
                break;
            if (line.kind != Line::Key)
                continue;
            place.lastKey = i;
            if (place.key < 0 && line.name.compare(key, Qt::CaseInsensitive) == 0) {
                place.key = i;
                if (scan == UntilKey)
                    break;
            }
        }
        return place;
    }

    void insert(qsizetype at, QByteArray content) {
        if (at == qsizetype(lines.size()) && !lines.empty() && !lines.back().end.endsWith('\n'))
            lines.back().end = newline;
        Line line;
        line.content = keep(std::move(content));
        line.end = newline;
        lines.insert(lines.begin() + at, std::move(line));
    }
};

// errno names the cause where the system set it; Qt's own error is the fallback.
ErrorInfo ioError(QFileDevice::FileError error, int err, const QString& path) {
    if (err != 0)
        return errorFromErrno(err, path, /*missingIsPath=*/true);
    switch (error) {
    case QFileDevice::PermissionsError:
        return ErrorInfo::make(ErrPermissionDenied, path);
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        return ErrorInfo::make(ErrDiskFull, path);
    default:
        break;
    }
    if (!QFileInfo(path).absoluteDir().exists())
        return ErrorInfo::make(ErrPathNotFound, path);
    return ErrorInfo::make(ErrPathFileAccess, path);
}

// A missing file reads as an empty document.
ErrorInfo load(const QString& path, Document& document) {
    QFile file(path);
    if (!file.exists())
        return {};
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int err = errno;
        return ioError(file.error(), err, path);
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const int err = errno;
        return ioError(file.error(), err, path);
    }
    document.parse(std::move(data));
    return {};
}

ErrorInfo save(const QString& path, const QByteArray& data) {
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isWritable())
        return ErrorInfo::make(ErrPermissionDenied, path);
    QSaveFile file(path);
    errno = 0;
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return {};
    const int err = errno;
    return ioError(file.error(), err, path);
}

} // namespace

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue,
                       ErrorInfo* error) const {
    Document document;
    if (const ErrorInfo failure = load(path_, document)) {
        if (error)
            *error = failure;
        return defaultValue;
    }
    const Place place = document.find(section, key, Document::UntilKey);
    return place.key < 0 ? defaultValue : document.lines[size_t(place.key)].value;
}

ErrorInfo IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        return ErrorInfo::make(ErrInvalidCall, path_);
    Document document;
    if (const ErrorInfo failure = load(path_, document))
        return failure;

    // Through the path codec: a name that is not UTF-8 keeps its bytes.
    const QByteArray entry = encodeText(key) + '=' + encodeText(value);
    const Place place = document.find(section, key, Document::WholeSection);
    if (place.key >= 0) {
        // The existing name keeps its spelling and spacing; only the value changes.
        Line& line = document.lines[size_t(place.key)];
        const QByteArray updated =
            line.content.first(line.content.indexOf('=') + 1).toByteArray() + encodeText(value);
        if (updated == line.content)
            return {};
        line.content = document.keep(updated);
    } else if (place.section >= 0) {
        document.insert(place.lastKey >= 0 ? place.lastKey + 1 : place.section + 1, entry);
    } else {
        document.insert(qsizetype(document.lines.size()), '[' + encodeText(section) + ']');
        document.insert(qsizetype(document.lines.size()), entry);
    }
    return save(path_, document.bytes());
}

ErrorInfo IniFile::remove(const QString& section, const QString& key) {
    Document document;
    if (const ErrorInfo failure = load(path_, document))
        return failure;
    const Place place = document.find(section, key, Document::WholeSection);
    if (place.key < 0)
        return {};
    document.lines.erase(document.lines.begin() + place.key);
    return save(path_, document.bytes());
}

} // namespace nw
