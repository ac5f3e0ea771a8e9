#include "exif/ValueRender.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "bytes/Unicode.h"
#include "exif/TextFormat.h"

namespace exif {

namespace {

constexpr size_t MaxComponents = 8;
constexpr size_t PieceRestLimit = 64;

bool IsIntegerType(unsigned type) {
    return type == TypeByte || type == TypeShort || type == TypeLong || type == TypeSByte || type == TypeSShort ||
           type == TypeSLong;
}

// A component's number: a signed byte or short is widened with its sign
// (0xFFFF is -1), any other integer as OrderedInt reads it.
int32_t ComponentNumber(const tEndInd &order, std::string_view component, unsigned type) {
    const int32_t n = OrderedInt(order, component);
    if (type == TypeSByte && component.size() == 1) return static_cast<int8_t>(static_cast<uint8_t>(n));
    if (type == TypeSShort && component.size() == 2) return static_cast<int16_t>(static_cast<uint16_t>(n));
    return n;
}

bool IsRationalType(unsigned type) {
    return type == TypeRational || type == TypeSRational;
}

// IEEE value of the first component in the reader's byte order; 0 when the
// value is shorter than one component.
template <typename Float, typename Bits>
double IeeeValue(const tEndInd &order, std::string_view raw) {
    if (raw.size() < sizeof(Bits)) return 0;
    Bits bits = 0;
    for (size_t k = 0; k < sizeof(Bits); ++k) {
        const size_t i = order.BigEndian ? k : sizeof(Bits) - 1 - k;
        bits = static_cast<Bits>((bits << 8) | static_cast<uint8_t>(raw[i]));
    }
    Float f;
    std::memcpy(&f, &bits, sizeof f);
    return static_cast<double>(f);
}

}  // namespace

int TypeSize(unsigned type) {
    static constexpr int sizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    if (type == TypeUtf8) return 1;
    return type < 13 ? sizes[type] : 0;
}

int32_t OrderedInt(const tEndInd &order, std::string_view bytes) {
    // Only the low 32 bits survive the accumulation: the first four bytes in
    // Intel order, the last four in Motorola order. A long value (a pointer
    // tag with a count of thousands) costs four steps, not one per byte.
    if (bytes.size() > 4) bytes = order.BigEndian ? bytes.substr(bytes.size() - 4) : bytes.substr(0, 4);
    uint32_t acc = 0;
    const size_t n = bytes.size();
    for (size_t k = 0; k < n; ++k) {
        const size_t i = order.BigEndian ? k : n - 1 - k;
        acc = (acc << 8) | static_cast<uint8_t>(bytes[i]);
    }
    return static_cast<int32_t>(acc);
}

std::string RationalText(int32_t numerator, int32_t denominator) {
    return IntText(numerator) + "/" + IntText(denominator);
}

namespace {

// The next "key:text" pair of a codes list, consumed from `codes`; an item
// without a colon is passed over. The one reading of the list's grammar.
std::optional<std::pair<std::string_view, std::string_view>> NextCodePair(std::string_view &codes) {
    while (!codes.empty()) {
        const size_t comma = codes.find(',');
        const std::string_view item = codes.substr(0, comma);
        codes = comma == std::string_view::npos ? std::string_view() : codes.substr(comma + 1);
        const size_t colon = item.find(':');
        if (colon != std::string_view::npos) return std::pair{item.substr(0, colon), item.substr(colon + 1)};
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string_view> TValueCodes::Find(int32_t n) const {
    // A number's own text, as the keys write it.
    std::array<char, 12> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), n);
    return FindKey(std::string_view(digits.data(), static_cast<size_t>(written.ptr - digits.data())));
}

std::optional<std::string_view> TValueCodes::FindKey(std::string_view key) const {
    std::string_view rest = Codes;
    while (const auto pair = NextCodePair(rest))
        if (pair->first == key) return pair->second;
    return std::nullopt;
}

std::string RenderValue(const tEndInd &order, std::string_view raw, unsigned type, std::string_view formatPattern,
                        std::string_view valueCodes) {
    return RenderValue(order, raw, type, formatPattern, TValueCodes(valueCodes));
}

std::string RenderValue(const tEndInd &order, std::string_view raw, unsigned type, std::string_view formatPattern,
                        const TValueCodes &codes) {
    const std::string_view valueCodes = codes.Text();
    const int size = TypeSize(type);
    if (size == 0) return "0";
    const size_t componentSize = static_cast<size_t>(size);
    const size_t count = std::min(raw.size() / componentSize, MaxComponents);
    const std::string_view bytes(raw);
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        const std::string_view component = bytes.substr(i * componentSize, componentSize);
        if (!text.empty()) text += ", ";
        if (IsIntegerType(type)) {
            // A number without a pair in the codes shows as the number: an
            // unlisted code (an altitude below sea level, a mirrored
            // orientation) must not read as an empty or different value.
            const int32_t number = ComponentNumber(order, component, type);
            const std::optional<std::string_view> named = codes.Find(number);
            if (named)
                text += *named;
            else
                text += IntText(number);
        } else if (IsRationalType(type)) {
            text += RationalText(OrderedInt(order, component.substr(0, 4)), OrderedInt(order, component.substr(4, 4)));
            if (!valueCodes.empty()) text += codes.FindKey(TrimmedView(text)).value_or(std::string_view());
        } else if (type == TypeFloat || type == TypeDouble) {
            text += "-9999.99";
        } else {
            text += "?";
        }
    }
    if (formatPattern.empty()) return text;
    if (formatPattern.find("%s") != std::string_view::npos) return FormatPattern(formatPattern, text, 0);
    return FormatPattern(formatPattern, {}, NumericValue(order, raw, type));
}

double NumericValue(const tEndInd &order, std::string_view raw, unsigned type) {
    const std::string_view bytes(raw);
    if (IsIntegerType(type)) {
        const size_t size = static_cast<size_t>(TypeSize(type));
        return bytes.size() == size ? ComponentNumber(order, bytes, type) : OrderedInt(order, bytes);
    }
    if (IsRationalType(type)) {
        // Numerator bytes 1..4, denominator bytes 5..8; a short value uses what it has.
        const std::string_view denominator = bytes.size() > 4 ? bytes.substr(4, 4) : std::string_view();
        const int32_t d = OrderedInt(order, denominator);
        if (d == 0) return 0;
        return static_cast<double>(OrderedInt(order, bytes.substr(0, 4))) / static_cast<double>(d);
    }
    if (type == TypeFloat) return IeeeValue<float, uint32_t>(order, bytes);
    if (type == TypeDouble) return IeeeValue<double, uint64_t>(order, bytes);
    return 0;
}

namespace {

// A component's bits as unsigned, in the reader's byte order.
uint64_t UnsignedBits(const tEndInd &order, std::string_view component) {
    uint64_t bits = 0;
    for (size_t k = 0; k < component.size(); ++k) {
        const size_t i = order.BigEndian ? k : component.size() - 1 - k;
        bits = (bits << 8) | static_cast<uint8_t>(component[i]);
    }
    return bits;
}

// The same read as a signed number of the component's width.
int64_t SignedBits(const tEndInd &order, std::string_view component) {
    const uint64_t bits = UnsignedBits(order, component);
    const unsigned width = static_cast<unsigned>(component.size()) * 8;
    const uint64_t sign = uint64_t{1} << (width - 1);
    return static_cast<int64_t>(bits ^ sign) - static_cast<int64_t>(sign);
}

double Quotient(int64_t numerator, int64_t denominator) {
    return denominator == 0 ? std::numeric_limits<double>::quiet_NaN()
                            : static_cast<double>(numerator) / static_cast<double>(denominator);
}

}  // namespace

std::vector<TComponent> EntryComponents(const TTagEntry &entry) {
    const unsigned type = entry.DataType;
    const int size = TypeSize(type);
    if (size == 0 || type == TypeAscii || type == TypeUndefined || type == TypeUtf8) return {};
    tEndInd order;
    order.SetBuffer(entry.Raw);
    order.BigEndian = entry.BigEndian;
    const auto componentSize = static_cast<size_t>(size);
    const size_t count = entry.Raw.size() / componentSize;
    std::vector<TComponent> out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const std::string_view c = order.Region(static_cast<Pos>(i * componentSize) + 1, size);
        switch (type) {
            case TypeByte:
            case TypeShort:
            case TypeLong:
                out.emplace_back(static_cast<int64_t>(UnsignedBits(order, c)));
                break;
            case TypeSByte:
            case TypeSShort:
            case TypeSLong:
                out.emplace_back(SignedBits(order, c));
                break;
            case TypeRational:
                out.emplace_back(Quotient(static_cast<int64_t>(UnsignedBits(order, c.substr(0, 4))),
                                          static_cast<int64_t>(UnsignedBits(order, c.substr(4, 4)))));
                break;
            case TypeSRational:
                out.emplace_back(Quotient(SignedBits(order, c.substr(0, 4)), SignedBits(order, c.substr(4, 4))));
                break;
            case TypeFloat:
                out.emplace_back(IeeeValue<float, uint32_t>(order, c));
                break;
            default:
                out.emplace_back(IeeeValue<double, uint64_t>(order, c));
                break;
        }
    }
    return out;
}

