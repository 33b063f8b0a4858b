#include "core/ScanDriver.h"
#include "core/AutoMove.h"
#include "core/ErrorReport.h"
#include "core/FileCrc.h"
#include "core/FileEnumeration.h"
#include "core/Flags.h"
#include "core/IndexBuild.h"
#include "core/NameMatching.h"
#include "core/PairCandidates.h"
#include "core/Postings.h"
#include "core/ScanLog.h"
#include "core/Texts.h"
#include "platform/FileSystem.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

namespace nw {

QString statusText(ScanStatus status) {
    switch (status) {
    case ScanStatus::Done:
        return QStringLiteral("Done");
    case ScanStatus::Canceled:
        return QStringLiteral("Canceled");
    case ScanStatus::Error:
        return QStringLiteral("Error");
    }
    return {};
}

namespace {

// Files sized between two looks at the window (a power of two).
constexpr int SizeYieldPeriod = 1024;

// Thrown where a poll of StopFlag sends the scan to its end step.
struct Stopped {};

struct FileName {
    QString path;
    SplitName split;
    QString key;
    bool keyed = false;
};

class ScanRun {
public:
    ScanRun(const ScanSettings& settings, RowStore& rows, ScanView& view)
        : settings_(settings)
        , rows_(rows)
        , view_(view)
        , numbers_(MatchNumbers::read(settings))
        , crcOn_(settings.checkCRC)
        , yield_([this] { view_.yield(); }) {}

    ScanStatus run(PairSearch search);

private:
    void poll() {
        view_.yield();
        if (StopFlag)
            throw Stopped{};
    }
    void startStep(PairSearch search);
    // Per file, whether another listed file has its size.
    std::vector<bool> sizeShared();
    void phase1();
    void phase2Reference();
    void phase2Indexed();
    // key: whether the comparison key is made too; the indexed search mostly knows the results.
    FileName nameOf(int position, bool yielding, bool key = true);
    FileName& keyed(FileName& f);
    // Returns true when the pair gave a row. known: the name result, when already worked out.
    bool considerPair(int i, int j, const FileName& one, const FileName& two,
                      const MatchResult* known = nullptr);
    bool isRepeat(const QString& name1, const QString& name2);
    qint64 sizeOf(int position);
    void endStep(ScanStatus status);

