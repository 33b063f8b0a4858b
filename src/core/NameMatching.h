#pragma once

#include "core/NumericBox.h"
#include "core/ScanSettings.h"
#include "core/Yield.h"

#include <QString>

namespace nw {

// An error in the scan's own steps: it ends the scan with "Error".
struct ScanError {
    ErrorInfo error;
};

struct SplitName {
    QString folder;    // up to and including the last separator
    QString name;      // as listed
    QString extension; // from the last dot, upper-cased; empty without a dot
};

SplitName SplitPath(const QString& path);
// The same, with a yield after each character; false when StopFlag was raised meanwhile.
bool SplitPath(const QString& path, SplitName& out, const Yielder& yield);

// The upper-cased name, without every occurrence of the extension when extensions are ignored.
// The extension of a file name, as SplitPath gives it: from the last dot, upper-cased; empty
// without a dot.
QString ExtensionOf(const QString& name);
QString CompareKey(const QString& name, const QString& extension, bool ignoreExtensions);

enum class Method { SameLength, File1Longer, File2Longer, LevenshteinDistance };
QString methodLabel(Method method);

struct MatchResult {
    int score = 0;
    int base = 0;
    Method method = Method::SameLength;
};

// The number settings, read once per scan and checked where each is needed.
struct MatchNumbers {
    NumberValue percent, groupSize, distance, repeatMode;
    static MatchNumbers read(const ScanSettings& settings);
};

// The value, or a ScanError when the box's text does not read.
qint16 need(const NumberValue& value);

// Character matching of two comparison keys (key1 is file one's).
MatchResult MatchCharacters(QStringView key1, QStringView key2, const MatchNumbers& numbers);
MatchResult MatchNames(const QString& key1, const QString& key2, MatchMode mode,
                       const MatchNumbers& numbers, const Yielder& yield = {});

// The name verdict of a pair, or'ed with the checksum verdict the caller worked out.
bool PairVerdict(const MatchResult& result, MatchMode mode, const MatchNumbers& numbers,
                 bool checksumVerdict);

} // namespace nw
