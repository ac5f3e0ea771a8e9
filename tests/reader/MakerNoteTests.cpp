// Maker notes inside real EXIF structures: files built from bytes and opened
// through the container, and the camera samples.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ByteBuilders.h"
#include "dialog/CompositeRows.h"
#include "dialog/ParamsRows.h"
#include "exif/ImageInfo.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

using namespace testbytes;
using exif::TImageInfo;
using exif::TimgData;
using exif::TTagEntry;

namespace {

// ------------------------------------------------------------ note builders

// One maker-note directory entry; `value` holds the bytes in the note's byte
// order. A value longer than 4 bytes is stored after the directory unless an
// explicit `offset` is given (then no data is stored for it).
struct NoteEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    std::string value;
    std::optional<uint32_t> offset;
};

NoteEntry NoteShort(bool big, uint16_t tag, std::initializer_list<unsigned> v) {
    return {tag, 3, static_cast<uint32_t>(v.size()), U16Bytes(big, v), {}};
}
NoteEntry NoteLong(bool big, uint16_t tag, std::initializer_list<uint32_t> v) {
    return {tag, 4, static_cast<uint32_t>(v.size()), U32Bytes(big, v), {}};
}
NoteEntry NoteRational(bool big, uint16_t tag, std::initializer_list<std::pair<int32_t, int32_t>> v) {
    return {tag, 5, static_cast<uint32_t>(v.size()), RationalBytes(big, v), {}};
}
NoteEntry NoteAscii(uint16_t tag, const std::string &text) {
    return {tag, 2, static_cast<uint32_t>(text.size() + 1), text + std::string(1, '\0'), {}};
}
NoteEntry NoteUndefined(uint16_t tag, const std::string &bytes) {
    return {tag, 7, static_cast<uint32_t>(bytes.size()), bytes, {}};
}
NoteEntry NoteAt(uint16_t tag, uint16_t type, uint32_t count, uint32_t offset) {
    return {tag, type, count, {}, offset};
}

// A maker note: `header`, the entry count, the entries, a zero link, then the
// values that do not fit in their entries. A value at note byte k (0-based)
// gets the offset k + shift: shift is the note's own offset from the enclosing
// TIFF header for notes measured from that header, -10 for the newer Nikon
// note (measured from its inner TIFF header) and 0 for Fuji.
std::string NoteBytes(bool big, const std::string &header, const std::vector<NoteEntry> &entries, int64_t shift) {
    ByteWriter w{big, header};
    uint32_t data = static_cast<uint32_t>(header.size() + 2 + 12 * entries.size() + 4);
    std::string values;
    w.U16(static_cast<unsigned>(entries.size()));
    for (const NoteEntry &e : entries) {
        w.U16(e.tag);
        w.U16(e.type);
        w.U32(e.count);
        if (e.offset) {
            w.U32(*e.offset);
        } else if (e.value.size() > 4) {
            w.U32(static_cast<uint32_t>(data + shift));
            data += static_cast<uint32_t>(e.value.size());
            values += e.value;
        } else {
            w.Str(e.value + std::string(4 - e.value.size(), '\0'));
        }
    }
    w.U32(0);
    return w.out + values;
}

std::string NikonTiffHeader(bool big) {
    return std::string("Nikon\0\x02\x10\0\0", 10) +
           (big ? std::string("MM\0\x2A\0\0\0\x08", 8) : std::string("II\x2A\0\x08\0\0\0", 8));
}
const std::string NikonHeader("Nikon\0\x01\0", 8);
const std::string OlympusHeader("OLYMP\0\x01\0", 8);
const std::string SanyoHeader("SANYO\0\x01\0", 8);
const std::string SeikoHeader("SEIKO\0\x01\0", 8);
const std::string FujiHeader("FUJIFILM\x0C\0\0\0", 12);

// --------------------------------------------------------- camera files

// Builds the note once its offset from the TIFF header is known.
using NoteMaker = std::function<std::string(uint32_t noteOffset)>;

struct CameraFile {
    std::string make;
    std::string model = "Model";
    std::string version;  // ExifVersion (4 characters), none when empty
    bool big = false;
    bool tiff = false;
    std::string after;  // bytes stored in the file right after the note (more than 4)
};

constexpr uint16_t TagAfterNote = 0xC0DE;  // a tag no table knows

// The EXIF directory is the first one, at offset 8, and the note is the first
// value stored after it; IFD0 (Make, Model, EXIF pointer) follows.
uint32_t NoteOffset(const CameraFile &f) {
    const uint32_t entries = 2 + (f.version.empty() ? 0u : 1u) + (f.after.empty() ? 0u : 1u);
    return 8 + 2 + 12 * entries + 4;
}

std::string CameraTiff(const CameraFile &f, const std::string &note) {
    Tiff t(f.big);
    std::vector<Entry> exifEntries;
    if (!f.version.empty()) exifEntries.push_back(Tiff::Undefined(0x9000, f.version));
    exifEntries.push_back(Tiff::Undefined(0x927C, note));
    if (!f.after.empty()) exifEntries.push_back(Tiff::Undefined(TagAfterNote, f.after));
    exifEntries.push_back(t.Short(0xA002, {640}));
    const int exifDir = t.Dir(exifEntries);
    t.Dir({Tiff::Ascii(0x010F, f.make), Tiff::Ascii(0x0110, f.model), Tiff::Pointer(0x8769, exifDir)});
    const std::string tiff = t.Build(1);
    if (tiff.compare(NoteOffset(f), note.size(), note) != 0) throw std::logic_error("note not where expected");
    return tiff;
}

std::unique_ptr<TimgData> OpenCamera(const CameraFile &f, const NoteMaker &makeNote, const std::string &name) {
    const std::string tiff = CameraTiff(f, makeNote(NoteOffset(f)));
    const std::string path =
        f.tiff ? WriteTempFile(name + ".tif", tiff) : WriteTempFile(name + ".jpg", Jpeg().Exif(tiff).Build());
    auto img = std::make_unique<TimgData>(exif::BuildAll, params::ReaderParts());
    if (!img->OpenImageFile(path) || img->ExifInfo() == nullptr) throw std::runtime_error("cannot open " + path);
    return img;
}

// Maker-note entries only: the main directories use some of the same names.
std::optional<TTagEntry> MakerEntry(const TImageInfo &info, std::string_view name) {
    for (int32_t i = 0; i < info.EntryCount(); ++i) {
        TTagEntry e = info.EntryAt(i);
        if (e.MakerNote == 1 && e.Name == name) return e;
    }
    return std::nullopt;
}

std::string MakerValue(const TImageInfo &info, std::string_view name) {
    const auto e = MakerEntry(info, name);
    return e ? e->Value : "<missing>";
}

int MakerEntryCount(const TImageInfo &info) {
    int n = 0;
    for (int32_t i = 0; i < info.EntryCount(); ++i) n += info.EntryAt(i).MakerNote == 1 ? 1 : 0;
    return n;
}

// The numbers -n shows for a maker-note entry.
std::vector<exif::TComponent> MakerNumbers(const TImageInfo &info, std::string_view name) {
    const auto e = MakerEntry(info, name);
    return e ? exif::ShownNumbers(*e) : std::vector<exif::TComponent>{};
}

std::vector<exif::TComponent> Numbers(std::initializer_list<int64_t> values) {
    return {values.begin(), values.end()};
}

std::string Quoted(const std::string &s) {
    return "\"" + s + "\"";
}

// Lens texts carry the platform's decimal separator; these tests fix it.
class DecimalPoint {
public:
    explicit DecimalPoint(char c) { exif::SetDecimalSeparator(c); }
    ~DecimalPoint() { exif::TakeDecimalSeparatorFromLocale(); }
};

// ------------------------------------------------------------ dispatch

TEST(MakerDispatch, CanonNoteWithoutHeaderMeasuresOffsetsFromTheTiffHeader) {
    for (const bool big : {false, true}) {
        for (const bool tiff : {false, true}) {
            SCOPED_TRACE(std::string(big ? "MM" : "II") + (tiff ? " tiff" : " jpeg"));
            const CameraFile f{"Canon", "Canon DIGITAL IXUS", "0210", big, tiff, ""};
            const auto img = OpenCamera(
                f,
                [&](uint32_t v) {
                    return NoteBytes(big, "",
                                     {NoteAscii(0x0006, "IMG:JPEG file"), NoteLong(big, 0x0008, {1010163}),
                                      NoteAscii(0x0009, "Tom Rowan")},
                                     v);
                },
                "canon-plain");
            const TImageInfo &info = *img->ExifInfo();
            EXPECT_EQ(MakerValue(info, "ImageType"), Quoted("IMG:JPEG file"));
            EXPECT_EQ(MakerValue(info, "ImageNumber"), "1010163");
            EXPECT_EQ(MakerValue(info, "OwnerName"), Quoted("Tom Rowan"));
            EXPECT_EQ(info.BigEndian, big);
        }
    }
}

TEST(MakerDispatch, MakerNoteEntriesCarryTheRowAndTheRenderedValueOnly) {
    const CameraFile f{"Canon", "Canon", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(false, "", {NoteAscii(0x0007, "Firmware Version 1.0"), NoteLong(false, 0x0008, {42})}, v);
        },
        "canon-fields");
    const TImageInfo &info = *img->ExifInfo();
    const auto firmware = MakerEntry(info, "FirmwareVersion");
    ASSERT_TRUE(firmware);
    EXPECT_EQ(firmware->Tag, 0x0007);
    EXPECT_EQ(firmware->Description, "FirmwareVersion");
    EXPECT_EQ(firmware->DataType, 2);
    EXPECT_EQ(firmware->Value, Quoted("Firmware Version 1.0"));
    EXPECT_EQ(firmware->Raw, std::string("Firmware Version 1.0\0", 21));
    EXPECT_EQ(firmware->RawLength, 0);
    EXPECT_EQ(firmware->ValuePosition, 0);
    const auto number = MakerEntry(info, "ImageNumber");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->DataType, 4);
    EXPECT_EQ(number->Raw, U32Bytes(false, {42}));

    // The note's entries are stored before the MakerNote entry itself.
    const int32_t makerNote = info.EntryIndexOf("MakerNote");
    ASSERT_GE(makerNote, 2);
    EXPECT_EQ(info.EntryAt(makerNote - 2).Name, "FirmwareVersion");
    EXPECT_EQ(info.EntryAt(makerNote - 1).Name, "ImageNumber");
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\nFirmwareVersion = \"Firmware Version 1.0\"\r\nImageNumber = 42");
}

