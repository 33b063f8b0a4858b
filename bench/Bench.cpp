#include "ExtraTrees.h"
#include "NameGenerator.h"
#include "SortBench.h"
#include "TimingView.h"
#include "core/ErrorReport.h"
#include "core/FileCrc.h"
#include "core/FileEnumeration.h"
#include "core/RowTable.h"
#include "core/ScanDriver.h"
#include "core/ScanView.h"
#include "core/Texts.h"
#include "platform/Crc32.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace nw;
using namespace nw::bench;

namespace {

const char* const kUsage =
    "Usage: namewick-bench [options]\n"
    "Whole scans through runScan over generated trees of empty files, one forked child per scan\n"
    "(so each peak RSS is that scan's own), printed as a Markdown table.\n"
    "  --sizes LIST         tree sizes (default 10000,100000,1000000; 10k and 1M are understood)\n"
    "  --modes LIST         of chars, lev0, lev1, lev3 (default all)\n"
    "  --reference-at N     also run the Reference search at this size and compare its rows\n"
    "                       with Indexed (default 10000; 0: never)\n"
    "  --tree-root DIR      keep the trees below DIR and reuse them on later runs (default: a\n"
    "                       temporary folder, removed at the end)\n"
    "  --seed S             seed of the generated names (default 1)\n"
    "  --covers N           also N album folders, each with a cover.jpg and three tracks of\n"
    "                       their own (N^2/2 rows), in characters and distance-0 mode\n"
    "  --crc-case           also 16 sparse files of distinct sizes (4 GiB each) and two equal\n"
    "                       1 MiB files, scanned with checksums\n"
    "Checksum rate instead of scans:\n"
    "  --crc-rate           GetCRC32 against a plain read() and `cat > /dev/null` of the same\n"
    "                       cached files, and crc32Update over a buffer in memory\n"
    "  --crc-files N        number of files (default 64)\n"
    "  --crc-file-mib M     size of each file in MiB (default 32)\n"
    "  --crc-buffer-mib M   size of the in-memory buffer in MiB (default 256)\n"
    "  --crc-dir DIR        where the temporary files go (default $TMPDIR or /tmp)\n"
    "  --repeat R           timed passes of each checksum measurement; the best counts "
    "(default 3)\n"
    "Sorting the results list instead of scans:\n"
    "  --sort-rows N        sorts N generated rows by each column\n"
    "  --sort-compare       also sorts the ready texts as the list once did, and compares\n";

constexpr uint64_t kMiB = uint64_t(1) << 20;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string withCommas(uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string text;
    for (size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0)
            text += ',';
        text += digits[k];
    }
    return text;
}

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

void printText(FILE* stream, const QString& text) {
    const QByteArray bytes = encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

std::string tempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

std::string cpuModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos)
            return line.substr(line.find(':') + 2);
    }
    return "unknown CPU";
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= size_t(put);
    }
    return true;
}

// ---- forked children ----

struct ChildResult {
    bool ok = false;
    std::string failure;
    QByteArray payload;
    double peakMiB = 0;
};

// Runs work in a forked child and hands back what it returned with the child's own peak RSS.
// The parent stays small, so a child's peak is mostly its own.
ChildResult inChild(const std::function<QByteArray()>& work) {
    ChildResult result;
    std::fflush(stdout);
    std::fflush(stderr);
    int fds[2];
    if (::pipe(fds) != 0) {
        result.failure = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        result.failure = std::string("fork: ") + std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray payload = work();
        const bool sent = writeAll(fds[1], payload.constData(), size_t(payload.size()));
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(sent ? 0 : 3);
    }
    ::close(fds[1]);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.payload.append(buffer, qsizetype(got));
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            result.failure = std::string("wait4: ") + std::strerror(errno);
            return result;
        }
    }
    result.peakMiB = double(usage.ru_maxrss) / 1024.0; // KiB on Linux
    if (WIFSIGNALED(status))
        result.failure = "child killed by signal " + std::to_string(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0)
        result.failure = "child exited with " + std::to_string(WEXITSTATUS(status));
    else
        result.ok = true;
    return result;
}

// ---- scans ----

