// The binary-block interpreter: every block table as data, and blocks built
// from bytes read field by field.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>

#include "exif/TagEntry.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/BinaryBlock.h"
#include "makernotes/MakerNoteData.h"

namespace {

using makernotes::TBinaryBlock;
using makernotes::TBlockKind;
using makernotes::TBlockRow;

// ------------------------------------------------------------ tables

// "n:text,n:text": every key a whole number, no key twice, no text empty.
bool WellFormedCodes(std::string_view codes) {
    std::set<int64_t> keys;
    while (!codes.empty()) {
        const size_t comma = codes.find(',');
        const std::string_view pair = codes.substr(0, comma);
        const size_t colon = pair.find(':');
        if (colon == std::string_view::npos || colon + 1 == pair.size()) return false;
        const auto key = exif::ParseDecimal(pair.substr(0, colon));
        if (!key || !keys.insert(*key).second) return false;
        if (comma == std::string_view::npos) break;
        codes.remove_prefix(comma + 1);
    }
    return true;
}

// "n,n": whole numbers separated by commas.
bool WellFormedNumbers(std::string_view numbers) {
    while (true) {
        const size_t comma = numbers.find(',');
        if (!exif::ParseDecimal(numbers.substr(0, comma))) return false;
        if (comma == std::string_view::npos) return true;
        numbers.remove_prefix(comma + 1);
    }
}

TEST(BlockTables, EveryRowLiesInsideItsBlockInOffsetOrder) {
    for (const TBinaryBlock *block : makernotes::BinaryBlocks()) {
        SCOPED_TRACE(block->Name);
        EXPECT_GT(exif::TypeSize(block->Element), 0);
        uint16_t last = 0;
        for (const TBlockRow &row : block->Rows) {
            SCOPED_TRACE(row.Name);
            EXPECT_GE(row.Count, 1);
            EXPECT_LE(row.Offset + row.Count, block->Elements);
            EXPECT_LT(row.PerElement, block->Elements);
            EXPECT_LT(row.IfElement, block->Elements);
            EXPECT_GE(row.Offset, last);
            last = row.Offset;
        }
    }
}

TEST(BlockTables, EachKindCarriesWhatItNeedsAndNamesAreUniqueUnlessConditioned) {
    for (const TBinaryBlock *block : makernotes::BinaryBlocks()) {
        SCOPED_TRACE(block->Name);
        std::set<std::string_view> names;
        for (const TBlockRow &row : block->Rows) {
            SCOPED_TRACE(row.Name);
            EXPECT_FALSE(row.Name.empty());
            if (!row.Applies) EXPECT_TRUE(names.insert(row.Name).second);
            const bool coded = row.Kind == TBlockKind::Coded || row.Kind == TBlockKind::CodedOrNumber;
            EXPECT_EQ(coded, !row.Codes.empty());
            if (coded) EXPECT_TRUE(WellFormedCodes(row.Codes)) << row.Codes;
            const bool lens = row.Kind == TBlockKind::LensId || row.Kind == TBlockKind::LensIdOrUnknown;
            EXPECT_EQ(lens, row.Lenses != nullptr);
            if (row.Format != 0) EXPECT_GE(row.Count * exif::TypeSize(block->Element), exif::TypeSize(row.Format));
            if (row.Kind != TBlockKind::Converted) EXPECT_EQ(row.Convert, nullptr);
            if (!row.Missing.empty()) EXPECT_TRUE(WellFormedNumbers(row.Missing)) << row.Missing;
        }
    }
}

// ------------------------------------------------------------ interpreter

std::string Shorts(std::initializer_list<int> values, bool bigEndian) {
    std::string bytes;
    for (const int v : values) bytes += makernotes::UnsignedBytes(static_cast<uint16_t>(v), 2, bigEndian);
    return bytes;
}

const exif::TSubEntry *Sub(const exif::TRenderOut &out, std::string_view name) {
    for (const exif::TSubEntry &sub : out.SubEntries)
        if (sub.Name == name) return &sub;
    return nullptr;
}

double NumberOf(const exif::TSubEntry &sub, bool bigEndian) {
    exif::TRenderOut in;
    in.Raw = sub.Raw;
    in.BigEndian = bigEndian;
    if (sub.Type == exif::TypeDouble) return std::bit_cast<double>(*makernotes::UnsignedAt(in, 0, 8));
    return static_cast<int32_t>(*makernotes::UnsignedAt(in, 0, 4));
}

TEST(BinaryBlock, FieldsReadInTheNotesByteOrderGiveTextAndNumber) {
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian);
        const std::string bytes = Shorts({12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3}, bigEndian);
        exif::TRenderOut out;
        out.Raw = bytes;
        out.BigEndian = bigEndian;
        const std::string lines = makernotes::ReadBinaryBlock(makernotes::CanonCameraSettingsBlock, out);
        EXPECT_TRUE(out.Block);
        EXPECT_NE(lines.find("\r\nMeteringMode = Evaluative"), std::string::npos);
        const exif::TSubEntry *metering = Sub(out, "MeteringMode");
        ASSERT_NE(metering, nullptr);
        EXPECT_EQ(metering->Value, "Evaluative");
        EXPECT_EQ(NumberOf(*metering, bigEndian), 3);
    }
}

