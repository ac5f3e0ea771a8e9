// The vendor tables as data, and the Nikon and Canon decoders on the texts the
// maker-note walk renders.
#include <gtest/gtest.h>

#include <cctype>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "exif/ImageInfo.h"
#include "exif/ImgData.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

using exif::TTagRow;

namespace {

// ------------------------------------------------------------ tables

struct VendorTable {
    const char *name;
    std::span<const TTagRow> rows;
    size_t count;
};

std::vector<VendorTable> VendorTables() {
    using namespace makernotes;
    return {{"NikonTags1", NikonTags1, 11}, {"NikonTags2", NikonTags2, 47}, {"OlympusTags", OlympusTags, 33},
            {"CasioTags", CasioTags, 26},   {"FujiTags", FujiTags, 30},     {"CanonTags", CanonTags, 32},
            {"SeikoTags", SeikoTags, 12},   {"SanyoTags", SanyoTags, 27},    {"MinoltaTags", MinoltaTags, 12},
            {"AppleTags", AppleTags, 24},   {"SonyTags", SonyTags, 38},     {"PanasonicTags", PanasonicTags, 16},
            {"PentaxTags", PentaxTags, 13}, {"SamsungTags", SamsungTags, 19}, {"SigmaTags", SigmaTags, 24},
            {"DjiTags", DjiTags, 10},       {"LeicaM8Tags", LeicaM8Tags, 8}, {"LeicaTags", LeicaTags, 7},
            {"LeicaMTags", LeicaMTags, 6},  {"LeicaSTags", LeicaSTags, 5},
            {"OlympusEquipmentTags", OlympusEquipmentTags, 17},
            {"OlympusCameraSettingsTags", OlympusCameraSettingsTags, 31},
            {"OlympusImageProcessingTags", OlympusImageProcessingTags, 16},
            {"OlympusFocusInfoTags", OlympusFocusInfoTags, 13},
            {"Casio2Tags", Casio2Tags, 42},
            {"RicohTags", RicohTags, 5},
            {"KodakTags", KodakTags, 31},
            {"MinoltaSettingsTags", MinoltaSettingsTags, 33}};
}

// "n:text,n:text": every piece a decimal number, a colon and a text.
bool WellFormedCodes(std::string_view codes) {
    while (true) {
        const size_t comma = codes.find(',');
        const std::string_view piece = codes.substr(0, comma);
        const size_t colon = piece.find(':');
        if (colon == 0 || colon == std::string_view::npos || colon + 1 == piece.size()) return false;
        for (size_t i = piece[0] == '-' ? 1 : 0; i < colon; ++i)
            if (!std::isdigit(static_cast<unsigned char>(piece[i]))) return false;
        if (comma == std::string_view::npos) return true;
        codes.remove_prefix(comma + 1);
    }
}

const TTagRow &RowOf(std::span<const TTagRow> rows, uint16_t tag) {
    const int i = exif::FindTagIndex(tag, rows);
    if (i < 0) throw std::out_of_range("no row");
    return rows[static_cast<size_t>(i)];
}

TEST(MakerTables, EveryTableHasItsRowsInStrictlyAscendingTagOrder) {
    for (const VendorTable &t : VendorTables()) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(t.rows.size(), t.count);
        for (size_t i = 1; i < t.rows.size(); ++i) EXPECT_LT(t.rows[i - 1].Tag, t.rows[i].Tag) << "row " << i;
    }
}

