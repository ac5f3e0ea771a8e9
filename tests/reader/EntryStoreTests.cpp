// The entry store of a directory set: growth in steps of 25, entries of tag
// number 0 never stored, lookups by name ignoring letter case, and the
// numeric queries the 35 mm computation relies on.
#include <gtest/gtest.h>

#include <string>

#include "ByteBuilders.h"
#include "dialog/ParamsRows.h"
#include "exif/ImageInfo.h"
#include "exif/ImgData.h"
#include "exif/TagEntry.h"

using namespace testbytes;

namespace {

exif::TTagEntry Named(uint16_t tag, const std::string &name, uint16_t type = 0, const std::string &raw = {},
                      const std::string &value = {}) {
    exif::TTagEntry e;
    e.Tag = tag;
    e.Name = name;
    e.DataType = type;
    e.Raw = raw;
    e.Value = value;
    return e;
}

std::string Rational(bool big, int32_t n, int32_t d) {
    return RationalBytes(big, {{n, d}});
}

}  // namespace

TEST(EntryStore, CapacityGrowsByTwentyFiveWhenOneSlotIsLeft) {
    exif::TimgData owner;
    exif::TImageInfo info(&owner, exif::BuildAll);
    EXPECT_EQ(info.EntryCount(), 0);
    EXPECT_EQ(info.Capacity(), 0);
    EXPECT_EQ(info.AddEntry(Named(1, "E0")), 0);
    EXPECT_EQ(info.Capacity(), 25);
    for (int i = 1; i < 24; ++i) EXPECT_EQ(info.AddEntry(Named(1, "E" + std::to_string(i))), i);
    EXPECT_EQ(info.EntryCount(), 24);
    EXPECT_EQ(info.Capacity(), 25);
    EXPECT_EQ(info.AddEntry(Named(1, "E24")), 24);  // the 25th entry
    EXPECT_EQ(info.Capacity(), 50);
    for (int i = 25; i < 49; ++i) info.AddEntry(Named(1, "E" + std::to_string(i)));
    EXPECT_EQ(info.Capacity(), 50);
    info.AddEntry(Named(1, "E49"));
    EXPECT_EQ(info.Capacity(), 75);
    EXPECT_EQ(info.EntryCount(), 50);
    EXPECT_EQ(info.EntryAt(37).Name, "E37");
}

TEST(EntryStore, EntryOfTagNumberZeroIsNeverStored) {
    exif::TimgData owner;
    exif::TImageInfo info(&owner, exif::BuildAll);
    EXPECT_EQ(info.AddEntry(Named(0, "Nothing")), -1);
    EXPECT_EQ(info.EntryCount(), 0);
    EXPECT_EQ(info.Capacity(), 0);
    info.AddEntry(Named(5, "A"));
    info.AddEntry(Named(6, "B"));
    EXPECT_EQ(info.AddEntry(Named(0, "Nothing")), 1);
    EXPECT_EQ(info.EntryCount(), 2);
    EXPECT_EQ(info.EntryIndexOf("Nothing"), -1);
}

TEST(EntryStore, LookupsIgnoreLetterCaseAndFindTheFirstOfTwoNames) {
    exif::TimgData owner;
    exif::TImageInfo info(&owner, exif::BuildAll);
    info.AddEntry(Named(0x010F, "Make", 2, "Canon", "Canon"));
    info.AddEntry(Named(0x920E, "FocalPlaneXResolution", 5, Rational(false, 3000, 1), "3000/1"));
    info.AddEntry(Named(0x920A, "FocalLength", 5, Rational(false, 50, 1), "50/1"));
    info.AddEntry(Named(0xA20E, "FocalPlaneXResolution", 5, Rational(false, 2000, 1), "2000/1"));

    EXPECT_EQ(info.EntryIndexOf("focallength"), 2);
    EXPECT_EQ(info.EntryIndexOf("FOCALLENGTH"), 2);
    EXPECT_EQ(info.EntryTextOf("make"), "Canon");
    EXPECT_EQ(info.EntryIndexOf("FocalPlaneXResolution"), 1);
    EXPECT_EQ(info.EntryByName("focalplanexresolution").Tag, 0x920E);
    EXPECT_EQ(info.EntryNumber("FocalPlaneXResolution"), 3000.0);
    EXPECT_EQ(info.EntryIndexOf("Focal"), -1);  // whole names only

    const exif::TTagEntry missing = info.EntryByName("Model");
    EXPECT_EQ(missing.Tag, 0);
    EXPECT_EQ(missing.Name, "");
    EXPECT_EQ(info.EntryIndexOf("Model"), -1);
    EXPECT_EQ(info.EntryTextOf("Model"), "");
    EXPECT_EQ(info.EntryNumber("Model"), 0.0);
    EXPECT_EQ(info.EntryInteger("Model"), 0);
}

TEST(EntryStore, CopiesHandedOutAreIndependentOfTheStore) {
    exif::TimgData owner;
    exif::TImageInfo info(&owner, exif::BuildAll);
    info.AddEntry(Named(0x010F, "Make", 2, "Canon", "Canon"));
    exif::TTagEntry copy = info.EntryAt(0);
    copy.Value = "changed";
    copy.Raw[0] = 'X';
    exif::TTagEntry byName = info.EntryByName("Make");
    byName.Name = "Other";
    EXPECT_EQ(info.EntryAt(0).Value, "Canon");
    EXPECT_EQ(info.EntryAt(0).Raw, "Canon");
    EXPECT_EQ(info.EntryIndexOf("Make"), 0);
}

