#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "ByteBuilders.h"
#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"
#include "iptc/IptcData.h"

using namespace testbytes;
using iptc::TIPTCdata;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The APP13 segment as the container keeps it (two length bytes, then the
// payload) for a Photoshop 3.0 IPTC resource holding `datasets`.
std::string SegmentOf(const std::string &datasets) {
    return Jpeg().Iptc(datasets).Build(false).substr(4);
}

// A dataset header whose length field is given rather than computed.
std::string DatasetHeader(unsigned record, unsigned number, unsigned length) {
    std::string d(1, '\x1C');
    d += static_cast<char>(record);
    d += static_cast<char>(number);
    d += static_cast<char>((length >> 8) & 0xFF);
    d += static_cast<char>(length & 0xFF);
    return d;
}

// Name and value of every entry, in order.
Pairs NamesAndValues(const TIPTCdata &iptc) {
    Pairs out;
    for (int32_t i = 0; i < iptc.EntryCount(); ++i) out.emplace_back(iptc.EntryAt(i).Name, iptc.EntryAt(i).Value);
    return out;
}

Pairs ParsedPairs(const std::string &segment) {
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(segment);
    return NamesAndValues(iptc);
}

exif::TTagEntry EntryWithTag(uint16_t tag) {
    exif::TTagEntry e;
    e.Tag = tag;
    e.Name = "T" + std::to_string(tag);
    return e;
}

}  // namespace

// ------------------------------------------------------------------- table

TEST(IptcTable, RowsAreUniqueAndOrderedWithinEachRecord) {
    std::set<std::pair<uint16_t, uint16_t>> seen;
    for (size_t i = 0; i < iptc::DatasetTable.size(); ++i) {
        const iptc::TDatasetRow &row = iptc::DatasetTable[i];
        EXPECT_TRUE(seen.insert({row.Record, row.Dataset}).second) << row.Name;
        EXPECT_EQ(row.Record, i + 1 == iptc::DatasetTable.size() ? 8 : 2) << row.Name;
        if (i > 0 && row.Record == iptc::DatasetTable[i - 1].Record)
            EXPECT_LT(iptc::DatasetTable[i - 1].Dataset, row.Dataset) << row.Name;
        EXPECT_FALSE(row.Name.empty());
        EXPECT_FALSE(row.Description.empty());
        EXPECT_GT(row.MaxLength, 0) << row.Name;
    }
    EXPECT_EQ(iptc::IPTCRepeatable.count(), 2u);
    EXPECT_TRUE(iptc::IPTCRepeatable.test(20));
    EXPECT_TRUE(iptc::IPTCRepeatable.test(25));
}

TEST(IptcTable, DatasetRowOfIgnoresLetterCase) {
    EXPECT_EQ(TIPTCdata::DatasetRowOf("keywords"), 11);
    EXPECT_EQ(TIPTCdata::DatasetRowOf("SUBFILE"), 48);
    EXPECT_EQ(TIPTCdata::DatasetRowOf("Keyword"), -1);
    EXPECT_EQ(TIPTCdata::DatasetRowOf(""), -1);
}

// ----------------------------------------------------------------- parsing

TEST(IptcParse, KeywordsMergeIntoOneEntryAndAnEmptyKeywordChangesNothing) {
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(SegmentOf(Dataset(2, 25, "a") + Dataset(2, 25, "b")));
    ASSERT_EQ(iptc.EntryCount(), 1);
    EXPECT_EQ(iptc.EntryAt(0).Description, "Keywords");
    EXPECT_EQ(iptc.EntryAt(0).Value, "a,b");
    EXPECT_EQ(iptc.EntryAt(0).RawLength, 64);

    iptc.ParseSegment(SegmentOf(Dataset(2, 25, "a") + Dataset(2, 25, "b") + Dataset(2, 25, "")));
    ASSERT_EQ(iptc.EntryCount(), 1);
    EXPECT_EQ(iptc.EntryAt(0).Value, "a,b");
}

