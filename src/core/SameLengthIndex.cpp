#include "core/SameLengthIndex.h"

namespace nw {

void SameLengthIndex::build(const Yielder& yield) {
    std::vector<FrozenPostings::Item> items;
    std::vector<uint64_t> tags;
    // Sized whole: grown by doubling, the list would hold up to twice its size at its peak.
    size_t pieces = 0;
    for (int id = 0; id < keys_.count(); ++id)
        if (cutsLength(keys_.length(id)))
            pieces += size_t(keys_.length(id) - keys_.minScore(keys_.length(id)) + 1);
    items.reserve(pieces);
    tags.reserve(size_t(keys_.count()));
    for (int id = 0; id < keys_.count(); ++id) {
        if (stoppedWhileIndexing(id, yield))
            return;
        const int len = keys_.length(id);
        tags.push_back(0);
        if (!cutsLength(len))
            continue;
        const QStringView text = keys_.key(id);
        tags.back() = placedChars(text);
        const int parts = len - keys_.minScore(len) + 1;
        for (int s = 0; s < parts; ++s) {
            const Piece p = piece(len, s);
            items.push_back({pieceHash(len, s, text.mid(p.start, p.size)), id});
        }
    }
    pieces_.build(items, tags);
}

void SameLengthIndex::find(int key, std::vector<KeyMatch>& out) {
    const int len = keys_.length(key);
    const int need = keys_.minScore(len);
    if (need == INT_MAX || len > keys_.longestActive())
        return;
    const int allowed = len - need;
    const char16_t* a = keys_.key(key).utf16();
    auto verify = [&](int other) {
        const char16_t* b = keys_.key(other).utf16();
        int misses = 0;
        for (int k = 0; k < len && misses <= allowed; ++k)
            misses += a[k] != b[k];
        if (misses <= allowed)
            out.push_back({other, MatchResult{len - misses, len, Method::SameLength}});
    };
    if (!cutsLength(len)) {
        for (int other : keys_.activeOfLength(len))
            verify(other);
        return;
    }
    stamps_.next();
    const QStringView text = keys_.key(key);
    const uint64_t query = placedChars(text);
    const ActiveKeys& active = keys_.active();
    for (int s = 0; s <= allowed; ++s) {
        const Piece p = piece(len, s);
        uint32_t e = 0, end = 0;
        pieces_.list(pieceHash(len, s, text.mid(p.start, p.size)), e, end);
        for (; e != end && pieces_.value(e) < active.bound(); ++e) {
            const int other = pieces_.value(e);
            // A placed character missing either way is a mismatched position.
            if (fewClassesMissing(query, pieces_.tag(e), allowed) && active.hasBelow(other) &&
                keys_.compactLength(other) == len && stamps_.first(other))
                verify(other);
        }
    }
}

} // namespace nw