struct MakerCase {
    const char *make;
    std::string header;
    bool measuredFromNote;  // Fuji: offsets from the note's first byte
    std::vector<NoteEntry> entries;
    std::vector<std::pair<const char *, std::string>> expected;
};

TEST(MakerDispatch, EachMakerKeyWalksItsOwnTable) {
    const std::vector<MakerCase> cases = {
        {"OLYMPUS OPTICAL CO.,LTD",
         OlympusHeader,
         false,
         {NoteShort(false, 0x0201, {2}), NoteAscii(0x0207, "SR874X"), NoteAscii(0x0209, "OLYMPUS CAMERA")},
         {{"JpegQual", "HQ"}, {"Firmware", Quoted("SR874X")}, {"CameraID", Quoted("OLYMPUS CAMERA")}}},
        {"CASIO COMPUTER CO.,LTD.",
         "",
         false,
         {NoteShort(false, 0x0002, {3}), NoteLong(false, 0x000A, {65537}), NoteAscii(0x0006, "distance")},
         {{"Quality", "Fine"}, {"DigitalZoom", "2X Digital Zoom"}, {"ObjectDistance", Quoted("distance")}}},
        {"FUJIFILM",
         FujiHeader,
         true,
         {NoteAscii(0x1000, "NORMAL "), NoteShort(false, 0x1031, {1}), NoteShort(false, 0x1302, {1})},
         {{"Quality", Quoted("NORMAL ")}, {"PictureMode", "Portrait scene"}, {"AEWarning", "Over exposure"}}},
        {"SEIKO EPSON CORP.",
         SeikoHeader,
         false,
         {NoteAscii(0x0209, "PC-5678 CAM"), NoteShort(false, 0x020B, {1600})},
         {{"CameraID", Quoted("PC-5678 CAM")}, {"Width", "1600"}}},
        {"SANYO Electric Co.,Ltd.",
         SanyoHeader,
         false,
         {NoteLong(false, 0x0200, {0, 0, 0}), NoteShort(false, 0x0201, {2})},
         {{"Special Mode", "0, 0, 0"}, {"JpegQuality", "2"}}},
        {"Minolta Co., Ltd.", "", false, {NoteUndefined(0x0E00, "PrintIM0300")}, {{"PIMdata", Quoted("PrintIM0300")}}},
    };
    for (const MakerCase &c : cases) {
        SCOPED_TRACE(c.make);
        const CameraFile f{c.make, "Model", "0210"};
        const auto img = OpenCamera(
            f, [&](uint32_t v) { return NoteBytes(false, c.header, c.entries, c.measuredFromNote ? 0 : v); },
            "maker-key");
        const TImageInfo &info = *img->ExifInfo();
        for (const auto &[name, value] : c.expected) EXPECT_EQ(MakerValue(info, name), value) << name;
        EXPECT_EQ(MakerEntryCount(info), static_cast<int>(c.expected.size()));
        EXPECT_EQ(img->ErrorText.find("Error Detected"), std::string::npos);
    }
}

TEST(MakerDispatch, MakeOfAnotherMakerLeavesTheNoteUndecoded) {
    for (const char *make : {"GoPro", "EASTMAN KODAK COMPANY", "NIK"}) {
        SCOPED_TRACE(make);
        const CameraFile f{make, "Model", "0210"};
        const auto img = OpenCamera(
            f, [](uint32_t v) { return NoteBytes(false, "", {NoteAscii(0x0006, "IMG:JPEG file")}, v); }, "other-maker");
        EXPECT_EQ(MakerEntryCount(*img->ExifInfo()), 0);
        // A plain directory is listed by tag, nothing of it stored; the note
        // itself is still an entry of the EXIF directory, shown by its size
        // and maker.
        EXPECT_EQ(WithoutPlaces(img->ExifInfo()->MakerDumpText), "\r\nUnknown = \"IMG:JPEG file\"");
        EXPECT_EQ(ValueOf(*img->ExifInfo(), "MakerNote"), "(32 bytes, " + std::string(make) + ")");
    }
}

TEST(MakerDispatch, DecodeRecognisesTheMakeWhateverItsLetterCase) {
    TimgData owner;
    for (const char *make : {"Canon", "canon inc.", "CANON"}) {
        SCOPED_TRACE(make);
        TImageInfo info(&owner, exif::BuildAll);
        info.CameraMake = make;
        info.MakerNoteBytes = NoteBytes(false, "", {}, 0);
        makernotes::TmsInfo decoder(false, &info);
        EXPECT_TRUE(decoder.DecodeMakerNote(info));
        EXPECT_EQ(decoder.Maker, make);
    }
}

TEST(MakerDispatch, DecodeOfAnUnknownOrEmptyMakeGivesFalseAndStoresNothing) {
    TimgData owner;
    for (const char *make : {"", "GoPro", "Leica", "Nikkon"}) {
        SCOPED_TRACE(make);
        TImageInfo info(&owner, exif::BuildAll);
        info.CameraMake = make;
        info.MakerNoteBytes = NoteBytes(false, "", {NoteShort(false, 0x0001, {1})}, 0);
        makernotes::TmsInfo decoder(false, &info);
        EXPECT_FALSE(decoder.DecodeMakerNote(info));
        EXPECT_EQ(decoder.Maker, "");
        EXPECT_EQ(info.EntryCount(), 0);
        EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\nUnknown = 1");
    }
    // Bytes whose first two count entries that fit but whose first entry has
    // no field type are no directory.
    TImageInfo info(&owner, exif::BuildAll);
    info.CameraMake = "GoPro";
    info.MakerNoteBytes = std::string(64, '\x01');
    EXPECT_FALSE(makernotes::TmsInfo(false, &info).DecodeMakerNote(info));
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "");
}

// ------------------------------------------------------------ Nikon layouts

// The newer note: "Nikon", a version, then a TIFF header of its own from which
// its offsets are measured.
std::string NewerNikonNote(bool big) {
    return NoteBytes(big, NikonTiffHeader(big),
                     {NoteAscii(0x0003, "COLOR"), NoteAscii(0x0004, "FINE   "),
                      NoteRational(big, 0x0084, {{24, 1}, {120, 1}, {7, 2}, {56, 10}}), NoteAscii(0x008D, "MODE2   ")},
                     -10);
}

void ExpectNewerNikonNote(const TImageInfo &info) {
    EXPECT_EQ(MakerValue(info, "ColorMode"), Quoted("COLOR"));
    EXPECT_EQ(MakerValue(info, "Quality"), Quoted("FINE   "));
    EXPECT_EQ(MakerValue(info, "LensInformation"), "24/1, 120/1, 7/2, 56/10");
    EXPECT_NE(WithoutPlaces(info.MakerDumpText).find("\r\nLens information = 24.0-120.0(mm)  F3.5-F5.6"),
              std::string::npos);
    EXPECT_NE(WithoutPlaces(info.MakerDumpText).find("\r\nColor Mode = Mode 2 (Adobe RGB)"), std::string::npos);
}

// The early notes: "Nikon" and an 8-byte header, offsets from the file's TIFF header.
std::string HeaderNikonNote(uint32_t v) {
    return NoteBytes(false, NikonHeader,
                     {NoteAscii(0x0002, "08.00"), NoteShort(false, 0x0003, {12}), NoteShort(false, 0x000B, {1})}, v);
}

void ExpectHeaderNikonNote(const TImageInfo &info) {
    EXPECT_EQ(MakerValue(info, "FamilyID"), Quoted("08.00"));
    EXPECT_EQ(MakerValue(info, "Quality"), "2 Mpixel Fine");
    EXPECT_EQ(MakerValue(info, "Converter"), "Used");
}

// Notes without a header: the directory starts at the first byte.
std::string PlainNikonNote(bool big, uint32_t v) {
    return NoteBytes(big, "",
                     {NoteShort(big, 0x0002, {0, 100}), NoteAscii(0x0004, "NORMAL "), NoteShort(big, 0x0095, {7})}, v);
}

void ExpectPlainNikonNote(const TImageInfo &info) {
    EXPECT_EQ(MakerValue(info, "ISO"), "100");
    EXPECT_EQ(MakerValue(info, "Quality"), Quoted("NORMAL "));
    EXPECT_EQ(MakerValue(info, "NoiseReduction"), "7");
}

TEST(NikonLayout, NewerExifVersionChoosesTheTiffHeaderLayoutWhateverTheNoteBegins) {
    const DecimalPoint point('.');
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        const CameraFile f{"Nikon Corporation", "COOLPIX P6000", "0220", big};
        const auto img = OpenCamera(
            f, [&](uint32_t) { return NewerNikonNote(big); }, "nikon-newer");
        ExpectNewerNikonNote(*img->ExifInfo());
    }
}

TEST(NikonLayout, OlderVersionAndNikonHeaderChooseTheFirstLayout) {
    const CameraFile f{"NIKON", "E950", "0210"};
    const auto img = OpenCamera(f, HeaderNikonNote, "nikon-header");
    ExpectHeaderNikonNote(*img->ExifInfo());
}

TEST(NikonLayout, HeaderTestRespectsLetterCase) {
    // "NIKON" in capitals is not the header: the note is read without one, so
    // the first layout's names never appear.
    const CameraFile f{"NIKON", "E950", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            std::string note = HeaderNikonNote(v);
            note.replace(0, 5, "NIKON");
            return note;
        },
        "nikon-caps");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "Converter"), "<missing>");
    EXPECT_NE(MakerValue(*img->ExifInfo(), "Quality"), "2 Mpixel Fine");
}

TEST(NikonLayout, NoteWithoutHeaderChoosesTheSecondLayout) {
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        const CameraFile f{"NIKON", "E990", "0200", big};
        const auto img = OpenCamera(
            f, [&](uint32_t v) { return PlainNikonNote(big, v); }, "nikon-plain");
        ExpectPlainNikonNote(*img->ExifInfo());
    }
}

TEST(NikonLayout, DSeriesModelInTiffFileWithoutVersionChoosesTheTiffHeaderLayout) {
    const DecimalPoint point('.');
    for (const char *model : {"NIKON D100", "D1X", "NIKON D"}) {
        SCOPED_TRACE(model);
        const CameraFile f{"NIKON CORPORATION", model, "", true, true};
        const auto img = OpenCamera(
            f, [](uint32_t) { return NewerNikonNote(true); }, "nikon-d100");
        ExpectNewerNikonNote(*img->ExifInfo());
    }
}