TEST(IptcParse, SupplementalCategoriesMergeLikeKeywordsWithOtherDatasetsBetween) {
    const Pairs got =
        ParsedPairs(SegmentOf(Dataset(2, 20, "x") + Dataset(2, 25, "k1") + Dataset(2, 20, "y") + Dataset(2, 25, "k2")));
    EXPECT_EQ(got, (Pairs{{"SuppCategory", "x,y"}, {"Keywords", "k1,k2"}}));
}

TEST(IptcParse, RepeatedNonRepeatableDatasetsStaySeparate) {
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(SegmentOf(Dataset(2, 80, "Ann") + Dataset(2, 80, "Bob")));
    ASSERT_EQ(iptc.EntryCount(), 2);
    EXPECT_EQ(iptc.EntryAt(0).Description, "ByLine");
    EXPECT_EQ(iptc.EntryAt(1).Description, "ByLine");
    EXPECT_EQ(iptc.EntryAt(0).Value, "Ann");
    EXPECT_EQ(iptc.EntryAt(1).Value, "Bob");
}

TEST(IptcParse, DatasetsAreNamedFromTheTableOrAsCustom) {
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(SegmentOf(Dataset(2, 200, "odd") + Dataset(8, 10, "01") + Dataset(2, 10, "5")));
    ASSERT_EQ(iptc.EntryCount(), 3);

    const exif::TTagEntry custom = iptc.EntryAt(0);
    EXPECT_EQ(custom.Name, "Custom_200");
    EXPECT_EQ(custom.Description, "Custom_200");
    EXPECT_EQ(custom.Value, "odd");
    EXPECT_EQ(custom.RecordNumber, 2);
    EXPECT_EQ(custom.Tag, 200);
    EXPECT_EQ(custom.RawLength, 64);

    const exif::TTagEntry subfile = iptc.EntryAt(1);
    EXPECT_EQ(subfile.Name, "Subfile");
    EXPECT_EQ(subfile.RecordNumber, 8);
    EXPECT_EQ(subfile.Tag, 10);
    EXPECT_EQ(subfile.Value, "01");
    EXPECT_EQ(subfile.RawLength, 2);

    const exif::TTagEntry urgency = iptc.EntryAt(2);
    EXPECT_EQ(urgency.Name, "Urgency");
    EXPECT_EQ(urgency.Description, "Urgency");
    EXPECT_EQ(urgency.RecordNumber, 2);
    EXPECT_EQ(urgency.Value, "5");
}

TEST(IptcParse, TextIsUtf8WhenValidOrDeclaredElseWindows1252) {
    const std::string latin("caf\xE9\0\x01 2024", 10), utf8 = "Caf\xC3\xA9 \xE2\x80\x93 Z\xC3\xBCrich";
    EXPECT_EQ(ParsedPairs(SegmentOf(Dataset(2, 5, latin) + Dataset(2, 120, utf8))),
              (Pairs{{"ObjectName", std::string("caf\xC3\xA9\0\x01 2024", 11)}, {"ImageCaption", utf8}}));
    // Declared UTF-8 (1:90 ESC % G): a malformed byte is a replacement
    // character, not a Windows-1252 letter.
    EXPECT_EQ(ParsedPairs(SegmentOf(Dataset(1, 90, "\x1B%G") + Dataset(2, 5, "caf\xE9"))),
              (Pairs{{"ObjectName", "caf\xEF\xBF\xBD"}}));
}

TEST(IptcParse, RecordVersionAndOtherRecordsGiveNoEntry) {
    const Pairs got =
        ParsedPairs(SegmentOf(Dataset(2, 5, "first") + Dataset(1, 90, "\x1B%G") + Dataset(3, 5, "envelope") +
                              Dataset(2, 0, std::string("\0\x02", 2)) + Dataset(2, 10, "1")));
    EXPECT_EQ(got, (Pairs{{"ObjectName", "first"}, {"Urgency", "1"}}));
}

