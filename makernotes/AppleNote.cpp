// Apple's note: "Apple iOS\0", a version, "MM", then a directory whose value
// offsets count from the note's first byte. Its numbers are signed; its
// run-time entry is a binary property list (a dictionary of integers).
#include <algorithm>
#include <array>
#include <vector>

#include "bytes/EndInd.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

constexpr std::string_view NoYes = "0:No,1:Yes";

// clang-format off
constexpr std::array<TTagRow, 24> AppleRows = {{
    {0x0001, "MakerNoteVersion", "Maker Note Version", "", "", nullptr},
    {0x0003, "RunTime", "Run Time", "", "", AppleRunTime},
    {0x0004, "AEStable", "AE Stable", NoYes, "", nullptr},
    {0x0005, "AETarget", "AE Target", "", "", nullptr},
    {0x0006, "AEAverage", "AE Average", "", "", nullptr},
    {0x0007, "AFStable", "AF Stable", NoYes, "", nullptr},
    {0x0008, "AccelerationVector", "Acceleration Vector", "", "", DecimalsText},
    {0x000A, "HDRImageType", "HDR Image Type", "3:HDR Image,4:Original Image", "", nullptr},
    {0x000B, "BurstUUID", "Burst UUID", "", "", nullptr},
    {0x000C, "FocusDistanceRange", "Focus Distance Range", "", "", AppleFocusDistanceRange},
    {0x000F, "OISMode", "OIS Mode", "", "", nullptr},
    {0x0011, "MediaGroupUUID", "Media Group UUID", "", "", nullptr},
    {0x0014, "ImageCaptureType", "Image Capture Type", "", "", nullptr},
    {0x0015, "ImageUniqueID", "Image Unique ID", "", "", nullptr},
    {0x0017, "LivePhotoVideoIndex", "Live Photo Video Index", "", "", nullptr},
    {0x0019, "ImageProcessingFlags", "Image Processing Flags", "", "", nullptr},
    {0x001A, "QualityHint", "Quality Hint", "", "", nullptr},
    {0x001D, "LuminanceNoiseAmplitude", "Luminance Noise Amplitude", "", "", DecimalsText},
    {0x0020, "ImageCaptureReqestID", "Image Capture Request ID", "", "", nullptr},
    {0x0021, "HDRHeadroom", "HDR Headroom", "", "", DecimalsText},
    {0x0026, "SignalToNoiseRatioType", "Signal To Noise Ratio Type", "", "", nullptr},
    {0x0027, "SignalToNoiseRatio", "Signal To Noise Ratio", "", "", DecimalsText},
    {0x002F, "FocusPosition", "Focus Position", "", "", nullptr},
    {0x0045, "FrontFacingCamera", "Front Facing Camera", NoYes, "", nullptr},
}};
// clang-format on

// The keys of the run-time dictionary and the names their values take.
struct TRunTimeKey {
    std::string_view Key;
    std::string_view Name;
};
// clang-format off
constexpr std::array<TRunTimeKey, 4> RunTimeKeys = {{
    {"epoch", "RunTimeEpoch"},
    {"flags", "RunTimeFlags"},
    {"timescale", "RunTimeScale"},
    {"value", "RunTimeValue"},
}};
// The bits of RunTimeFlags.
constexpr std::array<std::string_view, 5> RunTimeFlagBits = {{
    "Valid", "Has been rounded", "Positive infinity", "Negative infinity", "Indefinite",
}};
// clang-format on

std::string_view RunTimeName(std::string_view key) {
    const auto it = std::lower_bound(RunTimeKeys.begin(), RunTimeKeys.end(), key,
                                     [](const TRunTimeKey &k, std::string_view s) { return k.Key < s; });
    return it != RunTimeKeys.end() && it->Key == key ? it->Name : std::string_view();
}

std::string FlagsText(uint64_t flags) {
    std::string text;
    for (size_t bit = 0; bit < RunTimeFlagBits.size(); ++bit)
        if (flags & (uint64_t{1} << bit)) text += (text.empty() ? "" : ", ") + std::string(RunTimeFlagBits[bit]);
    return text.empty() ? "(none)" : text;
}

// A binary property list ("bplist00"): objects found through an offset
// table, the 32-byte trailer at the end giving the sizes of offsets and
// object references, the object count, the top object and where the offset
// table lies. Only what a dictionary of integers needs is read: dictionaries,
// ASCII strings and integers.
class TBinaryPlist {
public:
    explicit TBinaryPlist(std::string_view bytes) {
        View.SetBuffer(bytes);
        View.BigEndian = true;
        const exif::Pos trailer = View.Length() - 32 + 1;
        if (bytes.substr(0, 8) != "bplist00" || View.Length() < 40) return;
        OffsetSize = View.ByteAt(trailer + 6);
        RefSize = View.ByteAt(trailer + 7);
        Objects = Unsigned(trailer + 8, 8);
        Top = Unsigned(trailer + 16, 8);
        TableAt = Unsigned(trailer + 24, 8);
    }