TEST(BinaryBlock, AFieldPastTheBlocksEndIsNotReadNorShown) {
    // 17 elements and one odd byte: MeteringMode (element 17) is cut.
    std::string bytes = Shorts({34, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false) + "\x03";
    exif::TRenderOut out;
    out.Raw = bytes;
    makernotes::ReadBinaryBlock(makernotes::CanonCameraSettingsBlock, out);
    EXPECT_EQ(Sub(out, "MeteringMode"), nullptr);
    EXPECT_NE(Sub(out, "Contrast"), nullptr);
    EXPECT_EQ(Sub(out, "LensType"), nullptr);
}

TEST(BinaryBlock, ConvertedFieldsKeepTheConvertedNumberForMinusN) {
    // ShotInfo: ExposureTime code 0xE0 (7 EV) is 1/128 s; FNumber code 0x60 is f/2.8.
    exif::TRenderOut out;
    const std::string bytes =
        Shorts({46, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 250, 100, 0x60, 0xE0}, false);
    out.Raw = bytes;
    makernotes::ReadBinaryBlock(makernotes::CanonShotInfoBlock, out);
    const exif::TSubEntry *time = Sub(out, "ExposureTime");
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->Value, "1/128");
    EXPECT_DOUBLE_EQ(NumberOf(*time, false), 1.0 / 128);
    const exif::TSubEntry *aperture = Sub(out, "FNumber");
    ASSERT_NE(aperture, nullptr);
    EXPECT_EQ(aperture->Value, "2.8");
    const exif::TSubEntry *lower = Sub(out, "FocusDistanceLower");
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->Value, "1 m");
}

TEST(BinaryBlock, CanonsExposureCodesCountThirdsAsThirds) {
    EXPECT_DOUBLE_EQ(makernotes::CanonEv(0x0C), 1.0 / 3);
    EXPECT_DOUBLE_EQ(makernotes::CanonEv(-0x14), -2.0 / 3);
    EXPECT_DOUBLE_EQ(makernotes::CanonEv(0x30), 1.5);
    EXPECT_EQ(makernotes::PrintFraction(makernotes::CanonEv(-0x2C)), "-4/3");
    EXPECT_EQ(makernotes::PrintFraction(0), "0");
    EXPECT_EQ(makernotes::PrintExposureTime(2), "2");
    EXPECT_EQ(makernotes::PrintExposureTime(0.5), "0.5");
    EXPECT_EQ(makernotes::PrintTwoDigits(4.0), "4.0");
    EXPECT_EQ(makernotes::PrintTwoDigits(27.3), "27");
    // The farthest codes a 16-bit field holds stay texts of bounded length
    // (1/v of the shortest time past any 64-bit whole number).
    const double shortest = std::exp2(-makernotes::CanonEv(32767));
    EXPECT_LE(makernotes::PrintExposureTime(shortest).size(), 20u);
    EXPECT_LE(makernotes::PrintTwoDigits(std::exp2(makernotes::CanonEv(-32768) / 2)).size(), 22u);
}

TEST(BinaryBlock, SonysBlocksAreDecipheredBeforeTheirFieldsAreRead) {
    // Byte b is stored as b^3 mod 249: 2 as 8, 3 as 27; 249 to 255 as they are.
    EXPECT_EQ(makernotes::SonyDecipher(std::string("\x08\x1b\xfa", 3)), std::string("\x02\x03\xfa", 3));
    // 0x9416: ISO code 0x0D00 (little-endian at 4) is ISO 800; the E-mount
    // byte at 0x4A, then lens 32821.
    std::string plain(0x50, '\0');
    plain[5] = '\x0D';
    plain[0x4A] = '\x02';
    plain[0x4B] = '\x35';
    plain[0x4C] = '\x80';
    std::string stored = plain;
    for (char &c : stored) {
        const auto b = static_cast<unsigned>(static_cast<uint8_t>(c));
        c = static_cast<char>(b < 249 ? b * b * b % 249 : b);
    }
    exif::TRenderOut out;
    out.Raw = stored;
    makernotes::ReadBinaryBlock(makernotes::Sony9416Block, out);
    const exif::TSubEntry *iso = Sub(out, "SonyISO");
    ASSERT_NE(iso, nullptr);
    EXPECT_EQ(iso->Value, "800");
    const exif::TSubEntry *lens = Sub(out, "LensType2");
    ASSERT_NE(lens, nullptr);
    EXPECT_EQ(NumberOf(*lens, false), 32821);
    EXPECT_EQ(Sub(out, "LensType"), nullptr);
}

TEST(BinaryBlock, BitsOfOneByteAreFieldsOfTheirOwnAndChooseTheirSiblingsReading) {
    // Nikon's flash information 0100: byte 9 is the commander bit and the
    // control mode; in manual mode (6) byte 10 is an output level, not a
    // compensation.
    std::string bytes = "0100" + std::string(15, '\0');
    bytes[9] = '\x86';
    bytes[10] = '\x06';  // one stop down: half power
    exif::TRenderOut out;
    out.Raw = bytes;
    makernotes::ReadBinaryBlock(makernotes::NikonFlashInfo0100Block, out);
    ASSERT_NE(Sub(out, "FlashCommanderMode"), nullptr);
    EXPECT_EQ(Sub(out, "FlashCommanderMode")->Value, "On");
    ASSERT_NE(Sub(out, "FlashControlMode"), nullptr);
    EXPECT_EQ(Sub(out, "FlashControlMode")->Value, "Manual");
    EXPECT_EQ(NumberOf(*Sub(out, "FlashControlMode"), false), 6);
    ASSERT_NE(Sub(out, "FlashOutput"), nullptr);
    EXPECT_EQ(Sub(out, "FlashOutput")->Value, "50%");
    EXPECT_EQ(Sub(out, "FlashCompensation"), nullptr);
    // Another version is laid out otherwise: nothing is read.
    bytes[3] = '3';
    exif::TRenderOut other;
    other.Raw = bytes;
    makernotes::ReadBinaryBlock(makernotes::NikonFlashInfo0100Block, other);
    EXPECT_TRUE(other.SubEntries.empty());
}

}  // namespace
