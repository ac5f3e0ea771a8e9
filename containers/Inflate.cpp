#include "containers/Inflate.h"

#include <algorithm>
#include <array>

// The zlib stream's input is the file's bytes, never written to.
#define ZLIB_CONST
#include <zlib.h>

namespace containers {

namespace {

// Output grows by this much per inflate call; input is handed over in pieces
// zlib's 32-bit counters can hold.
constexpr uint64_t OutStep = 64 * 1024;
constexpr uint64_t InStep = uint64_t{1} << 30;

// A z_stream set up for inflation, released however the inflation ends.
class TInflateStream {
public:
    TInflateStream() { Ready = inflateInit(&Stream) == Z_OK; }
    ~TInflateStream() {
        if (Ready) inflateEnd(&Stream);
    }
    TInflateStream(const TInflateStream &) = delete;
    TInflateStream &operator=(const TInflateStream &) = delete;

    z_stream Stream{};
    bool Ready = false;
};

// Hands zlib the next piece of the input once it has used the last one.
void FeedInput(z_stream &z, std::string_view in, uint64_t &handed) {
    if (z.avail_in != 0 || handed >= in.size()) return;
    const uint64_t piece = std::min<uint64_t>(InStep, in.size() - handed);
    z.next_in = reinterpret_cast<const Bytef *>(in.substr(static_cast<size_t>(handed)).data());
    z.avail_in = static_cast<uInt>(piece);
    handed += piece;
}

// Room for the next call's output: as much again as came so far, from a
// few times the input's size (most streams stay within it: the room is
// zero-filled before inflate writes it) up to OutStep; one byte more than
// the bound allows, so that a stream going on past the bound shows itself.
uint64_t NextOutStep(uint64_t produced, uint64_t inSize, uint64_t maxOut) {
    const uint64_t room = maxOut - produced;
    const uint64_t step = std::min(OutStep, std::max({produced, 4 * inSize, uint64_t{1024}}));
    return room < step ? room + 1 : step;
}

}  // namespace

TInflated InflateBounded(std::string_view in, uint64_t maxOut) {
    TInflateStream s;
    if (!s.Ready) return {};
    z_stream &z = s.Stream;
    std::string out;
    uint64_t handed = 0;
    for (;;) {
        FeedInput(z, in, handed);
        const uint64_t step = NextOutStep(out.size(), in.size(), maxOut);
        const size_t before = out.size();
        out.resize(before + static_cast<size_t>(step));
        z.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        z.avail_out = static_cast<uInt>(step);
        const int rc = inflate(&z, Z_NO_FLUSH);
        out.resize(before + static_cast<size_t>(step - z.avail_out));
        const uint64_t produced = out.size();
        if (produced > maxOut) return {{}, TInflateEnd::OverLimit, produced};
        if (rc == Z_STREAM_END) return {std::move(out), TInflateEnd::Complete, produced};
        if (rc != Z_OK && rc != Z_BUF_ERROR) return {{}, TInflateEnd::Corrupt, produced};
        const bool inputUsedUp = z.avail_in == 0 && handed >= in.size();
        if (inputUsedUp && z.avail_out != 0) return {{}, TInflateEnd::CutShort, produced};
    }
}

std::string_view InflateEndText(TInflateEnd end) {
    switch (end) {
    case TInflateEnd::Complete: return "inflated";
    case TInflateEnd::OverLimit: return "inflates past the limit of bytes kept";
    case TInflateEnd::Corrupt: return "is not a readable zlib stream";
    case TInflateEnd::CutShort: return "is a zlib stream cut short";
    }
    return "";
}

}  // namespace containers
