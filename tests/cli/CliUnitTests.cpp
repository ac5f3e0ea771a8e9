// The tool's pure pieces: option parsing, keys of repeated names, text
// conversions at the edges.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "cli/Record.h"
#include "cli/TextCodec.h"
#include "exif/TextFormat.h"
#include "ParseArguments.h"

namespace cli {
namespace {

TEST(OptionParsing, AcceptsValuesAfterAnEqualsSignOrAsTheNextArgument) {
    const Parsed p = Parse({"--size=640x480", "--tag", "Model", "-tMake", "--decimal=,", "a.jpg"});
    ASSERT_EQ(p.Result, Request::Run) << p.Err;
    EXPECT_EQ(p.Opts.Width, 640);
    EXPECT_EQ(p.Opts.Height, 480);
    EXPECT_EQ(p.Opts.Tags, (std::vector<std::string>{"Model", "Make"}));
    EXPECT_EQ(p.Opts.Decimal, ',');
    EXPECT_EQ(p.Opts.Files, std::vector<std::string>{"a.jpg"});
}

TEST(OptionParsing, TakesEverythingAfterDoubleDashAsFiles) {
    const Parsed p = Parse({"--json", "--", "-x.jpg", "--csv"});
    ASSERT_EQ(p.Result, Request::Run) << p.Err;
    EXPECT_EQ(p.Opts.Format, OutputFormat::Json);
    EXPECT_EQ(p.Opts.Files, (std::vector<std::string>{"-x.jpg", "--csv"}));
}

TEST(OptionParsing, RefusesValuesThatMakeNoSense) {
    for (const char *size : {"-1x5", "0x0", "640", "640x", "x480", " 640x480", "640x480x2"})
        EXPECT_EQ(Parse({"--size", size, "a.jpg"}).Result, Request::UsageError) << size;
    for (const char *sep : {"\x07", "", "ab", "5", " "})
        EXPECT_EQ(Parse({"--decimal", sep, "a.jpg"}).Result, Request::UsageError) << sep;
    EXPECT_EQ(Parse({"--export", "", "a.jpg"}).Result, Request::UsageError);
    EXPECT_EQ(Parse({"--export", "o.txt", "a.jpg", "b.jpg"}).Result, Request::UsageError);
    EXPECT_EQ(Parse({"--export", "o.txt", "--json", "a.jpg"}).Result, Request::UsageError);
    EXPECT_EQ(Parse({"--json", "--csv", "a.jpg"}).Result, Request::UsageError);
    EXPECT_EQ(Parse({"--listing", "--csv", "a.jpg"}).Result, Request::UsageError);
}

// exiftool's -ee (extract embedded) must not write an export file named
// "e": -e takes its path as the next argument or as --export's value only.
TEST(OptionParsing, ExportTakesItsPathOnlyAsTheNextArgumentOrAfterAnEqualsSign) {
    for (const auto &args : {std::vector<const char *>{"-e", "o.txt", "a.jpg"},
                             std::vector<const char *>{"-ne", "o.txt", "a.jpg"},
                             std::vector<const char *>{"--export", "o.txt", "a.jpg"},
                             std::vector<const char *>{"--export=o.txt", "a.jpg"}}) {
        std::vector<std::string> storage{"exifinfo"};
        storage.insert(storage.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &a : storage) argv.push_back(a.data());
        Options o;
        std::string out, err;
        EXPECT_EQ(ParseOptions(static_cast<int>(argv.size()), argv.data(), o, out, err), Request::Run) << err;
        EXPECT_EQ(o.ExportPath, "o.txt");
    }
    for (const char *attached : {"-ee", "-eo.txt", "-neo.txt"}) {
        const Parsed p = Parse({attached, "a.jpg"});
        EXPECT_EQ(p.Result, Request::UsageError) << attached;
        EXPECT_NE(p.Err.find(std::string("unknown option '") + attached + "'"), std::string::npos) << p.Err;
    }
}

TEST(OptionParsing, NamesTheDecimalChoices) {
    EXPECT_EQ(Parse({"a.jpg"}).Opts.Decimal, '.');
    EXPECT_TRUE(Parse({"--decimal", "locale", "a.jpg"}).Opts.DecimalFromLocale);
    const Parsed c = Parse({"--decimal=,", "--decimal", "C", "a.jpg"});
    EXPECT_EQ(c.Opts.Decimal, '.');
    EXPECT_FALSE(c.Opts.DecimalFromLocale);
}

std::vector<std::string> KeysOf(std::vector<Field> fields) {
    AssignKeys(fields);
    std::vector<std::string> keys;
    for (const Field &f : fields) keys.push_back(f.Key);
    return keys;
}

TEST(RepeatedNames, KeepTheBareNameOnTheExifRowAndPrefixTheOthersWithTheirGroup) {
    const std::vector<Field> fields = {
        {RowGroup::File, "ImageWidth", {}, "640"},
        {RowGroup::MakerNote, "WhiteBalance", {}, "AUTO"},
        {RowGroup::MakerNote, "DigitalZoom", {}, "1"},
        {RowGroup::MakerNote, "DigitalZoom", {}, "2"},
        {RowGroup::Exif, "WhiteBalance", {}, "Auto"},
        {RowGroup::Exif, "ImageWidth", {}, "174"},
        {RowGroup::Exif, "Model", {}, "X"},
        {RowGroup::Iptc, "Object name", {}, "T"},
    };
    EXPECT_EQ(KeysOf(fields), (std::vector<std::string>{"File:ImageWidth", "MakerNote:WhiteBalance",
                                                        "MakerNote:DigitalZoom", "MakerNote:DigitalZoom-2",
                                                        "WhiteBalance", "ImageWidth", "Model", "ObjectName"}));
}

TEST(RepeatedNames, SelectionMatchesNameKeyOrCompactNameIgnoringCase) {
    std::vector<Field> fields = {{RowGroup::MakerNote, "WhiteBalance", {}, ""},
                                 {RowGroup::Exif, "WhiteBalance", {}, ""},
                                 {RowGroup::Iptc, "Province/State", {}, ""}};
    AssignKeys(fields);
    EXPECT_TRUE(Selected(fields[0], {"whitebalance"}));
    EXPECT_TRUE(Selected(fields[0], {"makernote:WHITEBALANCE"}));
    EXPECT_FALSE(Selected(fields[1], {"MakerNote:WhiteBalance"}));
    EXPECT_TRUE(Selected(fields[2], {"provincestate"}));
    EXPECT_TRUE(Selected(fields[2], {"Province/State"}));
}

TEST(RepeatedNames, SelectingTagsGivesTheRowsAndKeysOfTheWholeFile) {
    params::ImageView view;
    view.Exif.Rows = {{"FileName", "a.jpg"},      {"FileSize", "1.00 Kb"},        {"ImageWidth", "640"},
                      {"ImageHeight", "480"},     {"WhiteBalance", "AUTO", true}, {"DigitalZoom", "1", true},
                      {"DigitalZoom", "2", true}, {"WhiteBalance", "Auto"},       {"ImageWidth", "174"}};
    view.Iptc.Visible = true;
    view.Iptc.Rows = {{"Province/State", "Tyrol"}, {"Object name", "T"}};
    const std::vector<std::string> tags = {"makernote:digitalzoom-2", "IMAGEWIDTH", "provincestate", "objectname"};
    std::vector<Field> expected = FieldsOf(view);
    std::erase_if(expected, [&](const Field &f) { return !Selected(f, tags); });
    std::vector<std::string> keys, expectedKeys;
    for (const Field &f : SelectedFieldsOf(view, tags)) keys.push_back(f.Key + "=" + std::string(f.Value));
    for (const Field &f : expected) expectedKeys.push_back(f.Key + "=" + std::string(f.Value));
    EXPECT_EQ(keys, (std::vector<std::string>{"File:ImageWidth=640", "MakerNote:DigitalZoom-2=2", "ImageWidth=174",
                                              "ProvinceState=Tyrol", "ObjectName=T"}));
    EXPECT_EQ(keys, expectedKeys);
}

TEST(TextConversion, EscapesControlCharactersTheBackslashAndBytesThatAreNotUtf8) {
    constexpr char Raw[] = "a\0b\x1b\n\r\t\\\x7F caf\xC3\xA9 \xE6\x97\xA5";
    EXPECT_EQ(EscapeUtf8Controls(std::string(Raw, sizeof Raw - 1)),
              "a\\0b\\x1b\\n\\r\\t\\\\\\x7f caf\xC3\xA9 \xE6\x97\xA5");
    // C1 characters as the escapes of their two bytes, bytes that are not
    // UTF-8 (a Linux file name) as their own.
    EXPECT_EQ(EscapeUtf8Controls("caf\xC3\xA9\x01\xFF \xC2\x9B[31m \xC2\xA0 \xE6\x97"),
              "caf\xC3\xA9\\x01\\xff \\xc2\\x9b[31m \xC2\xA0 \\xe6\\x97");
}

TEST(TextConversion, AByteToEscapeIsFoundAtAnyPlaceInALongPlainRun) {
    // Plain text is passed over several bytes at a time: the first byte to
    // escape must be found wherever it stands among them, and the run after
    // it taken up again.
    const std::string plain = "0123456789abcdefghijklmnopqrstu";
    const std::pair<std::string, std::string> escapes[] = {
        {"\x01", "\\x01"}, {"\x1F", "\\x1f"}, {"\x7F", "\\x7f"}, {"\\", "\\\\"}, {"\xFF", "\\xff"}, {"\xC2\x9B", "\\xc2\\x9b"}};
    for (const auto &[raw, escaped] : escapes)
        for (size_t at = 0; at <= plain.size(); ++at) {
            const std::string text = plain.substr(0, at) + raw + plain.substr(at);
            EXPECT_EQ(EscapeUtf8Controls(text), plain.substr(0, at) + escaped + plain.substr(at)) << at;
        }
}

TEST(TextConversion, JsonAndCsvQuoteWhatTheirGrammarsNeed) {
    constexpr char Raw[] = "\"\\\n\0\x1f\x7f\xC3\xA9";
    EXPECT_EQ(JsonString(std::string(Raw, sizeof Raw - 1)), "\"\\\"\\\\\\n\\u0000\\u001f\\u007f\xC3\xA9\"");
    EXPECT_EQ(JsonString("\xC2\x9B\xC2\x81\xC2\xA0 caf\xE9\xED\xA0\x80"),
              "\"\\u009b\\u0081\xC2\xA0 caf\\udce9\\udced\\udca0\\udc80\"");
    EXPECT_EQ(CsvField("plain"), "plain");
    EXPECT_EQ(CsvField("0, 0"), "\"0, 0\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("FINE   "), "\"FINE   \"");
}

}  // namespace
}  // namespace cli
