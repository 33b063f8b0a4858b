#include "ScanDriver.h"
#include "AutoMove.h"
#include "ErrorReport.h"
#include "FileCrc.h"
#include "FileEnumeration.h"
#include "FileSystem.h"
#include "Flags.h"
#include "NameMatching.h"
#include "ScanLog.h"
#include "Texts.h"

#include <QHash>

#include <new>
#include <vector>

namespace nw {

QString statusText(ScanStatus status)
{
    switch (status) {
    case ScanStatus::Done: return QStringLiteral("Done");
    case ScanStatus::Canceled: return QStringLiteral("Canceled");
    case ScanStatus::Error: return QStringLiteral("Error");
    }
    return {};
}

namespace {

// Thrown where a poll of StopFlag sends the scan to its end step.
struct Stopped {};

struct FileName {
    QString path;
    SplitName split;
    QString key;
};

class ScanRun {
public:
    ScanRun(const ScanSettings& settings, ScanView& view)
        : settings_(settings)
        , view_(view)
        , numbers_(MatchNumbers::read(settings))
        , crcOn_(settings.checkCRC)
        , yield_([this] { view_.yield(); })
    {
    }

    ScanStatus run(PairSearch search);

private:
    void poll()
    {
        view_.yield();
        if (StopFlag)
            throw Stopped{};
    }
    void startStep();
    void phase1();
    void phase2Reference();
    FileName nameOf(int position, bool yielding);
    void considerPair(int i, int j, const FileName& one, const FileName& two);
    bool isRepeat(const QString& name1, const QString& name2);
    void endStep(ScanStatus status);

    const ScanSettings& settings_;
    ScanView& view_;
    MatchNumbers numbers_;
    bool crcOn_;
    Yielder yield_;
    FileList files_;
    std::vector<qint32> crcs_;     // slot p - 1 for position p; 0 also for a slot never written
    std::vector<qint64> crcSizes_; // bytes the checksum covers, -1 without one
    QHash<QString, int> fileOnes_; // File One names of the rows of this scan
};

ScanStatus ScanRun::run(PairSearch search)
{
    ScanStatus status = ScanStatus::Done;
    ErrorInfo failure;
    try {
        startStep();
        phase1();
        (void)search;
        phase2Reference();
        if (settings_.autoMove)
            AutoMovePass(settings_, view_);
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

void ScanRun::startStep()
{
    StopFlag = false;
    CRCSkipFlag = false;
    view_.setRowsSorted(false);
    view_.lockControls();
    if (settings_.writeLog) {
        const QString log = logPath(settings_.scanFolder, QStringLiteral("Log"));
        if (fs::fileExists(log)) {
            if (const ErrorInfo error = fs::deleteFile(log))
                throw ScanError{error};
        }
    }
    view_.clearRows();
    files_ = GetFileList(settings_.scanFolder, yield_);
    const int n = int(files_.size());
    view_.setProgressRange(0, n);
    crcs_.assign(size_t(n), 0);
    crcSizes_.assign(size_t(n), -1);
    view_.showCRCSkip(true);
}

void ScanRun::phase1()
{
    const int n = int(files_.size());
    for (int p = 1; p <= n; ++p) {
        view_.setProgress(p);
        poll();
        if (crcOn_) {
            const QString& f = files_.at(p - 1);
            view_.setStatus(StatusPanel::Secs, QStringLiteral("CRC"));
            view_.setCaption(QStringLiteral("Phase 1: Get CRC ") + percentText(p, n) +
                             QStringLiteral("%"));
            view_.setStatus(StatusPanel::FileName, f);
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

FileName ScanRun::nameOf(int position, bool yielding)
{
    FileName f;
    f.path = files_.at(position - 1);
    if (yielding) {
        if (!SplitPath(f.path, f.split, yield_))
            throw Stopped{};
    } else {
        f.split = SplitPath(f.path);
    }
    f.key = CompareKey(f.split.name, f.split.extension, settings_.ignoreExtensions);
    return f;
}

void ScanRun::phase2Reference()
{
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

void ScanRun::considerPair(int i, int j, const FileName& one, const FileName& two)
{
    const MatchResult match = MatchNames(one.key, two.key, settings_.mode, numbers_, yield_);
    // A distance given up on a Stop or a failure is no distance: the pair is not listed.
    if (settings_.mode == MatchMode::Levenshtein && StopFlag)
        throw Stopped{};
    const qint32 crc1 = crcs_[size_t(i - 1)];
    const qint32 crc2 = crcs_[size_t(j - 1)];
    // Equal checksums of different sizes are a chance collision, not equal content.
    const bool byChecksum =
        crc1 != 0 && crc1 == crc2 && crcSizes_[size_t(i - 1)] == crcSizes_[size_t(j - 1)];
    if (!PairVerdict(match, settings_.mode, numbers_, byChecksum))
        return;
    if (isRepeat(one.split.name, two.split.name))
        return;
    const double size1 = GetFSize(one.path);
    const double size2 = GetFSize(two.path);
    const QString label = methodLabel(match.method);
    view_.setStatus(StatusPanel::Secs, label);

    const bool crcMark = crcOn_ && crc1 == crc2 && size1 == size2;
    ResultRow row;
    row.cells[ColFile1] = one.split.name;
    row.cells[ColFSize1] = kilobyteText(qint64(size1));
    row.cells[ColFPath1] = one.split.folder;
    if (crcMark)
        row.cells[ColMatched] = QStringLiteral("NA");
    else if (settings_.mode == MatchMode::Levenshtein)
        row.cells[ColMatched] = QString::number(match.score);
    else
        row.cells[ColMatched] = QString::number(match.score) +
                                (match.method == Method::SameLength ? QStringLiteral(" chrs")
                                                                    : QStringLiteral(" grps"));
    row.cells[ColFile2] = two.split.name;
    row.cells[ColFSize2] = kilobyteText(qint64(size2));
    row.cells[ColFPath2] = two.split.folder;
    row.cells[ColMethod] = crcMark ? QStringLiteral("CRC") : label;
    view_.addRowAtTop(row);
    ++fileOnes_[one.split.name];

    if (settings_.writeLog) {
        view_.setStatus(StatusPanel::Secs, QStringLiteral("Logging"));
        WriteLog(settings_.scanFolder,
                 label + QStringLiteral(": ") + one.path + QStringLiteral(" <=> ") + two.path +
                     QStringLiteral(" (") + QString::number(match.score) + QStringLiteral(")"),
                 QStringLiteral("Log"));
    }
}

bool ScanRun::isRepeat(const QString& name1, const QString& name2)
{
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

void ScanRun::endStep(ScanStatus status)
{
    crcs_.clear();
    crcSizes_.clear();
    view_.showCRCSkip(false);
    view_.setStatus(StatusPanel::Secs, statusText(status));
    view_.setRowsSorted(true);
    view_.unlockControls(settings_.mode);
    view_.setScoreHeader(settings_.mode == MatchMode::Levenshtein ? QStringLiteral("Distance")
                                                                  : QStringLiteral("Matched"));
    view_.setProgress(0);
    view_.setCaption(AppTitle);
    view_.setStatus(StatusPanel::FileName, QStringLiteral("Found: ") + QString::number(view_.rowCount()));
    files_.clear();
}

} // namespace

ScanStatus runScan(const ScanSettings& settings, ScanView& view, PairSearch search)
{
    ScanRun run(settings, view);
    return run.run(search);
}

} // namespace nw