    // The top dictionary's pairs whose key is a text and value an integer.
    std::vector<std::pair<std::string, uint64_t>> IntegerPairs() const {
        std::vector<std::pair<std::string, uint64_t>> pairs;
        const exif::Pos dict = ObjectAt(Top);
        const unsigned marker = View.ByteAt(dict);
        if (dict == 0 || (marker >> 4) != 0xD) return pairs;
        const uint64_t count = marker & 0x0F;  // an inline count; a longer dictionary is no run time
        for (uint64_t i = 0; i < count; ++i) {
            const exif::Pos key = ObjectAt(Unsigned(dict + 1 + static_cast<exif::Pos>(i) * RefSize, RefSize));
            const exif::Pos value =
                ObjectAt(Unsigned(dict + 1 + static_cast<exif::Pos>(count + i) * RefSize, RefSize));
            const std::optional<std::string> k = AsciiAt(key);
            const std::optional<uint64_t> v = IntegerAt(value);
            if (k && v) pairs.emplace_back(*k, *v);
        }
        return pairs;
    }

private:
    exif::tEndInd View;
    int OffsetSize = 0, RefSize = 0;
    uint64_t Objects = 0, Top = 0, TableAt = 0;

    uint64_t Unsigned(exif::Pos p, int size) const {
        uint64_t v = 0;
        for (int k = 0; k < size && k < 8; ++k) v = (v << 8) | View.ByteAt(p + k);
        return v;
    }
    // Position of object n; 0 for none.
    exif::Pos ObjectAt(uint64_t n) const {
        if (n >= Objects || OffsetSize < 1 || TableAt >= static_cast<uint64_t>(View.Length())) return 0;
        const uint64_t entry = TableAt + n * static_cast<uint64_t>(OffsetSize);
        if (entry >= static_cast<uint64_t>(View.Length())) return 0;
        const uint64_t offset = Unsigned(static_cast<exif::Pos>(entry) + 1, OffsetSize);
        return offset < static_cast<uint64_t>(View.Length()) ? static_cast<exif::Pos>(offset) + 1 : 0;
    }
    std::optional<std::string> AsciiAt(exif::Pos p) const {
        const unsigned marker = View.ByteAt(p);
        if (p == 0 || (marker >> 4) != 0x5 || (marker & 0x0F) == 0x0F) return std::nullopt;
        return std::string(View.Region(p + 1, marker & 0x0F));
    }
    std::optional<uint64_t> IntegerAt(exif::Pos p) const {
        const unsigned marker = View.ByteAt(p);
        if (p == 0 || (marker >> 4) != 0x1 || (marker & 0x0F) > 3) return std::nullopt;
        return Unsigned(p + 1, 1 << (marker & 0x0F));
    }
};

}  // namespace

const std::span<const TTagRow> AppleTags{AppleRows};

// The run time since the phone started: its entries as values of their own.
std::string AppleRunTime(const std::string &, TRenderOut *out) {
    if (!out) return {};
    out->Block = true;
    out->SubEntriesOnly = true;
    std::string lines;
    for (const auto &[key, value] : TBinaryPlist(out->Raw).IntegerPairs()) {
        const std::string_view name = RunTimeName(key);
        if (name.empty()) continue;
        const bool flags = name == "RunTimeFlags";
        const std::string text = flags ? FlagsText(value) : exif::IntText(static_cast<int64_t>(value));
        // The flags show as names; their number is what -n gives.
        if (flags && value <= 0xFFFFFFFF)
            out->SubEntries.emplace_back(name, text, exif::TypeLong, UnsignedBytes(value, 4, out->BigEndian));
        else
            out->SubEntries.emplace_back(name, text);
        lines += "\r\n" + std::string(name) + " = " + text;
    }
    return lines;
}

// The nearest and farthest distances in focus, in metres.
std::string AppleFocusDistanceRange(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    std::string rest = text;
    double a = exif::FractionValue(exif::TakeCommaPiece(rest));
    double b = exif::FractionValue(rest);
    if (a > b) std::swap(a, b);
    return exif::FixedText(a, 2) + " - " + exif::FixedText(b, 2) + " m";
}

}  // namespace makernotes
