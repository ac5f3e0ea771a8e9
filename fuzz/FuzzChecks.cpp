#include "fuzz/FuzzChecks.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bytes/Unicode.h"
#include "exif/ImageInfo.h"
#include "exif/TextFormat.h"
#include "iptc/IptcData.h"

namespace fuzzcheck {

namespace {

// Printable form of a detail text, so that the report itself stays readable.
std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text.substr(0, 200)) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

bool IsTerminalControl(char32_t cp) {
    if (cp == '\t' || cp == '\r' || cp == '\n') return false;
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

}  // namespace

void Fail(std::string_view what, std::string_view detail) {
    std::fprintf(stderr, "fuzz invariant broken: %.*s: %s\n", static_cast<int>(what.size()), what.data(),
                 Printable(detail).c_str());
    std::fflush(stderr);
    std::abort();
}

bool IsWellFormedUtf8(std::string_view text) {
    return exif::IsValidUtf8(text);
}

namespace {

void CheckUtf8Form(std::string_view text, std::string_view what, bool controlsAllowed) {
    for (size_t at = 0; at < text.size();) {
        if (exif::Utf8SequenceLength(text, at) == 0) Fail(what, "malformed UTF-8 in " + std::string(text));
        const char32_t c = exif::NextCodePoint(text, at);
        if (!controlsAllowed && IsTerminalControl(c)) Fail(what, "control character in " + std::string(text));
    }
}

}  // namespace

void CheckTerminalText(std::string_view text, std::string_view what) {
    CheckUtf8Form(text, what, true);
}

void CheckTerminalName(std::string_view text, std::string_view what) {
    CheckUtf8Form(text, what, false);
}

void CheckExportBytes(std::string_view exported) {
    for (size_t at = 0; at < exported.size(); ++at) {
        const auto c = static_cast<unsigned char>(exported[at]);
        if (c == '\r' && at + 1 < exported.size() && exported[at + 1] == '\n') {
            ++at;
            continue;
        }
        Expect(c >= 0x20, "the export file holds no control byte but its CR LF line ends", exported.substr(0, at + 1));
    }
}

void CheckEntryStore(const exif::TImageInfo &info) {
    const int32_t count = info.EntryCount();
    Expect(count >= 0 && (count == 0 || count < info.Capacity()), "entry count within the slots");
    Expect(info.EntryAt(-1).Tag == 0 && info.EntryAt(count).Tag == 0, "no entry outside 0..count-1");
    for (int32_t i = 0; i < count; ++i) {
        const exif::TTagEntry e = info.EntryAt(i);
        Expect(e.Tag != 0 || e.Name == "GPSVersionID", "stored entry has a tag", e.Name);
        Expect(!e.Name.empty(), "stored entry has a name");
        Expect(e.MakerNote == 0 || e.MakerNote == 1, "maker-note flag is 0 or 1", e.Name);
        const int32_t first = info.EntryIndexOf(e.Name);
        Expect(first >= 0 && first <= i, "name lookup finds the first entry of that name", e.Name);
        Expect(exif::SameTextAscii(info.EntryAt(first).Name, e.Name), "name lookup finds that name", e.Name);
        if (e.MakerNote == 0) {
            Expect(e.RawLength == static_cast<int32_t>(e.Raw.size()), "raw length is the raw byte count", e.Name);
            if (e.ValuePosition != 0)
                Expect(info.Region(e.ValuePosition, e.RawLength) == e.Raw, "raw bytes are those at the value position",
                       e.Name);
        }
        CheckTerminalName(e.Name, "entry name");
        CheckTerminalText(e.Value, "entry value");
    }
    CheckTerminalText(info.UserCommentText, "user comment");
}

void CheckIptcEntries(const iptc::TIPTCdata &data, std::string_view segment) {
    const int32_t count = data.EntryCount();
    Expect(count >= 0 && (count == 0 || count < data.Capacity()), "IPTC count within the slots");
    Expect(data.EntryAt(count).Tag == 0, "no IPTC entry past the count");
    // A dataset takes at least its marker, its 4-byte header and the byte
    // stepped over after its value (the next marker, unchecked).
    Expect(static_cast<size_t>(count) <= segment.size() / 5 + 1, "no more IPTC entries than datasets fit");
    for (int32_t i = 0; i < count; ++i) {
        const exif::TTagEntry e = data.EntryAt(i);
        Expect(e.Tag != 0 && !e.Name.empty(), "IPTC entry has a dataset and a name", e.Name);
        Expect(e.RecordNumber == 2 || e.RecordNumber == 8, "IPTC entry of record 2 or 8", e.Name);
        const int32_t first = data.IndexOfName(e.Name);
        Expect(first >= 0 && first <= i, "IPTC name lookup finds the first entry of that name", e.Name);
        Expect(data.ValueOf(e.Name, "\x01") == data.EntryAt(first).Value, "IPTC value lookup", e.Name);
        if (e.RecordNumber == 2 && iptc::IPTCRepeatable.test(e.Tag))
            Expect(first == i, "a repeatable dataset is one entry", e.Name);
        else
            // A Windows-1252 byte is at most three bytes of UTF-8.
            Expect(e.Value.size() <= 3 * segment.size(), "IPTC value no longer than its bytes as text", e.Name);
        CheckTerminalName(e.Description, "IPTC description");
        CheckTerminalText(e.Value, "IPTC value");
    }
}

namespace {

// Whether `part` lies wholly inside `whole`; `at` is then its offset there.
bool Within(std::string_view part, std::string_view whole, size_t &at) {
    const auto p = reinterpret_cast<uintptr_t>(part.data()), w = reinterpret_cast<uintptr_t>(whole.data());
    if (p < w || p - w > whole.size() || part.size() > whole.size() - (p - w)) return false;
    at = p - w;
    return true;
}

bool OpensTiff(std::string_view bytes) {
    using namespace std::string_view_literals;
    return bytes.starts_with("II*\0"sv) || bytes.starts_with("MM\0*"sv);
}

}  // namespace

void CheckContainerRead(const containers::TContainerRead &read, std::string_view input, const TContainerKinds &kinds) {
    const containers::TFileType content = containers::FileTypeOfContent(input);
    const bool ofKind = std::ranges::find(kinds.Reads, content) != kinds.Reads.end();
    Expect(read.Type == (ofKind ? content : kinds.Otherwise), "container type is the one its first bytes give",
           containers::FileTypeName(read.Type));
    for (const std::string &owned : read.Owned)
        if (owned.size() > containers::MaxOwnedBlock) Fail("owned bytes within MaxOwnedBlock", std::to_string(owned.size()));
    for (const containers::TBlock &b : read.Blocks) {
        if (kinds.ExifOpensTiff && b.Kind == containers::TBlockKind::Exif)
            Expect(OpensTiff(b.Bytes), "an Exif block starts with a TIFF header", b.Bytes);
        if (b.Bytes.empty()) continue;
        size_t at = 0;
        if (Within(b.Bytes, input, at)) {
            // A view of the file is never larger than its kind's limit:
            // nothing is loaded in proportion to a size the file claims.
            if (b.Bytes.size() > containers::MaxBlockBytes(b.Kind))
                Fail("a block viewed in the file within its kind's limit", std::to_string(b.Bytes.size()));
            if (b.FileOffset != at)
                Fail("a block's file offset is where it lies in the input",
                     std::to_string(b.FileOffset) + " for " + std::to_string(at));
            continue;
        }
        Expect(std::ranges::any_of(read.Owned, [&](const std::string &o) { return Within(b.Bytes, o, at); }),
               "a block lies in the input or in the result's owned bytes");
        Expect(b.FileOffset == 0, "a block of owned bytes has no file offset");
    }
    for (const std::string &note : read.Notes)
        Expect(!note.empty() && std::ranges::all_of(note, [](char c) { return c >= 0x20 && c < 0x7F; }),
               "a note is one line of printable ASCII", note);
}

void CheckSameRead(const containers::TContainerRead &a, const containers::TContainerRead &b, std::string_view input) {
    Expect(a.Type == b.Type && a.Notes == b.Notes, "a second read gives the same type and notes");
    Expect(a.Blocks.size() == b.Blocks.size(), "a second read gives as many blocks");
    for (size_t i = 0; i < a.Blocks.size(); ++i) {
        const containers::TBlock &x = a.Blocks[i], &y = b.Blocks[i];
        size_t at = 0;
        Expect(x.Kind == y.Kind && x.Role == y.Role && x.FileOffset == y.FileOffset && x.Bytes == y.Bytes &&
                   (!Within(x.Bytes, input, at) || x.Bytes.data() == y.Bytes.data()),
               "a second read gives the same blocks");
    }
}

}  // namespace fuzzcheck