TEST(IptcParse, RepeatableNumberOutsideTheApplicationRecordGivesNoEntry) {
    EXPECT_TRUE(ParsedPairs(SegmentOf(Dataset(8, 25, "k") + Dataset(8, 25, "l"))).empty());
    EXPECT_EQ(ParsedPairs(SegmentOf(Dataset(8, 25, "k") + Dataset(8, 20, "c") + Dataset(2, 25, "real"))),
              (Pairs{{"Keywords", "real"}}));
}

TEST(IptcParse, BytesAfterTheLastDatasetAreReadAsFurtherDatasets) {
    // The zero stands where the next 0x1C would be; the bytes after it read
    // as dataset 2:200.
    const std::string trailing("\0\x02\xC8\x00\x02hi", 7);
    EXPECT_EQ(ParsedPairs(SegmentOf(Dataset(2, 5, "Name") + trailing)),
              (Pairs{{"ObjectName", "Name"}, {"Custom_200", "hi"}}));
}

TEST(IptcParse, TheByteAfterEachValueIsSteppedOverUnchecked) {
    const std::string datasets = Dataset(2, 5, "Name") + "X" + Dataset(2, 80, "abc").substr(1);
    EXPECT_EQ(ParsedPairs(SegmentOf(datasets)), (Pairs{{"ObjectName", "Name"}, {"ByLine", "abc"}}));
}

// ------------------------------------------------------------ finding start

TEST(IptcStart, EmptyOrTooShortSegmentsGiveNoEntries) {
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment("");
    EXPECT_FALSE(iptc.HasEntries());

    const std::string head = std::string("\x00\x20Photoshop 3.0\0", 16);
    iptc.ParseSegment(head + std::string("\x1C\x02\x05\x00", 4));  // three bytes after the marker
    EXPECT_FALSE(iptc.HasEntries());
    iptc.ParseSegment(head + "\x1C\x02");  // record byte last: a dataset of 2:0 would be past the end
    EXPECT_FALSE(iptc.HasEntries());
    iptc.ParseSegment(head + "\x1C");  // the byte past the end counts as 0, not as a record
    EXPECT_FALSE(iptc.HasEntries());

    // Exactly four bytes after the marker are one dataset with an empty value.
    iptc.ParseSegment(head + std::string("\x1C\x02\x05\x00\x00", 5));
    EXPECT_EQ(NamesAndValues(iptc), (Pairs{{"ObjectName", ""}}));
}

TEST(IptcStart, MarkersBeforeTheSignatureOrWithOtherRecordsAreSkipped) {
    const std::string before = std::string("\x00\x40", 2) + Dataset(2, 80, "early");
    const std::string after = std::string("Photoshop 3.0\0", 14) + Dataset(1, 90, "\x1B%G") + Dataset(2, 5, "late");
    EXPECT_EQ(ParsedPairs(before + after), (Pairs{{"ObjectName", "late"}}));
}

TEST(IptcStart, WithoutTheSignatureTheSearchStartsAtOffsetTwelve) {
    // A marker pair inside the first twelve bytes is ignored; one at offset
    // twelve is found.
    const std::string first12 = Dataset(2, 80, "ab") + std::string(5, '.');
    ASSERT_EQ(first12.size(), 12u);
    EXPECT_EQ(ParsedPairs(first12 + Dataset(2, 5, "Obj")), (Pairs{{"ObjectName", "Obj"}}));
    EXPECT_TRUE(ParsedPairs(first12).empty());
}

TEST(IptcStart, LengthsRunningPastTheEndAreCutThere) {
    const std::string head = std::string("\x00\x40Photoshop 3.0\0", 16);
    EXPECT_EQ(ParsedPairs(head + DatasetHeader(2, 120, 0x100) + "short"), (Pairs{{"ImageCaption", "short"}}));
    // A set top bit is a plain length, not an extended-length announcement.
    EXPECT_EQ(ParsedPairs(head + DatasetHeader(2, 120, 0x8004) + "abcd" + Dataset(2, 5, "x")),
              (Pairs{{"ImageCaption", "abcd" + Dataset(2, 5, "x")}}));
    EXPECT_EQ(ParsedPairs(head + DatasetHeader(2, 120, 0xFFFF)), (Pairs{{"ImageCaption", ""}}));
}

