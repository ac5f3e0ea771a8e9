// exiftool's reading options as the parser takes them, its tag patterns and
// its date formats.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "cli/Selection.h"
#include "cli/Writers.h"
#include "ParseArguments.h"

namespace cli {
namespace {

TEST(ExiftoolOptions, DashDWithAPercentIsADateFormatAndWithOneCharacterTheDecimalSeparator) {
    const Parsed date = Parse({"-d", "%Y-%m-%d", "a.jpg"});
    ASSERT_EQ(date.Result, Request::Run) << date.Err;
    EXPECT_EQ(date.Opts.DateFormat, "%Y-%m-%d");
    EXPECT_EQ(date.Opts.Decimal, '.');
    EXPECT_EQ(Parse({"-d%Y", "a.jpg"}).Opts.DateFormat, "%Y");
    const Parsed separator = Parse({"-d", ",", "a.jpg"});
    ASSERT_EQ(separator.Result, Request::Run) << separator.Err;
    EXPECT_EQ(separator.Opts.Decimal, ',');
    EXPECT_TRUE(separator.Opts.DateFormat.empty());
}

TEST(ExiftoolOptions, ValuesOfTheToolsOwnOptionsAreNeverTakenForExiftoolOptions) {
    const Parsed tag = Parse({"-t", "-T", "a.jpg"});
    ASSERT_EQ(tag.Result, Request::Run) << tag.Err;
    EXPECT_EQ(tag.Opts.Tags, (std::vector<std::string>{"-T"}));
    EXPECT_EQ(tag.Opts.Format, OutputFormat::Text);
    const Parsed exported = Parse({"--export", "-p", "a.jpg"});
    ASSERT_EQ(exported.Result, Request::Run) << exported.Err;
    EXPECT_EQ(exported.Opts.ExportPath, "-p");
    EXPECT_TRUE(exported.Opts.PrintFormats.empty());
}

TEST(ExiftoolOptions, EverythingAfterDoubleDashIsAFileEvenWhenItLooksLikeATag) {
    const Parsed p = Parse({"-Model", "--", "-Make", "-T"});
    ASSERT_EQ(p.Result, Request::Run) << p.Err;
    EXPECT_EQ(p.Opts.Tags, (std::vector<std::string>{"Model"}));
    EXPECT_EQ(p.Opts.Files, (std::vector<std::string>{"-Make", "-T"}));
}

TEST(ExiftoolOptions, ConditionsAndDateFormatsAreRefusedWithTheExport) {
    EXPECT_EQ(Parse({"-if", "$Make", "-e", "out.txt", "a.jpg"}).Result, Request::UsageError);
    EXPECT_EQ(Parse({"-d", "%Y", "--thumbnail=t.jpg", "a.jpg"}).Result, Request::UsageError);
    EXPECT_EQ(Parse({"-T", "-p", "$Make", "a.jpg"}).Result, Request::UsageError);
    EXPECT_EQ(Parse({"-ext"}).Result, Request::UsageError);
}

TEST(TagPatterns, StarsMatchAnyRunAndQuestionMarksOneCharacterInAnyCase) {
    EXPECT_TRUE(WildcardMatch("GPS*", "gpslatitude"));
    EXPECT_TRUE(WildcardMatch("*Date*", "SubSecDateTimeOriginal"));
    EXPECT_TRUE(WildcardMatch("Tag0x00??", "Tag0x0012"));
    EXPECT_FALSE(WildcardMatch("Tag0x00??", "Tag0x012"));
    // A later "*" must be able to take back what an earlier one left.
    EXPECT_TRUE(WildcardMatch("*a*b", "aaxab"));
    EXPECT_FALSE(WildcardMatch("*a*b", "aaxa"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_FALSE(WildcardMatch("", "x"));
}

TEST(TagPatterns, AGroupNamesTheFieldsOriginOrItsFamilyAndAllTakesTheWholeGroup) {
    Field make;
    make.Name = "Make";
    make.Key = "Make";
    make.Origin = "IFD0";
    EXPECT_TRUE(TagSelects("IFD0:Make", make));
    EXPECT_TRUE(TagSelects("exif:make", make));
    EXPECT_TRUE(TagSelects("EXIF:all", make));
    EXPECT_TRUE(TagSelects("IFD?:M*", make));
    EXPECT_FALSE(TagSelects("GPS:all", make));
    EXPECT_FALSE(TagSelects("IFD0:Model", make));
    EXPECT_TRUE(IsPattern("XMP-dc:all"));
    EXPECT_FALSE(IsPattern("IFD0:Make"));
}

TEST(DateFormats, ADateIsWrittenWithItsWeekdayFractionsAndRecordedZone) {
    EXPECT_EQ(DateText("2024:02:29 23:59:01.25+05:30", "%A %d.%m.%Y %H:%M:%S.%f %z"),
              "Thursday 29.02.2024 23:59:01.25 +0530");
    EXPECT_EQ(DateText("1969-12-31T00:00:00Z", "%a %j %z"), "Wed 365 +0000");
    EXPECT_EQ(DateText("2008:05:30 15:56:01", "%%Y"), "%Y");
}

TEST(DateFormats, TextsThatAreNoFullDateStayAsTheyAre) {
    for (const std::string text : {"2008:05:30", "2008:13:30 15:56:01", "2008:05:30 15:56:01 and more",
                                   "2008:05:30-15:56:01", "    :  :     :  :  "})
        EXPECT_EQ(DateText(text, "%Y"), text) << text;
}

}  // namespace
}  // namespace cli
