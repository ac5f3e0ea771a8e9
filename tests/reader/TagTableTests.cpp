// The EXIF and GPS tag vocabularies: row counts and order, the default row,
// names that occur twice, descriptions derived from names, lookups by tag and
// by name, and well-formed value-code strings.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "exif/TagEntry.h"
#include "exif/TagTables.h"
#include "exif/ValueRender.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "n:text,n:text": a decimal number, a colon and a text without commas in
// each pair; no number twice.
bool WellFormedCodes(std::string_view codes, std::string &why) {
    std::set<std::string> numbers;
    size_t start = 0;
    while (start <= codes.size()) {
        const size_t comma = codes.find(',', start);
        const std::string_view pair =
            codes.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const size_t colon = pair.find(':');
        if (colon == std::string_view::npos || colon == 0 || colon + 1 >= pair.size()) {
            why = "pair '" + std::string(pair) + "'";
            return false;
        }
        for (size_t i = 0; i < colon; ++i)
            if (!IsDigit(pair[i])) {
                why = "number '" + std::string(pair.substr(0, colon)) + "'";
                return false;
            }
        if (!numbers.insert(std::string(pair.substr(0, colon))).second) {
            why = "repeated number " + std::string(pair.substr(0, colon));
            return false;
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return true;
}

}  // namespace

// Strictly ascending tags: binary search finds every row, and no tag has two.
TEST(TagTable, MainTableHoldsItsTagsInAscendingOrderThenADefaultRow) {
    constexpr size_t last = exif::MainDefaultRow - 1;
    ASSERT_EQ(exif::MainTagTable.size(), 409u);
    EXPECT_EQ(exif::MainTagTable[0].Tag, 0x0001);
    EXPECT_EQ(exif::MainTagTable[0].Name, "InteroperabilityIndex");
    EXPECT_EQ(exif::MainTagTable[last].Tag, 0xCD4B);
    EXPECT_EQ(exif::MainTagTable[last].Name, "JXLDecodeSpeed");
    for (size_t i = 1; i <= last; ++i)
        EXPECT_LT(exif::MainTagTable[i - 1].Tag, exif::MainTagTable[i].Tag) << "row " << i;
    for (size_t i = 0; i <= last; ++i) {
        const exif::TTagRow &row = exif::MainTagTable[i];
        EXPECT_EQ(&exif::TagRowOf(row.Tag, exif::KindMain), &row) << row.Name;
        EXPECT_FALSE(row.Name.empty()) << "row " << i;
    }
    const exif::TTagRow &def = exif::MainTagTable[exif::MainDefaultRow];
    EXPECT_EQ(def.Tag, 0);
    EXPECT_EQ(def.Name, "Unknown");
    EXPECT_EQ(def.Description, "");
    EXPECT_EQ(def.ValueCodes, "");
    EXPECT_EQ(def.FormatPattern, "");
    EXPECT_EQ(def.Render, nullptr);
}

// A Panasonic raw's IFD0 reads its low tags by this table, not the TIFF
// one (tag 2 is SensorWidth there, not InteroperabilityVersion).
TEST(TagTable, PanasonicRawRowsAreSortedFoundAndWellFormed) {
    const auto &table = exif::PanasonicRawTagTable;
    for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].Tag, table[i].Tag) << table[i].Name;
    for (const exif::TTagRow &row : table) {
        EXPECT_EQ(&exif::TagRowOf(row.Tag, exif::KindPanasonicRaw), &row) << row.Name;
        EXPECT_FALSE(exif::TagDescription(row).empty()) << row.Name;
        std::string why;
        if (!row.ValueCodes.empty()) EXPECT_TRUE(WellFormedCodes(row.ValueCodes, why)) << row.Name << ": " << why;
    }
    EXPECT_EQ(exif::TagRowOf(0x0002, exif::KindPanasonicRaw).Name, "SensorWidth");
    EXPECT_EQ(exif::TagRowOf(0x0017, exif::KindPanasonicRaw).Name, "ISO");
    EXPECT_TRUE(exif::IsDefaultRow(exif::TagRowOf(0x0100, exif::KindPanasonicRaw)));
}