// The rows in the order the search added them, unsorted; with a ScanView that shows nothing, a
// run measures the engine and not a window.
class AddedRows : public RowTable {
public:
    void setSorted(bool) override {}
};

// Failures end a scan; the first few are shown so that a broken run is not read as a fast one.
class CountingSink : public ErrorSink {
public:
    void showError(const QString& module, const QString& procedure,
                   const ErrorInfo& error) override {
        if (++count <= 3)
            printText(stderr, QStringLiteral("  error: %1 %2 %3 %4 %5\n")
                                  .arg(module, procedure)
                                  .arg(error.number)
                                  .arg(error.description, error.detail));
    }
    int count = 0;
};

struct Mode {
    const char* key;
    const char* label;
    MatchMode mode;
    const char* distance;
};

const Mode kModes[] = {
    {"chars", "characters 90 %, group 3", MatchMode::Characters, "0"},
    {"lev0", "Levenshtein, distance 0", MatchMode::Levenshtein, "0"},
    {"lev1", "Levenshtein, distance 1", MatchMode::Levenshtein, "1"},
    {"lev3", "Levenshtein, distance 3", MatchMode::Levenshtein, "3"},
};

using RowCells = std::array<QString, ColumnCount>;

struct ScanOutcome {
    bool ok = false;
    std::string failure;
    double seconds = 0;
    ScanStatus status = ScanStatus::Error;
    int rowCount = 0;
    int errors = 0;
    double peakMiB = 0;
    double yieldGapMs = 0;      // longest stretch between two yields
    double stillSeconds = 0;    // longest stretch without progress, after the walk
    std::vector<RowCells> rows; // top-down, only when asked for
};

ScanOutcome scanInChild(const QString& folder, const Mode& mode, PairSearch search, bool keepRows,
                        bool crc = false, const char* repeat = "1") {
    ScanSettings settings;
    settings.scanFolder = fs::folderText(folder);
    settings.baseFolder = folder;
    settings.mode = mode.mode;
    settings.percent = QStringLiteral("90");
    settings.groupSize = QStringLiteral("3");
    settings.distance = QString::fromLatin1(mode.distance);
    settings.repeatMode = QString::fromLatin1(repeat);
    settings.ignoreExtensions = true;
    settings.checkCRC = crc;
    settings.writeLog = false;

    const ChildResult child = inChild([&] {
        TimingView view;
        AddedRows rows;
        CountingSink sink;
        const ScopedService sinkInUse(errorSinkService(), &sink);
        const auto start = std::chrono::steady_clock::now();
        const ScanStatus status = runScan(settings, rows, view, search);
        const double seconds = secondsSince(start);
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << seconds << qint32(status) << qint32(rows.count()) << qint32(sink.count)
            << double(view.longestYieldGapNs) / 1e6 << double(view.longestStillNs) / 1e9;
        if (keepRows) {
            const QLocale locale = numberLocale();
            for (int row = 1; row <= rows.count(); ++row) {
                for (const QString& cell : rows.cells(row, locale))
                    out << cell;
            }
        }
        return bytes;
    });

    ScanOutcome outcome;
    outcome.failure = child.failure;
    outcome.peakMiB = child.peakMiB;
    if (!child.ok)
        return outcome;
    QDataStream in(child.payload);
    qint32 status = 0, rowCount = 0, errors = 0;
    in >> outcome.seconds >> status >> rowCount >> errors >> outcome.yieldGapMs >>
        outcome.stillSeconds;
    outcome.status = ScanStatus(status);
    outcome.rowCount = rowCount;
    outcome.errors = errors;
    if (keepRows) {
        outcome.rows.resize(size_t(rowCount));
        for (RowCells& row : outcome.rows) {
            for (QString& cell : row)
                in >> cell;
        }
    }
    outcome.ok = in.status() == QDataStream::Ok;
    if (!outcome.ok)
        outcome.failure = "the child's report did not read";
    return outcome;
}

QString rowText(const RowCells& row) {
    QStringList cells;
    for (const QString& cell : row)
        cells.append(cell);
    return cells.join(QLatin1Char('|'));
}

