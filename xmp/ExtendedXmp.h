// JPEG's Extended XMP: a packet too large for one APP1 segment keeps the
// main properties in the usual XMP segment, which names the rest with
// xmpNote:HasExtendedXMP, a GUID; the rest is a second packet cut into APP1
// segments of their own:
//
//   "http://ns.adobe.com/xmp/extension/\0"   35 bytes
//   GUID                                     32 ASCII hex digits
//   full length of the extended packet       4 bytes, big-endian
//   offset of this part in it                4 bytes, big-endian
//   the part's bytes
//
// The parts may come in any order, and a file may hold the parts of other
// extensions (another GUID) too.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xmp {

inline constexpr std::string_view ExtendedXmpSignature{"http://ns.adobe.com/xmp/extension/\0", 35};
inline constexpr std::size_t ExtendedXmpHeaderSize = 35 + 32 + 4 + 4;
inline constexpr std::size_t MaxExtendedXmpBytes = 8 * 1024 * 1024;

// True for an APP1 payload that is a part of an Extended XMP.
bool IsExtendedXmpPart(std::string_view app1Payload);

struct TExtendedXmp {
    std::string Packet;  // whole only when Complete
    bool Complete = false;
    // What was wrong or left out, in plain words (without a prefix).
    std::vector<std::string> Notes;
};

// The extended packet of `guid` put together from the parts that carry it,
// by offset. The parts of another GUID are left out; duplicate parts are taken
// once; a gap, a part past the full length, or a full length over
// maxBytes leaves it incomplete.
TExtendedXmp ReassembleExtendedXmp(std::span<const std::string_view> parts, std::string_view guid,
                                   std::size_t maxBytes = MaxExtendedXmpBytes);

}  // namespace xmp
