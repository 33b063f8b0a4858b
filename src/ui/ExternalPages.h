#pragma once

#include <QUrl>

// Pages on other people's sites. The host is set when the program is built
// (-DNAMEWICK_LD_PAGE_HOST=...); the default is a reserved example domain.
#ifndef NAMEWICK_LD_PAGE_HOST
#define NAMEWICK_LD_PAGE_HOST "www.example.org"
#endif

namespace nw {

inline constexpr const char* LevenshteinPageHost = NAMEWICK_LD_PAGE_HOST;

// The page that explains the edit distance.
inline QUrl levenshteinPage() {
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(QString::fromUtf8(LevenshteinPageHost));
    url.setPath(QStringLiteral("/ld.htm"));
    url.setFragment(QStringLiteral("WHATIS"));
    return url;
}

} // namespace nw