    const ScanSettings& settings_;
    RowStore& rows_;
    ScanView& view_;
    MatchNumbers numbers_;
    bool crcOn_;
    Yielder yield_;
    std::shared_ptr<FileList> list_ = std::make_shared<FileList>();
    const FileList& files_ = *list_;
    std::shared_ptr<RowFiles> rowFiles_; // the list and sizes the rows keep after the scan
    std::unique_ptr<IndexBuild> build_;  // the indexed search's keys and index
    // Slot p - 1 for position p, only while checksums are on: 0 for no checksum.
    std::vector<qint32> crcs_;
    std::vector<qint64> crcSizes_; // bytes the checksum covers, -1 without one
    qint32 crcOf(int position) const { return crcs_.empty() ? 0 : crcs_[size_t(position - 1)]; }
    QHash<QString, int> fileOnes_; // File One names of the rows of this scan
};

ScanStatus ScanRun::run(PairSearch search) {
    ScanStatus status = ScanStatus::Done;
    ErrorInfo failure;
    try {
        startStep(search);
        phase1();
        if (search == PairSearch::Reference)
            phase2Reference();
        else
            phase2Indexed();
        if (settings_.autoMove)
            AutoMovePass(settings_, rows_, view_);
        status = StopFlag ? ScanStatus::Canceled : ScanStatus::Done;
    } catch (const Stopped&) {
        status = ScanStatus::Canceled;
    } catch (const ScanError& e) {
        status = ScanStatus::Error;
        failure = e.error;
    } catch (const std::bad_alloc&) {
        status = ScanStatus::Error;
        failure = ErrorInfo::make(ErrOutOfMemory);
    }
    endStep(status);
    if (status == ScanStatus::Error)
        ReportError(QStringLiteral("frmMain"), QStringLiteral("ScanDir_Click"), failure);
    return status;
}

void ScanRun::startStep(PairSearch search) {
    StopFlag = false;
    CRCSkipFlag = false;
    rows_.setSorted(false);
    view_.lockControls();
    if (settings_.writeLog) {
        const QString log = logPath(settings_.scanFolder, QStringLiteral("Log"));
        if (fs::fileExists(log)) {
            if (const ErrorInfo error = fs::deleteFile(log))
                throw ScanError{error};
        }
    }
    rows_.clear();
    // The indexed search keys the files as the walk lists them.
    ListedHook listed;
    if (search == PairSearch::Indexed) {
        build_ = std::make_unique<IndexBuild>(settings_, numbers_, yield_);
        listed = [this](const FileList& files) { build_->feed(files); };
    }
    *list_ = GetFileList(settings_.scanFolder, yield_, listed);
    if (build_)
        build_->fed(files_);
    const int n = int(files_.size());
    rowFiles_ = std::make_shared<RowFiles>(RowFiles{list_, std::vector<qint64>(size_t(n), -1)});
    rows_.setFiles(rowFiles_);
    view_.setProgressRange(0, n);
    if (crcOn_) {
        crcs_.assign(size_t(n), 0);
        crcSizes_.assign(size_t(n), -1);
    }
    view_.showCRCSkip(true);
}

std::vector<bool> ScanRun::sizeShared() {
    const int n = int(files_.size());
    // (size, position); a size that cannot be read counts as shared, so the file is read and
    // its failure reported as any other.
    std::vector<std::pair<qint64, int>> sizes;
    sizes.reserve(size_t(n));
    std::vector<bool> shared(size_t(n), false);
    for (int p = 0; p < n; ++p) {
        if ((p & (SizeYieldPeriod - 1)) == SizeYieldPeriod - 1) {
            view_.yield();
            if (StopFlag || CRCSkipFlag)
                return shared; // the first file ends phase 1 anyway
        }
        qint64 size = 0;
        if (fs::fileSize(files_.at(p), size))
            shared[size_t(p)] = true;
        else
            sizes.push_back({size, p});
    }
    std::sort(sizes.begin(), sizes.end());
    for (size_t k = 1; k < sizes.size(); ++k) {
        if (sizes[k].first == sizes[k - 1].first)
            shared[size_t(sizes[k].second)] = shared[size_t(sizes[k - 1].second)] = true;
    }
    return shared;
}

void ScanRun::phase1() {
    const int n = int(files_.size());
    // A checksum pairs only files of equal size: a file of a size of its own is never read.
    const std::vector<bool> shared = crcOn_ ? sizeShared() : std::vector<bool>();
    for (int p = 1; p <= n; ++p) {
        // The progress follows the index as it is built, where that takes longer than the files.
        if (build_ && build_->waitFor(double(p) / double(n)))
            throw Stopped{};
        view_.setProgress(p);
        poll();
        if (crcOn_) {
            const QString f = files_.at(p - 1);
            view_.setStatus(StatusPanel::Secs, QStringLiteral("CRC"));
            view_.setCaption(QStringLiteral("Phase 1: Get CRC ") + percentText(p, n) +
                             QStringLiteral("%"));
            view_.setStatus(StatusPanel::FileName, f);
            if (shared[size_t(p - 1)])
                crcs_[size_t(p - 1)] = GetCRC32(f, yield_, &crcSizes_[size_t(p - 1)]);
        }
        if (CRCSkipFlag)
            break;
    }
    if (CRCSkipFlag) {
        CRCSkipFlag = false;
        crcOn_ = false;
        view_.uncheckCRC();
    }
    view_.showCRCSkip(false);
}

FileName ScanRun::nameOf(int position, bool yielding, bool key) {
    FileName f;
    // The whole path only where it is split or logged: a million candidates would build it
    // for nothing.
    if (yielding || settings_.writeLog)
        f.path = files_.at(position - 1);
    if (yielding) {
        if (!SplitPath(f.path, f.split, yield_))
            throw Stopped{};
    } else {
        f.split = {files_.folder(position - 1), files_.name(position - 1), QString()};
        f.split.extension = ExtensionOf(f.split.name);
    }
    return key ? keyed(f) : f;
}

FileName& ScanRun::keyed(FileName& f) {
    if (!f.keyed)
        f.key = CompareKey(f.split.name, f.split.extension, settings_.ignoreExtensions);
    f.keyed = true;
    return f;
}

void ScanRun::phase2Reference() {
    const int n = int(files_.size());
    view_.setProgress(0);
    const QString prefix =
        crcOn_ ? QStringLiteral("Phase 2: Compare Files ") : QStringLiteral("Compare Files ");
    for (int i = 1; i <= n; ++i) {
        poll();
        view_.setProgress(i);
        const FileName one = nameOf(i, true);
        view_.setCaption(prefix + percentText(i, n) + QStringLiteral("%"));
        view_.setStatus(StatusPanel::FileName, one.split.name);
        view_.setStatus(StatusPanel::Secs, QStringLiteral("Wait..."));
        for (int j = 1; j < i; ++j) {
            poll();
            const FileName two = nameOf(j, true);
            considerPair(i, j, one, two);
        }
    }
}

bool ScanRun::considerPair(int i, int j, const FileName& one, const FileName& two,
                           const MatchResult* known) {
    const MatchResult match =
        known ? *known : MatchNames(one.key, two.key, settings_.mode, numbers_, yield_);
    // A distance given up on a Stop or a failure is no distance: the pair is not listed.
    if (settings_.mode == MatchMode::Levenshtein && StopFlag)
        throw Stopped{};
    const qint32 crc1 = crcOf(i);
    const qint32 crc2 = crcOf(j);
    // Equal checksums of different sizes are a chance collision, not equal content.
    const bool byChecksum =
        crc1 != 0 && crc1 == crc2 && crcSizes_[size_t(i - 1)] == crcSizes_[size_t(j - 1)];
    if (!PairVerdict(match, settings_.mode, numbers_, byChecksum))
        return false;
    if (isRepeat(one.split.name, two.split.name))
        return false;
    const qint64 size1 = sizeOf(i);
    const qint64 size2 = sizeOf(j);
    const QString label = methodLabel(match.method);
    view_.setStatus(StatusPanel::Secs, label);

    const bool crcMark = crcOn_ && crc1 == crc2 && size1 == size2;
    ResultRow row;
    row.one = i - 1;
    row.two = j - 1;
    row.score = match.score;
    row.method = quint8(match.method);
    row.flags = quint8((crcMark ? ResultRow::CrcMark : 0) |
                       (settings_.mode == MatchMode::Levenshtein ? ResultRow::Distance : 0));
    rows_.addAtTop(row);
    ++fileOnes_[one.split.name];

    if (settings_.writeLog) {
        view_.setStatus(StatusPanel::Secs, QStringLiteral("Logging"));
        WriteLog(settings_.scanFolder,
                 label + QStringLiteral(": ") + one.path + QStringLiteral(" <=> ") + two.path +
                     QStringLiteral(" (") + QString::number(match.score) + QStringLiteral(")"),
                 QStringLiteral("Log"));
    }
    return true;
}

void ScanRun::phase2Indexed() {
    const int n = int(files_.size());
    view_.setProgress(0);
    const QString prefix =
        crcOn_ ? QStringLiteral("Phase 2: Compare Files ") : QStringLiteral("Compare Files ");

    // One compact record per file, its key id, built during phase 1; names and folders are cut
    // from the path on demand.
    build_->finish();
    poll();
    const KeyTable& keys = build_->keys;
    const std::vector<int>& keyOf = build_->keyOf;
    const bool thresholdsRead = numbers_.percent.ok() && numbers_.distance.ok();
    const bool groupUsable = numbers_.groupSize.ok() && numbers_.groupSize.value >= 0;
    const bool charMode = settings_.mode == MatchMode::Characters;
    // With every number readable no pair can fail, and from repeat mode 2 on a file one whose
    // name already stands as File One can give no row.
    const bool noFailure = thresholdsRead && numbers_.repeatMode.ok() && (!charMode || groupUsable);
    const int repeat = numbers_.repeatMode.ok() ? numbers_.repeatMode.value : 0;
    PairCandidates* index = build_->index.get();
    // Without a group size the first pair of keys of different lengths ends the scan.
    int firstOtherLength = n + 1;
    for (int p = 2; p <= n; ++p) {
        if (keys.length(keyOf[size_t(p)]) != keys.length(keyOf[1])) {
            firstOtherLength = p;
            break;
        }
    }

    // The earlier positions with each key, newest first: lastWith[key], then earlierWith of each;
    // 0 ends the chain. Most keys have one file, so a list per key would cost more than it holds.
    std::vector<int> lastWith(size_t(keys.keyCount()), 0);
    std::vector<int> earlierWith(size_t(n) + 1, 0);
    HashPostings byChecksum; // checksum -> earlier positions
    std::vector<KeyMatch> matches;
    struct Candidate {
        int position;
        int match; // index into matches, -1 for a checksum candidate
    };
    std::vector<Candidate> candidates;
    double shownHundredths = -1;
    QString caption;

    for (int i = 1; i <= n; ++i) {
        poll();
        view_.setProgress(i);
        // The caption changes once per hundredth of a percent; this is percentText's own
        // rounding, so the text is the one it would give.
        const double hundredths = std::nearbyint(double(i) / double(n) * 100.0 * 100.0);
        if (hundredths != shownHundredths) {
            shownHundredths = hundredths;
            caption = prefix + percentText(i, n) + QStringLiteral("%");
        }
        FileName one = nameOf(i, false, false);
        view_.setCaption(caption);
        view_.setStatus(StatusPanel::FileName, one.split.name);
        view_.setStatus(StatusPanel::Secs, QStringLiteral("Wait..."));
        const int key = keyOf[size_t(i)];

        if (!thresholdsRead) {
            // The first pair needs both numbers and ends the scan.
            if (i >= 2)
                considerPair(i, 1, keyed(one), nameOf(1, false));
            continue;
        }
        // From repeat mode 2 on, once this name stands as File One every later pair of it is a
        // repeat: its verdict is known to be true, so it only shows the first repeat check.
        bool repeats = noFailure && repeat >= 2 && fileOnes_.contains(one.split.name);
        matches.clear();
        candidates.clear();
        index->find(key, matches);
        for (int m = 0; m < int(matches.size()); ++m)
            for (int j = lastWith[size_t(matches[size_t(m)].keyId)]; j > 0;
                 j = earlierWith[size_t(j)])
                candidates.push_back({j, m});
        const qint32 crc = crcOf(i);
        if (crc != 0)
            byChecksum.forEach(uint64_t(quint32(crc)), [&](int j) {
                if (crcSizes_[size_t(j - 1)] == crcSizes_[size_t(i - 1)])
                    candidates.push_back({j, -1});
            });
        int last = i - 1;
        if (charMode && !groupUsable) {
            const int poison = keys.length(key) != keys.length(keyOf[1]) ? 1
                               : firstOtherLength < i                    ? firstOtherLength
                                                                         : 0;
            if (poison > 0) {
                candidates.push_back({poison, -1});
                last = poison;
            }
        }
        std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            return a.position != b.position ? a.position < b.position : a.match > b.match;
        });
        int previous = 0;
        for (const Candidate& c : candidates) {
            if (c.position == previous || c.position > last)
                continue;
            previous = c.position;
            poll();
            if (repeats) {
                view_.setStatus(StatusPanel::Secs, QStringLiteral("Dupe Chk1"));
                continue;
            }
            const bool known = c.match >= 0;
            const bool row = considerPair(i, c.position, known ? one : keyed(one),
                                          nameOf(c.position, false, !known),
                                          known ? &matches[size_t(c.match)].result : nullptr);
            repeats = row && noFailure && repeat >= 2;
        }
        if (lastWith[size_t(key)] == 0)
            index->activate(key);
        earlierWith[size_t(i)] = lastWith[size_t(key)];
        lastWith[size_t(key)] = i;
        if (crc != 0)
            byChecksum.add(uint64_t(quint32(crc)), i);
    }
}

