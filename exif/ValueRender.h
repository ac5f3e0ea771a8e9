// Turning raw TIFF/EXIF values into text, and the rendering functions the
// tag tables name.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "bytes/EndInd.h"
#include "exif/TagEntry.h"

namespace exif {

class TImageInfo;

// A failure while reading: caught by the walks at the points they name.
class ExifError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// TIFF field types 1..12 and their component sizes; 0 for any other type.
enum FieldType : uint16_t {
    TypeByte = 1,
    TypeAscii = 2,
    TypeShort = 3,
    TypeLong = 4,
    TypeRational = 5,
    TypeSByte = 6,
    TypeUndefined = 7,
    TypeSShort = 8,
    TypeSLong = 9,
    TypeSRational = 10,
    TypeFloat = 11,
    TypeDouble = 12,
    TypeUtf8 = 129,  // UTF-8 text, as EXIF 3.0 added it
};
int TypeSize(unsigned type);

// Unsigned accumulation of the bytes in the reader's byte order; the low 32
// bits read as signed.
int32_t OrderedInt(const tEndInd &order, std::string_view bytes);
std::string RationalText(int32_t numerator, int32_t denominator);
// "n:text,n:text" value codes: the one place codes are looked up. The list
// is read where it stands, on each look-up: no parsed copy, no cache, so a
// reader shares no mutable state between threads (a per-thread cache would
// also outlive a plug-in unloaded before its host's thread ends). The first
// pair of a key counts. A component's number is looked up among the keys
// written as numbers are written ("7", "-1"); a value's text (a rational's
// "1/2") among the keys as they stand. Pairs need not be sorted.
class TValueCodes {
public:
    explicit TValueCodes(std::string_view codes) : Codes(codes) {}
    std::string_view Text() const { return Codes; }
    // The text of the first pair for n; none without a pair.
    std::optional<std::string_view> Find(int32_t n) const;
    // The text of the first pair whose key is `key` as written.
    std::optional<std::string_view> FindKey(std::string_view key) const;

private:
    std::string_view Codes;
};
// The codes of a table row.
inline TValueCodes ValueCodesOf(const TTagRow &row) { return TValueCodes(row.ValueCodes); }

std::string RenderValue(const tEndInd &order, std::string_view raw, unsigned type, std::string_view formatPattern,
                        std::string_view valueCodes);
std::string RenderValue(const tEndInd &order, std::string_view raw, unsigned type, std::string_view formatPattern,
                        const TValueCodes &codes);
double NumericValue(const tEndInd &order, std::string_view raw, unsigned type);
// One component of a numeric value: an integer type's number, or a
// rational's quotient or a float's value (a rational over 0 is NaN).
using TComponent = std::variant<int64_t, double>;
// The components of a stored entry's value, decoded from its bytes in its
// byte order and field type; none for a text or undefined value (and for the
// sub-entries a maker's decoder adds, which are text).
std::vector<TComponent> EntryComponents(const TTagEntry &entry);
// The numbers a script is given for a value: the quantity its text shows.
// Mostly the stored components; an APEX time or aperture is shown as seconds
// or an f-number and a GPS position as degrees, so those numbers are too;
// a short undefined value that is no text (FileSource's code, the
// components configuration) is its bytes.
std::vector<TComponent> ShownNumbers(const TTagEntry &entry);
// The text of the pair whose key is the value's trimmed text; empty when none.
std::string DecodeValueCode(std::string_view valueCodes, std::string_view value);
double FractionValue(std::string_view text);
std::string CleanText(std::string_view text);

// Rendering functions of the tag tables.
std::string GpsPositionText(const std::string &text, TRenderOut *out = nullptr);
std::string GpsTimeText(const std::string &text, TRenderOut *out = nullptr);
std::string ComponentsText(const std::string &text, TRenderOut *out = nullptr);
std::string ShutterSpeedText(const std::string &text, TRenderOut *out = nullptr);
std::string FlashText(const std::string &text, TRenderOut *out = nullptr);
std::string ApertureText(const std::string &text, TRenderOut *out = nullptr);
// A version of four byte components ("2, 3, 0, 0") as "2.3.0.0".
std::string VersionText(const std::string &text, TRenderOut *out = nullptr);
// A lens's focal-length and f-number ranges (four rationals) as
// "24-70mm f/2.8-4" (see ValueRender.cpp).
std::string LensSpecificationText(const std::string &text, TRenderOut *out = nullptr);
// Text of a Windows "XP" entry from the value's bytes (see ValueRender.cpp).
std::string XpText(const Bytes &raw, TRenderOut *out = nullptr);
// Text of a value that starts with an 8-byte character code (UserComment,
// GPSProcessingMode, GPSAreaInformation): "ASCII", "UNICODE" (UTF-16 in the
// file's byte order unless a byte-order mark says otherwise), "JIS" or none.
// Trailing NULs and blanks are padding; every other byte is the text's.
std::string CodedText(std::string_view raw, bool bigEndian);
// The tables' mark for such a value: the walk calls CodedText with the
// file's byte order.
std::string CharacterCodedText(const Bytes &raw, TRenderOut *out = nullptr);
// Text of a TIFF file's XMP entry (tag 700) from the value's bytes: its size,
// not its bytes as numbers (see ValueRender.cpp).
std::string XmpPacketText(const Bytes &raw, TRenderOut *out = nullptr);

// Rounds to the nearest 32-bit integer, halves to even; NaN, infinities and
// values outside the 32-bit range give 0.
int32_t RoundToInt32(double v);

// Comma-separated field helpers shared with the maker-note decoders.
std::string TextBefore(std::string_view text, std::string_view delimiter);
std::string TextAfter(std::string_view text, std::string_view delimiter);
std::string NthField(std::string_view text, std::string_view delimiter, int n);
int CountOf(std::string_view text, std::string_view delimiter);

// Splits "a, b, c" as the GPS and lens texts do: the piece before the first
// ", " and the rest from the character after the comma (at most 64
// characters). Without ", " the piece is empty and the rest is the text.
std::string TakeCommaPiece(std::string &rest);

}  // namespace exif