// One line saying whether both searches listed the same rows in the same order.
std::string compareRows(const std::vector<RowCells>& indexed,
                        const std::vector<RowCells>& reference, bool& same) {
    same = indexed == reference;
    if (same)
        return "give the same " + withCommas(indexed.size()) + " rows, top-down";
    std::vector<QString> a, b;
    for (const RowCells& row : indexed)
        a.push_back(rowText(row));
    for (const RowCells& row : reference)
        b.push_back(rowText(row));
    size_t first = 0;
    while (first < a.size() && first < b.size() && a[first] == b[first])
        ++first;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::string text = "DIFFER: Indexed " + withCommas(indexed.size()) + " rows, Reference " +
                       withCommas(reference.size()) + " rows";
    text += a == b ? "; the same rows in another order" : "; not the same rows";
    text += "; first difference at row " + withCommas(first + 1) + ": Indexed \"";
    text += first < indexed.size() ? encodeText(rowText(indexed[first])).toStdString() : "-";
    text += "\", Reference \"";
    text += first < reference.size() ? encodeText(rowText(reference[first])).toStdString() : "-";
    return text + "\"";
}

struct TableRow {
    std::string mode;
    uint64_t n = 0;
    std::string search;
    std::string seconds;
    std::string rows;
    std::string peak;
    std::string perFile = "-"; // bytes of the peak beyond an idle child's
    std::string perRow = "-";
    std::string yieldGap = "-";
    std::string still = "-";
};

std::string resultCell(const ScanOutcome& outcome) {
    if (!outcome.ok)
        return "failed: " + outcome.failure;
    std::string text = withCommas(uint64_t(outcome.rowCount));
    if (outcome.status != ScanStatus::Done)
        text += " (" + statusText(outcome.status).toStdString() + ")";
    if (outcome.errors > 0)
        text += " (" + std::to_string(outcome.errors) + " errors)";
    return text;
}

// idleMiB: the peak of a child that does nothing, taken off before the peak is shared out.
TableRow tableRow(const std::string& label, uint64_t n, const std::string& search,
                  const ScanOutcome& outcome, double idleMiB = 0) {
    TableRow row{label,
                 n,
                 search,
                 outcome.ok ? format("%.2f", outcome.seconds) : "-",
                 resultCell(outcome),
                 format("%.1f", outcome.peakMiB)};
    if (!outcome.ok || idleMiB <= 0)
        return row;
    const double bytes = std::max(0.0, outcome.peakMiB - idleMiB) * double(kMiB);
    row.perFile = format("%.0f", bytes / double(n));
    row.yieldGap = format("%.0f", outcome.yieldGapMs);
    row.still = format("%.2f", outcome.stillSeconds);
    return row;
}

// ---- trees ----

std::string markerText(uint64_t n, uint64_t seed) {
    return "namewick-bench tree: files " + std::to_string(n) + ", seed " + std::to_string(seed) +
           ", generator " + std::to_string(kGeneratorVersion) + "\n";
}

// The tree of n files below root, built when missing; its marker is a dot-name, which scans skip.
bool ensureTree(const std::string& folder, uint64_t n, uint64_t seed, std::string& error) {
    const std::string marker = folder + "/.namewick-bench";
    const std::string expected = markerText(n, seed);
    if (std::filesystem::exists(folder)) {
        std::ifstream in(marker);
        std::stringstream found;
        found << in.rdbuf();
        if (in && found.str() == expected) {
            std::fprintf(stderr, "reusing %s\n", folder.c_str());
            return true;
        }
        error = folder + " exists but is not a tree of " + std::to_string(n) + " files from seed " +
                std::to_string(seed) + "; remove it or pick another root";
        return false;
    }
    std::fprintf(stderr, "building %s ...\n", folder.c_str());
    const ChildResult child = inChild([&] {
        TreeStats stats;
        std::string message;
        const auto start = std::chrono::steady_clock::now();
        if (!makeTree(folder, n, seed, stats, message))
            return QByteArray("error: ") + QByteArray::fromStdString(message);
        return QByteArray::fromStdString(withCommas(stats.files) + " files (" +
                                         withCommas(stats.nearDuplicates) +
                                         " near duplicates) in " + withCommas(stats.folders) +
                                         " folders, " + format("%.1f s", secondsSince(start)));
    });
    if (!child.ok || child.payload.startsWith("error: ")) {
        error = child.ok ? child.payload.mid(7).toStdString() : child.failure;
        return false;
    }
    std::ofstream out(marker);
    out << expected;
    if (!out) {
        error = "cannot write " + marker;
        return false;
    }
    std::fprintf(stderr, "  %s\n", child.payload.constData());
    return true;
}