std::string DecodeValueCode(std::string_view valueCodes, std::string_view value) {
    return std::string(TValueCodes(valueCodes).FindKey(TrimmedView(value)).value_or(std::string_view()));
}

double FractionValue(std::string_view text) {
    const std::string t = Trim(text);
    int32_t whole = 0;
    std::string_view fraction(t);
    if (const size_t blank = t.find(' '); blank != std::string::npos) {
        const auto w = ParseDecimal(fraction.substr(0, blank));
        if (!w) return 0;
        whole = *w;
        fraction = fraction.substr(blank + 1);
    }
    const size_t slash = fraction.find('/');
    if (slash == std::string_view::npos) return 0;
    const auto n = ParseDecimal(fraction.substr(0, slash));
    const auto d = ParseDecimal(fraction.substr(slash + 1));
    if (!n || !d || *d == 0) return 0;
    // w * d + n in wrapping 32-bit integer arithmetic, the division in floating point.
    const uint32_t numerator = static_cast<uint32_t>(whole) * static_cast<uint32_t>(*d) + static_cast<uint32_t>(*n);
    return static_cast<double>(static_cast<int32_t>(numerator)) / static_cast<double>(*d);
}

std::string CleanText(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 32) c = '.';
    return out;
}

std::string TakeCommaPiece(std::string &rest) {
    const size_t comma = rest.find(", ");
    if (comma == std::string::npos) {
        rest = rest.substr(0, PieceRestLimit);
        return {};
    }
    std::string piece = rest.substr(0, comma);
    rest = rest.substr(comma + 1, PieceRestLimit);
    return piece;
}

