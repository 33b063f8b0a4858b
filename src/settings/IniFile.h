#pragma once

#include "platform/ErrorCodes.h"

#include <QString>

namespace nw {

// One INI file, read and written the way Windows profile files are: values stay raw (no escaping
// or quoting), section and key names match without regard to case, and a write changes only the
// line it concerns, so comments and lines we do not understand survive byte for byte.
//
// Every call reads the file afresh, so several objects (or programs) may share one file.
// Lines are read as UTF-8. On Windows a line that is not valid UTF-8 is read in the local 8-bit
// encoding (Latin-1 where that is UTF-8 too); elsewhere its other bytes are kept as the path
// codec keeps them, and written back as those bytes, so a folder name that is not UTF-8 stays
// the same folder. Written lines are UTF-8, without a byte-order mark; existing lines
// keep their own line ends, new ones take the file's (CR LF for a new file). The file is
// replaced as a whole through a temporary file, so a crash never leaves it half written.
class IniFile {
public:
    explicit IniFile(QString path)
        : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // The value of key in section, or defaultValue when the file, the section or the key is
    // missing. Leading blanks of the value are dropped, trailing ones kept (a folder name may
    // end in a blank). error, when given, is set only when the file exists but cannot be read.
    QString value(const QString& section, const QString& key, const QString& defaultValue = {},
                  ErrorInfo* error = nullptr) const;

    // Sets key in section, creating the file, the section and the key as needed. A new key goes
    // after the last key of its section, a new section at the end of the file. Names or a value
    // holding a line break are refused: they would split into lines of their own.
    ErrorInfo setValue(const QString& section, const QString& key, const QString& value);

    // Deletes the first key of that name in section. A missing file, section or key is success,
    // and the file is then not touched at all.
    ErrorInfo remove(const QString& section, const QString& key);

private:
    QString path_;
};

} // namespace nw
