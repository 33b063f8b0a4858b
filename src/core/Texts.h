#pragma once

#include "core/Version.h"

#include <QLocale>
#include <QString>

namespace nw {

inline const QString AppTitle = QStringLiteral("Namewick Finder");
QString versionText(); // "major.minor.revision"

// The locale used for sizes and percentages: the user's, with digit grouping on.
QLocale numberLocale();

// A size in bytes as the results list shows it: kilobytes of 1000 bytes, first rounded to two
// decimals (half to even), then shown with one decimal (half away from zero), grouped digits.
// Both roundings in integers, so no binary fraction can tip a half.
QString kilobyteText(qint64 bytes, const QLocale& locale = numberLocale());

// Reads a size cell back, digit grouping included; ok is false for a text that is no number.
double parseKilobyteText(const QString& text, bool* ok = nullptr,
                         const QLocale& locale = numberLocale());

// Progress p of n as a percentage with at most two decimals, no trailing zeros: 50, 33.33, 12.5.
QString percentText(qint64 position, qint64 count, const QLocale& locale = numberLocale());

// The order of the results list when it sorts a column as text: letter case ignored first,
// then the exact text, so the order is the same on every run.
bool textLess(const QString& a, const QString& b);

} // namespace nw
