#pragma once

#include "core/RowStore.h"
#include "core/ScanSettings.h"
#include "core/ScanView.h"

namespace nw {

// Moves the smaller file of every row of rows into the auto-move folder, rebuilding its folder path
// below the scanned folder there, and records each move in Move.txt. A file whose name already
// stands at the destination stays. Throws ScanError at the first failed move, or at a move that
// cannot be recorded (that move is taken back): the moves before it stay, each recorded, and no
// file is ever lost or overwritten. Yields to view between files and between the blocks of a
// copy; a Stop (StopFlag) ends the pass after the file in hand, abandoning an unfinished copy.
// A folder made for a move that did not happen is removed again.
void AutoMovePass(const ScanSettings& settings, const RowStore& rows, ScanView& view);

// Where a file of folder goes: the scanned folder's text at the start of folder becomes target.
QString autoMoveDestination(const QString& folder, const QString& baseFolder,
                            const QString& target);

} // namespace nw

namespace nw {

// The target folder of the auto-move pass is refused when the folder being scanned occurs
// anywhere in it (a plain, case-sensitive substring test).
bool autoMoveTargetRefused(const QString& folderListPath, const QString& target);
inline const QString AutoMoveRefusedText =
    QStringLiteral("Directory cannot be inside search path!");

} // namespace nw
