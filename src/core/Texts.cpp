#include "core/Texts.h"

#include <cmath>

namespace nw {

QString versionText() {
    return QString::fromLatin1(VersionText);
}

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

QString kilobyteText(qint64 bytes, const QLocale& locale) {
    const bool negative = bytes < 0;
    quint64 b = negative ? quint64(-(bytes + 1)) + 1 : quint64(bytes);
    // bytes / 1000 to hundredths is bytes / 10, half to even.
    quint64 hundredths = b / 10;
    const quint64 r1 = b % 10;
    if (r1 > 5 || (r1 == 5 && (hundredths & 1)))
        ++hundredths;
    // Then to tenths, half away from zero.
    quint64 tenths = hundredths / 10;
    if (hundredths % 10 >= 5)
        ++tenths;
    QString whole = locale.toString(qulonglong(tenths / 10));
    QString text = whole + locale.decimalPoint() + locale.toString(qulonglong(tenths % 10));
    return negative ? locale.negativeSign() + text : text;
}

double parseKilobyteText(const QString& text, bool* ok, const QLocale& locale) {
    bool good = false;
    double value = locale.toDouble(text.trimmed(), &good);
    if (!good) {
        // A plain number without grouping is read as well.
        value = QLocale::c().toDouble(text.trimmed(), &good);
    }
    if (ok)
        *ok = good;
    return good ? value : 0.0;
}

QString percentText(qint64 position, qint64 count, const QLocale& locale) {
    if (count <= 0)
        return QStringLiteral("0");
    const double value = double(position) / double(count) * 100.0;
    const double rounded = std::nearbyint(value * 100.0) / 100.0;
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(rounded, 'f', QLocale::FloatingPointShortest);
}

bool textLess(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return a < b;
}

} // namespace nw