TEST(MakerTables, LensTablesAreSortedUniqueAndNameOneLensPerMaker) {
    using namespace makernotes;
    const std::vector<std::pair<const char *, std::span<const TLensRow>>> tables = {
        {"Sony", SonyLenses}, {"SonyE", SonyELenses}, {"Canon", CanonLenses}, {"Pentax", PentaxLenses},
        {"Olympus", OlympusLenses}, {"Samsung", SamsungLenses}, {"Sigma", SigmaLenses}, {"Leica", LeicaLenses}};
    for (const auto &[name, rows] : tables) {
        SCOPED_TRACE(name);
        EXPECT_GT(rows.size(), 15u);
        for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].Id, rows[i].Id) << "row " << i;
    }
    EXPECT_EQ(LensName(SonyLenses, 19), "Minolta AF 35mm F1.4 G");
    EXPECT_EQ(LensName(SonyELenses, 32821), "Sony FE 24-70mm F2.8 GM");
    EXPECT_EQ(LensName(CanonLenses, 1), "Canon EF 50mm f/1.8");
    EXPECT_EQ(LensName(PentaxLenses, 3 * 256 + 17), "smc PENTAX-FA SOFT 85mm F2.8");
    EXPECT_EQ(LensName(OlympusLenses, 0x001910), "Olympus M.Zuiko Digital ED 12-40mm F2.8 Pro");
    EXPECT_EQ(LensName(SamsungLenses, 20), "Samsung NX 50-150mm F2.8 S ED OIS");
    EXPECT_EQ(LensName(SigmaLenses, 0x16), "Sigma 18-50mm F3.5-5.6 DC");
    // A Leica M lens: the stored number x 4 + the frame selector's bits; a
    // name of one position before the lens's general name.
    EXPECT_EQ(LeicaLensName(42 * 4 + 2), "Tri-Elmar-M 28-35-50mm f/4 ASPH. (at 35mm)");
    EXPECT_EQ(LeicaLensName(6 * 4 + 0), "Summilux-M 35mm f/1.4");
    EXPECT_EQ(LeicaLensName(6 * 4 + 1), "Summicron-M 35mm f/2 (IV)");
    EXPECT_FALSE(LeicaLensName(2 * 4));
    EXPECT_FALSE(LensName(CanonLenses, 999999));
    // Nikon's table: eight bytes a key, searched the same way.
    EXPECT_GT(NikonLenses.size(), 500u);
    for (size_t i = 1; i < NikonLenses.size(); ++i) EXPECT_LT(NikonLenses[i - 1].Key, NikonLenses[i].Key) << "row " << i;
}

TEST(MakerTables, RowsSetOnlyNameDescriptionCodesAndRenderer) {
    for (const VendorTable &t : VendorTables()) {
        SCOPED_TRACE(t.name);
        for (const TTagRow &row : t.rows) {
            EXPECT_FALSE(row.Name.empty());
            EXPECT_FALSE(row.Description.empty());
            // A pattern shows the value's one number ("%d C").
            EXPECT_TRUE(row.FormatPattern.empty() || exif::CountOf(row.FormatPattern, "%") == 1);
            // Skip rows are named "Skip" as well.
            if (exif::UpperAscii(row.Description) == "SKIP") EXPECT_EQ(row.Name, row.Description);
        }
    }
}

TEST(MakerTables, ValueCodesAreWellFormedExceptTheOlympusMacroRowKeptAsItWas) {
    for (const VendorTable &t : VendorTables()) {
        SCOPED_TRACE(t.name);
        for (const TTagRow &row : t.rows) {
            if (row.ValueCodes.empty()) continue;
            if (t.rows.data() == makernotes::OlympusTags.data() && row.Tag == 0x0202) continue;
            EXPECT_TRUE(WellFormedCodes(row.ValueCodes)) << row.Name << ": " << row.ValueCodes;
        }
    }
    EXPECT_EQ(RowOf(makernotes::OlympusTags, 0x0202).ValueCodes, "0=Normal,1:Macro;");
    EXPECT_FALSE(WellFormedCodes("0=Normal,1:Macro;"));
}

