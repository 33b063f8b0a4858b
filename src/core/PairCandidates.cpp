#include "core/PairCandidates.h"
#include "core/CharCandidates.h"
#include "core/DistanceCandidates.h"

namespace nw {

namespace {

class NoCandidates : public PairCandidates {
public:
    void find(int, std::vector<KeyMatch>&) override {}
    void activate(int) override {}
};

} // namespace

std::unique_ptr<PairCandidates> PairCandidates::make(const KeyTable& keys, MatchMode mode,
                                                     const MatchNumbers& numbers,
                                                     const Yielder& yield) {
    if (mode == MatchMode::Levenshtein) {
        if (numbers.distance.value < 0)
            return std::make_unique<NoCandidates>();
        return makeDistanceCandidates(keys, numbers.distance.value, yield);
    }
    if (numbers.percent.value <= 0 || numbers.percent.value > 100)
        return std::make_unique<NoCandidates>();
    return makeCharCandidates(keys, numbers, yield);
}

} // namespace nw