TEST(NikonLayout, DSeriesRuleNeedsTiffFileNoVersionAndADAfterTheFirstBlank) {
    struct Case {
        const char *model;
        const char *version;
        bool tiff;
    };
    // A JPEG file; a version text; "E" after the blank; a blank as the last
    // character; a lower-case "d"; no Model at all.
    for (const Case &c :
         {Case{"NIKON D100", "", false}, Case{"NIKON D100", "0200", true}, Case{"NIKON E5700", "", true},
          Case{"NIKON ", "", true}, Case{"NIKON d100", "", true}, Case{"", "", true}}) {
        SCOPED_TRACE(std::string(c.model) + "/" + c.version + (c.tiff ? "/tiff" : "/jpeg"));
        const CameraFile f{"NIKON", c.model, c.version, true, c.tiff};
        const auto img = OpenCamera(
            f, [](uint32_t v) { return PlainNikonNote(true, v); }, "nikon-not-d");
        ExpectPlainNikonNote(*img->ExifInfo());
    }
}

// ------------------------------------------------------------ the walk

TEST(MakerWalk, FujiNoteIsLittleEndianAndTheFileOrderHoldsAgainAfterIt) {
    for (const bool tiff : {false, true}) {
        SCOPED_TRACE(tiff ? "tiff" : "jpeg");
        const CameraFile f{"FUJIFILM", "FinePix40i", "0210", true, tiff};
        const auto img = OpenCamera(
            f,
            [](uint32_t) {
                return NoteBytes(
                    false, FujiHeader,
                    {NoteAscii(0x1000, "NORMAL "), NoteShort(false, 0x1001, {3}), NoteShort(false, 0x1010, {1})}, 0);
            },
            "fuji-mm");
        const TImageInfo &info = *img->ExifInfo();
        EXPECT_EQ(MakerValue(info, "Quality"), Quoted("NORMAL "));
        EXPECT_EQ(MakerValue(info, "Sharpness"), "Normal");
        EXPECT_EQ(MakerValue(info, "FlashMode"), "On");
        // The EXIF entry after the note is read big-endian again.
        EXPECT_TRUE(info.BigEndian);
        EXPECT_EQ(info.EntryTextOf("ExifImageWidth"), "640");
        EXPECT_EQ(info.WidthValue, 640);
    }
}

TEST(MakerWalk, ValueBeyondTheNoteIsReadFromTheExifDataAtAPlusOffset) {
    // Olympus adds 9, which turns an offset from the TIFF header into a
    // position of the EXIF segment; the other makers add nothing, so their
    // outside values are read 9 bytes before the TIFF offset.
    CameraFile olympus{"OLYMPUS", "C960", "0210"};
    olympus.after = std::string("OUTSIDE\0", 8) + "padding";
    const auto img = OpenCamera(
        olympus,
        [&](uint32_t v) {
            const uint32_t noteSize = static_cast<uint32_t>(OlympusHeader.size() + 2 + 12 * 2 + 4);
            return NoteBytes(false, OlympusHeader, {NoteAt(0x0207, 2, 8, v + noteSize), NoteShort(false, 0x0201, {3})},
                             v);
        },
        "olympus-outside");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "Firmware"), Quoted("OUTSIDE"));
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "JpegQual"), "SHQ");

    CameraFile canon{"Canon", "IXUS", "0210"};
    canon.after = std::string("OUTSIDE\0", 8) + "padding";
    const auto img2 = OpenCamera(
        canon,
        [&](uint32_t v) {
            const uint32_t noteSize = 2 + 12 * 1 + 4;
            return NoteBytes(false, "", {NoteAt(0x0009, 2, 8, v + noteSize + 9)}, v);
        },
        "canon-outside");
    EXPECT_EQ(MakerValue(*img2->ExifInfo(), "OwnerName"), Quoted("OUTSIDE"));
}

TEST(MakerWalk, ValueThatOverrunsTheNoteEndIsReadFromOutsideNotCut) {
    CameraFile canon{"Canon", "IXUS", "0210"};
    canon.after = "OUTSIDE!padding";
    const auto img = OpenCamera(
        canon,
        [&](uint32_t v) {
            // The last 4 bytes of the note (its zero link) and 4 beyond: 8 bytes.
            const uint32_t noteSize = 2 + 12 * 1 + 4;
            return NoteBytes(false, "", {NoteAt(0x0009, 7, 8, v + noteSize - 4)}, v);
        },
        "canon-overrun");
    // Not the note's last 4 bytes followed by what comes after the note, but
    // 8 bytes of the EXIF segment at A + m (A is 0 for Canon).
    const TImageInfo &info = *img->ExifInfo();
    const auto owner = MakerEntry(info, "OwnerName");
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->Raw.size(), 8u);
    EXPECT_NE(owner->Raw, std::string("\0\0\0\0OUTS", 8));
    const uint32_t v = NoteOffset(canon);
    EXPECT_EQ(owner->Raw, info.GetBuffer().substr(v + 18 - 4 - 1, 8));
}

TEST(MakerWalk, OffsetPointingBeforeTheNoteGivesNoBytes) {
    const CameraFile f{"Canon", "IXUS", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(false, "", {NoteAt(0x0009, 2, 8, 0), NoteLong(false, 0x0008, {7})}, v);
        },
        "canon-before");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "OwnerName"), "\"\"");
    EXPECT_EQ(MakerValue(info, "ImageNumber"), "7");
}

TEST(MakerWalk, SkipRowsAreHiddenAndTagsWithoutRowsAreListedAsUnknown) {
    const CameraFile f{"Canon", "IXUS", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(false, "",
                             {NoteShort(false, 0x0000, {1}), NoteShort(false, 0x0005, {7}),
                              NoteShort(false, 0x0010, {2}), NoteLong(false, 0x0008, {9})},
                             v);
        },
        "canon-skip");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\nUnknown = 7\r\nImageNumber = 9");
    EXPECT_EQ(MakerEntryCount(info), 1);
    EXPECT_EQ(MakerValue(info, "Skip"), "<missing>");
}

TEST(MakerWalk, LowerCaseSkipRowIsHiddenToo) {
    const CameraFile f{"SEIKO EPSON", "PC", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(false, SeikoHeader, {NoteShort(false, 0x0300, {5}), NoteShort(false, 0x0F00, {1})}, v);
        },
        "seiko-skip");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\n?? = 5");
    EXPECT_EQ(MakerValue(info, "??"), "5");
}

TEST(MakerWalk, FirstTableRowIsUsedLikeAnyOther) {
    const CameraFile f{"CASIO", "QV", "0210"};
    const auto img = OpenCamera(
        f, [](uint32_t v) { return NoteBytes(false, "", {NoteShort(false, 0x0001, {4})}, v); }, "casio-first");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "RecordingMode"), "Portrait");
}

TEST(MakerWalk, RowOfTagZeroIsListedButNeverStored) {
    const CameraFile f{"FUJIFILM", "FinePix", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t) {
            return NoteBytes(false, FujiHeader, {NoteUndefined(0x0000, "0130"), NoteShort(false, 0x1020, {1})}, 0);
        },
        "fuji-version");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\nVersion = \"0130\"\r\nMacro = On");
    EXPECT_EQ(MakerValue(info, "Version"), "<missing>");
    EXPECT_EQ(MakerValue(info, "Macro"), "On");
}

TEST(MakerWalk, EntryWithNegativeOrOversizedCountIsPassedOverEntirely) {
    const CameraFile f{"Canon", "IXUS", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(
                false, "",
                {NoteAt(0x0006, 2, 0x80000000u, 0), NoteAt(0x0007, 4, 0x20000000u, 0), NoteLong(false, 0x0008, {5}),
                 NoteLong(false, 0x000C, {7})},
                v);
        },
        "canon-counts");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\nImageNumber = 5\r\nSerialNumber = 7");
    EXPECT_EQ(MakerEntryCount(info), 2);
}

TEST(MakerWalk, NoteShorterThanItsDirectoryReadsZerosAndStaysInside) {
    const CameraFile f{"Canon", "IXUS", "0210"};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            std::string note = NoteBytes(false, "", {NoteLong(false, 0x0008, {5}), NoteLong(false, 0x0008, {6})}, v);
            note[0] = '\x40';  // 64 entries claimed, two present
            return note;
        },
        "canon-short");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "ImageNumber"), "5");
    EXPECT_EQ(img->ErrorText.find("Error Detected"), std::string::npos);
}

// ------------------------------------------------------------ one entry body, two policies

// The main directories and a maker note walk their entries with one body;
// the same bytes read as each directory's policy says.
TEST(EntryPolicy, AnAsciiValueIsItsTextInAMainDirectoryAndQuotedInAMakerNote) {
    CameraFile f{"Canon", "Ab", "0210"};
    const auto img = OpenCamera(
        f, [](uint32_t v) { return NoteBytes(false, "", {NoteAscii(0x0009, "Ab"), NoteLong(false, 0x0008, {7})}, v); },
        "policy-ascii");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(ValueOf(info, "Model"), "Ab");
    EXPECT_EQ(MakerValue(info, "OwnerName"), "\"Ab\"");
}

// An UNDEFINED value ends at its first NUL in a main directory; in a maker
// note only its trailing NULs are padding, and the bytes of a tag no row
// describes are said, not shown, when they are no text.
TEST(EntryPolicy, AnUndefinedValueEndsAtItsFirstZeroInAMainDirectoryAndKeepsItInAMakerNote) {
    const std::string bytes("Ab\0cd\0\0", 7);
    CameraFile f{"Canon", "IXUS", "0210"};
    f.after = bytes;
    const auto img = OpenCamera(
        f,
        [&](uint32_t v) {
            return NoteBytes(false, "", {NoteUndefined(0x0009, bytes), NoteUndefined(0x00FE, "\x01\x02\x03\x04\x05")}, v);
        },
        "policy-undefined");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_NE(info.DumpText.find("Unknown = \"Ab\"\r\n"), std::string::npos) << info.DumpText;
    EXPECT_EQ(MakerValue(info, "OwnerName"), std::string("\"Ab\0cd\"", 7));
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText),
              std::string("\r\nOwnerName = \"Ab\0cd\"\r\nUnknown = (5 bytes of binary data)", 57));
}

// ------------------------------------------------------------ Canon arrays

std::unique_ptr<TimgData> CanonArrayFile(uint16_t tag, std::initializer_list<unsigned> values,
                                         const std::string &name) {
    const CameraFile f{"Canon", "Canon PowerShot", "0210"};
    return OpenCamera(
        f, [&](uint32_t v) { return NoteBytes(false, "", {NoteShort(false, tag, values)}, v); }, name);
}

