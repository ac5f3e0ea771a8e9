// Bounded zlib inflation for the compressed blocks some containers hold
// (PNG's zTXt, iTXt and iCCP chunks). However small the compressed bytes,
// the output never grows past the bound the caller gives: a stream that
// would inflate further (a "zip bomb") ends as OverLimit with no bytes kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace containers {

enum class TInflateEnd {
    Complete,   // the stream ended properly; Bytes holds all of it
    OverLimit,  // the stream inflates to more than the bound
    Corrupt,    // not a zlib stream, or damaged
    CutShort,   // the compressed bytes end before the stream does
};

struct TInflated {
    std::string Bytes;  // empty unless End is Complete
    TInflateEnd End = TInflateEnd::Corrupt;
    uint64_t Produced = 0;  // bytes inflated, kept or not (the work done)
};

// Inflates a zlib stream (header, deflate data, Adler-32) to at most
// `maxOut` bytes.
TInflated InflateBounded(std::string_view zlibStream, uint64_t maxOut);

// Plain words for a failed inflation, for a note ("inflates past the limit").
std::string_view InflateEndText(TInflateEnd end);

}  // namespace containers