namespace {

std::string NoDecimals(double v) {
    return FixedText(v, 0);
}

}  // namespace

namespace {

// Decimals a rational's text ("281/100") was stored with: the power of ten
// of its denominator, at most two (a hundredth of a second of arc is 30 cm
// on the ground; cameras store microseconds of arc they never measured).
int StoredDecimals(std::string_view rational) {
    const size_t slash = rational.find('/');
    if (slash == std::string_view::npos) return 0;
    const std::string_view d = TrimmedView(rational.substr(slash + 1));
    if (d.empty() || d.front() != '1' || d.find_first_not_of('0', 1) != std::string_view::npos) return 2;
    return static_cast<int>(std::min<size_t>(d.size() - 1, 2));
}

// A number with the decimals it was stored with; a whole number as one.
std::string StoredPrecision(double v, int decimals) {
    return v == std::trunc(v) ? NoDecimals(v) : FixedText(v, std::max(decimals, 1));
}

// The three rational pieces of a GPS position or time, and their texts.
struct TThreePieces {
    std::string A, B, C;
};

TThreePieces ThreePieces(const std::string &text) {
    std::string rest = text;
    TThreePieces p;
    p.A = TakeCommaPiece(rest);
    p.B = TakeCommaPiece(rest);
    p.C = rest;
    return p;
}

double AsDouble(const TComponent &c) {
    return std::visit([](auto v) { return static_cast<double>(v); }, c);
}

// Short binary values stand for codes or small arrays; longer ones and texts
// (a version's "0221") stay text.
constexpr size_t ShortBinaryBytes = 16;

std::vector<TComponent> BinaryBytes(std::string_view raw) {
    const std::string_view kept = raw.substr(0, raw.find_last_not_of('\0') + 1);
    const bool text = !kept.empty() && PrintableAsciiEnd(kept, 0) == kept.size();
    if (raw.empty() || raw.size() > ShortBinaryBytes || text) return {};
    std::vector<TComponent> bytes;
    for (const char ch : raw) bytes.emplace_back(int64_t{static_cast<unsigned char>(ch)});
    return bytes;
}

// APEX time value: t = 1 / 2^Tv seconds. No camera exposes for 2^100
// seconds or 2^-100: a value that far out (some write -2^31 for "none") is
// no exposure time, shown as 0 as exiftool shows it, not as inf.
double ApexSeconds(double tv) {
    return std::fabs(tv) < 100 ? std::exp2(-tv) : 0.0;
}

}  // namespace

