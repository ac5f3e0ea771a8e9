// The maker-note registry: recognises the camera maker from the Make text
// (and, for Nikon, the note's first bytes and the EXIF version) and gives the
// layout the walk follows: that maker's tag table and offset rules.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "exif/ImageInfo.h"
#include "exif/TagEntry.h"
#include "exif/ValueRender.h"

namespace makernotes {

using exif::TImageInfo;
using exif::TRenderOut;
using exif::TTagRow;

// The registry as the walk asks it: the layout of the note the facts
// describe, or none.
std::optional<exif::TMakerNoteLayout> IdentifyMakerNote(const exif::TMakerNoteFacts &facts);

// One note's decoding outside a walk: identifies the note the owner met last
// and has the owner walk it.
class TmsInfo {
public:
    TmsInfo(bool fromTiff, TImageInfo *owner) : FromTiff(fromTiff), Owner(owner) {}
    // True when a maker was recognised and its note walked.
    bool DecodeMakerNote(TImageInfo &owner);

    bool FromTiff;
    TImageInfo *Owner;
    std::string Maker;
};

// The vendor tables.
extern const std::span<const TTagRow> NikonTags1;
extern const std::span<const TTagRow> NikonTags2;
extern const std::span<const TTagRow> OlympusTags;
extern const std::span<const TTagRow> CasioTags;
extern const std::span<const TTagRow> Casio2Tags;  // the "QVC" note
extern const std::span<const TTagRow> RicohTags;
extern const std::span<const TTagRow> KodakTags;
// Minolta: the camera settings block inside the note, and its table.
extern const std::span<const exif::TMakerSubDirectory> MinoltaDirectories;
extern const std::span<const TTagRow> MinoltaSettingsTags;
std::string MinoltaSettingsDirectory(std::string_view block, bool bigEndian);
// A field of a block of fields at fixed places: the tag its entry gets, its
// byte offset in the block, its field type and count as stored, and how its
// number becomes the value: as stored, as a rational of a divisor (hundredths
// of an f-number), or as the double a conversion gives (an APEX-like code).
struct TBlockField {
    uint16_t Tag;
    uint16_t Offset;
    exif::FieldType Type;
    uint32_t Count;
    int32_t Divisor = 0;
    double (*Convert)(double) = nullptr;
};
// The block as the directory its fields stand for, in byte order
// `bigEndian`, offsets counted from its first byte; a field the block is too
// short for has no entry.
std::string FieldBlockDirectory(std::string_view block, bool blockBigEndian, bool bigEndian,
                                std::span<const TBlockField> fields);
// Kodak's note (a block of fields at fixed places after its 8-byte header)
// as the directory it stands for: an entry per field, tagged 0x100 plus the
// field's offset in the block, offsets counted from the directory's first
// byte.
std::string KodakDirectory(std::string_view note, bool bigEndian);
extern const std::span<const TTagRow> FujiTags;
extern const std::span<const TTagRow> CanonTags;
extern const std::span<const TTagRow> SeikoTags;
extern const std::span<const TTagRow> SanyoTags;
extern const std::span<const TTagRow> MinoltaTags;
extern const std::span<const TTagRow> AppleTags;
extern const std::span<const TTagRow> SonyTags;
extern const std::span<const TTagRow> PanasonicTags;
extern const std::span<const TTagRow> PentaxTags;
extern const std::span<const TTagRow> SamsungTags;
extern const std::span<const TTagRow> SigmaTags;
extern const std::span<const TTagRow> DjiTags;
// Leica: the M8's note, the X/T/Q/SL/CL bodies', the M10's and S's, the S2's
// and M (Typ 240)'s.
extern const std::span<const TTagRow> LeicaM8Tags;
extern const std::span<const TTagRow> LeicaTags;
extern const std::span<const TTagRow> LeicaMTags;
extern const std::span<const TTagRow> LeicaSTags;
// Olympus: the directories inside the note, and their tables.
extern const std::span<const exif::TMakerSubDirectory> OlympusDirectories;
extern const std::span<const TTagRow> OlympusEquipmentTags;
extern const std::span<const TTagRow> OlympusCameraSettingsTags;
extern const std::span<const TTagRow> OlympusImageProcessingTags;
extern const std::span<const TTagRow> OlympusFocusInfoTags;

// A lens table: a maker's lens number and the lens it names, sorted by
// number. The name of a number, none when the table has no row for it.
struct TLensRow {
    int64_t Id;
    std::string_view Name;
};
std::optional<std::string_view> LensName(std::span<const TLensRow> table, int64_t id);
// The name, or "Unknown (id)".
std::string LensOrUnknown(std::span<const TLensRow> table, int64_t id);
extern const std::span<const TLensRow> SonyLenses;      // A-mount (Minolta and Sony)
extern const std::span<const TLensRow> SonyELenses;     // E-mount
extern const std::span<const TLensRow> CanonLenses;
extern const std::span<const TLensRow> PentaxLenses;    // series x 256 + number
extern const std::span<const TLensRow> OlympusLenses;   // make x 65536 + model x 256 + sub-model
extern const std::span<const TLensRow> SamsungLenses;
extern const std::span<const TLensRow> SigmaLenses;
extern const std::span<const TLensRow> LeicaLenses;     // see LeicaLensName
// A Leica M lens from the stored LensType value (number x 4 + frame bits).
std::optional<std::string_view> LeicaLensName(uint32_t stored);
// Nikon's F-mount lenses, keyed by eight bytes (see NikonLenses' rows),
// sorted by key. The name of a key, none when the table has no row for it.
struct TNikonLensRow {
    uint64_t Key;
    std::string_view Name;
};
extern const std::span<const TNikonLensRow> NikonLenses;
std::optional<std::string_view> NikonLensName(uint64_t key);

// The decoders of the newer makers' rows (see the files of each maker).
std::string DecimalsText(const std::string &text, TRenderOut *out = nullptr);
std::string AppleRunTime(const std::string &text, TRenderOut *out = nullptr);
std::string AppleFocusDistanceRange(const std::string &text, TRenderOut *out = nullptr);
std::string SonyLensType(const std::string &text, TRenderOut *out = nullptr);
std::string SonyCipherBlock9050(const std::string &text, TRenderOut *out = nullptr);
std::string SignedLevel(const std::string &text, TRenderOut *out = nullptr);
std::string VersionDigits(const std::string &text, TRenderOut *out = nullptr);
std::string PentaxLensType(const std::string &text, TRenderOut *out = nullptr);
std::string OlympusLensType(const std::string &text, TRenderOut *out = nullptr);
std::string SignedShorts(const std::string &text, TRenderOut *out = nullptr);
std::string NulEndedText(const std::string &text, TRenderOut *out = nullptr);
std::string CasioFirmwareDate(const std::string &text, TRenderOut *out = nullptr);
std::string HexDigits(const std::string &text, TRenderOut *out = nullptr);
std::string MinoltaDate(const std::string &text, TRenderOut *out = nullptr);
std::string MinoltaTime(const std::string &text, TRenderOut *out = nullptr);
std::string HiddenValue(const std::string &text, TRenderOut *out = nullptr);
std::string DottedBytes(const std::string &text, TRenderOut *out = nullptr);
std::string PanasonicSerialNumber(const std::string &text, TRenderOut *out = nullptr);
std::string OlympusFirmware(const std::string &text, TRenderOut *out = nullptr);
std::string FirstField(const std::string &text, TRenderOut *out = nullptr);
std::string SamsungLensType(const std::string &text, TRenderOut *out = nullptr);
std::string TenthsOfMillimetres(const std::string &text, TRenderOut *out = nullptr);
std::string SigmaLensType(const std::string &text, TRenderOut *out = nullptr);
std::string SigmaSetting(const std::string &text, TRenderOut *out = nullptr);
std::string RangeText(const std::string &text, TRenderOut *out = nullptr);
std::string SignedHundredths(const std::string &text, TRenderOut *out = nullptr);
std::string LeicaLensType(const std::string &text, TRenderOut *out = nullptr);
std::string SevenDigits(const std::string &text, TRenderOut *out = nullptr);
std::string Thousandths(const std::string &text, TRenderOut *out = nullptr);
std::string FujiSerialNumber(const std::string &text, TRenderOut *out = nullptr);
std::string FujiDriveSettings(const std::string &text, TRenderOut *out = nullptr);
std::string FujiImageCount(const std::string &text, TRenderOut *out = nullptr);
std::string PentaxShutterCount(const std::string &text, TRenderOut *out = nullptr);
std::string PentaxDate(const std::string &text, TRenderOut *out = nullptr);
std::string PentaxTime(const std::string &text, TRenderOut *out = nullptr);
// The fields of Sony's enciphered 0x9400, 0x9403, 0x9405, 0x940C and 0x9416
// blocks, by the block's version and the body.
std::string SonyCipherBlock9400(const std::string &text, TRenderOut *out = nullptr);
std::string SonyCipherBlock9403(const std::string &text, TRenderOut *out = nullptr);
std::string SonyCipherBlock9405(const std::string &text, TRenderOut *out = nullptr);
std::string SonyCipherBlock940C(const std::string &text, TRenderOut *out = nullptr);
std::string SonyCipherBlock9416(const std::string &text, TRenderOut *out = nullptr);
// Pentax's shutter count from its enciphered 4 bytes and the note's Date (4
// bytes) and Time (3 bytes); none when one of them is missing or short.
std::optional<uint32_t> PentaxDecipherShutterCount(std::string_view count, std::string_view date,
                                                   std::string_view time);
// Sony's 0x9050 block deciphered: byte c of the block stands for the b whose
// cube is c modulo 249 (bytes 249 to 255 stand for themselves).
std::string SonyDecipher(std::string_view enciphered);
std::string NikonLensData(const std::string &text, TRenderOut *out = nullptr);
std::string NikonIso(const std::string &text, TRenderOut *out = nullptr);
std::string NikonLensType(const std::string &text, TRenderOut *out = nullptr);
std::string NikonShotInfo(const std::string &text, TRenderOut *out = nullptr);
std::string NikonFlashInfo(const std::string &text, TRenderOut *out = nullptr);
// Nikon's lens data (or shot info) deciphered from byte 4 on, keyed by the
// serial number text (the Model when it is not a number) and the shutter
// count. The cipher is its own inverse: it enciphers plain bytes as well.
std::string NikonDecipher(std::string_view lensData, std::string_view serial, std::string_view model,
                          uint32_t shutterCount);
// n in lower-case hexadecimal digits, at least `width` of them.
std::string HexNumber(uint64_t n, int width);

// The number `size` bytes at 0-based offset `at` of a value hold, in the
// value's byte order (see TRenderOut); none when the value is shorter.
std::optional<uint64_t> UnsignedAt(const TRenderOut &in, int64_t at, int size);
// v as `size` bytes in that byte order.
std::string UnsignedBytes(uint64_t v, int size, bool bigEndian);
// Has the entry store v, `size` bytes of field type `type`, as its value's
// number (what -n shows) instead of the bytes as stored.
void StoreNumber(TRenderOut &out, uint64_t v, uint16_t type, int size);
// Has the entry store `text` as a text, -n too (a date the bytes spell);
// gives it back.
std::string StoredAsText(TRenderOut &out, std::string text);
// Numbers in the text exiftool gives them: at most 10 significant digits.
std::string SignificantText(double v);

// The decoders some vendor rows carry.
std::string NikonColorModeText(const std::string &text, TRenderOut *out = nullptr);
std::string NikonLensText(const std::string &text, TRenderOut *out = nullptr);
std::string CanonCameraSettings(const std::string &text, TRenderOut *out = nullptr);
std::string CanonShotInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonFileInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonAFInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonAFInfo2(const std::string &text, TRenderOut *out = nullptr);
std::string CanonTimeInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonCropInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonAspectInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonProcessingInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonSensorInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonLightingOpt(const std::string &text, TRenderOut *out = nullptr);
std::string CanonCustomFunctions(const std::string &text, TRenderOut *out = nullptr);

// Line helpers of the decoders. Fields are the comma-separated pieces of a
// rendered value, counted from 1; a line is CR LF, label, " = ", value. The
// *Line helpers also give the value as a sub-entry to `out` (when there is
// one), and give an empty text (and no sub-entry) when the value is blank.
std::string DecodedField(std::string_view text, int index, std::string_view valueCodes);
std::string CodedLine(std::string_view label, int32_t number, std::string_view valueCodes, TRenderOut *out = nullptr);
std::string FieldLine(std::string_view text, std::string_view label, int n, TRenderOut *out = nullptr);
std::string CodedFieldLine(std::string_view text, std::string_view label, int index, std::string_view valueCodes,
                           TRenderOut *out = nullptr);

}  // namespace makernotes
