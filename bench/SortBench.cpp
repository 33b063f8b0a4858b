#include "SortBench.h"
#include "NameGenerator.h"
#include "core/NameMatching.h"
#include "core/RowOrder.h"
#include "core/Texts.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace nw::bench {

namespace {

// Processor time of this thread: other work on a shared machine hardly changes it.
double cpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

} // namespace

int sortRowsBench(uint64_t rowCount, uint64_t seed, bool compare) {
    // As many files as rows, each row a random pair of them: about as many distinct names as
    // rows, the hardest case for ranking texts.
    auto list = std::make_shared<FileList>();
    auto files = std::make_shared<RowFiles>();
    NameGenerator names(seed);
    Rng rng(seed);
    for (uint64_t k = 0; k < rowCount; ++k) {
        const GeneratedFile f = names.next();
        list->append(QStringLiteral("/bench/") + QString::fromStdString(f.folder) + u'/' +
                     QString::fromStdString(f.name));
        files->sizes.push_back(qint64(rng.below(50000000)));
    }
    files->list = list;
    const int n = int(rowCount);
    std::vector<ResultRow> rows(rowCount);
    for (ResultRow& row : rows) {
        row.one = int(rng.below(uint32_t(n)));
        row.two = int(rng.below(uint32_t(n)));
        row.score = int(rng.below(40));
        row.method = quint8(rng.below(3));
        row.flags = rng.perMille(50) ? ResultRow::CrcMark : 0;
    }

    std::printf("Sorting %d rows over %d files by each column, ascending; processor seconds.\n\n",
                n, n);
    std::printf(compare ? "| column | seconds | textLess on ready texts, seconds | same order |\n"
                          "|---|---:|---:|---|\n"
                        : "| column | seconds |\n|---|---:|\n");
    bool allSame = true;
    for (int column = 0; column < ColumnCount; ++column) {
        std::vector<int> order(rows.size());
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = int(order.size() - 1 - k);
        std::vector<int> before = order;
        double start = cpuSeconds();
        sortRowOrder(order, rows, column, false, files.get());
        const double seconds = cpuSeconds() - start;
        std::printf("| %s | %.3f |", qPrintable(ColumnKeys[size_t(column)]), seconds);
        if (compare) {
            std::vector<QString> texts(rows.size());
            for (size_t k = 0; k < rows.size(); ++k)
                texts[k] = rowCell(rows[k], column, files.get());
            start = cpuSeconds();
            std::stable_sort(before.begin(), before.end(), [&](int a, int b) {
                return textLess(texts[size_t(a)], texts[size_t(b)]);
            });
            const bool same = before == order;
            allSame = allSame && same;
            std::printf(" %.3f | %s |", cpuSeconds() - start, same ? "yes" : "NO");
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    return allSame ? 0 : 1;
}

} // namespace nw::bench