void removeTree(const std::string& folder) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (ec)
        std::fprintf(stderr, "cannot remove %s: %s\n", folder.c_str(), ec.message().c_str());
}

// ---- options ----

struct Options {
    std::vector<uint64_t> sizes = {10000, 100000, 1000000};
    std::vector<const Mode*> modes;
    uint64_t referenceAt = 10000;
    std::string treeRoot;
    uint64_t seed = 1;
    bool crcRate = false;
    uint64_t crcFiles = 64;
    uint64_t crcFileMiB = 32;
    uint64_t crcBufferMiB = 256;
    std::string crcDir;
    uint64_t repeat = 3;
    uint64_t sortRows = 0;
    bool sortCompare = false;
    uint64_t covers = 0;
    bool crcCase = false;
};

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        items.push_back(item);
    return items;
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "namewick-bench: %s\nTry 'namewick-bench --help'.\n", message.c_str());
    return 2;
}

// 0 when the options are fine, else the exit status; help is printed here.
int parseOptions(int argc, char* argv[], Options& o) {
    for (const Mode& mode : kModes)
        o.modes.push_back(&mode);
    auto count = [](const std::string& value, uint64_t& target, uint64_t minimum) {
        return parseCount(value, target) && target >= minimum;
    };
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return -1;
        }
        if (arg == "--crc-rate") {
            o.crcRate = true;
            continue;
        }
        if (arg == "--sort-compare") {
            o.sortCompare = true;
            continue;
        }
        if (arg == "--crc-case") {
            o.crcCase = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0)
            return usageError("unexpected argument " + arg);
        if (k + 1 >= argc)
            return usageError(arg + " needs a value, or is unknown");
        const std::string value = argv[++k];
        bool ok = true;
        if (arg == "--sizes") {
            o.sizes.clear();
            for (const std::string& item : splitList(value)) {
                uint64_t n = 0;
                ok = ok && count(item, n, 2);
                o.sizes.push_back(n);
            }
            ok = ok && !o.sizes.empty();
        } else if (arg == "--modes") {
            o.modes.clear();
            for (const std::string& item : splitList(value)) {
                const auto it = std::find_if(std::begin(kModes), std::end(kModes),
                                             [&](const Mode& m) { return item == m.key; });
                ok = ok && it != std::end(kModes);
                if (it != std::end(kModes))
                    o.modes.push_back(&*it);
            }
            ok = ok && !o.modes.empty();
        } else if (arg == "--reference-at") {
            ok = count(value, o.referenceAt, 0);
        } else if (arg == "--tree-root") {
            o.treeRoot = value;
        } else if (arg == "--covers") {
            ok = count(value, o.covers, 2);
        } else if (arg == "--seed") {
            ok = count(value, o.seed, 0);
        } else if (arg == "--crc-files") {
            ok = count(value, o.crcFiles, 1);
        } else if (arg == "--crc-file-mib") {
            ok = count(value, o.crcFileMiB, 1);
        } else if (arg == "--crc-buffer-mib") {
            ok = count(value, o.crcBufferMiB, 1);
        } else if (arg == "--crc-dir") {
            o.crcDir = value;
        } else if (arg == "--repeat") {
            ok = count(value, o.repeat, 1);
        } else if (arg == "--sort-rows") {
            ok = count(value, o.sortRows, 1);
        } else {
            return usageError("unknown option " + arg);
        }
        if (!ok)
            return usageError("bad value for " + arg + ": " + value);
    }
    return 0;
}

// ---- the scan benchmark ----