TEST(TagTable, GpsTableRowIHoldsGpsTagI) {
    ASSERT_EQ(exif::GpsTagTable.size(), 32u);
    for (size_t i = 0; i < 32; ++i) EXPECT_EQ(exif::GpsTagTable[i].Tag, i);
    EXPECT_EQ(exif::GpsTagTable[0].Name, "GPSVersionID");
    EXPECT_FALSE(exif::IsDefaultRow(exif::TagRowOf(0x0000, exif::KindGps)));
    EXPECT_TRUE(exif::IsDefaultRow(exif::TagRowOf(0x0000, exif::KindMain)));
    EXPECT_EQ(exif::GpsTagTable[23].Name, "GPSDestBearingkRef");
    EXPECT_EQ(exif::GpsTagTable[30].Name, "GPSDifferential");
    EXPECT_EQ(exif::GpsTagTable[31].Name, "GPSHPositioningError");
    for (const exif::TTagRow &row : exif::GpsTagTable) {
        EXPECT_EQ(row.FormatPattern, "") << row.Name;
        EXPECT_EQ(row.Description, "") << row.Name;
        // A stored GPS entry is found by its name: no main row may share it.
        EXPECT_EQ(exif::FindTagRowByName(row.Name), -1) << row.Name;
    }
}

TEST(TagTable, FourteenNamesOccurUnderTwoTagNumbers) {
    std::map<std::string, std::vector<uint16_t>> tagsOf;
    for (size_t i = 0; i < exif::MainDefaultRow; ++i)
        tagsOf[std::string(exif::MainTagTable[i].Name)].push_back(exif::MainTagTable[i].Tag);
    std::map<std::string, std::vector<uint16_t>> twice;
    for (const auto &[name, tags] : tagsOf)
        if (tags.size() > 1) twice[name] = tags;
    const std::map<std::string, std::vector<uint16_t>> expected = {
        {"CFAPattern", {0x828E, 0xA302}},
        {"FlashEnergy", {0x920B, 0xA20B}},
        {"Gamma", {0x0301, 0xA500}},
        {"ImageTitle", {0x0304, 0xA436}},
        {"SpatialFrequencyResponse", {0x920C, 0xA20C}},
        {"FocalPlaneXResolution", {0x920E, 0xA20E}},
        {"FocalPlaneYResolution", {0x920F, 0xA20F}},
        {"FocalPlaneResolutionUnit", {0x9210, 0xA210}},
        {"ImageNumber", {0x9211, 0xA211}},
        {"SecurityClassification", {0x9212, 0xA212}},
        {"ImageHistory", {0x9213, 0xA213}},
        {"ExposureIndex", {0x9215, 0xA215}},
        {"TIFF/EPStandardID", {0x9216, 0xA216}},
        {"SensingMethod", {0x9217, 0xA217}},
    };
    EXPECT_EQ(twice, expected);
}

TEST(TagTable, NamesKeepTheirHistoricSpelling) {
    for (const char *name : {"GrayReponseUnit", "GrayReponseCurve", "ExtraSample", "ThumbnailStripBytesCount",
                             "SRGBRenderingIntent", "StoNits", "FocalLengthin35mmFilm", "IPTC/NAA", "ExifOffset",
                             "ExifImageWidth", "ExifImageLength", "InteroperabilityOffset", "GPSInfo"}) {
        const int row = exif::FindTagRowByName(name);
        ASSERT_GE(row, 0) << name;
        EXPECT_EQ(exif::MainTagTable[static_cast<size_t>(row)].Name, name);
    }
}