std::vector<TComponent> ShownNumbers(const TTagEntry &entry) {
    // XP texts (UTF-16) and the XMP packet are texts stored as bytes: their
    // value is the text.
    if (entry.Render == XpText || entry.Render == XmpPacketText) return {};
    if (entry.DataType == TypeUndefined) return BinaryBytes(entry.Raw);
    std::vector<TComponent> c = EntryComponents(entry);
    if (c.empty()) return c;
    if (entry.Render == ShutterSpeedText) return {ApexSeconds(AsDouble(c[0]))};
    if (entry.Render == ApertureText) return {std::exp2(AsDouble(c[0]) / 2)};
    if (entry.Render == GpsPositionText && c.size() == 3)
        return {AsDouble(c[0]) + AsDouble(c[1]) / 60 + AsDouble(c[2]) / 3600};
    return c;
}

// Degrees, minutes and seconds, the seconds with the precision the file
// stored them with ("2.81 Seconds"); minutes with a fraction and no seconds
// give the seconds that fraction makes.
std::string GpsPositionText(const std::string &text, TRenderOut *) {
    const TThreePieces p = ThreePieces(text);
    const double degrees = FractionValue(p.A);
    double minutes = FractionValue(p.B), seconds = FractionValue(p.C);
    int decimals = StoredDecimals(p.C);
    if (seconds == 0) {
        seconds = (minutes - std::trunc(minutes)) * 100 * 0.6;
        minutes = std::trunc(minutes);
        decimals = 2;
    }
    return NoDecimals(degrees) + " Degrees " + NoDecimals(minutes) + " Minutes " + StoredPrecision(seconds, decimals) +
           " Seconds";
}

// hh:mm:ss, each two digits, the seconds with their stored fraction
// ("14:27:07.24").
std::string GpsTimeText(const std::string &text, TRenderOut *) {
    const TThreePieces p = ThreePieces(text);
    const auto two = [](double v) {
        std::string t = NoDecimals(v);
        return t.size() < 2 ? "0" + t : t;
    };
    const double seconds = FractionValue(p.C);
    std::string secondsText = StoredPrecision(seconds, StoredDecimals(p.C));
    if (seconds < 10) secondsText = "0" + secondsText;
    return two(FractionValue(p.A)) + ":" + two(FractionValue(p.B)) + ":" + secondsText;
}

std::string ComponentsText(const std::string &text, TRenderOut *) {
    static constexpr const char *names[] = {"", "Y", "Cb", "Cr", "R", "G", "B"};
    std::string out;
    for (size_t i = 1; i <= 4 && i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 1 && c <= 6) out += names[c];
    }
    return out;
}

std::string ShutterSpeedText(const std::string &text, TRenderOut *) {
    const double t = ApexSeconds(FractionValue(text));
    std::string out = FixedText(t, 4, 4) + " sec";
    if (t > 0 && t <= 0.5) out += " (1/" + FixedText(std::nearbyint(1.0 / t), 0) + ")";
    return out;
}

std::string FlashText(const std::string &text, TRenderOut *) {
    const auto value = ParseDecimal(text);
    if (!value) throw ExifError("'" + text + "' is not a valid integer value");
    const int32_t f = *value;
    std::string out = (f & 1) ? "On" : "Off";
    switch (f & 6) {
        case 2:
            out += ", UNKNOWN";
            break;
        case 4:
            out += ", no strobe return";
            break;
        case 6:
            out += ", strobe return";
            break;
        default:
            break;
    }
    switch (f & 24) {
        case 8:
            out += ", forced";
            break;
        case 16:
            out += ", surpressed";
            break;
        case 24:
            out += ", auto mode";
            break;
        default:
            break;
    }
    if (f & 32) out += ", no flash function";
    if (f & 64) out += ", red-eye reduction";
    return out;
}

// Windows writes its Title, Comments, Author, Keywords and Subject entries as
// little-endian UTF-16 whatever the entry's declared type: the text comes
// from the value's bytes, not from a rendering of its components.
std::string XpText(const Bytes &raw, TRenderOut *) {
    return TextOfUtf16(raw, false);
}

std::string CodedText(std::string_view raw, bool bigEndian) {
    if (raw.size() < 9) return {};
    const std::string_view code = raw.substr(0, 8), text = raw.substr(8);
    if (code == std::string_view("UNICODE\0", 8)) return Trim(TextOfUtf16(text, bigEndian));
    if (code == std::string_view("JIS\0\0\0\0\0", 8)) return Trim(TextOfJis(text));
    return Trim(TextOfBytes(text));
}

std::string CharacterCodedText(const Bytes &raw, TRenderOut *out) {
    return CodedText(raw, out && out->BigEndian);
}

