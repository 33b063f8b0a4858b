#include "AutoMove.h"
#include "FileSystem.h"
#include "NameMatching.h"
#include "ScanLog.h"
#include "Texts.h"

namespace nw {

QString autoMoveDestination(const QString& folder, const QString& baseFolder,
                            const QString& target) {
    const QString find = fs::folderText(baseFolder);
    // Only at the start: the same text further in is another folder.
    if (!folder.startsWith(find))
        return folder;
    return target + folder.mid(find.size());
}

void AutoMovePass(const ScanSettings& settings, const ScanView& rows) {
    const QString target = fs::folderText(settings.autoMoveDir);
    const int count = rows.rowCount();
    for (int k = 1; k <= count; ++k) {
        const double size2 = parseKilobyteText(rows.rowCell(k, ColFSize2));
        const double size1 = parseKilobyteText(rows.rowCell(k, ColFSize1));
        const bool moveTwo = size2 < size1;
        const QString folder = rows.rowCell(k, moveTwo ? ColFPath2 : ColFPath1);
        const QString name = rows.rowCell(k, moveTwo ? ColFile2 : ColFile1);
        const QString destination = autoMoveDestination(folder, settings.baseFolder, target);
        if (fs::fileExists(destination + name))
            continue;
        if (!fs::folderExists(destination)) {
            if (const ErrorInfo error = fs::createFolder(destination))
                throw ScanError{error};
        }
        if (const ErrorInfo error = fs::moveFile(folder + name, destination))
            throw ScanError{error};
        WriteLog(settings.scanFolder,
                 QStringLiteral("Move: ") + folder + name + QStringLiteral(" to ") + destination,
                 QStringLiteral("Move"));
    }
}

} // namespace nw

namespace nw {

bool autoMoveTargetRefused(const QString& folderListPath, const QString& target) {
    return target.contains(folderListPath, Qt::CaseSensitive);
}

} // namespace nw