TEST(IptcParse, ThousandsOfKeywordsMergeIntoOneEntry) {
    std::string datasets;
    const int keywords = 10000;
    for (int i = 0; i < keywords; ++i) datasets += Dataset(2, 25, "k");
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(SegmentOf(datasets));
    ASSERT_EQ(iptc.EntryCount(), 1);
    const std::string &value = iptc.EntryAt(0).Value;
    EXPECT_EQ(value.size(), static_cast<size_t>(2 * keywords - 1));
    EXPECT_EQ(std::count(value.begin(), value.end(), ','), keywords - 1);
}

TEST(IptcParse, KeywordsAfterThousandsOfOtherDatasetsStillMerge) {
    std::string datasets;
    const int others = 6000;
    for (int i = 0; i < others; ++i) datasets += Dataset(2, 15, "");
    datasets += Dataset(2, 25, "a") + Dataset(2, 15, "last") + Dataset(2, 25, "b");
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(SegmentOf(datasets));
    ASSERT_EQ(iptc.EntryCount(), others + 2);
    EXPECT_EQ(iptc.EntryAt(others).Value, "a,b");
    EXPECT_EQ(iptc.EntryAt(others + 1).Value, "last");
    EXPECT_EQ(iptc.IndexOfName("category"), 0);
}

TEST(IptcParse, EachParseReplacesTheEntriesAndKeepsItsOwnCopy) {
    TIPTCdata iptc(nullptr);
    std::string segment = SegmentOf(Dataset(2, 80, "Ann") + Dataset(2, 90, "Oslo"));
    iptc.ParseSegment(segment);
    segment.assign(segment.size(), '\0');
    EXPECT_EQ(NamesAndValues(iptc), (Pairs{{"ByLine", "Ann"}, {"City", "Oslo"}}));
    iptc.ParseSegment(SegmentOf(Dataset(2, 5, "Other")));
    EXPECT_EQ(NamesAndValues(iptc), (Pairs{{"ObjectName", "Other"}}));
}

// ---------------------------------------------------------------- the list

TEST(IptcList, CapacityGrowsBy25KeepingOneSlotFree) {
    TIPTCdata iptc(nullptr);
    EXPECT_EQ(iptc.Capacity(), 0);
    EXPECT_EQ(iptc.AppendEntry(EntryWithTag(0)), -1);
    EXPECT_EQ(iptc.Capacity(), 0);
    EXPECT_EQ(iptc.AppendEntry(EntryWithTag(1)), 0);
    EXPECT_EQ(iptc.Capacity(), 25);
    for (uint16_t t = 2; t <= 24; ++t) iptc.AppendEntry(EntryWithTag(t));
    EXPECT_EQ(iptc.EntryCount(), 24);
    EXPECT_EQ(iptc.Capacity(), 25);
    EXPECT_EQ(iptc.AppendEntry(EntryWithTag(25)), 24);
    EXPECT_EQ(iptc.Capacity(), 50);
    EXPECT_EQ(iptc.AppendEntry(EntryWithTag(0)), 24);
    EXPECT_EQ(iptc.EntryAt(24).Name, "T25");

    iptc.Clear();
    EXPECT_FALSE(iptc.HasEntries());
    EXPECT_EQ(iptc.Capacity(), 50);
    EXPECT_EQ(iptc.AppendEntry(EntryWithTag(7)), 0);
    EXPECT_EQ(iptc.EntryAt(0).Name, "T7");
}

