#include "core/AutoMove.h"
#include "core/ErrorReport.h"
#include "core/Flags.h"
#include "core/NameMatching.h"
#include "core/ScanLog.h"
#include "core/Texts.h"
#include "platform/FileSystem.h"

namespace nw {

QString autoMoveDestination(const QString& folder, const QString& baseFolder,
                            const QString& target) {
    const QString find = fs::folderText(baseFolder);
    // Only at the start: the same text further in is another folder.
    if (!folder.startsWith(find))
        return folder;
    return target + folder.mid(find.size());
}

namespace {

// Writes the Move.txt line of a move just made. A move that cannot be recorded is taken back,
// so that Move.txt names every moved file.
ErrorInfo recordMove(ScanView& view, const QString& logFolder, const QString& folder,
                     const QString& name, const QString& destination) {
    view.setStatus(StatusPanel::Secs, QStringLiteral("Logging"));
    const ErrorInfo error = appendLogLine(
        logFolder, QStringLiteral("Move: ") + folder + name + QStringLiteral(" to ") + destination,
        QStringLiteral("Move"));
    if (!error)
        return {};
    const ErrorInfo back = fs::moveFile(destination + name, folder);
    if (!back)
        return error;
    // Two faults: the second report names the file that stays in the target unrecorded.
    ReportError(QStringLiteral("Global"), QStringLiteral("WriteLog"), error);
    return back;
}

} // namespace

void AutoMovePass(const ScanSettings& settings, const RowStore& rows, ScanView& view) {
    const QString target = fs::folderText(settings.autoMoveDir);
    const fs::MoveProceed proceed = [&view] {
        view.yield();
        return !StopFlag;
    };
    const int count = rows.count();
    for (int k = 1; k <= count; ++k) {
        view.yield();
        if (StopFlag)
            return;
        const double size2 = parseKilobyteText(rows.cell(k, ColFSize2));
        const double size1 = parseKilobyteText(rows.cell(k, ColFSize1));
        const bool moveTwo = size2 < size1;
        const QString folder = rows.cell(k, moveTwo ? ColFPath2 : ColFPath1);
        const QString name = rows.cell(k, moveTwo ? ColFile2 : ColFile1);
        const QString destination = autoMoveDestination(folder, settings.baseFolder, target);
        if (fs::fileExists(destination + name))
            continue;
        bool created = false;
        if (!fs::folderExists(destination)) {
            if (const ErrorInfo error = fs::createFolder(destination))
                throw ScanError{error};
            created = true;
        }
        ErrorInfo error = fs::moveFile(folder + name, destination, proceed);
        if (!error)
            error = recordMove(view, settings.scanFolder, folder, name, destination);
        if (!error)
            continue;
        if (created)
            fs::removeEmptyFolder(destination);
        // A copy abandoned on a Stop is no failure.
        if (error.number == ErrUserInterrupt)
            return;
        throw ScanError{error};
    }
}

} // namespace nw

namespace nw {

bool autoMoveTargetRefused(const QString& folderListPath, const QString& target) {
    return target.contains(folderListPath, Qt::CaseSensitive);
}

} // namespace nw