// A TIFF file keeps its XMP packet in tag 700 as bytes: listed as numbers
// they would be thousands of them that nobody reads, and the XMP tab shows
// the packet's properties. The row says what it is and how large.
std::string XmpPacketText(const Bytes &raw, TRenderOut *) {
    return "(XMP packet, " + IntText(static_cast<int64_t>(raw.size())) + " bytes)";
}

std::string ApertureText(const std::string &text, TRenderOut *) {
    // An APEX aperture value Av; the f-number is 2^(Av/2). The first
    // component counts, a rational or a whole number.
    const std::string first = TextBefore(text, ",");
    const auto whole = ParseDecimal(first);
    if (first.find('/') == std::string::npos && !whole) return CleanText(text);
    const double av = whole ? *whole : FractionValue(first);
    return FormatPattern("F%0.1f", {}, std::exp2(av / 2));
}

// Each component must be a number of 0 or more, as a version's bytes are;
// any other text is shown as it is.
std::string VersionText(const std::string &text, TRenderOut *) {
    std::string out;
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view piece = TrimmedView(rest.substr(0, comma));
        const auto n = ParseDecimal(piece);
        if (!n || *n < 0 || IntText(*n) != piece) return text;
        if (!out.empty()) out += '.';
        out += piece;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return out.empty() ? text : out;
}

namespace {

// A rational component's number as a lens is labelled: up to ten significant
// digits, no trailing zeros ("2.8", "35"); "?" for one the camera left
// unknown (0/0) or that has no value (a zero denominator).
std::string LensNumber(std::string_view rational) {
    const size_t slash = rational.find('/');
    if (slash == std::string_view::npos) return {};
    const auto n = ParseDecimal(TrimmedView(rational.substr(0, slash)));
    const auto d = ParseDecimal(TrimmedView(rational.substr(slash + 1)));
    if (!n || !d) return {};
    if (*d == 0) return "?";
    const double v = static_cast<double>(*n) / static_cast<double>(*d);
    const int whole = v == 0 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(v)))) + 1;
    std::string t = FixedText(v, std::max(10 - whole, 0));
    const size_t point = t.find(DecimalSeparator());
    if (point != std::string::npos) {
        t.erase(t.find_last_not_of('0') + 1);
        if (t.size() == point + 1) t.erase(point);
    }
    return t;
}

}  // namespace

// Shortest and longest focal length, then the f-numbers at each. A range
// collapses to one number when both ends are the same or the longer end is
// zero (a fixed lens written with a zero): "35mm f/1.4". Anything but four
// rationals is shown as it is.
std::string LensSpecificationText(const std::string &text, TRenderOut *) {
    std::array<std::string, 4> v;
    std::string_view rest(text);
    for (size_t i = 0; i < v.size(); ++i) {
        const size_t comma = rest.find(',');
        if ((comma == std::string_view::npos) != (i == v.size() - 1)) return text;
        v[i] = LensNumber(rest.substr(0, comma));
        if (v[i].empty()) return text;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    const auto range = [](const std::string &low, const std::string &high) {
        return high == "0" || high == low ? low : low + "-" + high;
    };
    return range(v[0], v[1]) + "mm f/" + range(v[2], v[3]);
}

int32_t RoundToInt32(double v) {
    if (!std::isfinite(v)) return 0;
    const double r = std::nearbyint(v);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) return 0;
    return static_cast<int32_t>(r);
}

std::string TextBefore(std::string_view text, std::string_view delimiter) {
    const size_t at = delimiter.empty() ? std::string_view::npos : text.find(delimiter);
    return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

std::string TextAfter(std::string_view text, std::string_view delimiter) {
    if (delimiter.empty()) return std::string(text);
    const size_t at = text.find(delimiter);
    return at == std::string_view::npos ? std::string() : std::string(text.substr(at + delimiter.size()));
}

// As TextAfter n - 1 times, then TextBefore, on views of the text.
std::string NthField(std::string_view text, std::string_view delimiter, int n) {
    std::string_view rest = text;
    if (!delimiter.empty())
        for (int i = 1; i < n && !rest.empty(); ++i) {
            const size_t at = rest.find(delimiter);
            rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + delimiter.size());
        }
    const size_t at = delimiter.empty() ? std::string_view::npos : rest.find(delimiter);
    return std::string(at == std::string_view::npos ? rest : rest.substr(0, at));
}

int CountOf(std::string_view text, std::string_view delimiter) {
    if (delimiter.empty()) return 0;
    int count = 0;
    for (size_t at = text.find(delimiter); at != std::string_view::npos;
         at = text.find(delimiter, at + delimiter.size()))
        ++count;
    return count;
}

}  // namespace exif
