#include "core/NameMatching.h"
#include "core/Flags.h"
#include "core/Levenshtein.h"
#include "platform/FileSystem.h"

namespace nw {

SplitName SplitPath(const QString& path) {
    SplitName out;
    SplitPath(path, out, {});
    return out;
}

bool SplitPath(const QString& path, SplitName& out, const Yielder& yield) {
    const QChar sep = fs::separator();
    qsizetype p = 0;
    for (qsizetype k = 0; k < path.size(); ++k) {
        if (path.at(k) == sep)
            p = k + 1;
        if (yield) {
            yield();
            if (StopFlag)
                return false;
        }
    }
    out.folder = path.left(p);
    out.name = path.mid(p);
    qsizetype q = 0;
    for (qsizetype k = 0; k < out.name.size(); ++k) {
        if (out.name.at(k) == QLatin1Char('.'))
            q = k + 1;
        if (yield) {
            yield();
            if (StopFlag)
                return false;
        }
    }
    out.extension = q == 0 ? QString() : out.name.mid(q - 1).toUpper();
    return true;
}

QString ExtensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

QString CompareKey(const QString& name, const QString& extension, bool ignoreExtensions) {
    QString key = name.toUpper();
    if (ignoreExtensions && !extension.isEmpty())
        key.remove(extension, Qt::CaseSensitive);
    return key;
}

QString methodLabel(Method method) {
    switch (method) {
    case Method::SameLength:
        return QStringLiteral("Same Length");
    case Method::File1Longer:
        return QStringLiteral("File 1 Longer");
    case Method::File2Longer:
        return QStringLiteral("File 2 Longer");
    case Method::LevenshteinDistance:
        return QStringLiteral("Levenshtein Distance");
    }
    return {};
}

MatchNumbers MatchNumbers::read(const ScanSettings& settings) {
    return {readNumericBox(settings.percent), readNumericBox(settings.groupSize),
            readNumericBox(settings.distance), readNumericBox(settings.repeatMode)};
}

qint16 need(const NumberValue& value) {
    if (!value.ok())
        throw ScanError{value.error};
    return value.value;
}

MatchResult MatchCharacters(QStringView key1, QStringView key2, const MatchNumbers& numbers) {
    MatchResult r;
    const qsizetype l1 = key1.size();
    const qsizetype l2 = key2.size();
    if (l1 == l2) {
        r.method = Method::SameLength;
        r.base = int(l1);
        const QChar* a = key1.constData();
        const QChar* b = key2.constData();
        for (qsizetype k = 0; k < l1; ++k)
            r.score += a[k] == b[k];
        return r;
    }
    const int g = need(numbers.groupSize);
    if (g < 0)
        throw ScanError{ErrorInfo::make(ErrInvalidCall, QStringLiteral("group size %1").arg(g))};
    const QStringView longer = l1 > l2 ? key1 : key2;
    const QStringView shorter = l1 > l2 ? key2 : key1;
    r.method = l1 > l2 ? Method::File1Longer : Method::File2Longer;
    r.base = int(longer.size()) - g;
    // Windows start at 1 to L - g: the last character of the longer key is never in one.
    for (int k = 0; k < r.base; ++k) {
        if (g == 0 || shorter.contains(longer.mid(k, g)))
            ++r.score;
    }
    return r;
}

MatchResult MatchNames(const QString& key1, const QString& key2, MatchMode mode,
                       const MatchNumbers& numbers, const Yielder& yield) {
    if (mode == MatchMode::Characters)
        return MatchCharacters(key1, key2, numbers);
    MatchResult r;
    r.method = Method::LevenshteinDistance;
    r.score = LD(key1, key2, yield);
    return r;
}

bool PairVerdict(const MatchResult& result, MatchMode mode, const MatchNumbers& numbers,
                 bool checksumVerdict) {
    const qint16 percent = need(numbers.percent);
    const qint16 distance = need(numbers.distance);
    // First the percentage as a fraction, then the product: 56 % of 25 is 14.000000000000002.
    const double threshold = (double(percent) / 100.0) * double(result.base);
    bool byName = false;
    if (mode == MatchMode::Levenshtein)
        byName = result.score <= distance;
    else
        byName = threshold > 0 && double(result.score) >= threshold;
    return checksumVerdict || byName;
}

} // namespace nw