TEST(CanonArrays, CameraSettingsListABlockAndStoreEachLineWithItsNumber) {
    const auto img = CanonArrayFile(0x0001, {38, 1, 0, 3, 1, 0, 0, 1}, "canon-settings");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText),
              "\r\nMacro mode = Macro\r\nSelf Timer = 0\r\nCompression Rate = Fine\r\nFlash Mode = Auto"
              "\r\nDrive Mode = Single\r\nFocus Mode = AI Servo\r\nExposureInfo1 = 38, 1, 0, 3, 1, 0, 0, 1");
    const auto macro = MakerEntry(info, "Macro mode");
    ASSERT_TRUE(macro);
    EXPECT_EQ(macro->Value, "Macro");
    EXPECT_EQ(macro->Description, "Macro mode");
    // What -n shows: the code as a number, in the note's byte order.
    EXPECT_EQ(macro->DataType, exif::TypeLong);
    EXPECT_EQ(macro->Raw, std::string("\x01\0\0\0", 4));
    EXPECT_NE(macro->Tag, 0);
    EXPECT_EQ(MakerValue(info, "Self Timer"), "0");
    EXPECT_EQ(MakerValue(info, "ExposureInfo1"), "38, 1, 0, 3, 1, 0, 0, 1");
    // Sub-entries come first, then the tag's own entry, then the MakerNote entry.
    const int32_t own = info.EntryIndexOf("ExposureInfo1");
    EXPECT_EQ(info.EntryAt(own - 1).Name, "Focus Mode");
    EXPECT_EQ(info.EntryAt(own + 1).Name, "MakerNote");
}

TEST(CanonArrays, ALongArrayIsReadToItsEndNotOnlyAsFarAsTheRenderedText) {
    const auto img = CanonArrayFile(0x0001, {80, 2, 5, 0,   0,   1, 0, 3, 9, 9, 2, 5, 9, 1, 1, 1, 17, 1, 9, 1,
                                             1,  9, 9, 300, 100, 2, 9, 9, 7, 9, 9, 9, 1, 9, 9, 9, 9,  9, 9, 9},
                                    "canon-long");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "LensType"), "Canon EF 70-210mm f/4");
    EXPECT_EQ(MakerValue(info, "CanonImageSize"), "Small");
    EXPECT_EQ(MakerValue(info, "EasyMode"), "Night");
    EXPECT_EQ(MakerValue(info, "Contrast"), "+1");
    // The focal lengths in the focal units (element 25) per millimetre.
    EXPECT_EQ(MakerValue(info, "MaxFocalLength"), "150 mm");
    EXPECT_EQ(MakerValue(info, "MinFocalLength"), "50 mm");
    EXPECT_EQ(MakerValue(info, "FocusContinuous"), "Continuous");
    // Code 9 names no digital zoom: no row, as for any coded field.
    EXPECT_EQ(MakerValue(info, "DigitalZoom"), "<missing>");
}

TEST(CanonArrays, ValueMissingFromTheCodesGivesNoLineAndNoEntry) {
    const auto img = CanonArrayFile(0x0001, {38, 7, 0, 4, 99, 0}, "canon-nocode");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(
        WithoutPlaces(info.MakerDumpText),
        "\r\nSelf Timer = 0\r\nCompression Rate = RAW\r\nDrive Mode = Single\r\nExposureInfo1 = 38, 7, 0, 4, 99, 0");
    EXPECT_EQ(MakerValue(info, "Macro mode"), "<missing>");
    EXPECT_EQ(MakerValue(info, "Flash Mode"), "<missing>");
}

TEST(CanonArrays, ShotInformationGivesTheMeasuredExposureAndTheSequenceNumber) {
    const auto img =
        CanonArrayFile(0x0004, {68, 0, 128, 335, 213, 245, 0, 1, 0, 5, 0, 4, 0, 0, 7, 12, 0, 0, 216, 0}, "canon-shot");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "White balance"), "Sunny");
    EXPECT_EQ(MakerValue(info, "SequenceNumber"), "5");
    EXPECT_EQ(MakerValue(info, "AutoISO"), "100");
    EXPECT_EQ(MakerValue(info, "BaseISO"), "50");
    EXPECT_EQ(MakerValue(info, "MeasuredEV"), "15.47");
    // 12/32 EV is Canon's code for a third of a stop.
    EXPECT_EQ(MakerValue(info, "FlashExposureComp"), "+1/3");
    // No upper focus distance (element 19 is 0): neither distance is shown.
    EXPECT_EQ(MakerValue(info, "FocusDistanceUpper"), "<missing>");
    EXPECT_EQ(MakerValue(info, "Sequence Number"), "<missing>");
}

TEST(CanonArrays, CustomFunctionsReadEveryFieldButTheLast) {
    const auto img = CanonArrayFile(0x000F, {8, 257, 1792, 1281}, "canon-custom");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText),
              "\r\nNoise Reduction =  On\r\nAEB Sequence = 0\r\nCustomFunctions = 8, 257, 1792, 1281");
    // The last field (function 5, setting 1) would read "Off" but is never read.
    EXPECT_EQ(MakerValue(info, "AF Assist"), "<missing>");
    EXPECT_EQ(MakerValue(info, "Noise Reduction"), " On");
    EXPECT_EQ(MakerValue(info, "AEB Sequence"), "0");
}

// ------------------------------------------------------------ camera samples

std::unique_ptr<TimgData> OpenSample(const std::string &name) {
    auto img = std::make_unique<TimgData>(exif::BuildAll, params::ReaderParts());
    if (!img->OpenImageFile(SamplePath(name)) || img->ExifInfo() == nullptr)
        throw std::runtime_error("cannot open sample " + name);
    return img;
}

struct SampleValues {
    const char *file;
    std::vector<std::pair<const char *, std::string>> values;
};

// Values checked against the bytes of each file (a hex dump, and exiftool's
// reading of the same tags).
TEST(MakerSamples, DecodedMakerValuesOfRealCameras) {
    const std::vector<SampleValues> samples = {
        {"canon-ixus.jpg",
         {{"ImageType", Quoted("IMG:JPEG file")},
          {"FirmwareVersion", Quoted("Firmware Version 1.0")},
          {"ImageNumber", "1010163"},
          {"OwnerName", Quoted("Tom Rowan and Sarah Clifton")},
          {"Macro mode", "Normal"},
          {"Compression Rate", "Fine"},
          {"Flash Mode", "Auto"},
          {"Drive Mode", "Single"},
          {"Focus Mode", "AI Servo"},
          {"White balance", "Auto"}}},
        {"Canon_DIGITAL_IXUS_400.jpg",
         {{"FirmwareVersion", Quoted("Firmware Version 1.00")},
          {"ImageNumber", "1242489"},
          {"OwnerName", Quoted("Jean-Pierre Grignon")},
          {"Focus Mode", "Single"},
          {"Macro mode", "Normal"}}},
        {"nikon-e950.jpg",
         {{"Quality", "2 Mpixel Fine"},
          {"ColorMode", "Color"},
          {"ImageAdjustment", "Contrast+"},
          {"ISOSpeed", "ISO80"},
          {"WhiteBalance", "Auto"},
          {"Converter", "Not used"}}},
        {"DSCN0010.jpg",
         {{"ColorMode", Quoted("COLOR")},
          {"Quality", Quoted("FINE   ")},
          {"WhiteBalance", Quoted("AUTO        ")},
          {"FocusMode", Quoted("AF-S  ")}}},
        {"32-lens_data.jpeg",
         {{"Quality", Quoted("NORMAL ")},
          {"LensInformation", "280/10, 3000/10, 35/10, 56/10"},
          {"NoiseReduction", Quoted("OFF ")}}},
        {"olympus-c960.jpg", {{"JpegQual", "HQ"}, {"Firmware", Quoted("SR874")}}},
        {"Fujifilm_FinePix_E500.jpg",
         {{"Quality", Quoted("FINE   ")},
          {"Sharpness", "Normal"},
          {"FlashMode", "Off"},
          {"Macro", "On"},
          {"PictureMode", "Auto"},
          {"BlurWarning", "No blur warning"}}},
        {"fujifilm-finepix40i.jpg",
         {{"Quality", Quoted("NORMAL ")}, {"FlashMode", "On"}, {"PictureMode", "Portrait scene"}}},
        {"sanyo-vpcg250.jpg", {{"Special Mode", "0, 0, 0"}, {"JpegQuality", "2"}}},
    };
    for (const SampleValues &s : samples) {
        SCOPED_TRACE(s.file);
        const auto img = OpenSample(s.file);
        for (const auto &[name, value] : s.values) EXPECT_EQ(MakerValue(*img->ExifInfo(), name), value) << name;
        EXPECT_EQ(img->ErrorText.find("Error Detected"), std::string::npos);
    }
}

TEST(MakerSamples, NikonLensOfARealD300) {
    const DecimalPoint point('.');
    const auto img = OpenSample("32-lens_data.jpeg");
    EXPECT_NE(
        WithoutPlaces(img->ExifInfo()->MakerDumpText).find("\r\nLens information = 28.0-300.0(mm)  F3.5-F5.6\r\n"),
        std::string::npos);
}

TEST(MakerSamples, FilesWhoseEditorsDroppedTheNoteHaveNoMakerEntries) {
    for (const char *file : {"Canon_40D.jpg", "Nikon_D70.jpg", "Olympus_C8080WZ.jpg"}) {
        SCOPED_TRACE(file);
        const auto img = OpenSample(file);
        EXPECT_EQ(img->ExifInfo()->EntryIndexOf("MakerNote"), -1);
        EXPECT_EQ(MakerEntryCount(*img->ExifInfo()), 0);
    }
}

// ------------------------------------------------------------ newer makers

// A note whose directory holds one sub-directory, placed right after the
// note's directory (the note's other values fit in their entries): `pointer`
// makes the entry an IFD offset, else the sub-directory is the entry's
// UNDEFINED value. Offsets count as `shift` says.
std::string NoteWithSubDirectory(bool big, const std::string &header, std::vector<NoteEntry> entries, uint16_t subTag,
                                 const std::vector<NoteEntry> &subEntries, int64_t shift, bool pointer) {
    const uint32_t subStart = static_cast<uint32_t>(header.size() + 2 + 12 * (entries.size() + 1) + 4);
    const std::string sub = NoteBytes(big, "", subEntries, subStart + shift);
    if (pointer) {
        entries.push_back(NoteAt(subTag, 13, 1, static_cast<uint32_t>(subStart + shift)));
        return NoteBytes(big, header, entries, shift) + sub;
    }
    entries.push_back(NoteUndefined(subTag, sub));
    return NoteBytes(big, header, entries, shift);
}

