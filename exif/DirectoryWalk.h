// TDirectoryWalk: the walks that fill a TImageInfo: a TIFF directory and the
// sub-directories it points to, and maker notes, over one checked view. The
// walk holds what bounds it: the directories visited, the depth, and the
// budget of entries looked at and value bytes kept.
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "exif/EndInd.h"
#include "exif/ImageInfo.h"
#include "exif/TagEntry.h"

namespace exif {

// The explicit context of one walk over a directory: the bytes and their
// byte order, the offset base, the size limit and depth of a TIFF directory,
// and for a maker note its table, its offset rule and the enclosing data.
struct TWalkContext {
    tEndInd View;
    Pos Base = 0;
    int64_t Limit = 0;
    int Kind = 1;
    int Level = 0;
    std::span<const TTagRow> Table;
    int64_t D = 0, B = 0, A = 0;
    tEndInd Outer;
};

class TDirectoryWalk {
public:
    explicit TDirectoryWalk(TImageInfo &info);

    void WalkDirectory(Pos start, Pos base, int64_t limit, int kind);
    void WalkMakerNote(std::string_view note, std::span<const TTagRow> table, int64_t d, int64_t b, int64_t a,
                       bool bigEndian);

    const TWalkBudget &Budget() const { return WalkBudget; }
    int64_t EntriesLookedAt() const { return EntriesLooked; }
    int64_t BytesKept() const { return BytesKeptSoFar; }

private:
    TImageInfo &Info;
    std::set<Pos> Visited;
    TWalkBudget WalkBudget;
    int64_t EntriesLooked = 0;
    int64_t BytesKeptSoFar = 0;

    void SizeBudget(int64_t metadataBytes);
    bool ChargeEntry();
    bool KeepBytes(int64_t bytes);
    void WalkDirectoryAt(const TWalkContext &c, Pos start);
    void WalkEntries(const TWalkContext &c, Pos first, int64_t count, bool maker);
    void WalkEntry(const TWalkContext &c, Pos entry);
    void WalkMakerEntry(const TWalkContext &c, Pos entry);
    void HandleSpecialTag(const TWalkContext &c, uint16_t tag, unsigned type, const Bytes &raw, const std::string &text,
                          Pos valuePos);
    void FollowPointer(const TWalkContext &c, Pos valuePos, int kind);
    void StoreMakerEntry(const TTagRow &row, unsigned type, std::string text, Bytes raw);
};

}  // namespace exif
