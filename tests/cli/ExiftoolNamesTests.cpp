// exiftool's names and value forms in the tool's JSON and CSV: the renaming
// tables, XMP's flattened structures, the dates and times exiftool's -n
// writes, and which texts its JSON writes bare.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/ExiftoolFields.h"
#include "cli/ExiftoolNames.h"
#include "cli/Record.h"

namespace cli {
namespace {

TEST(ExiftoolNames, AnExifTagIsRenamedByItsDirectory) {
    EXPECT_EQ(ExiftoolExifName("IFD1", "JPEGInterchangeFormat"), "ThumbnailOffset");
    EXPECT_EQ(ExiftoolExifName("SubIFD1", "JPEGInterchangeFormat"), "JpgFromRawStart");
    // 0x828E (TIFF-EP, IFD0 and the sub-images) is CFAPattern2; 0xA302 in the EXIF directory keeps its name.
    EXPECT_EQ(ExiftoolExifName("SubIFD", "CFAPattern"), "CFAPattern2");
    EXPECT_EQ(ExiftoolExifName("ExifIFD", "CFAPattern"), "CFAPattern");
    EXPECT_EQ(ExiftoolExifName("GPS", "GPSImageDirection"), "GPSImgDirection");
    EXPECT_EQ(ExiftoolExifName("ExifIFD", "FNumber"), "FNumber");
}

TEST(ExiftoolNames, AnIptcDescriptionGivesExiftoolsDatasetName) {
    EXPECT_EQ(ExiftoolIptcName("Image caption"), "Caption-Abstract");
    EXPECT_EQ(ExiftoolIptcName("Province/State"), "Province-State");
    EXPECT_EQ(ExiftoolIptcName("No such dataset"), "");
}

TEST(ExiftoolNames, AnXmpStructurePathIsFlattenedIntoOneName) {
    const TXmpKey history = ExiftoolXmpKey("xapMM:History[2]/stEvt:action");
    EXPECT_EQ(history.Group, "XMP-xmpMM");
    EXPECT_EQ(history.Name, "HistoryAction");
    EXPECT_TRUE(history.ArrayItem);
    const TXmpKey flash = ExiftoolXmpKey("exif:Flash/exif:Fired");
    EXPECT_EQ(flash.Name, "FlashFired");
    EXPECT_FALSE(flash.ArrayItem);
    EXPECT_EQ(ExiftoolXmpKey("dc:title[fr-FR]").Name, "Title-fr-FR");
    EXPECT_EQ(ExiftoolXmpKey("exif:PixelXDimension").Name, "ExifImageWidth");
    EXPECT_EQ(ExiftoolXmpKey("Iptc4xmpCore:CountryCode").Group, "XMP-iptcCore");
}

TEST(ExiftoolValueForms, IptcAndXmpDatesTakeExifsColons) {
    EXPECT_EQ(ExiftoolIptcDate("20051214"), "2005:12:14");
    EXPECT_EQ(ExiftoolIptcDate("2005121"), "2005121");
    EXPECT_EQ(ExiftoolIptcTime("143947+0100"), "14:39:47+01:00");
    EXPECT_EQ(ExiftoolIptcTime("143947"), "14:39:47");
    EXPECT_EQ(ExiftoolXmpDate("2021-04-11T15:47:53.25+02:00"), "2021:04:11 15:47:53.25+02:00");
    EXPECT_EQ(ExiftoolXmpDate("2021-04-11T15:47Z"), "2021:04:11 15:47Z");
    EXPECT_EQ(ExiftoolXmpDate("2021-04"), "2021:04");
    EXPECT_EQ(ExiftoolXmpDate("sometime"), "sometime");
}

TEST(ExiftoolValueForms, GpsTimeStampIsATimeWithItsFractionTrimmed) {
    const std::vector<exif::TComponent> time{int64_t{14}, int64_t{27}, 7.24};
    EXPECT_EQ(ExiftoolTimeStamp(time), "14:27:07.24");
    // Seconds that round to 60 carry into the minute.
    const std::vector<exif::TComponent> carry{int64_t{9}, int64_t{59}, 59.99999999999};
    EXPECT_EQ(ExiftoolTimeStamp(carry), "10:00:00");
    const std::vector<exif::TComponent> none{int64_t{1}, int64_t{2}, std::nan("")};
    EXPECT_EQ(ExiftoolTimeStamp(none), "");
}

TEST(ExiftoolValueForms, JsonWritesBareOnlyWhatExiftoolWritesBare) {
    for (const char *bare : {"0", "-12", "2.10", "1e5", "-0.5", "123456789012345"})
        EXPECT_TRUE(ExiftoolJsonNumber(bare)) << bare;
    for (const char *quoted :
         {"0221", "1234567890123456", ".5", "1.", "1/200", "0x10", "", "-", "1e1234", "0.12345678901234567"})
        EXPECT_FALSE(ExiftoolJsonNumber(quoted)) << quoted;
    EXPECT_TRUE(ExiftoolJsonBoolean("True"));
    EXPECT_FALSE(ExiftoolJsonBoolean("Truely"));
}

TEST(ExiftoolValueForms, FileDatesCarryTheLocalZonesOffset) {
    EXPECT_EQ(ExiftoolFileDate(0, 3600), "1970:01:01 01:00:00+01:00");
    EXPECT_EQ(ExiftoolFileDate(1714571110, -19800), "2024:05:01 08:15:10-05:30");
    EXPECT_EQ(ExiftoolFileDate(951782400, 0), "2000:02:29 00:00:00+00:00");
}

// An XMP view's rows as the dialog names them.
params::ImageView XmpViewOf(const std::vector<std::pair<std::string, std::string>> &rows) {
    params::ImageView view;
    view.Exif.Rows.resize(1);
    view.Xmp.Visible = true;
    for (const auto &[name, value] : rows) view.Xmp.Rows.push_back({name, value});
    return view;
}

TEST(ExiftoolFields, TheItemsOfAnArrayOfStructuresBecomeOneList) {
    const params::ImageView view = XmpViewOf({{"xmpMM:History[1]/stEvt:action", "created"},
                                              {"xmpMM:History[1]/stEvt:when", "2021-04-11T15:47:53"},
                                              {"xmpMM:History[2]/stEvt:action", "saved"},
                                              {"dc:format", "image/jpeg"}});
    const std::vector<Field> fields = ExiftoolFieldsOf(view, {}, KeyStyle::Grouped, true);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].Key, "XMP-xmpMM:HistoryAction");
    EXPECT_EQ(fields[0].MergedItems, (std::vector<std::string>{"created", "saved"}));
    EXPECT_EQ(fields[1].Key, "XMP-xmpMM:HistoryWhen");
    EXPECT_TRUE(fields[1].MergedItems.empty());
    EXPECT_EQ(fields[1].ToolValue, "2021:04:11 15:47:53");
    EXPECT_EQ(fields[2].Key, "XMP-dc:Format");
}

TEST(ExiftoolFields, ATagIsSelectedByExiftoolsNameOrTheDialogs) {
    params::ImageView view;
    view.Exif.Rows = {{"FileName", "a.jpg"}, {"FileSize", "1.00 Kb"}, {"ImageWidth", "1"}, {"ImageHeight", "1"}};
    params::GridRow iso{"ISOSpeedRatings", "200"};
    iso.Group = "ExifIFD";
    view.Exif.Rows.push_back(iso);
    for (const char *tag : {"ISO", "isospeedratings", "ExifIFD:ISO"}) {
        const std::vector<Field> fields = ExiftoolFieldsOf(view, {tag}, KeyStyle::Grouped, false);
        ASSERT_EQ(fields.size(), 1u) << tag;
        EXPECT_EQ(fields[0].Key, "ExifIFD:ISO");
    }
    const std::vector<Field> file = ExiftoolFieldsOf(view, {"FileSize"}, KeyStyle::Grouped, false);
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(file[0].Key, "System:FileSize");
}

}  // namespace
}  // namespace cli