// Sony's cipher as the camera applies it: b -> b^3 mod 249, bytes 249 to 255 as they are.
std::string SonyEncipher(const std::string &plain) {
    std::string out = plain;
    for (char &c : out) {
        const unsigned b = static_cast<uint8_t>(c);
        if (b < 249) c = static_cast<char>((b * b * b) % 249);
    }
    return out;
}

TEST(NewerMakers, AppleNoteOfARealIPhoneMatchesExiftool) {
    auto img = std::make_unique<TimgData>(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img->OpenImageFile(std::string(EXIFVIEW_TEST_DATA) + "/samples-modern/IMG_5195.HEIC"));
    const TImageInfo &info = *img->ExifInfo();
    // exiftool -Apple:all -a -G1 IMG_5195.HEIC
    const std::vector<std::pair<const char *, std::string>> expected = {
        {"MakerNoteVersion", "12"},
        {"RunTimeFlags", "Valid"},
        {"RunTimeValue", "79656660836500"},
        {"RunTimeScale", "1000000000"},
        {"RunTimeEpoch", "0"},
        {"AEStable", "Yes"},
        {"AETarget", "172"},
        {"AEAverage", "177"},
        {"AFStable", "Yes"},
        {"AccelerationVector", "0.04538494722 -0.8529752501 -0.4998340304"},
        {"FocusDistanceRange", "0.37 - 0.61 m"},
        {"MediaGroupUUID", Quoted("570F1469-09C7-4E50-9875-05F21D5BD166")},
        {"LivePhotoVideoIndex", "575676416"},
        {"HDRHeadroom", "1.41934514"},
        {"SignalToNoiseRatio", "51.03090669"},
        {"FocusPosition", "237"},
    };
    const DecimalPoint point('.');
    for (const auto &[name, value] : expected) EXPECT_EQ(MakerValue(info, name), value) << name;
    // The note's binary blocks (property lists) are no rows of their own.
    EXPECT_FALSE(MakerEntry(info, "RunTime"));
    EXPECT_EQ(info.EntryTextOf("MakerNote"), Quoted("Apple iOS"));
}

TEST(NewerMakers, NoteTakesItsByteOrderFromItsHeaderAndCountsOffsetsFromItsStart) {
    // An Intel file holding a Motorola Apple note, and a Motorola file
    // holding an Intel Olympus note.
    const std::string appleHeader("Apple iOS\0\0\x01MM", 14);
    const CameraFile apple{"Apple", "iPhone", "0232", false};
    const auto a = OpenCamera(
        apple,
        [&](uint32_t) {
            return NoteBytes(true, appleHeader, {NoteLong(true, 0x0004, {1}), NoteAscii(0x000B, "BURST-UUID-1")}, 0);
        },
        "apple-mm");
    EXPECT_EQ(MakerValue(*a->ExifInfo(), "AEStable"), "Yes");
    EXPECT_EQ(MakerValue(*a->ExifInfo(), "BurstUUID"), Quoted("BURST-UUID-1"));

    const std::string olympusHeader("OLYMPUS\0II\x03\0", 12);
    const CameraFile olympus{"OLYMPUS IMAGING CORP.", "E-M5", "0230", true};
    const auto o = OpenCamera(
        olympus,
        [&](uint32_t) { return NoteBytes(false, olympusHeader, {NoteAscii(0x0207, "S0036"), NoteShort(false, 0x0201, {3})}, 0); },
        "olympus-ii");
    EXPECT_EQ(MakerValue(*o->ExifInfo(), "Firmware"), Quoted("S0036"));
    EXPECT_EQ(MakerValue(*o->ExifInfo(), "JpegQual"), "SHQ");
}

TEST(NewerMakers, OlympusSubDirectoriesAreWalkedWithTheirOwnTables) {
    const DecimalPoint point('.');
    const std::vector<NoteEntry> equipment = {
        NoteAscii(0x0101, "BHP123456"), NoteLong(false, 0x0104, {0x1210}),
        NoteUndefined(0x0201, std::string("\0\0\x19\x10\0\0", 6)), NoteAscii(0x0203, "OLYMPUS M.12-40mm F2.8")};
    for (const bool pointer : {true, false}) {
        SCOPED_TRACE(pointer ? "IFD offset" : "UNDEFINED directory");
        for (const auto &[make, header] : {std::pair<std::string, std::string>{"OLYMPUS CORPORATION", std::string("OLYMPUS\0II\x03\0", 12)},
                                           {"OM Digital Solutions", std::string("OM SYSTEM\0\0\0II\x04\0", 16)}}) {
            SCOPED_TRACE(make);
            const CameraFile f{make, "E-M1", "0231"};
            const auto img = OpenCamera(
                f,
                [&](uint32_t) {
                    return NoteWithSubDirectory(false, header, {NoteShort(false, 0x0201, {2})}, 0x2010, equipment, 0,
                                                pointer);
                },
                "olympus-equipment");
            const TImageInfo &info = *img->ExifInfo();
            EXPECT_EQ(MakerValue(info, "JpegQual"), "HQ");
            EXPECT_EQ(MakerValue(info, "SerialNumber"), Quoted("BHP123456"));
            EXPECT_EQ(MakerValue(info, "BodyFirmwareVersion"), "1.210");
            EXPECT_EQ(MakerValue(info, "LensType"), "Olympus M.Zuiko Digital ED 12-40mm F2.8 Pro");
            EXPECT_EQ(MakerValue(info, "LensModel"), Quoted("OLYMPUS M.12-40mm F2.8"));
        }
    }
}

TEST(NewerMakers, SubDirectoryPointingAtItselfOrItsParentIsWalkedOnce) {
    // The Equipment entry points at the note's own directory: walked once,
    // as the directory it is, and the walk ends.
    const std::string header("OLYMPUS\0II\x03\0", 12);
    const CameraFile f{"OLYMPUS CORPORATION", "E-M1", "0231"};
    const auto img = OpenCamera(
        f,
        [&](uint32_t) { return NoteBytes(false, header, {NoteShort(false, 0x0201, {2}), NoteAt(0x2010, 13, 1, 12)}, 0); },
        "olympus-cycle");
    EXPECT_EQ(MakerEntryCount(*img->ExifInfo()), 1);
    EXPECT_EQ(img->ErrorText.find("Error Detected"), std::string::npos);
}

TEST(NewerMakers, SonyCipherBlockGivesShutterCountLensAndSerialOfTheBody) {
    std::string block(0x200, '\0');
    const auto put = [&](size_t at, std::initializer_list<unsigned> bytes) {
        for (unsigned b : bytes) block[at++] = static_cast<char>(b);
    };
    put(0x3A, {0x39, 0x30, 0x00, 0x7F});  // 12345, the top byte not counted
    put(0x88, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB});
    put(0x105, {2, 0, 0x35, 0x80});  // E-mount, lens 32821
    const std::string enciphered = SonyEncipher(block);
    EXPECT_EQ(makernotes::SonyDecipher(enciphered), block);
    struct Case {
        std::string header;
        bool fromTiffHeader;
    };
    for (const Case &c : {Case{std::string("SONY DSC \0\0\0", 12), true}, Case{"", true}}) {
        SCOPED_TRACE(c.header.empty() ? "no header" : "SONY DSC");
        const CameraFile f{"SONY", "ILCE-7M3", "0231"};
        const auto img = OpenCamera(
            f,
            [&](uint32_t v) {
                return NoteBytes(false, c.header,
                                 {NoteUndefined(0x9050, enciphered), NoteLong(false, 0x0102, {2}),
                                  NoteLong(false, 0xB027, {25}), NoteShort(false, 0xB042, {2})},
                                 v);
            },
            "sony");
        const TImageInfo &info = *img->ExifInfo();
        EXPECT_EQ(MakerValue(info, "ShutterCount"), "12345");
        EXPECT_EQ(MakerValue(info, "LensType2"), "Sony FE 24-70mm F2.8 GM");
        EXPECT_EQ(MakerValue(info, "InternalSerialNumber"), "0123456789ab");
        EXPECT_EQ(MakerValue(info, "Quality"), "Fine");
        EXPECT_EQ(MakerValue(info, "LensType"), "Minolta AF 100-300mm F4.5-5.6 APO (D) or Sigma Lens");
        EXPECT_EQ(MakerValue(info, "FocusMode"), "AF-C");
        EXPECT_FALSE(MakerEntry(info, "Tag9050"));
    }
    // Another body keeps its shutter count elsewhere in the block.
    const CameraFile older{"SONY", "NEX-6", "0230"};
    const auto img = OpenCamera(
        older, [&](uint32_t v) { return NoteBytes(false, "", {NoteUndefined(0x9050, enciphered)}, v); }, "sony-nex");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "ShutterCount"), "0");
}

// The lens's name from the lens data and LensType, through the composite
// LensID too.
std::string CompositeLensId(const TimgData &img) {
    for (const params::GridRow &row : params::CompositeRows(img.ExifInfo()->StoredEntries(), false))
        if (row.Name == "LensID") return row.Value;
    return "<missing>";
}

