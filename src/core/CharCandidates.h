#pragma once

#include "core/PairCandidates.h"

namespace nw {

// Character matching's candidate search: needs a percentage above 0 and at most 100.
std::unique_ptr<PairCandidates>
makeCharCandidates(const KeyTable& keys, const MatchNumbers& numbers, const Yielder& yield);

} // namespace nw
