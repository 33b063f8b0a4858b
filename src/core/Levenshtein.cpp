#include "core/Levenshtein.h"
#include "core/ErrorReport.h"
#include "core/Flags.h"

#include <vector>

namespace nw {

qint16 Minimum(qint16 a, qint16 b, qint16 c) {
    qint16 m = a;
    if (b < m)
        m = b;
    if (c < m)
        m = c;
    return m;
}

qint16 LD(const QString& s, const QString& t, const Yielder& yield) {
    yieldTo(yield);
    if (s.size() > 32767 || t.size() > 32767) {
        ReportError(QStringLiteral("Global"), QStringLiteral("LD"), ErrorInfo::make(ErrOverflow));
        return 0;
    }
    const int n = int(s.size());
    const int m = int(t.size());
    if (n == 0)
        return qint16(m);
    if (m == 0)
        return qint16(n);
    if (StopFlag)
        return 0;
    if (s == t)
        return 0;
    // One row of the matrix at a time: row i needs only row i - 1.
    std::vector<qint16> row(size_t(m) + 1);
    for (int j = 0; j <= m; ++j)
        row[size_t(j)] = qint16(j);
    const QChar* sp = s.constData();
    const QChar* tp = t.constData();
    // An entry never exceeds 32767, but one step past it would wrap to a negative distance; the
    // step is then never the least, so it is held at 32767.
    const auto step = [](qint16 v) { return v == 32767 ? v : qint16(v + 1); };
    for (int i = 1; i <= n; ++i) {
        yieldTo(yield);
        if (StopFlag)
            return 0;
        qint16 diagonal = row[0];
        row[0] = qint16(i);
        const QChar si = sp[i - 1];
        for (int j = 1; j <= m; ++j) {
            const qint16 above = row[size_t(j)];
            const bool same = si == tp[j - 1];
            row[size_t(j)] =
                Minimum(step(above), step(row[size_t(j) - 1]), same ? diagonal : step(diagonal));
            diagonal = above;
        }
    }
    return row[size_t(m)];
}

} // namespace nw