TEST(NewerMakers, PentaxAndPanasonicHeaders) {
    const DecimalPoint point('.');
    // "AOC\0MM" in an Intel file, offsets from the TIFF header; "PENTAX \0II"
    // in a Motorola file, offsets from the note's start.
    const std::vector<NoteEntry> pentaxEntries = {NoteShort(true, 0x0019, {10}), NoteUndefined(0x003F, std::string("\x03\x11\0\0", 4)),
                                                  NoteAscii(0x0229, "4512345")};
    const CameraFile aoc{"PENTAX Corporation", "PENTAX K10D", "0221", false};
    const auto a = OpenCamera(
        aoc, [&](uint32_t v) { return NoteBytes(true, std::string("AOC\0MM", 6), pentaxEntries, v); }, "pentax-aoc");
    const std::vector<NoteEntry> intelEntries = {NoteShort(false, 0x0019, {10}), NoteUndefined(0x003F, std::string("\x03\x11\0\0", 4)),
                                                 NoteAscii(0x0229, "4512345")};
    const CameraFile ricoh{"RICOH IMAGING COMPANY, LTD.", "PENTAX K-3 II", "0230", true};
    const auto p = OpenCamera(
        ricoh, [&](uint32_t) { return NoteBytes(false, std::string("PENTAX \0II", 10), intelEntries, 0); }, "pentax-new");
    for (const TImageInfo *info : {a->ExifInfo(), p->ExifInfo()}) {
        EXPECT_EQ(MakerValue(*info, "WhiteBalance"), "Cloudy");
        EXPECT_EQ(MakerValue(*info, "LensType"), "smc PENTAX-FA SOFT 85mm F2.8");
        EXPECT_EQ(MakerValue(*info, "SerialNumber"), Quoted("4512345"));
    }

    const CameraFile panasonic{"Panasonic", "DMC-GH4", "0230", false};
    const auto g = OpenCamera(
        panasonic,
        [&](uint32_t v) {
            return NoteBytes(false, std::string("Panasonic\0\0\0", 12),
                             {NoteShort(false, 0x0001, {2}), NoteUndefined(0x0002, std::string("\0\x01\x03\x01", 4)),
                              NoteShort(false, 0x001A, {2}), NoteUndefined(0x0025, std::string("F541109280071\0\0\0", 16)),
                              NoteAscii(0x0051, "LUMIX G VARIO 12-35/F2.8")},
                             v);
        },
        "panasonic");
    const TImageInfo &info = *g->ExifInfo();
    EXPECT_EQ(MakerValue(info, "ImageQuality"), "High");
    EXPECT_EQ(MakerValue(info, "FirmwareVersion"), "0.1.3.1");
    EXPECT_EQ(MakerValue(info, "ImageStabilization"), "On / Optical");
    EXPECT_EQ(MakerValue(info, "InternalSerialNumber"), "(F54) 2011:09:28 no. 0071");
    EXPECT_EQ(MakerValue(info, "LensType"), Quoted("LUMIX G VARIO 12-35/F2.8"));
    // The composite names the lens as its cell shows it, without the quotes.
    EXPECT_EQ(CompositeLensId(*g), "LUMIX G VARIO 12-35/F2.8");
}

TEST(NewerMakers, NikonLensDataIsDecipheredWithSerialNumberAndShutterCount) {
    const DecimalPoint point('.');
    // Version 0204: the lens number at 12, then f-stops, focal lengths,
    // apertures and the MCU version. The stream cipher is its own inverse.
    std::string plain = std::string("0204", 4) + std::string(16, '\0');
    const std::string lens = "\xA5\x40\x2D\x88\x2C\x40\x4B";  // 165, 5.33, 18.3 mm, 254.0 mm, 3.6, 6.3, MCU 75
    plain.replace(12, lens.size(), lens);
    const std::string enciphered = makernotes::NikonDecipher(plain, "3105364", "NIKON D7000", 241575);
    ASSERT_NE(enciphered, plain);
    EXPECT_EQ(enciphered.substr(0, 4), "0204");
    EXPECT_EQ(makernotes::NikonDecipher(enciphered, "3105364", "NIKON D7000", 241575), plain);
    // The shot info: its version, then the firmware's, enciphered the same
    // way, then settings this reader does not read.
    const std::string shotInfo = makernotes::NikonDecipher(std::string("0220") + "1.04C" + std::string(600, '\x55'),
                                                           "3105364", "NIKON D7000", 241575);
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        const CameraFile f{"NIKON CORPORATION", "NIKON D7000", "0230", big};
        const auto img = OpenCamera(
            f,
            [&](uint32_t) {
                return NoteBytes(big, NikonTiffHeader(big),
                                 {NoteUndefined(0x0001, "0210"), NoteShort(big, 0x0002, {0, 400}),
                                  NoteAscii(0x001D, "3105364"), NoteEntry{0x0083, 1, 1, "\x0E", {}},
                                  NoteUndefined(0x0091, shotInfo), NoteUndefined(0x0098, enciphered),
                                  NoteLong(big, 0x00A7, {241575})},
                                 -10);
            },
            "nikon-lens");
        const TImageInfo &info = *img->ExifInfo();
        EXPECT_EQ(MakerValue(info, "MakerNoteVersion"), "2.10");
        EXPECT_EQ(MakerValue(info, "ISO"), "400");
        EXPECT_EQ(MakerValue(info, "LensIDNumber"), "165");
        EXPECT_EQ(MakerValue(info, "LensFStops"), "5.33");
        EXPECT_EQ(MakerValue(info, "MinFocalLength"), "18.3 mm");
        EXPECT_EQ(MakerValue(info, "MaxFocalLength"), "254.0 mm");
        EXPECT_EQ(MakerValue(info, "MaxApertureAtMinFocal"), "3.6");
        EXPECT_EQ(MakerValue(info, "MaxApertureAtMaxFocal"), "6.3");
        EXPECT_EQ(MakerValue(info, "LensModel"), "Sigma 18-250mm F3.5-6.3 DC OS HSM");
        EXPECT_EQ(MakerValue(info, "LensType"), "G VR");
        EXPECT_EQ(MakerValue(info, "FirmwareVersion"), "1.04C");
        EXPECT_EQ(MakerValue(info, "ShotInfo"), "<missing>");
        EXPECT_EQ(MakerValue(info, "ShutterCount"), "241575");
        EXPECT_EQ(CompositeLensId(*img), "Sigma 18-250mm F3.5-6.3 DC OS HSM");
    }
}

TEST(NewerMakers, NikonLensNameNeedsTheWholeKeyAndPlainShotInfoIsReadAsItStands) {
    // Lens data 0101 and shot info 0100 are not enciphered: no serial number
    // or shutter count needed. The lens's seven bytes are a known lens's, but
    // the LensType (6: G, no VR) is not that lens's: no name, and the
    // composite does not take the LensType for one.
    const std::string lensData = std::string("0101", 4) + std::string(7, '\0') + "\xA5\x40\x2D\x88\x2C\x40\x4B";
    const CameraFile f{"NIKON CORPORATION", "NIKON D70", "0221", false};
    const auto img = OpenCamera(
        f,
        [&](uint32_t) {
            return NoteBytes(false, NikonTiffHeader(false),
                             {NoteEntry{0x0083, 1, 1, "\x06", {}},
                              NoteUndefined(0x0091, std::string("0100") + "1.00A" + "\x01\x02\x03"),
                              NoteUndefined(0x0098, lensData)},
                             -10);
        },
        "nikon-plain-lens");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "LensIDNumber"), "165");
    EXPECT_EQ(MakerValue(info, "LensType"), "G");
    EXPECT_EQ(MakerValue(info, "LensModel"), "<missing>");
    EXPECT_EQ(CompositeLensId(*img), "<missing>");
    EXPECT_EQ(MakerValue(info, "FirmwareVersion"), "1.00A");
}

TEST(NewerMakers, NikonLensDataOfARealD300MatchesExiftool) {
    const DecimalPoint point('.');
    const auto img = OpenSample("32-lens_data.jpeg");
    // exiftool -Nikon:all 32-lens_data.jpeg (lens data version 0203, enciphered)
    for (const auto &[name, value] : std::vector<std::pair<const char *, std::string>>{
             {"SerialNumber", Quoted("3105364")}, {"ShutterCount", "241575"}, {"LensIDNumber", "165"},
             {"LensFStops", "5.33"}, {"MinFocalLength", "28.3 mm"}, {"MaxFocalLength", "302.0 mm"},
             {"MaxApertureAtMinFocal", "3.6"}, {"MaxApertureAtMaxFocal", "5.7"},
             {"LensModel", "AF-S Nikkor 28-300mm f/3.5-5.6G ED VR"}, {"LensType", "G VR"},
             {"FirmwareVersion", "1.10B"}})
        EXPECT_EQ(MakerValue(*img->ExifInfo(), name), value) << name;
    EXPECT_EQ(CompositeLensId(*img), "AF-S Nikkor 28-300mm f/3.5-5.6G ED VR");
}

// ------------------------------------------------------------ more makers

std::string FloatBytes(bool big, float v) {
    return U32Bytes(big, {std::bit_cast<uint32_t>(v)});
}

TEST(MoreMakers, NotesWithoutAByteOrderMarkAreReadInTheOrderTheirDirectoryFits) {
    const DecimalPoint point('.');
    // Samsung: Motorola note in an Intel file, offsets from the note's start.
    const CameraFile samsung{"SAMSUNG", "NX300", "0230", false};
    const auto s = OpenCamera(
        samsung,
        [](uint32_t) {
            return NoteBytes(true, "",
                             {NoteUndefined(0x0001, "0100"), NoteShort(true, 0x0021, {4, 0, 4, 4, 4}),
                              NoteAscii(0xA002, "R0AW7ABC123"), NoteShort(true, 0xA003, {20, 1}),
                              NoteLong(true, 0xA01A, {450})},
                             0);
        },
        "samsung");
    EXPECT_EQ(MakerValue(*s->ExifInfo(), "PictureWizard"), "Forest");
    EXPECT_EQ(MakerValue(*s->ExifInfo(), "SerialNumber"), Quoted("R0AW7ABC123"));
    EXPECT_EQ(MakerValue(*s->ExifInfo(), "LensType"), "Samsung NX 50-150mm F2.8 S ED OIS");
    EXPECT_EQ(MakerValue(*s->ExifInfo(), "FocalLengthIn35mmFormat"), "45 mm");

    // DJI: Intel note in a Motorola file, offsets from the TIFF header.
    const CameraFile dji{"DJI", "FC7303", "0230", true};
    const auto d = OpenCamera(
        dji,
        [](uint32_t v) {
            return NoteBytes(false, "",
                             {NoteAscii(0x0001, "DJI"), {0x0006, 11, 1, FloatBytes(false, -2.5f), {}},
                              {0x000B, 11, 1, FloatBytes(false, 1.5f), {}}},
                             v);
        },
        "dji");
    EXPECT_EQ(MakerValue(*d->ExifInfo(), "Pitch"), "-2.50");
    EXPECT_EQ(MakerValue(*d->ExifInfo(), "CameraRoll"), "+1.50");

    // Sigma: a 10-byte header, offsets from the TIFF header, the lens as
    // hexadecimal text.
    const CameraFile sigma{"SIGMA", "SIGMA fp", "0230", false};
    const auto g = OpenCamera(
        sigma,
        [](uint32_t v) {
            return NoteBytes(true, std::string("SIGMA\0\0\0\x03\0", 10),
                             {NoteAscii(0x0002, "93012345"), NoteAscii(0x0027, "16"),
                              NoteRational(true, 0x002A, {{18, 1}, {50, 1}})},
                             v);
        },
        "sigma");
    EXPECT_EQ(MakerValue(*g->ExifInfo(), "SerialNumber"), Quoted("93012345"));
    EXPECT_EQ(MakerValue(*g->ExifInfo(), "LensType"), "Sigma 18-50mm F3.5-5.6 DC");
    EXPECT_EQ(MakerValue(*g->ExifInfo(), "LensFocalRange"), "18 to 50");
}