TEST(TagTable, DescriptionsAreSpacedNamesUnlessARowHasItsOwn) {
    EXPECT_EQ(exif::SpacedName("NewSubfileType"), "New Subfile Type");
    EXPECT_EQ(exif::SpacedName("GPSVersionID"), "GPSVersion ID");
    EXPECT_EQ(exif::SpacedName("YCbCrCoefficients"), "YCb Cr Coefficients");
    EXPECT_EQ(exif::SpacedName("T4Options"), "T4 Options");
    EXPECT_EQ(exif::SpacedName("GPSDOP"), "GPSDOP");
    EXPECT_EQ(exif::SpacedName("TIFF/EPStandardID"), "TIFF/ EPStandard ID");
    EXPECT_EQ(exif::SpacedName("Unknown"), "Unknown");
    EXPECT_EQ(exif::SpacedName("a\xC9t\xE9"), "a\xC9t\xE9");  // only ASCII capitals count
    EXPECT_EQ(exif::SpacedName(""), "");

    exif::FillTagDescriptions();
    exif::FillTagDescriptions();  // a second call changes nothing
    EXPECT_EQ(exif::FetchTagRow(0x00FE, exif::KindMain).Description, "New Subfile Type");
    EXPECT_EQ(exif::FetchTagRow(0x9216, exif::KindMain).Description, "TIFF/ EPStandard ID");
    EXPECT_EQ(exif::FetchTagRow(0xA216, exif::KindMain).Description, "TIFF/EPStandardID");
    EXPECT_EQ(exif::FetchTagRow(0x83BB, exif::KindMain).Description, "IPTC/NAA");
    EXPECT_EQ(exif::FetchTagRow(0xA405, exif::KindMain).Description, "Focal Length in 35mm Film");
    EXPECT_EQ(exif::FetchTagRow(0x0000, exif::KindGps).Description, "GPSVersion ID");
    EXPECT_EQ(exif::FetchTagRow(0x000B, exif::KindGps).Description, "GPSDOP");
    EXPECT_EQ(exif::FetchTagRow(0xA4FF, exif::KindMain).Description, "Unknown");
    // The table itself keeps its literal rows.
    EXPECT_EQ(exif::MainTagTable[5].Description, "");
}

TEST(TagTable, RowsAreFetchedByTagAndDirectoryKind) {
    const exif::TTagEntry interop = exif::FetchTagRow(0x0001, exif::KindMain);
    EXPECT_EQ(interop.Name, "InteroperabilityIndex");
    EXPECT_EQ(interop.Tag, 0x0001);
    EXPECT_EQ(exif::FetchTagRow(0x0001, exif::KindGps).Name, "GPSLatitudeRef");
    EXPECT_EQ(exif::FetchTagRow(0x001E, exif::KindGps).Name, "GPSDifferential");
    EXPECT_EQ(exif::FetchTagRow(0x0002, exif::KindGps).Render, &exif::GpsPositionText);

    for (const auto &[tag, kind] : std::vector<std::pair<uint16_t, int>>{{0xA4FF, exif::KindMain},
                                                                         {0x0100, exif::KindGps},
                                                                         {0x0020, exif::KindGps},
                                                                         {0x010F, 4},
                                                                         {0x0000, exif::KindMain}}) {
        const exif::TTagEntry row = exif::FetchTagRow(tag, kind);
        EXPECT_EQ(row.Tag, 0) << tag;
        EXPECT_EQ(row.Name, "Unknown") << tag;
        EXPECT_EQ(row.ValueCodes, "") << tag;
        EXPECT_EQ(row.FormatPattern, "") << tag;
        EXPECT_EQ(row.Render, nullptr) << tag;
    }

    // A fetched row is a copy: the table never changes.
    exif::TTagEntry copy = exif::FetchTagRow(0x010F, exif::KindMain);
    copy.Name = "Changed";
    EXPECT_EQ(exif::FetchTagRow(0x010F, exif::KindMain).Name, "Make");
    EXPECT_EQ(copy.DataType, 0);
    EXPECT_EQ(copy.Value, "");
    EXPECT_EQ(copy.MakerNote, 0);
}

// A walk searches each tag's row from where the last one's was found: the
// row must be the one a search from the start finds whatever came before,
// in rising order, falling, repeated (a tag under two numbers) or across
// the kinds of directory.
TEST(TagTable, ARowSearchedFromAnyPlaceIsTheSameRow) {
    std::vector<uint16_t> tags;
    for (uint32_t t = 0; t < 0x10000; t += 7) tags.push_back(static_cast<uint16_t>(t));
    for (const exif::TTagRow &row : exif::MainTagTable) tags.push_back(row.Tag);
    for (const exif::TTagRow &row : exif::GpsTagTable) tags.push_back(row.Tag);
    std::vector<uint16_t> falling(tags.rbegin(), tags.rend());
    for (const auto &order : {tags, falling}) {
        size_t hint = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            const int kind = i % 3 == 0 ? exif::KindGps : exif::KindMain;
            ASSERT_EQ(&exif::TagRowOf(order[i], kind, hint), &exif::TagRowOf(order[i], kind)) << order[i];
        }
    }
}

