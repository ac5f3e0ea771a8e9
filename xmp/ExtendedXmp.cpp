// The parts are sorted by offset and laid into one buffer of the full length in
// a single sweep: each part adds the bytes past what earlier parts covered,
// and its overlap with them is compared, so a flood of duplicate parts costs
// what their bytes cost to read once.
#include "xmp/ExtendedXmp.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace xmp {

namespace {

struct TPiece {
    uint32_t FullLength = 0;
    uint32_t Offset = 0;
    std::string_view Bytes;
};

uint32_t BigEndian32(std::string_view b) {
    uint32_t v = 0;
    for (const char c : b.substr(0, 4)) v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

std::string_view GuidOf(std::string_view payload) { return payload.substr(ExtendedXmpSignature.size(), 32); }

TPiece PieceOf(std::string_view payload) {
    const std::size_t lengths = ExtendedXmpSignature.size() + 32;
    return {BigEndian32(payload.substr(lengths)), BigEndian32(payload.substr(lengths + 4)),
            payload.substr(ExtendedXmpHeaderSize)};
}

void NoteCount(std::vector<std::string> &notes, std::size_t count, const std::string &what) {
    if (count > 0) notes.push_back(std::to_string(count) + (count == 1 ? " part " : " parts ") + what);
}

// The parts of `guid` that agree with the first on the full length and lie
// within it; notes for the others.
std::vector<TPiece> PiecesOf(std::span<const std::string_view> payloads, std::string_view guid, std::vector<std::string> &notes) {
    std::vector<TPiece> parts;
    std::size_t malformed = 0, foreign = 0, otherLength = 0, outside = 0;
    for (const std::string_view payload : payloads) {
        if (!IsExtendedXmpPart(payload)) ++malformed;
        else if (GuidOf(payload) != guid) ++foreign;
        else {
            const TPiece part = PieceOf(payload);
            if (!parts.empty() && part.FullLength != parts.front().FullLength) ++otherLength;
            else if (part.Offset > part.FullLength || part.Bytes.size() > part.FullLength - part.Offset) ++outside;
            else parts.push_back(part);
        }
    }
    NoteCount(notes, malformed, "too short for an Extended XMP header left out");
    NoteCount(notes, foreign, "of another extension (another GUID) left out");
    NoteCount(notes, otherLength, "giving another full length than the first left out");
    NoteCount(notes, outside, "running past the full length left out");
    return parts;
}

}  // namespace

bool IsExtendedXmpPart(std::string_view app1Payload) {
    return app1Payload.size() >= ExtendedXmpHeaderSize && app1Payload.starts_with(ExtendedXmpSignature);
}

TExtendedXmp ReassembleExtendedXmp(std::span<const std::string_view> payloads, std::string_view guid, std::size_t maxBytes) {
    TExtendedXmp r;
    std::vector<TPiece> parts = PiecesOf(payloads, guid, r.Notes);
    if (parts.empty()) {
        r.Notes.push_back("no part of the extension " + std::string(guid) + " present");
        return r;
    }
    const std::size_t full = parts.front().FullLength;
    if (full > maxBytes) {
        r.Notes.push_back("an extension of " + std::to_string(full) + " bytes refused (more than " + std::to_string(maxBytes) + ")");
        return r;
    }
    std::stable_sort(parts.begin(), parts.end(), [](const TPiece &a, const TPiece &b) { return a.Offset < b.Offset; });
    r.Packet.assign(full, '\0');
    std::size_t covered = 0, present = 0, differing = 0;
    for (const TPiece &p : parts) {
        const std::size_t end = p.Offset + p.Bytes.size();
        const std::size_t overlap = p.Offset < covered ? std::min(covered, end) - p.Offset : 0;
        if (overlap > 0 && std::memcmp(r.Packet.data() + p.Offset, p.Bytes.data(), overlap) != 0) ++differing;
        if (end > covered) {
            std::memcpy(r.Packet.data() + p.Offset + overlap, p.Bytes.data() + overlap, end - p.Offset - overlap);
            present += end - std::max<std::size_t>(covered, p.Offset);
            covered = end;
        }
    }
    NoteCount(r.Notes, differing, "differing from an earlier part at the same offset; the earlier kept");
    r.Complete = present == full && full > 0;
    if (!r.Complete) {
        r.Notes.push_back("incomplete: " + std::to_string(present) + " of " + std::to_string(full) + " bytes present; not read");
        r.Packet.clear();
    }
    return r;
}

}  // namespace xmp