TEST(MoreMakers, LeicaNotesCountTheirOffsetsEachFromItsOwnBase) {
    // The M8's from its directory's first byte (8 bytes into the note), the
    // Q's from the TIFF header.
    const CameraFile m8{"Leica Camera AG", "M8 Digital Camera", "0220", false};
    const auto m = OpenCamera(
        m8,
        [](uint32_t) {
            return NoteBytes(false, std::string("LEICA\0\0\0", 8),
                             {NoteShort(false, 0x0300, {2}), NoteLong(false, 0x0303, {31415}),
                              NoteLong(false, 0x0310, {42 * 4 + 3}), NoteRational(false, 0x0312, {{27, 4}})},
                             -8);
        },
        "leica-m8");
    EXPECT_EQ(MakerValue(*m->ExifInfo(), "Quality"), "Basic");
    EXPECT_EQ(MakerValue(*m->ExifInfo(), "SerialNumber"), "0031415");
    EXPECT_EQ(MakerValue(*m->ExifInfo(), "LensType"), "Tri-Elmar-M 28-35-50mm f/4 ASPH. (at 50mm)");
    EXPECT_EQ(MakerValue(*m->ExifInfo(), "MeasuredLV"), "6.75");

    const CameraFile q{"LEICA CAMERA AG", "LEICA Q (Typ 116)", "0230", true};
    const auto l = OpenCamera(
        q,
        [](uint32_t v) {
            return NoteBytes(true, std::string("LEICA\0\x08\0", 8),
                             {NoteAscii(0x0303, "SUMMILUX 1:1.7/28 ASPH."), NoteAscii(0x0412, "Standard")}, v);
        },
        "leica-q");
    EXPECT_EQ(MakerValue(*l->ExifInfo(), "LensType"), Quoted("SUMMILUX 1:1.7/28 ASPH."));
    EXPECT_EQ(MakerValue(*l->ExifInfo(), "FilmMode"), Quoted("Standard"));
}

TEST(MoreMakers, FujifilmCurrentBodiesRows) {
    const DecimalPoint point('.');
    const CameraFile f{"FUJIFILM", "X-T4", "0232", false};
    const auto img = OpenCamera(
        f,
        [](uint32_t) {
            return NoteBytes(false, FujiHeader,
                             {NoteAscii(0x0010, "FF02B 592D31313034060427796060110384"),
                              NoteLong(false, 0x1103, {0x08000002}), NoteShort(false, 0x1401, {0x600}),
                              NoteShort(false, 0x1402, {0x200}), NoteRational(false, 0x1404, {{16, 1}}),
                              NoteShort(false, 0x1422, {2, 1, 0}), NoteShort(false, 0x1438, {0x8000 + 1234})},
                             0);
        },
        "fuji-xt4");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "InternalSerialNumber"), "FF02B Y-1104 2006:04:27 796060110384");
    EXPECT_EQ(MakerValue(info, "DriveMode"), "Continuous High");
    EXPECT_EQ(MakerValue(info, "DriveSpeed"), "8 fps");
    EXPECT_EQ(MakerValue(info, "FilmMode"), "Classic Chrome");
    EXPECT_EQ(MakerValue(info, "DynamicRangeSetting"), "Wide1 (230%)");
    EXPECT_EQ(MakerValue(info, "MinFocalLength"), "16");
    EXPECT_EQ(MakerValue(info, "ImageStabilization"), "Sensor-shift");
    EXPECT_EQ(MakerValue(info, "ImageCount"), "1234");
}

TEST(MoreMakers, SonyBlocksOfTheNewestBodiesByTheirVersionByte) {
    std::string lens(0x60, '\0');
    lens[0x04] = '\x00';
    lens[0x05] = '\x0D';  // ISO 100 x 2^(16 - 13)
    lens[0x4A] = '\x02';  // E-mount, lens 32821
    lens[0x4B] = '\x35';
    lens[0x4C] = '\x80';
    std::string shots(0x40, '\0');
    shots[0x09] = '\x01';  // Continuous
    shots[0x12] = '\x06';  // the seventh frame
    std::string block9400 = SonyEncipher(shots);
    std::string unknownVersion = block9400;
    block9400[0] = '\x23';
    unknownVersion[0] = '\x99';
    for (const auto &[version, expected] : {std::pair<std::string, std::string>{block9400, "7"}, {unknownVersion, "<missing>"}}) {
        const CameraFile f{"SONY", "ILCE-7SM3", "0232"};
        const auto img = OpenCamera(
            f,
            [&](uint32_t v) {
                return NoteBytes(false, "", {NoteUndefined(0x9400, version), NoteUndefined(0x9416, SonyEncipher(lens))}, v);
            },
            "sony-9416");
        const TImageInfo &info = *img->ExifInfo();
        EXPECT_EQ(MakerValue(info, "SonyISO"), "800");
        EXPECT_EQ(MakerValue(info, "LensType2"), "Sony FE 24-70mm F2.8 GM");
        EXPECT_EQ(MakerValue(info, "SequenceImageNumber"), expected);
        EXPECT_EQ(MakerValue(info, "ReleaseMode2"), expected == "7" ? "Continuous" : "<missing>");
    }
}

TEST(MoreMakers, PentaxShutterCountIsDecipheredWithTheNotesDateAndTime) {
    // 12345 shots on 2008:05:04 at 16:47:24, as the camera stores them.
    const std::string date("\x07\xD8\x05\x04", 4), time("\x10\x2F\x18", 3), count("\xE8\x08\xD2\xC2", 4);
    EXPECT_EQ(makernotes::PentaxDecipherShutterCount(count, date, time), 12345u);
    EXPECT_FALSE(makernotes::PentaxDecipherShutterCount(count, date, time.substr(0, 2)));
    const CameraFile f{"PENTAX Corporation", "PENTAX K10D", "0221", false};
    const auto img = OpenCamera(
        f,
        [&](uint32_t v) {
            return NoteBytes(false, std::string("AOC\0II", 6),
                             {NoteUndefined(0x0006, date), NoteUndefined(0x0007, time), NoteUndefined(0x005D, count)}, v);
        },
        "pentax-count");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "Date"), "2008:05:04");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "Time"), "16:47:24");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "ShutterCount"), "12345");
    EXPECT_EQ(MakerNumbers(*img->ExifInfo(), "ShutterCount"), Numbers({12345}));
    // The date and time are texts under -n too, not the bytes they are spelt in.
    EXPECT_TRUE(MakerNumbers(*img->ExifInfo(), "Date").empty());
    EXPECT_TRUE(MakerNumbers(*img->ExifInfo(), "Time").empty());
}

// ------------------------------------------------- values read as the row says

TEST(RowReadings, OlympusColorMatrixIsSignedInTextAndNumbers) {
    const CameraFile f{"OLYMPUS IMAGING CORP.", "E-1", "0220", false};
    const auto img = OpenCamera(
        f, [](uint32_t v) { return NoteBytes(false, OlympusHeader, {NoteShort(false, 0x1011, {356, 65502, 6})}, v); },
        "olympus-matrix");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "ColorMatrix"), "356, -34, 6");
    EXPECT_EQ(MakerNumbers(*img->ExifInfo(), "ColorMatrix"), Numbers({356, -34, 6}));
}

TEST(RowReadings, OlympusCameraIdEndsAtItsFirstNul) {
    const CameraFile f{"OLYMPUS OPTICAL CO.,LTD", "C960Z,D460Z", "0210", false};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(false, OlympusHeader,
                             {NoteUndefined(0x0209, std::string("OLYMPUS DIGITAL CAMERA\0\xff\xff\xff\xff", 27))}, v);
        },
        "olympus-id");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "CameraID"), Quoted("OLYMPUS DIGITAL CAMERA"));
}

TEST(RowReadings, FujifilmImageCountDropsItsFlagBitInNumbersToo) {
    const CameraFile f{"FUJIFILM", "X-T4", "0232", false};
    const auto img = OpenCamera(
        f, [](uint32_t) { return NoteBytes(false, FujiHeader, {NoteShort(false, 0x1438, {0x8000})}, 0); }, "fuji-count");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "ImageCount"), "0");
    EXPECT_EQ(MakerNumbers(*img->ExifInfo(), "ImageCount"), Numbers({0}));
}

TEST(RowReadings, NikonIsoDropsOnlyALeadingZeroAndKeepsATextAsWritten) {
    const CameraFile d{"NIKON CORPORATION", "NIKON D70", "0221", false};
    const auto withIso = [&](const NoteEntry &iso) {
        return OpenCamera(
            d, [&](uint32_t) { return NoteBytes(false, NikonTiffHeader(false), {iso}, -10); }, "nikon-iso");
    };
    EXPECT_EQ(MakerValue(*withIso(NoteAscii(0x0002, "1, 2"))->ExifInfo(), "ISO"), Quoted("1, 2"));
    EXPECT_EQ(MakerValue(*withIso(NoteShort(false, 0x0002, {0, 200}))->ExifInfo(), "ISO"), "200");
    EXPECT_EQ(MakerValue(*withIso(NoteShort(false, 0x0002, {1, 200}))->ExifInfo(), "ISO"), "1, 200");
}

// ------------------------------------------- byte order and base of re-saved files

// An editor that rewrites a file in the other byte order leaves the note's
// bytes as the camera wrote them.
TEST(ResavedNotes, NoteWithoutAMarkIsReadInItsOwnOrderInAFileOfTheOther) {
    for (const bool fileBig : {false, true}) {
        SCOPED_TRACE(fileBig);
        const CameraFile canon{"Canon", "Canon EOS 40D", "0221", fileBig};
        const auto c = OpenCamera(
            canon,
            [&](uint32_t v) {
                return NoteBytes(!fileBig, "", {NoteAscii(0x0006, "Canon EOS 40D JPEG"), NoteLong(!fileBig, 0x0008, {1234567})}, v);
            },
            "canon-other-order");
        EXPECT_EQ(MakerValue(*c->ExifInfo(), "ImageType"), Quoted("Canon EOS 40D JPEG"));
        EXPECT_EQ(MakerValue(*c->ExifInfo(), "ImageNumber"), "1234567");
        EXPECT_EQ(MakerEntryCount(*c->ExifInfo()), 2);
    }
}

