#include "containers/Photoshop.h"

#include <algorithm>
#include <array>

#include "containers/Container.h"

namespace containers {

namespace {

// Other programs (ImageReady, PhotoDeluxe...) wrote blocks of the same
// layout under signatures of their own; their ids mean other things, so they
// are walked over, not passed on.
constexpr std::string_view PhotoshopSignature = "8BIM";
constexpr std::array<std::string_view, 4> OtherSignatures = {"PHUT", "DCSR", "AgHg", "MeSa"};

bool IsResourceSignature(std::string_view sig) {
    return sig == PhotoshopSignature || std::find(OtherSignatures.begin(), OtherSignatures.end(), sig) != OtherSignatures.end();
}

uint64_t PaddedToEven(uint64_t n) { return n + (n & 1); }

// The Pascal name's length with its length byte, padded to even: an empty
// name takes two bytes.
uint64_t NameFieldLength(const TByteReader &bytes, uint64_t at) { return PaddedToEven(uint64_t{bytes.U8(at)} + 1); }

// Where a block's data starts: after signature, id and the name field, and
// after the 4-byte size.
uint64_t DataOffset(const TByteReader &bytes, uint64_t block) {
    return block + 6 + NameFieldLength(bytes, block + 6) + 4;
}

}  // namespace

TPhotoshopResources FindPhotoshopResources(const TByteReader &bytes, uint64_t start, uint64_t end) {
    TPhotoshopResources result;
    end = std::min(end, bytes.Size());
    uint64_t at = start;
    for (int64_t walked = 0; at < end; ++walked) {
        if (walked == MaxBoxesWalked) {
            result.Stopped = "more than " + std::to_string(MaxBoxesWalked) + " resources; the rest not read";
            return result;
        }
        const std::string_view sig = bytes.Bytes(at, 4);
        if (!IsResourceSignature(sig)) {
            result.Stopped = "no resource signature at offset " + std::to_string(at);
            return result;
        }
        const uint64_t data = DataOffset(bytes, at);
        if (data > end) {
            result.Stopped = "a resource header runs past the end at offset " + std::to_string(at);
            return result;
        }
        const uint64_t size = bytes.U32BE(data - 4);
        if (size > end - data) {
            result.Stopped = "a resource's data runs past the end at offset " + std::to_string(at);
            return result;
        }
        if (sig == PhotoshopSignature) {
            const uint16_t id = bytes.U16BE(at + 4);
            const bool wanted = id == PhotoshopIptcId || id == PhotoshopIccId || id == PhotoshopExifId ||
                                id == PhotoshopXmpId;
            result.Found.push_back({id, data, size, wanted && size <= MaxViewedResource ? bytes.Bytes(data, size) : ""});
        }
        at = data + PaddedToEven(size);
    }
    return result;
}

}  // namespace containers