TEST(EntryStore, NumbersOfRationalsIntegersAndFloatsInBothByteOrders) {
    for (const bool big : {false, true}) {
        exif::TimgData owner;
        exif::TImageInfo info(&owner, exif::BuildAll);
        info.BigEndian = big;
        info.AddEntry(Named(0x829D, "FNumber", 5, Rational(big, 28, 10)));
        info.AddEntry(Named(0x9204, "ExposureBiasValue", 10, Rational(big, -2, 3)));
        info.AddEntry(Named(0x9206, "SubjectDistance", 5, Rational(big, 1, 0)));
        info.AddEntry(Named(0x0100, "ImageWidth", 3, U16Bytes(big, {4000})));
        info.AddEntry(Named(0x0101, "ImageLength", 4, U32Bytes(big, {0xFFFFFFFFu})));
        // 1.5 as an IEEE single and double.
        info.AddEntry(Named(0x9203, "BrightnessValue", 11,
                            big ? std::string("\x3F\xC0\0\0", 4) : std::string("\0\0\xC0\x3F", 4)));
        info.AddEntry(Named(0x9202, "ApertureValue", 12,
                            big ? std::string("\x3F\xF8\0\0\0\0\0\0", 8) : std::string("\0\0\0\0\0\0\xF8\x3F", 8)));
        info.AddEntry(Named(0x9205, "MaxApertureValue", 11, std::string("\0\0\xC0", 3)));  // shorter than one
        info.AddEntry(Named(0x010F, "Make", 2, "12"));

        EXPECT_DOUBLE_EQ(info.EntryNumber("FNumber"), 2.8) << big;
        EXPECT_DOUBLE_EQ(info.EntryNumber("ExposureBiasValue"), -2.0 / 3.0) << big;
        EXPECT_EQ(info.EntryNumber("SubjectDistance"), 0.0) << big;
        EXPECT_EQ(info.EntryNumber("ImageWidth"), 4000.0) << big;
        EXPECT_EQ(info.EntryNumber("ImageLength"), -1.0) << big;
        EXPECT_EQ(info.EntryNumber("BrightnessValue"), 1.5) << big;
        EXPECT_EQ(info.EntryNumber("ApertureValue"), 1.5) << big;
        EXPECT_EQ(info.EntryNumber("MaxApertureValue"), 0.0) << big;
        EXPECT_EQ(info.EntryNumber("Make"), 0.0) << big;
        EXPECT_EQ(info.EntryInteger("FNumber"), 3) << big;
        EXPECT_EQ(info.EntryInteger("ExposureBiasValue"), -1) << big;
    }
}

TEST(EntryStore, IntegerQueryRoundsHalvesToEven) {
    exif::TimgData owner;
    exif::TImageInfo info(&owner, exif::BuildAll);
    const struct {
        const char *name;
        int32_t n, d, expected;
    } cases[] = {{"A", 5, 2, 2},           {"B", 7, 2, 4},     {"C", -5, 2, -2}, {"D", -7, 2, -4},
                 {"E", 291545, 100, 2915}, {"F", 251, 100, 3}, {"G", 1, 2, 0}};
    for (const auto &c : cases) info.AddEntry(Named(1, c.name, 10, Rational(false, c.n, c.d)));
    for (const auto &c : cases) EXPECT_EQ(info.EntryInteger(c.name), c.expected) << c.name;

    // A float too large for 32 bits gives 0, as does a NaN.
    info.AddEntry(Named(1, "Huge", 11, std::string("\0\0\x80\x7F", 4)));         // +infinity
    info.AddEntry(Named(1, "Big", 12, std::string("\0\0\0\0\0\0\xF0\x41", 8)));  // 2^32
    info.AddEntry(Named(1, "NotANumber", 11, std::string("\0\0\xC0\x7F", 4)));
    EXPECT_EQ(info.EntryInteger("Huge"), 0);
    EXPECT_EQ(info.EntryInteger("Big"), 0);
    EXPECT_EQ(info.EntryInteger("NotANumber"), 0);
}

TEST(EntryStore, MakerValuesAreStoredAsTextEntries) {
    exif::TimgData owner;
    exif::TImageInfo info(&owner, exif::BuildAll);
    info.AddMakerValue("LensType", "EF 50mm", 2);
    ASSERT_EQ(info.EntryCount(), 1);
    const exif::TTagEntry e = info.EntryAt(0);
    EXPECT_EQ(e.MakerNote, 1);
    EXPECT_EQ(e.DataType, 2);
    EXPECT_NE(e.Tag, 0);
    EXPECT_EQ(e.Name, "LensType");
    EXPECT_EQ(e.Description, "LensType");
    EXPECT_EQ(e.Value, "EF 50mm");
    EXPECT_EQ(e.Raw, "EF 50mm");
    EXPECT_EQ(e.RawLength, 7);
    EXPECT_EQ(e.ValuePosition, 0);
    EXPECT_EQ(e.ValueCodes, "");
    EXPECT_EQ(e.FormatPattern, "");
    EXPECT_EQ(e.Render, nullptr);
    info.AddMakerValue("Empty", "", 3);
    EXPECT_EQ(info.EntryCount(), 2);

    exif::TImageInfo listing(&owner, exif::BuildListing);
    listing.AddMakerValue("LensType", "EF 50mm", 2);
    EXPECT_EQ(listing.EntryCount(), 0);
}

TEST(EntryStore, AFileWithABadExifHeaderLeavesTheStoreEmpty) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon")});
    std::string payload = std::string("Exif\0\0", 6) + t.Build();
    payload[4] = 'x';
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("store_badheader.jpg", Jpeg().Segment(0xE1, payload).Build())));
    ASSERT_NE(img.ExifInfo(), nullptr);
    EXPECT_EQ(img.ExifInfo()->EntryCount(), 0);
    EXPECT_EQ(img.ExifInfo()->CameraMake, "");
}
