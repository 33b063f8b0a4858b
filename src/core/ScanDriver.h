#pragma once

#include "core/RowStore.h"
#include "core/ScanSettings.h"
#include "core/ScanView.h"

namespace nw {

enum class ScanStatus { Done, Canceled, Error };

// How phase 2 finds the pairs to compare. Reference compares every pair, as the plain loop over
// all earlier files does; Indexed asks an index for the pairs that can match and gives the same
// rows, log lines and status.
enum class PairSearch { Reference, Indexed };

// Runs one scan from the start step to the end step: the pairs found go to rows, progress and
// the controls' state to view.
ScanStatus runScan(const ScanSettings& settings, RowStore& rows, ScanView& view,
                   PairSearch search = PairSearch::Indexed);

QString statusText(ScanStatus status);

} // namespace nw