TEST(MakerTables, OddValueCodesDecodeAsStored) {
    // A missing comma joins two pairs: 6 takes the rest, 10 is lost.
    const std::string_view quality = RowOf(makernotes::NikonTags1, 0x0003).ValueCodes;
    EXPECT_EQ(exif::DecodeValueCode(quality, "6"), "SXGA Fine10:2 Mpixel Basic");
    EXPECT_EQ(exif::DecodeValueCode(quality, "10"), "");
    EXPECT_EQ(exif::DecodeValueCode(quality, "11"), "2 Mpixel Normal");
    const std::string_view macro = RowOf(makernotes::OlympusTags, 0x0202).ValueCodes;
    EXPECT_EQ(exif::DecodeValueCode(macro, "0"), "");
    EXPECT_EQ(exif::DecodeValueCode(macro, "1"), "Macro;");
    EXPECT_EQ(exif::DecodeValueCode(RowOf(makernotes::FujiTags, 0x1002).ValueCodes, "3840"), "Custom white balance.");
    EXPECT_EQ(exif::DecodeValueCode(RowOf(makernotes::CasioTags, 0x0014).ValueCodes, "244"), "+3.0");
}

TEST(MakerTables, DescriptionsDifferFromNamesWhereTheCamerasSaidSo) {
    EXPECT_EQ(RowOf(makernotes::NikonTags2, 0x0084).Description, "Lens information");
    EXPECT_EQ(RowOf(makernotes::NikonTags2, 0x0001).Description, "Maker Note Version");
    EXPECT_EQ(RowOf(makernotes::NikonTags1, 0x0002).Description, "FamilyID");
    EXPECT_EQ(RowOf(makernotes::OlympusTags, 0x0204).Description, "Digital Zoom Ratio");
    EXPECT_EQ(RowOf(makernotes::OlympusTags, 0x102D).Name, "Coring");
    EXPECT_EQ(RowOf(makernotes::OlympusTags, 0x102D).Description, "Coring Filter");
    EXPECT_EQ(RowOf(makernotes::SeikoTags, 0x0200).Description, "Special Mode");
    EXPECT_EQ(RowOf(makernotes::SeikoTags, 0x0F00).Description, "skip");
    EXPECT_EQ(RowOf(makernotes::FujiTags, 0x1100).Name, "ContTake/Bracket");
}

TEST(MakerTables, DecodersSitOnTheirRowsOnly) {
    EXPECT_EQ(RowOf(makernotes::NikonTags2, 0x0084).Render, &makernotes::NikonLensText);
    EXPECT_EQ(RowOf(makernotes::NikonTags2, 0x008D).Render, &makernotes::NikonColorModeText);
    EXPECT_EQ(RowOf(makernotes::CanonTags, 0x0001).Render, &makernotes::CanonCameraSettings);
    EXPECT_EQ(RowOf(makernotes::CanonTags, 0x0004).Render, &makernotes::CanonShotInfo);
    EXPECT_EQ(RowOf(makernotes::CanonTags, 0x000F).Render, &makernotes::CanonCustomFunctions);
    EXPECT_EQ(RowOf(makernotes::NikonTags2, 0x0098).Render, &makernotes::NikonLensData);
    // Of the first nine makers' tables (Fujifilm's newer rows among them);
    // the newer makers' rows decode more.
    int withRenderer = 0;
    const std::vector<VendorTable> tables = VendorTables();
    for (size_t i = 0; i < 9; ++i)
        for (const TTagRow &row : tables[i].rows) withRenderer += row.Render != nullptr ? 1 : 0;
    EXPECT_EQ(withRenderer, 36);
}

// ------------------------------------------------------------ decoders

// The decoders give their sub-entries and block flag to the walk's output,
// which stores them in the directory set as the walk does.
class MakerDecoders : public testing::Test {
protected:
    void TearDown() override { exif::TakeDecimalSeparatorFromLocale(); }

    std::string Kept(std::string text) {
        for (const exif::TSubEntry &sub : Out.SubEntries) Info.AddMakerValue(sub.Name, sub.Value, exif::TypeAscii);
        Out.SubEntries.clear();
        return text;
    }

