#pragma once

#include "core/CharKeys.h"
#include "core/PairCandidates.h"
#include "core/Postings.h"

#include <vector>

namespace nw {

// Character matching between keys of equal length: a key is cut into one piece more than the
// positions a match may miss, so a match agrees on one piece at least; mismatches are then
// counted position by position.
class SameLengthIndex {
public:
    explicit SameLengthIndex(const CharKeys& keys)
        : keys_(keys)
        , stamps_(keys.count()) {}
    // Off the window's thread it gets no yielder and only watches StopFlag.
    void build(const Yielder& yield);
    // The active keys of key's length that match it.
    void find(int key, std::vector<KeyMatch>& out);

private:
    // Worth it only where the pieces are not single characters.
    bool cutsLength(int len) const {
        const int need = keys_.minScore(len);
        return need != INT_MAX && len / (len - need + 1) >= 2;
    }
    Piece piece(int len, int s) const { return pieceOf(len, len - keys_.minScore(len) + 1, s); }

    const CharKeys& keys_;
    Stamps stamps_;
    FrozenPostings pieces_; // (length, piece, text) -> keys, by id
};

} // namespace nw