// The shapes beside the generated libraries: many equal names (rows by the million) and
// checksums over files of which only two can pair.
void runExtraCases(const Options& o, const std::string& root, double idleMiB,
                   std::vector<TableRow>& table, bool& allRan) {
    const auto run = [&](const std::string& folder, uint64_t files, const Mode& mode,
                         const std::string& label, bool crc, const char* repeat) {
        std::fprintf(stderr, "%s ...\n", label.c_str());
        const ScanOutcome outcome = scanInChild(decodePath(QByteArray::fromStdString(folder)), mode,
                                                PairSearch::Indexed, false, crc, repeat);
        table.push_back(tableRow(label, files, "Indexed", outcome, idleMiB));
        std::fprintf(stderr, "  %s s, %s rows, %s MiB\n", table.back().seconds.c_str(),
                     table.back().rows.c_str(), table.back().peak.c_str());
        allRan = allRan && outcome.ok && outcome.status == ScanStatus::Done;
        return outcome;
    };
    std::string error;
    if (o.covers > 0) {
        const std::string folder = root + "/covers" + std::to_string(o.covers);
        std::fprintf(stderr, "building %s ...\n", folder.c_str());
        if (!makeCoverTree(folder, o.covers, error)) {
            std::fprintf(stderr, "namewick-bench: %s\n", error.c_str());
            allRan = false;
        } else {
            const uint64_t files = o.covers * 4;
            const std::string albums = withCommas(o.covers) + " albums with a cover.jpg";
            for (const Mode* mode : {&kModes[0], &kModes[1]}) {
                const ScanOutcome few =
                    run(folder, files, *mode,
                        std::string(mode->label) + ", " + albums + ", repeat 3", false, "3");
                const ScanOutcome all =
                    run(folder, files, *mode, std::string(mode->label) + ", " + albums, false, "1");
                if (few.ok && all.ok && all.rowCount > few.rowCount)
                    table.back().perRow =
                        format("%.0f", std::max(0.0, all.peakMiB - few.peakMiB) * double(kMiB) /
                                           double(all.rowCount - few.rowCount));
            }
        }
        removeTree(folder);
    }
    if (o.crcCase) {
        const std::string folder = root + "/checksums";
        if (!makeChecksumTree(folder, error)) {
            std::fprintf(stderr, "namewick-bench: %s\n", error.c_str());
            allRan = false;
        } else {
            run(folder, 18, kModes[0],
                "characters, with checksums: 16 x 4 GiB of distinct sizes, 2 equal 1 MiB", true,
                "1");
        }
        removeTree(folder);
    }
}