TEST(ResavedNotes, NikonNoteIsReadInTheOrderOfItsOwnTiffHeader) {
    for (const bool noteBig : {false, true}) {
        SCOPED_TRACE(noteBig);
        const CameraFile d70{"NIKON CORPORATION", "NIKON D70", "0221", !noteBig};
        const auto img = OpenCamera(
            d70,
            [&](uint32_t) {
                return NoteBytes(noteBig, NikonTiffHeader(noteBig),
                                 {NoteAscii(0x0004, "NORMAL "), NoteShort(noteBig, 0x0002, {0, 200})}, -10);
            },
            "nikon-other-order");
        EXPECT_EQ(MakerValue(*img->ExifInfo(), "Quality"), Quoted("NORMAL "));
        EXPECT_EQ(MakerValue(*img->ExifInfo(), "ISO"), "200");
    }
}

// The camera wrote the note 100 bytes further on than it now lies: its value
// offsets still count from there.
TEST(ResavedNotes, MovedNoteIsReadWithItsBaseCorrectedAndTheListingSaysSo) {
    const CameraFile f{"Canon", "Canon PowerShot S400", "0220", false};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(false, "", {NoteAscii(0x0006, "IMG:PowerShot S400 JPEG"), NoteAscii(0x0007, "Firmware Version 1.00")},
                             v + 100);
        },
        "canon-moved");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "ImageType"), Quoted("IMG:PowerShot S400 JPEG"));
    EXPECT_EQ(MakerValue(info, "FirmwareVersion"), Quoted("Firmware Version 1.00"));
    EXPECT_NE(info.MakerDumpText.find("(note moved by -100 bytes"), std::string::npos);
}

TEST(ResavedNotes, CanonTrailerGivesWhereTheCameraWroteTheNote) {
    // The trailer says the note was at v + 40; one value lies inside the
    // note either way, so only the trailer tells the move.
    const CameraFile f{"Canon", "Canon EOS-1D Mark III", "0221", false};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            std::string note = NoteBytes(false, "", {NoteAscii(0x0006, "Canon EOS-1D Mark III"), NoteLong(false, 0x0008, {42})}, v + 40);
            return note + std::string("\0\0\0\0\0\0\0\0II\x2a\0", 12) + U32Bytes(false, {v + 40});
        },
        "canon-trailer");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "ImageType"), Quoted("Canon EOS-1D Mark III"));
    EXPECT_NE(img->ExifInfo()->MakerDumpText.find("(note moved by -40 bytes"), std::string::npos);
}

TEST(ResavedNotes, NoteInPlaceIsNotMovedAndOutsideValuesStayOutside) {
    const CameraFile f{"Canon", "Canon PowerShot S400", "0220", false};
    const auto img = OpenCamera(
        f, [](uint32_t v) { return NoteBytes(false, "", {NoteAscii(0x0006, "IMG:PowerShot S400 JPEG")}, v); }, "canon-in-place");
    EXPECT_EQ(MakerValue(*img->ExifInfo(), "ImageType"), Quoted("IMG:PowerShot S400 JPEG"));
    EXPECT_EQ(img->ExifInfo()->MakerDumpText.find("moved"), std::string::npos);
}

// Bytes that read as hundreds of entries of no field type are no directory
// of that maker's layout: the note is shown by its size, not as junk rows.
TEST(ResavedNotes, NoteOfMostlyInvalidEntriesIsShownBySizeAndMaker) {
    const CameraFile f{"CASIO COMPUTER CO.,LTD", "EX-Z3", "0220", true};
    const auto img = OpenCamera(
        f,
        [](uint32_t) {
            std::string junk("\x00\x05", 2);
            for (int i = 0; i < 5; ++i) junk += std::string("\x00\x01\x7f\x7f\x00\x00\x00\x01\x00\x00\x00\x00", 12);
            return junk + std::string(4, '\0');
        },
        "casio-junk");
    EXPECT_EQ(MakerEntryCount(*img->ExifInfo()), 0);
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "MakerNote"), "(66 bytes, CASIO COMPUTER CO.,LTD)");
}

// ------------------------------------------------------- notes of older makers

TEST(OlderMakers, CasioQvcNoteIsReadWithItsOwnTableInEitherByteOrder) {
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big);
        // The note in one order, the file in the other, as an editor leaves it.
        const CameraFile f{"CASIO COMPUTER CO.,LTD", "EX-Z3", "0220", !big};
        const auto img = OpenCamera(
            f,
            [&](uint32_t v) {
                return NoteBytes(big, std::string("QVC\0\0\0", 6),
                                 {NoteShort(big, 0x0014, {3}),
                                  NoteUndefined(0x2001, std::string("0302\0\0" "2809\0\0" "45\0\0\0\0", 16)),
                                  NoteShort(big, 0x3002, {3}), NoteUndefined(0x3011, U16Bytes(big, {0xFFFF})),
                                  NoteAscii(0x3006, "New York")},
                                 v);
            },
            "casio-qvc");
        const TImageInfo &info = *img->ExifInfo();
        EXPECT_EQ(MakerValue(info, "ISO"), "50");
        EXPECT_EQ(MakerValue(info, "FirmwareDate"), "2003:02:28 09:45");
        EXPECT_EQ(MakerValue(info, "Quality"), "Fine");
        EXPECT_EQ(MakerValue(info, "Sharpness"), "-1");
        EXPECT_EQ(MakerValue(info, "HometownCity"), Quoted("New York"));
        EXPECT_EQ(MakerEntry(info, "Quality")->Directory, "Casio");
        EXPECT_EQ(info.MakerDumpText.find("moved"), std::string::npos);
    }
}

TEST(OlderMakers, RicohNoteGivesItsTypeFirmwareAndSerialAsDigits) {
    const CameraFile f{"RICOH", "Caplio RR30", "0221", true};
    const auto img = OpenCamera(
        f,
        [](uint32_t v) {
            return NoteBytes(true, std::string("Ricoh\xcf\0\0", 8),
                             {NoteAscii(0x0001, "Rdc"), NoteAscii(0x0002, "Rev2219"),
                              NoteUndefined(0x0005, std::string("\0\0\0\x01\x22\x07\0\x03", 8))},
                             v);
        },
        "ricoh");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "MakerNoteType"), Quoted("Rdc"));
    EXPECT_EQ(MakerValue(info, "FirmwareVersion"), Quoted("Rev2219"));
    EXPECT_EQ(MakerValue(info, "InternalSerialNumber"), "0000000122070003");
    EXPECT_TRUE(exif::ShownNumbers(*MakerEntry(info, "InternalSerialNumber")).empty());
}

// Kodak's block: the model at 0, the quality at 9, the f-number in
// hundredths at 30, the exposure time in 1/100000 s at 32; a block cut after
// the exposure time holds none of the later fields.
TEST(OlderMakers, KodakBlockFieldsAreReadAtTheirPlacesScaledAsStored) {
    std::string block = std::string("KDK INFO", 8) + std::string("DX4900  ", 8) + std::string(1, '\0') + "\x01";
    block += std::string(30 - 10, '\0');
    block += U16Bytes(true, {673}) + U32Bytes(true, {464});
    const CameraFile f{"EASTMAN KODAK COMPANY", "KODAK DX4900 ZOOM DIGITAL CAMERA", "0220", false};
    const auto img = OpenCamera(f, [&](uint32_t) { return block; }, "kodak");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "KodakModel"), Quoted("DX4900  "));
    EXPECT_EQ(MakerValue(info, "Quality"), "Fine");
    EXPECT_EQ(MakerValue(info, "FNumber"), "6.73");
    EXPECT_EQ(MakerValue(info, "ExposureTime"), "0.00464");
    ASSERT_TRUE(MakerEntry(info, "FNumber"));
    EXPECT_EQ(exif::ShownNumbers(*MakerEntry(info, "FNumber")), std::vector<exif::TComponent>{6.73});
    EXPECT_FALSE(MakerEntry(info, "ISO"));
    EXPECT_EQ(MakerEntry(info, "Quality")->Directory, "Kodak");
}

// The DiMAGE's settings: big-endian numbers whatever the note's order, the
// n-th at byte 4 n; ISO, exposure time and f-number as codes of the
// camera's scales, the date packed into one number.
TEST(OlderMakers, MinoltaSettingsBlockGivesTheValuesItsCodesStandFor) {
    std::vector<uint32_t> numbers(24, 0);
    numbers[5] = 2;                                    // MinoltaQuality: Fine
    numbers[8] = 56;                                   // ISO 2^((56-48)/8) x 100
    numbers[9] = 48 + 8 * 7;                           // 1/128 s
    numbers[10] = 40;                                  // f/4
    numbers[21] = (2002u << 16) | (6u << 8) | 1u;      // 2002:06:01
    std::string block;
    for (const uint32_t n : numbers) block += U32Bytes(true, {n});
    const CameraFile f{"Minolta Co., Ltd.", "DiMAGE 7", "0220", false};
    const auto img = OpenCamera(
        f, [&](uint32_t v) { return NoteBytes(false, "", {NoteUndefined(0x0003, block)}, v); }, "minolta-settings");
    const TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(MakerValue(info, "MinoltaQuality"), "Fine");
    EXPECT_EQ(MakerValue(info, "ISO"), "200");
    EXPECT_EQ(MakerValue(info, "ExposureTime"), "0.0078125");
    EXPECT_EQ(MakerValue(info, "FNumber"), "4");
    EXPECT_EQ(MakerValue(info, "MinoltaDate"), "2002:06:01");
    ASSERT_TRUE(MakerEntry(info, "FNumber"));
    EXPECT_EQ(exif::ShownNumbers(*MakerEntry(info, "FNumber")), std::vector<exif::TComponent>{4.0});
    EXPECT_FALSE(MakerEntry(info, "LastFileNumber"));  // past the block's end

    const CameraFile x31{"Minolta Co., Ltd.", "DiMAGE X31", "0220", false};
    const auto other = OpenCamera(
        x31, [&](uint32_t v) { return NoteBytes(false, "", {NoteUndefined(0x0003, block)}, v); }, "minolta-x31");
    EXPECT_FALSE(MakerEntry(*other->ExifInfo(), "ISO"));
}

}  // namespace