    std::vector<std::string> SubEntryNames() const {
        std::vector<std::string> names;
        for (int32_t i = 0; i < Info.EntryCount(); ++i) names.push_back(Info.EntryAt(i).Name);
        return names;
    }

    exif::TimgData Owner;
    exif::TImageInfo Info{&Owner, exif::BuildAll};
    exif::TRenderOut Out;
};

using Names = std::vector<std::string>;

TEST_F(MakerDecoders, ColourModeNamesTheModeFromTheFirstFiveCharactersInsideTheQuotes) {
    EXPECT_EQ(makernotes::NikonColorModeText("\"MODE1   \""), "Mode1 (sRGB)");
    EXPECT_EQ(makernotes::NikonColorModeText("\"MODE2   \""), "Mode 2 (Adobe RGB)");
    EXPECT_EQ(makernotes::NikonColorModeText("\"MODE3\""), "Mode 3 (sRGB): higher saturation");
    EXPECT_EQ(makernotes::NikonColorModeText("\"COLOR\""), "COLOR");
    EXPECT_EQ(makernotes::NikonColorModeText("\"mode2\""), "mode2");
    EXPECT_EQ(makernotes::NikonColorModeText("\"MODE1X\""), "Mode1 (sRGB)");
    EXPECT_EQ(makernotes::NikonColorModeText("\"BW\""), "BW\"");
    EXPECT_EQ(makernotes::NikonColorModeText("\""), "");
    EXPECT_EQ(makernotes::NikonColorModeText(""), "");
    EXPECT_EQ(Info.EntryCount(), 0);
}

TEST_F(MakerDecoders, NikonDecodersLeaveTheBlockFlagAlone) {
    for (const bool flag : {false, true}) {
        Out.Block = flag;
        makernotes::NikonColorModeText("\"MODE1\"", &Out);
        makernotes::NikonLensText("24/1, 120/1, 7/2, 56/10", &Out);
        EXPECT_EQ(Out.Block, flag);
    }
}

TEST_F(MakerDecoders, NikonLensTypeNamesTheLensKindAsNikonWritesIt) {
    // Bits 0 MF, 1 D, 2 G, 3 VR, 4 "1", 5 FT-1, 6 E, 7 AF-P.
    for (const auto &[bits, shown] : std::vector<std::pair<const char *, const char *>>{
             {"14", "G VR"}, {"0", "AF"}, {"6", "G"}, {"78", "E VR"}, {"70", "E G"}, {"90", "1 E D VR"},
             {"174", "G VR AF-P FT-1"}})
        EXPECT_EQ(makernotes::NikonLensType(bits, &Out), shown) << bits;
    EXPECT_TRUE(Out.StoreShown);
}

TEST_F(MakerDecoders, LensTextGivesFocalRangeAndApertures) {
    exif::SetDecimalSeparator('.');
    EXPECT_EQ(makernotes::NikonLensText("24/1, 120/1, 7/2, 56/10"), "24.0-120.0(mm)  F3.5-F5.6");
    EXPECT_EQ(makernotes::NikonLensText("280/10, 3000/10, 35/10, 56/10"), "28.0-300.0(mm)  F3.5-F5.6");
    exif::SetDecimalSeparator(',');
    EXPECT_EQ(makernotes::NikonLensText("24/1, 120/1, 7/2, 56/10"), "24,0-120,0(mm)  F3,5-F5,6");
}

TEST_F(MakerDecoders, LensTextOfFewerFieldsOrUnreadableNumbersCountsZeros) {
    exif::SetDecimalSeparator('.');
    EXPECT_EQ(makernotes::NikonLensText("24/1"), "0.0-0.0(mm)  F0.0-F24.0");
    EXPECT_EQ(makernotes::NikonLensText("24/1, 120/1"), "24.0-0.0(mm)  F0.0-F120.0");
    EXPECT_EQ(makernotes::NikonLensText("24/0, x, 7/2, 56/10"), "0.0-0.0(mm)  F3.5-F5.6");
    EXPECT_EQ(makernotes::NikonLensText(""), "0.0-0.0(mm)  F0.0-F0.0");
    EXPECT_EQ(makernotes::NikonLensText("\"text\""), "0.0-0.0(mm)  F0.0-F0.0");
}