TEST(IptcList, CountAndIndexesOutsideTheListAreSafe) {
    TIPTCdata iptc(nullptr);
    EXPECT_EQ(iptc.EntryAt(0).Tag, 0);
    iptc.SetEntryCount(10);
    EXPECT_EQ(iptc.EntryCount(), 0);
    iptc.AppendEntry(EntryWithTag(3));
    iptc.SetEntryCount(1000);
    EXPECT_LT(iptc.EntryCount(), iptc.Capacity());
    iptc.SetEntryCount(-5);
    EXPECT_EQ(iptc.EntryCount(), 0);
    EXPECT_EQ(iptc.EntryAt(-1).Tag, 0);
    EXPECT_EQ(iptc.EntryAt(5).Tag, 0);
}

TEST(IptcList, RemoveEntryOfTheFirstOfThreeKeepsTheOthersInOrder) {
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(SegmentOf(Dataset(2, 5, "o") + Dataset(2, 80, "b") + Dataset(2, 90, "c")));
    iptc.RemoveEntry("objectname");
    EXPECT_EQ(NamesAndValues(iptc), (Pairs{{"ByLine", "b"}, {"City", "c"}}));
    iptc.RemoveEntry("NoSuchName");
    EXPECT_EQ(iptc.EntryCount(), 2);
    iptc.RemoveEntry("City");
    iptc.RemoveEntry("ByLine");
    EXPECT_FALSE(iptc.HasEntries());
}

TEST(IptcList, LookupsFollowEntriesAsTheyMove) {
    TIPTCdata iptc(nullptr);
    iptc.ParseSegment(
        SegmentOf(Dataset(2, 5, "o") + Dataset(2, 80, "b1") + Dataset(2, 90, "c") + Dataset(2, 80, "b2")));
    iptc.RemoveEntry("byline");
    EXPECT_EQ(NamesAndValues(iptc), (Pairs{{"ObjectName", "o"}, {"City", "c"}, {"ByLine", "b2"}}));
    EXPECT_EQ(iptc.IndexOfName("ByLine"), 2);
    EXPECT_EQ(iptc.IndexOfName("City"), 1);
    EXPECT_EQ(iptc.AppendValue("ByLine", "b3"), 2);
    EXPECT_EQ(iptc.ValueOf("ByLine", ""), "b2,b3");

    iptc.Clear();
    EXPECT_EQ(iptc.IndexOfName("City"), -1);
    EXPECT_EQ(iptc.SetValue("City", "new"), 0);
    EXPECT_EQ(iptc.ValueOf("City", ""), "new");
}

TEST(IptcList, SetValueCreatesFromTheTableAndIgnoresEmptyTexts) {
    TIPTCdata iptc(nullptr);
    EXPECT_EQ(iptc.SetValue("NoSuchName", "x"), -1);
    EXPECT_EQ(iptc.SetValue("city", "Oslo"), 0);
    const exif::TTagEntry city = iptc.EntryAt(0);
    EXPECT_EQ(city.Name, "City");
    EXPECT_EQ(city.RecordNumber, 2);
    EXPECT_EQ(city.Tag, 90);
    EXPECT_EQ(city.RawLength, 32);
    EXPECT_EQ(iptc.SetValue("CITY", ""), 0);
    EXPECT_EQ(iptc.ValueOf("City", "-"), "Oslo");
    EXPECT_EQ(iptc.SetValue("City", "Bergen"), 0);
    EXPECT_EQ(iptc.ValueOf("City", "-"), "Bergen");
    // The record version row is a placeholder and never becomes an entry.
    EXPECT_EQ(iptc.SetValue("SKIP", "4"), 0);
    EXPECT_EQ(iptc.EntryCount(), 1);
}

TEST(IptcList, AppendValueJoinsWithACommaAndCreatesWhenMissing) {
    TIPTCdata iptc(nullptr);
    EXPECT_EQ(iptc.AppendValue("Custom_25", "x"), -1);
    EXPECT_EQ(iptc.AppendValue("Source", "A"), 0);
    EXPECT_EQ(iptc.AppendValue("source", "B"), 0);
    EXPECT_EQ(iptc.AppendValue("Source", ""), 0);
    EXPECT_EQ(iptc.ValueOf("Source", "-"), "A,B");
    EXPECT_EQ(iptc.EntryCount(), 1);
}