// Asked once per file, when its first row is made; a failure is reported then and counts as 0.
qint64 ScanRun::sizeOf(int position) {
    qint64& size = rowFiles_->sizes[size_t(position - 1)];
    if (size < 0)
        size = qint64(GetFSize(files_.at(position - 1)));
    return size;
}

bool ScanRun::isRepeat(const QString& name1, const QString& name2) {
    const qint16 mode = need(numbers_.repeatMode);
    if (mode < 2 || fileOnes_.isEmpty())
        return false;
    view_.setStatus(StatusPanel::Secs, QStringLiteral("Dupe Chk1"));
    if (fileOnes_.contains(name1))
        return true;
    if (mode >= 3) {
        view_.setStatus(StatusPanel::Secs, QStringLiteral("Dupe Chk2"));
        if (fileOnes_.contains(name2))
            return true;
    }
    return false;
}

void ScanRun::endStep(ScanStatus status) {
    build_.reset();
    crcs_.clear();
    crcSizes_.clear();
    view_.showCRCSkip(false);
    view_.setStatus(StatusPanel::Secs, statusText(status));
    rows_.setSorted(true);
    view_.unlockControls(settings_.mode);
    view_.setScoreHeader(settings_.mode == MatchMode::Levenshtein ? QStringLiteral("Distance")
                                                                  : QStringLiteral("Matched"));
    view_.setProgress(0);
    view_.setCaption(AppTitle);
    view_.setStatus(StatusPanel::FileName,
                    QStringLiteral("Found: ") + QString::number(rows_.count()));
    rowFiles_.reset();
}

} // namespace

ScanStatus runScan(const ScanSettings& settings, RowStore& rows, ScanView& view,
                   PairSearch search) {
    ScanRun run(settings, rows, view);
    return run.run(search);
}

} // namespace nw