TEST(TagTable, RowsAreFoundByNameIgnoringLetterCase) {
    const auto tagOf = [](std::string_view name) {
        const int row = exif::FindTagRowByName(name);
        return row < 0 ? -1 : exif::MainTagTable[static_cast<size_t>(row)].Tag;
    };
    EXPECT_EQ(tagOf("FocalLengthIn35mmFilm"), 0xA405);
    EXPECT_EQ(tagOf("focallengthin35mmfilm"), 0xA405);
    EXPECT_EQ(tagOf("FocalPlaneXResolution"), 0x920E);  // the first of the two
    EXPECT_EQ(tagOf("Make"), 0x010F);
    EXPECT_EQ(tagOf("JXLDecodeSpeed"), 0xCD4B);        // the last tag row
    EXPECT_EQ(exif::FindTagRowByName("Unknown"), -1);  // the default row is not searched
    EXPECT_EQ(exif::FindTagRowByName("GPSLatitude"), -1);
    EXPECT_EQ(exif::FindTagRowByName(""), -1);
}

TEST(TagTable, GenericLookupsFindTheFirstRowAndTheLastCodes) {
    const exif::TTagRow rows[] = {
        {0x0010, "A", "", "1:a", "", nullptr},
        {0x0020, "B", "", "", "", nullptr},
        {0x0010, "C", "", "1:c", "", nullptr},
        {0x0030, "D", "", "", "", nullptr},
    };
    EXPECT_EQ(exif::FindTagIndex(0x0010, rows), 0);
    EXPECT_EQ(exif::FindTagIndex(0x0030, rows), 3);
    EXPECT_EQ(exif::FindTagIndex(0x0040, rows), -1);
    EXPECT_EQ(exif::TagCodesInTable(0x0010, rows), "1:c");
    EXPECT_EQ(exif::TagCodesInTable(0x0020, rows), "");
    EXPECT_EQ(exif::TagCodesInTable(0x0040, rows), "");
    EXPECT_EQ(exif::FindTagIndex(0xA405, exif::MainTagTable), exif::FindTagRowByName("FocalLengthIn35mmFilm"));
}

TEST(TagTable, ValueCodeStringsAreWellFormed) {
    int withCodes = 0;
    for (const exif::TTagRow &row : exif::MainTagTable) {
        if (row.ValueCodes.empty()) continue;
        ++withCodes;
        std::string why;
        EXPECT_TRUE(WellFormedCodes(row.ValueCodes, why)) << row.Name << ": " << why;
    }
    EXPECT_EQ(withCodes, 52);
    for (const exif::TTagRow &row : exif::GpsTagTable) {
        std::string why;
        if (!row.ValueCodes.empty()) EXPECT_TRUE(WellFormedCodes(row.ValueCodes, why)) << row.Name << ": " << why;
    }
    // Texts are UTF-8: the degree sign is C2 B0.
    const std::string_view orientation = exif::TagRowOf(0x0112, exif::KindMain).ValueCodes;
    EXPECT_TRUE(orientation.starts_with(
        "1:Normal,3:Rotated 180\xC2\xB0,6:CounterClockwise 90\xC2\xB0,8:Clockwise 90\xC2\xB0,"));
    // Light source 10 has been cloudy weather since 2002 (flash is 4).
    const exif::TValueCodes light = exif::ValueCodesOf(exif::TagRowOf(0x9208, exif::KindMain));
    EXPECT_EQ(light.Find(10), "Cloudy Weather");
    EXPECT_EQ(light.Find(4), "Flash");
}

TEST(TagTable, JpegMarkerNamesKeepTheirListedOrder) {
    ASSERT_EQ(exif::JpegMarkerNames.size(), 30u);
    std::vector<uint16_t> markers;
    for (const exif::TTagRow &row : exif::JpegMarkerNames) {
        markers.push_back(row.Tag);
        EXPECT_EQ(row.Name, "");
        EXPECT_FALSE(row.Description.empty());
    }
    const std::vector<uint16_t> expected = {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA,
                                            0xCB, 0xCD, 0xCC, 0xCE, 0xCF, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC,
                                            0xDD, 0xDE, 0xDF, 0xE0, 0xE1, 0xE2, 0xFE, 0xED, 0xEE, 0x00};
    EXPECT_EQ(markers, expected);
    EXPECT_EQ(exif::JpegMarkerNames[8].Description, "Extended sequential, arithmetic coding");
    EXPECT_EQ(exif::JpegMarkerNames[24].Description, "Exif Data");
    EXPECT_EQ(exif::JpegMarkerNames[29].Description, "Unknown");
}