int scanBench(const Options& o) {
    const bool keepTrees = !o.treeRoot.empty();
    std::string root;
    if (keepTrees) {
        std::error_code ec;
        std::filesystem::create_directories(o.treeRoot, ec);
        root = std::filesystem::absolute(o.treeRoot).lexically_normal().string();
        while (root.size() > 1 && root.back() == '/')
            root.pop_back();
    } else {
        std::string pattern = tempFolder() + "/namewick-bench-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::fprintf(stderr, "namewick-bench: cannot create %s: %s\n", pattern.c_str(),
                         std::strerror(errno));
            return 1;
        }
        root = pattern;
    }

    const ChildResult idle = inChild([] { return QByteArray(); });
    std::printf("# namewick-bench: scans\n\n");
    std::printf("%s, %ld cores online; %s build; trees from seed %llu below %s.\n",
                cpuModel().c_str(), ::sysconf(_SC_NPROCESSORS_ONLN),
#ifdef NDEBUG
                "optimised (NDEBUG)",
#else
                "DEBUG (assertions on: not for measurements)",
#endif
                static_cast<unsigned long long>(o.seed), root.c_str());
    std::printf("Each scan runs in its own forked child with a null view; an idle child peaks at "
                "%.1f MiB.\n\n",
                idle.peakMiB);

    std::vector<TableRow> table;
    std::vector<std::string> checks;
    bool allSame = true;
    bool allRan = true;
    for (const uint64_t n : o.sizes) {
        const std::string folder =
            root + "/n" + std::to_string(n) + "-seed" + std::to_string(o.seed);
        std::string error;
        if (!ensureTree(folder, n, o.seed, error)) {
            std::fprintf(stderr, "namewick-bench: %s\n", error.c_str());
            allRan = false;
            continue;
        }
        const QString qFolder = decodePath(QByteArray::fromStdString(folder));

        // The walk alone, which every scan pays; it also checks the tree's size.
        const ChildResult listing = inChild([&] {
            const auto start = std::chrono::steady_clock::now();
            const FileList files = GetFileList(fs::folderText(qFolder));
            return QByteArray::number(files.size()) + ' ' +
                   QByteArray::number(secondsSince(start), 'f', 2);
        });
        const QList<QByteArray> listed = listing.payload.split(' ');
        if (listing.ok && listed.size() == 2) {
            std::fprintf(stderr, "  listing: %s files in %s s, peak %.1f MiB\n",
                         withCommas(listed[0].toULongLong()).c_str(), listed[1].constData(),
                         listing.peakMiB);
            if (listed[0].toULongLong() != n)
                std::fprintf(stderr, "  warning: the tree holds %s files, not %s\n",
                             listed[0].constData(), withCommas(n).c_str());
        }

        const bool withReference = o.referenceAt != 0 && n == o.referenceAt;
        for (const Mode* mode : o.modes) {
            std::fprintf(stderr, "%s, N = %s, Indexed ...\n", mode->label, withCommas(n).c_str());
            const ScanOutcome indexed =
                scanInChild(qFolder, *mode, PairSearch::Indexed, withReference);
            table.push_back(tableRow(mode->label, n, "Indexed", indexed, idle.peakMiB));
            std::fprintf(stderr, "  %s s, %s rows, %s MiB\n", table.back().seconds.c_str(),
                         table.back().rows.c_str(), table.back().peak.c_str());
            allRan = allRan && indexed.ok && indexed.status == ScanStatus::Done;
            if (!withReference)
                continue;

            std::fprintf(stderr, "%s, N = %s, Reference ...\n", mode->label, withCommas(n).c_str());
            const ScanOutcome reference = scanInChild(qFolder, *mode, PairSearch::Reference, true);
            table.push_back(tableRow(mode->label, n, "Reference", reference));
            std::fprintf(stderr, "  %s s, %s rows, %s MiB\n", table.back().seconds.c_str(),
                         table.back().rows.c_str(), table.back().peak.c_str());
            allRan = allRan && reference.ok && reference.status == ScanStatus::Done;
            if (reference.ok) {
                for (const uint64_t big : {uint64_t(100000), uint64_t(1000000)}) {
                    if (big <= n)
                        continue;
                    const double scale = double(big) / double(n);
                    table.push_back({mode->label, big, "Reference, n² from " + withCommas(n),
                                     withCommas(uint64_t(reference.seconds * scale * scale + 0.5)),
                                     "-", "-"});
                }
            }
            if (indexed.ok && reference.ok) {
                bool same = false;
                std::string line = compareRows(indexed.rows, reference.rows, same);
                if (indexed.status != reference.status)
                    line += "; the statuses differ";
                allSame = allSame && same && indexed.status == reference.status;
                checks.push_back("- " + std::string(mode->label) + ", N = " + withCommas(n) +
                                 ": Indexed and Reference " + line + ".");
            }
        }
        if (!keepTrees)
            removeTree(folder);
    }

    runExtraCases(o, root, idle.peakMiB, table, allRan);
    if (!keepTrees)
        removeTree(root);

    std::printf("| mode | N | search | wall s | rows | peak RSS MiB | B/file | B/row | longest "
                "yield gap ms | longest still s |\n");
    std::printf("|---|---:|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const TableRow& row : table)
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", row.mode.c_str(),
                    withCommas(row.n).c_str(), row.search.c_str(), row.seconds.c_str(),
                    row.rows.c_str(), row.peak.c_str(), row.perFile.c_str(), row.perRow.c_str(),
                    row.yieldGap.c_str(), row.still.c_str());
    std::printf("\nB/file: the peak beyond an idle child's, per file; B/row: the same beyond the "
                "scan of the same tree that keeps one row per name (repeat mode 3), per row; "
                "longest still: from the end of the walk to the end step, the longest time in "
                "which neither the progress nor a text changed.\n");
    if (!checks.empty()) {
        std::printf("\nIndexed against Reference, rows compared cell by cell from the top:\n\n");
        for (const std::string& line : checks)
            std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
    return allSame && allRan ? 0 : 1;
}