TEST(IptcList, SetOrAppendValueAddsOccurrencesOnlyToRepeatableDatasets) {
    TIPTCdata iptc(nullptr);
    EXPECT_EQ(iptc.SetOrAppendValue("Keywords", "a"), 0);
    EXPECT_EQ(iptc.SetOrAppendValue("keywords", "b"), 0);
    EXPECT_EQ(iptc.SetOrAppendValue("ByLine", "Ann"), 1);
    EXPECT_EQ(iptc.SetOrAppendValue("ByLine", "Bob"), 1);
    EXPECT_EQ(iptc.SetOrAppendValue("Subfile", "1"), 2);
    EXPECT_EQ(iptc.SetOrAppendValue("Subfile", "2"), 2);
    EXPECT_EQ(NamesAndValues(iptc), (Pairs{{"Keywords", "a,b"}, {"ByLine", "Bob"}, {"Subfile", "2"}}));
    EXPECT_EQ(iptc.SetOrAppendValue("Custom_200", "x"), -1);
}

TEST(IptcList, ValueOfGivesTheDefaultForAMissingName) {
    TIPTCdata iptc(nullptr);
    EXPECT_EQ(iptc.ValueOf("City", "none"), "none");
    iptc.ParseSegment(SegmentOf(Dataset(2, 90, "Oslo") + Dataset(2, 90, "Rome")));
    EXPECT_EQ(iptc.ValueOf("CITY", "none"), "Oslo");
    EXPECT_EQ(iptc.ValueOf("State", ""), "");
    EXPECT_EQ(iptc.IndexOfName("city"), 0);
    EXPECT_EQ(iptc.IndexOfName("Cit"), -1);
}

// ------------------------------------------------------ with the container

TEST(IptcContainer, OwnerSegmentIsParsedAfterOpenImageFile) {
    const std::string datasets = Dataset(2, 5, "Title") + Dataset(2, 25, "a") + Dataset(2, 25, "b");
    const std::string path = WriteTempFile("iptc-owner.jpg", Jpeg().App0().Iptc(datasets).Build());
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(path));
    ASSERT_TRUE(img.HasIptcSegment());
    ASSERT_NE(img.IptcInfo(), nullptr);
    EXPECT_FALSE(img.IptcInfo()->HasEntries());
    img.IptcInfo()->ParseOwnerSegment();
    EXPECT_EQ(NamesAndValues(*img.IptcInfo()), (Pairs{{"ObjectName", "Title"}, {"Keywords", "a,b"}}));
}

TEST(IptcContainer, ParseOwnerSegmentWithoutASegmentDoesNothing) {
    TIPTCdata orphan(nullptr);
    orphan.SetValue("City", "Oslo");
    orphan.ParseOwnerSegment();
    EXPECT_EQ(orphan.EntryCount(), 1);

    const std::string path = WriteTempFile("iptc-none.jpg", Jpeg().App0().Comment("no iptc").Build());
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(path));
    ASSERT_FALSE(img.HasIptcSegment());
    TIPTCdata standalone(&img);
    standalone.SetValue("City", "Oslo");
    standalone.ParseOwnerSegment();
    EXPECT_EQ(standalone.EntryCount(), 1);
}