TEST_F(MakerDecoders, CustomFunctionsOfFourFieldsReadTheFirstThree) {
    Out.Block = false;
    EXPECT_EQ(Kept(makernotes::CanonCustomFunctions("200, 257, 1792, 3841", &Out)),
              "\r\nNoise Reduction =  On\r\nAEB Sequence = 0");
    EXPECT_TRUE(Out.Block);
    EXPECT_EQ(SubEntryNames(), (Names{"Noise Reduction", "AEB Sequence"}));
    EXPECT_EQ(Info.EntryAt(0).Value, " On");
}

TEST_F(MakerDecoders, CustomFunctionSettingsWithoutACodeOrOutsideTheTableAddNothing) {
    // Function 7 setting 1: its codes have no ",1:" since a comma is missing.
    EXPECT_EQ(Kept(makernotes::CanonCustomFunctions("1793, 0", &Out)), "");
    // Function 0, function 17, a negative number, a text, an empty field.
    EXPECT_EQ(Kept(makernotes::CanonCustomFunctions("0, 4352, -257, abc, , 2", &Out)), "");
    EXPECT_EQ(Info.EntryCount(), 0);
    EXPECT_EQ(Kept(makernotes::CanonCustomFunctions("3841, 0", &Out)), "\r\nShutter Release w/o CF Card = Disable");
    EXPECT_EQ(Kept(makernotes::CanonCustomFunctions("1537, 0", &Out)), "\r\nAV Shutter Speed =  1/200 (fixed)");
}

TEST_F(MakerDecoders, CustomFunctionsWithoutCommaGiveNothingButStillReportABlock) {
    Out.Block = false;
    EXPECT_EQ(Kept(makernotes::CanonCustomFunctions("257", &Out)), "");
    EXPECT_TRUE(Out.Block);
    EXPECT_EQ(Kept(makernotes::CanonCustomFunctions("", &Out)), "");
}

TEST_F(MakerDecoders, LineHelpersSkipBlankValuesAndKeepFieldsUntrimmed) {
    EXPECT_EQ(makernotes::DecodedField("5, 2, 7", 1, "2:Two"), "Two");
    EXPECT_EQ(makernotes::DecodedField("5, 2, 7", 5, "2:Two"), "");
    EXPECT_EQ(Kept(makernotes::FieldLine("5,  x , 7", "Label", 2, &Out)), "\r\nLabel =   x ");
    EXPECT_EQ(Kept(makernotes::FieldLine("5,   , 7", "Blank", 2, &Out)), "");
    EXPECT_EQ(Kept(makernotes::CodedLine("Coded", 1, "0:Off,1: On", &Out)), "\r\nCoded =  On");
    EXPECT_EQ(Kept(makernotes::CodedLine("Missing", 3, "0:Off,1: On", &Out)), "");
    EXPECT_EQ(Kept(makernotes::CodedLine("BlankText", 2, "2: ,3:x", &Out)), "");
    EXPECT_EQ(Kept(makernotes::CodedFieldLine("5, 1", "Both", 1, "1:One", &Out)), "\r\nBoth = One");
    EXPECT_EQ(SubEntryNames(), (Names{"Label", "Coded", "Both"}));
    EXPECT_EQ(Info.EntryAt(0).Value, "  x ");
    EXPECT_EQ(Info.EntryAt(0).Raw, "  x ");
    EXPECT_EQ(Info.EntryAt(0).RawLength, 4);
}

}  // namespace