// ---- the checksum rate ----

// Fast, reproducible filler; the content only has to defeat nothing but compression.
void fillRandom(uint64_t& state, unsigned char* data, size_t size) {
    for (size_t k = 0; k < size; k += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(data + k, &state, std::min<size_t>(8, size - k));
    }
}

// Bytes read, or -1.
int64_t plainRead(const std::string& path, char* buffer, size_t capacity) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int64_t total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, capacity);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            total = -1;
            break;
        }
        if (got == 0)
            break;
        total += got;
    }
    ::close(fd);
    return total;
}

std::string gbPerSecond(double bytes, double seconds) {
    return seconds > 0 ? format("%.2f", bytes / seconds / 1e9) : "-";
}

// Seconds that `cat` takes to copy the files to /dev/null; negative when it cannot run.
double catSeconds(const std::vector<std::string>& paths) {
    std::vector<char*> argv;
    std::string cat = "cat";
    argv.push_back(cat.data());
    std::vector<std::string> args(paths);
    for (std::string& path : args)
        argv.push_back(path.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0)
            ::_exit(127);
        ::execvp("cat", argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const double seconds = secondsSince(start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

int crcRateBench(const Options& o) {
    std::string pattern = (o.crcDir.empty() ? tempFolder() : o.crcDir) + "/namewick-crc-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::fprintf(stderr, "namewick-bench: cannot create %s: %s\n", pattern.c_str(),
                     std::strerror(errno));
        return 1;
    }
    const std::string folder = pattern;
    const size_t fileBytes = size_t(o.crcFileMiB * kMiB);
    const double totalBytes = double(fileBytes) * double(o.crcFiles);
    std::vector<std::string> paths;
    std::vector<uint32_t> expected;
    std::unique_ptr<unsigned char[]> block(new unsigned char[kMiB]);
    uint64_t state = 0x2545F4914F6CDD1Dull;
    bool ok = true;

    std::fprintf(stderr, "writing %llu files of %llu MiB in %s ...\n",
                 static_cast<unsigned long long>(o.crcFiles),
                 static_cast<unsigned long long>(o.crcFileMiB), folder.c_str());
    for (uint64_t f = 0; f < o.crcFiles && ok; ++f) {
        const std::string path = folder + "/data" + std::to_string(f) + ".bin";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::fprintf(stderr, "cannot create %s: %s\n", path.c_str(), std::strerror(errno));
            ok = false;
            break;
        }
        paths.push_back(path);
        uint32_t crc = 0;
        for (size_t done = 0; done < fileBytes && ok; done += kMiB) {
            const size_t size = std::min<size_t>(kMiB, fileBytes - done);
            fillRandom(state, block.get(), size);
            crc = crc32Update(crc, block.get(), size);
            ok = writeAll(fd, reinterpret_cast<const char*>(block.get()), size);
        }
        ok = ::close(fd) == 0 && ok;
        expected.push_back(crc);
        if (!ok)
            std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    }

    double bestRead = 0, bestCrc = 0, bestMemory = 0, bestCat = -1;
    bool crcsAgree = true;
    if (ok) {
        // Once untimed, so every timed pass reads from the page cache.
        char* buffer = reinterpret_cast<char*>(block.get());
        for (const std::string& path : paths)
            ok = ok && plainRead(path, buffer, kMiB) == int64_t(fileBytes);
        for (uint64_t pass = 0; pass < o.repeat && ok; ++pass) {
            auto start = std::chrono::steady_clock::now();
            for (const std::string& path : paths)
                ok = ok && plainRead(path, buffer, kMiB) == int64_t(fileBytes);
            const double readSeconds = secondsSince(start);
            start = std::chrono::steady_clock::now();
            for (size_t f = 0; f < paths.size(); ++f) {
                qint64 covered = -1;
                const qint32 crc =
                    GetCRC32(decodePath(QByteArray::fromStdString(paths[f])), {}, &covered);
                crcsAgree = crcsAgree && crc == qint32(expected[f]) && covered == qint64(fileBytes);
            }
            const double crcSeconds = secondsSince(start);
            const double catTime = catSeconds(paths);
            if (catTime > 0)
                bestCat = bestCat < 0 ? catTime : std::min(bestCat, catTime);
            bestRead = pass == 0 ? readSeconds : std::min(bestRead, readSeconds);
            bestCrc = pass == 0 ? crcSeconds : std::min(bestCrc, crcSeconds);
        }
        if (!ok)
            std::fprintf(stderr, "a plain read came up short\n");
    }
    for (const std::string& path : paths)
        ::unlink(path.c_str());
    ::rmdir(folder.c_str());

    const size_t memoryBytes = size_t(o.crcBufferMiB * kMiB);
    std::unique_ptr<unsigned char[]> memory(new unsigned char[memoryBytes]);
    fillRandom(state, memory.get(), memoryBytes);
    uint32_t memoryCrc = 0;
    bool memoryStable = true;
    for (uint64_t pass = 0; pass < o.repeat; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        const uint32_t crc = crc32Update(0, memory.get(), memoryBytes);
        const double seconds = secondsSince(start);
        bestMemory = pass == 0 ? seconds : std::min(bestMemory, seconds);
        memoryStable = memoryStable && (pass == 0 || crc == memoryCrc);
        memoryCrc = crc;
    }

    std::printf("# namewick-bench: checksum rate\n\n");
    std::printf("%s; CRC-32 by %s; best of %llu passes; GB = 10^9 bytes.\n\n", cpuModel().c_str(),
                crc32Backend(), static_cast<unsigned long long>(o.repeat));
    std::printf("| measurement | data | best s | GB/s |\n");
    std::printf("|---|---:|---:|---:|\n");
    const std::string files =
        std::to_string(o.crcFiles) + " cached files of " + std::to_string(o.crcFileMiB) + " MiB";
    if (ok) {
        std::printf("| plain read(), 1 MiB blocks, %s | %s GB | %.3f | %s |\n", files.c_str(),
                    format("%.2f", totalBytes / 1e9).c_str(), bestRead,
                    gbPerSecond(totalBytes, bestRead).c_str());
        if (bestCat > 0)
            std::printf("| cat > /dev/null, the same files | %s GB | %.3f | %s |\n",
                        format("%.2f", totalBytes / 1e9).c_str(), bestCat,
                        gbPerSecond(totalBytes, bestCat).c_str());
        std::printf("| GetCRC32, the same files | %s GB | %.3f | %s |\n",
                    format("%.2f", totalBytes / 1e9).c_str(), bestCrc,
                    gbPerSecond(totalBytes, bestCrc).c_str());
    }
    std::printf("| crc32Update, one %llu MiB buffer in memory | %s GB | %.3f | %s |\n",
                static_cast<unsigned long long>(o.crcBufferMiB),
                format("%.2f", double(memoryBytes) / 1e9).c_str(), bestMemory,
                gbPerSecond(double(memoryBytes), bestMemory).c_str());
    if (ok) {
        std::printf("\nGetCRC32 runs at %.2f of the plain read rate", bestRead / bestCrc);
        if (bestCat > 0)
            std::printf(" and at %.2f of the rate of cat", bestCat / bestCrc);
        std::printf(".\n");
        std::printf("GetCRC32 %s crc32Update over the written content for every file.\n",
                    crcsAgree ? "agrees with" : "DOES NOT AGREE with");
    }
    if (!memoryStable)
        std::printf("crc32Update gave different results over the same buffer.\n");
    std::fflush(stdout);
    return ok && crcsAgree && memoryStable ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    Options options;
    if (const int status = parseOptions(argc, argv, options))
        return status < 0 ? 0 : status;
    if (options.sortRows > 0)
        return sortRowsBench(options.sortRows, options.seed, options.sortCompare);
    return options.crcRate ? crcRateBench(options) : scanBench(options);
}