TEST(IptcContainer, ReadFileAnswersFromTheOwnersNewObject) {
    const std::string first = WriteTempFile("iptc-read1.jpg", Jpeg().Iptc(Dataset(2, 5, "One")).Build());
    const std::string second =
        WriteTempFile("iptc-read2.jpg", Jpeg().Iptc(Dataset(2, 25, "x") + Dataset(2, 25, "y")).Build());
    const std::string none = WriteTempFile("iptc-read3.jpg", Jpeg().Comment("c").Build());
    const std::string versionOnly = Dataset(2, 0, std::string("\0\x02", 2));
    const std::string empty = WriteTempFile("iptc-read4.jpg", Jpeg().Iptc(versionOnly).Build());

    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(first));
    // The container frees this object while ReadFile runs.
    EXPECT_TRUE(img.IptcInfo()->ReadFile(second));
    ASSERT_NE(img.IptcInfo(), nullptr);
    EXPECT_EQ(NamesAndValues(*img.IptcInfo()), (Pairs{{"Keywords", "x,y"}}));

    EXPECT_FALSE(img.IptcInfo()->ReadFile(empty));
    ASSERT_NE(img.IptcInfo(), nullptr);
    EXPECT_FALSE(img.IptcInfo()->HasEntries());

    EXPECT_FALSE(img.IptcInfo()->ReadFile(none));
    EXPECT_EQ(img.IptcInfo(), nullptr);

    TIPTCdata standalone(&img);
    EXPECT_TRUE(standalone.ReadFile(first));
    EXPECT_EQ(img.IptcInfo()->ValueOf("ObjectName", ""), "One");
    EXPECT_FALSE(standalone.ReadFile(none + ".missing"));
    EXPECT_FALSE(TIPTCdata(nullptr).ReadFile(first));
}

// ------------------------------------------------------------ real samples

TEST(IptcSamples, BlueSquareHasCaptionTitleAndFiveKeywords) {
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(SamplePath("BlueSquare.jpg")));
    ASSERT_TRUE(img.HasIptcSegment());
    img.IptcInfo()->ParseOwnerSegment();
    EXPECT_EQ(NamesAndValues(*img.IptcInfo()),
              (Pairs{{"ImageCaption",
                      "XMPFiles BlueSquare test file, created in Photoshop CS2, saved as .psd, .jpg, and .tif."},
                     {"ObjectName", "Blue Square Test File - .jpg"},
                     {"Keywords", "XMP,Blue Square,test file,Photoshop,.jpg"}}));
    EXPECT_EQ(img.IptcInfo()->EntryAt(0).Description, "Image caption");
}

TEST(IptcSamples, Landscape1HoldsOnlyRecordVersionAndCharacterSet) {
    // Its IPTC block is 1:90 (coded character set, UTF-8) then 2:0 (record
    // version 2): neither becomes an entry, nor do the resources after them.
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(SamplePath("landscape_1.jpg")));
    ASSERT_TRUE(img.HasIptcSegment());
    img.IptcInfo()->ParseOwnerSegment();
    EXPECT_FALSE(img.IptcInfo()->HasEntries());
}

TEST(IptcContainer, ATiffKeepsItsDatasetsInATagOrInItsPhotoshopResources) {
    const std::string datasets = Dataset(2, 5, "Title") + Dataset(2, 25, "a") + Dataset(2, 25, "b");
    // Tag 33723 holds the datasets themselves; tag 34377 Photoshop's image
    // resources, the datasets in resource 0x0404 (after another resource).
    std::string resources = std::string("8BIM\x04\x0C\0\0\0\0\0\x02zz", 14) + "8BIM" + std::string("\x04\x04\0\0", 4);
    for (int shift = 24; shift >= 0; shift -= 8) resources += static_cast<char>((datasets.size() >> shift) & 0xFF);
    resources += datasets + (datasets.size() % 2 ? std::string(1, '\0') : std::string());
    for (const auto &[name, entry] : {std::pair{"iptc_tag.tif", Tiff::Undefined(0x83BB, datasets)},
                                      std::pair{"iptc_resources.tif", Tiff::Undefined(0x8649, resources)}}) {
        Tiff t;
        t.Dir({Tiff::Ascii(0x010F, "Scanner"), entry});
        const params::IptcView view = params::BuildIptcView(WriteTempFile(name, t.Build()));
        ASSERT_TRUE(view.Visible) << name;
        ASSERT_EQ(view.Rows.size(), 2u) << name;
        EXPECT_EQ(view.Rows[0].Value, "Title") << name;
        EXPECT_EQ(view.Rows[1].Value, "a,b") << name;
    }
}
