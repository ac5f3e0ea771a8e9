// The walk of TIFF directories inside an EXIF segment: what each entry
// becomes, the order of the entry store, the entries passed over, the
// failures that end one directory or the whole read, cycles and nesting, and
// the maker-note walk with a vendor table.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ByteBuilders.h"
#include "dialog/ParamsRows.h"
#include "exif/ImageInfo.h"
#include "exif/ImgData.h"
#include "exif/TagEntry.h"
#include "exif/ValueRender.h"

using namespace testbytes;

namespace {

std::unique_ptr<exif::TimgData> ReadJpeg(const std::string &name, const std::string &tiff, bool *result = nullptr,
                                         int32_t buildMode = exif::BuildAll) {
    auto img = std::make_unique<exif::TimgData>(buildMode, params::ReaderParts());
    const bool ok = img->OpenImageFile(WriteTempFile(name, Jpeg().App0().Exif(tiff).Build()));
    if (result) *result = ok;
    return img;
}

std::vector<std::string> NamesOf(const exif::TImageInfo &info) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < info.EntryCount(); ++i) names.push_back(info.EntryAt(i).Name);
    return names;
}

std::vector<std::string> ValuesNamed(const exif::TImageInfo &info, const std::string &name) {
    std::vector<std::string> values;
    for (int32_t i = 0; i < info.EntryCount(); ++i)
        if (info.EntryAt(i).Name == name) values.push_back(info.EntryAt(i).Value);
    return values;
}

using Names = std::vector<std::string>;

// The bytes an EXIF segment holds before its TIFF header: length field,
// "Exif" and two zeros. TIFF offset X is then position X + 9.
std::string SegmentBuffer(const std::string &tiff) {
    const size_t length = tiff.size() + 8;
    std::string b;
    b += static_cast<char>((length >> 8) & 0xFF);
    b += static_cast<char>(length & 0xFF);
    return b + std::string("Exif\0\0", 6) + tiff;
}

}  // namespace

TEST(DirectoryWalk, SubDirectoryEntriesAreStoredBeforeTheirPointer) {
    Tiff t;
    const int interop = t.Dir({Tiff::Ascii(0x0001, "R98")});  // offset 8, 18 bytes
    const int exifDir = t.Dir(
        {t.Rational(0x829A, {{1, 60}}), t.Rational(0x829D, {{28, 10}}), Tiff::Pointer(0xA005, interop)});  // offset 26
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Pointer(0x8769, exifDir), Tiff::Ascii(0x0110, "EOS")});
    bool ok = false;
    const auto img = ReadJpeg("walk_order.jpg", t.Build(), &ok);
    ASSERT_TRUE(ok);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(NamesOf(info), (Names{"Make", "ExposureTime", "FNumber", "InteroperabilityIndex",
                                    "InteroperabilityOffset", "ExifOffset", "Model"}));
    EXPECT_EQ(ValueOf(info, "ExposureTime"), "1/60 sec");
    EXPECT_EQ(ValueOf(info, "FNumber"), "F2.8");
    EXPECT_EQ(ValueOf(info, "ExifOffset"), "26");
    EXPECT_EQ(ValueOf(info, "InteroperabilityOffset"), "8");
    // The listing keeps file order: a pointer's line comes before its directory.
    EXPECT_EQ(WithoutPlaces(info.DumpText),
              "\r\nMake = Canon\r\nExif Offset = 26\r\nExposure Time = 1/60 sec\r\nFNumber = F2.8"
              "\r\nInteroperability Offset = 8\r\nInteroperability Index = R98\r\nModel = EOS");
    for (int32_t i = 0; i < info.EntryCount(); ++i) {
        EXPECT_EQ(info.EntryAt(i).MakerNote, 0);
        EXPECT_EQ(info.EntryAt(i).RawLength, static_cast<int32_t>(info.EntryAt(i).Raw.size()));
    }
    EXPECT_EQ(info.EntryAt(1).DataType, 5);
    EXPECT_EQ(info.EntryAt(0).DataType, 2);
}

TEST(DirectoryWalk, GpsDirectoryIsNamedFromTheGpsTable) {
    Tiff t;
    const int gps = t.Dir({Tiff::Bytes(0x0000, {2, 2, 0, 0}), Tiff::Ascii(0x0001, "N"),
                           t.Rational(0x0002, {{40, 1}, {26, 1}, {4651, 100}}),
                           t.Rational(0x0007, {{14, 1}, {30, 1}, {5, 1}}),
                           Tiff::Undefined(0x001C, std::string("UNICODE\0Z\0\xFC\0r\0", 14)), t.Short(0x001E, {1}),
                           t.Short(0x0040, {3})});
    const int interop = t.Dir({Tiff::Ascii(0x0001, "R98")});
    const int exifDir = t.Dir({Tiff::Pointer(0xA005, interop)});
    t.Dir({Tiff::Pointer(0x8769, exifDir), Tiff::Pointer(0x8825, gps), t.Short(0x0000, {9})});
    bool ok = false;
    const auto img = ReadJpeg("walk_gps.jpg", t.Build(), &ok);
    ASSERT_TRUE(ok);
    const exif::TImageInfo &info = *img->ExifInfo();
    // GPSVersionID has tag number 0, the number of the default row: it is
    // stored all the same, as its version.
    EXPECT_EQ(NamesOf(info), (Names{"InteroperabilityIndex", "InteroperabilityOffset", "ExifOffset", "GPSVersionID",
                                    "GPSLatitudeRef", "GPSLatitude", "GPSTimeStamp", "GPSAreaInformation",
                                    "GPSDifferential", "GPSInfo"}));
    EXPECT_EQ(ValueOf(info, "GPSVersionID"), "2.2.0.0");
    EXPECT_NE(WithoutPlaces(info.DumpText).find("\r\nGPSVersion ID = 2.2.0.0\r\n"), std::string::npos);
    EXPECT_EQ(ValueOf(info, "GPSLatitudeRef"), "N");
    EXPECT_EQ(ValueOf(info, "GPSLatitude"), "40 Degrees 26 Minutes 46.51 Seconds");
    EXPECT_EQ(ValueOf(info, "GPSTimeStamp"), "14:30:05");
    EXPECT_EQ(ValueOf(info, "GPSAreaInformation"), "Z\xC3\xBCr");  // character-coded, as a UserComment
    EXPECT_EQ(ValueOf(info, "InteroperabilityIndex"), "R98");
    EXPECT_NE(WithoutPlaces(info.DumpText).find("\r\nGPSLatitude Ref = N\r\n"), std::string::npos);
    // Tags no table holds, including tag 0 outside the GPS directory.
    EXPECT_NE(WithoutPlaces(info.DumpText).find("\r\nGPSDifferential = Differential Corrected\r\nUnknown = 3"),
              std::string::npos);
    EXPECT_TRUE(WithoutPlaces(info.DumpText).ends_with("\r\nUnknown = 9"));
}

TEST(DirectoryWalk, UnknownTagIsListedButNotStored) {
    Tiff t;
    t.Dir({t.Short(0xA4FF, {7}), Tiff::Ascii(0x010F, "Canon"), Tiff::Ascii(0xC000, "odd")});
    const auto img = ReadJpeg("walk_unknown.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->DumpText,
              "\r\n[IFD0] 0xA4FF SHORT x1 @0x00000012  Unknown = 7\r\n[IFD0] 0x010F ASCII x6 @0x00000032  Make = "
              "Canon\r\n[IFD0] 0xC000 ASCII x4 @0x0000002A  Unknown = odd");
    EXPECT_EQ(NamesOf(*img->ExifInfo()), (Names{"Make"}));
}

TEST(DirectoryWalk, EntriesWithoutAValueArePassedOverWithoutTrace) {
    Tiff t;
    const int exifDir = t.Dir({Tiff::Ascii(0x0131, "never")});
    t.Dir({
        Tiff::Typed(0x010F, 0, 5, "Canon"),                               // type 0
        Tiff::Typed(0x0110, 13, 4, std::string("EOS\0", 4)),              // type 13
        Tiff::Typed(0x8769, 4, 0, std::string(1, '\x08')),                // count 0
        Tiff::Typed(0x0100, 1, 0xFFFFFFFFu, std::string(1, '\x05')),      // negative count
        Tiff::Typed(0x0101, 3, 0x80000001u, std::string("\x10\x00", 2)),  // negative; 32-bit product 2
        Tiff::Typed(0x013B, 4, 0x40000001u, "abcd"),                      // product 2^32 + 4
        Tiff::Typed(0x013C, 5, 0x10000000u, "abcd"),                      // product 2^31
        Tiff::Ascii(0x0131, "ok"),
    });
    (void)exifDir;
    bool ok = false;
    const auto img = ReadJpeg("walk_passed_over.jpg", t.Build(), &ok);
    ASSERT_TRUE(ok);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(WithoutPlaces(info.DumpText), "\r\nSoftware = ok");
    EXPECT_EQ(NamesOf(info), (Names{"Software"}));
    EXPECT_EQ(info.CameraMake, "");
    EXPECT_EQ(info.CameraModel, "");
    EXPECT_EQ(info.WidthValue, 0);
    EXPECT_EQ(info.HeightValue, 0);
}

TEST(DirectoryWalk, LargestValueThatFitsIsReadUpToTheBufferEnd) {
    Tiff t;
    t.Dir({Tiff::AtOffset(0x9204, 10, 0x0FFFFFFFu, 0)});  // 2^31 - 8 bytes from the TIFF header on
    const std::string tiff = t.Build();
    const auto img = ReadJpeg("walk_largest.jpg", tiff);
    ASSERT_NE(img->ExifInfo(), nullptr);
    ASSERT_EQ(img->ExifInfo()->EntryCount(), 1);
    EXPECT_EQ(img->ExifInfo()->EntryAt(0).Raw, tiff);
    EXPECT_EQ(img->ExifInfo()->EntryAt(0).RawLength, static_cast<int32_t>(tiff.size()));
}

TEST(DirectoryWalk, ShortValuesOfFourBytesSitInTheEntry) {
    Tiff t;
    t.Dir({t.Short(0x0102, {8, 9}), t.Short(0x0102, {8, 9, 10}), t.Short(0x0212, {2, 1})});
    const auto img = ReadJpeg("walk_shorts.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(ValuesNamed(*img->ExifInfo(), "BitsPerSample"), (Names{"8, 9", "8, 9, 10"}));
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "YCbCrSubSampling"), "2, 1");
}

TEST(DirectoryWalk, ValuePositionPointsAtTheValueInTheSegment) {
    Tiff t;
    t.Dir({t.Short(0x0112, {6}), Tiff::Ascii(0x010F, "A longer make")});
    const auto img = ReadJpeg("walk_position.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const std::string_view buffer = img->GetBuffer();
    ASSERT_EQ(img->ExifInfo()->EntryCount(), 2);
    const exif::TTagEntry inEntry = img->ExifInfo()->EntryAt(0);
    const exif::TTagEntry atOffset = img->ExifInfo()->EntryAt(1);
    // The first entry starts at TIFF offset 10, so its value at 18: position 27.
    EXPECT_EQ(inEntry.ValuePosition, 27);
    EXPECT_EQ(buffer.substr(static_cast<size_t>(atOffset.ValuePosition - 1), 14), std::string("A longer make\0", 14));
    EXPECT_EQ(atOffset.Raw, std::string("A longer make\0", 14));
}

TEST(DirectoryWalk, AsciiEndsAtItsFirstZero) {
    Tiff t;
    t.Dir({
        Tiff::Typed(0x010F, 2, 5, "Kodak"),                                                   // stored without its zero
        Tiff::Ascii(0x0110, "EOS 5"), Tiff::Typed(0x0131, 2, 6, std::string("AB\0CD\0", 6)),  // zero inside
        Tiff::Typed(0x013B, 2, 4, std::string("a\tb\0", 4)),                                  // control character
        Tiff::Typed(0x010E, 2, 1, std::string(1, '\0')), Tiff::Typed(0x8298, 2, 3, "xyz"),    // in the entry, no zero
        Tiff::Typed(0x013C, 2, 7, std::string("Host\0\0\0", 7)),
        Tiff::Typed(0x010D, 2, 2, "\xE9\xB0"),  // not UTF-8: Windows-1252 letters
        Tiff::Typed(0x010E, 129, 9, "Zo\xC3\xAB \xE6\x9D\xB1\xFF"),  // the UTF-8 type
        Tiff::Typed(0x013B, 2, 13, "Zo\xC3\xAB \xC3\x85ngstr"),  // valid UTF-8 in ASCII
    });
    const auto img = ReadJpeg("walk_ascii.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(ValueOf(info, "Make"), "Kodak");
    EXPECT_EQ(info.CameraMake, "Kodak");
    EXPECT_EQ(ValueOf(info, "Model"), "EOS 5");
    EXPECT_EQ(info.CameraModel, "EOS 5");
    EXPECT_EQ(ValueOf(info, "Software"), "AB");  // what follows a zero is padding
    EXPECT_EQ(ValuesNamed(info, "Artist"), (Names{"a\tb", "Zo\xC3\xAB \xC3\x85ngstr"}));  // controls kept
    EXPECT_EQ(ValuesNamed(info, "ImageDescription"), (Names{"", "Zo\xC3\xAB \xE6\x9D\xB1\xEF\xBF\xBD"}));
    EXPECT_EQ(ValueOf(info, "Copyright"), "xyz");
    EXPECT_EQ(ValueOf(info, "HostComputer"), "Host");
    EXPECT_EQ(ValueOf(info, "DocumentName"), "\xC3\xA9\xC2\xB0");
    EXPECT_EQ(info.EntryAt(info.EntryIndexOf("Make")).Raw, "Kodak");
}

TEST(DirectoryWalk, MakeAndModelFieldsAreCutButEntriesKeepTheWholeText) {
    const std::string make45 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrs";
    const std::string model60 = make45 + "0123456789t1234";
    ASSERT_EQ(make45.size(), 45u);
    ASSERT_EQ(model60.size(), 60u);
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, make45), Tiff::Ascii(0x0110, model60)});
    const auto img = ReadJpeg("walk_long_make.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(info.CameraMake, make45.substr(0, 32));
    EXPECT_EQ(ValueOf(info, "Make"), make45);
    EXPECT_EQ(info.CameraModel, model60.substr(0, 40));
    EXPECT_EQ(ValueOf(info, "Model"), model60);
    EXPECT_EQ(info.EntryAt(1).Raw, model60 + std::string(1, '\0'));
}

TEST(DirectoryWalk, UserCommentDropsItsPrefixAndItsPaddingAndIsTrimmed) {
    const std::string ascii("ASCII\0\0\0", 8);
    const std::string long80(80, 'c');
    Tiff t;
    const int exifDir = t.Dir({
        Tiff::Undefined(0x9286, ascii + "Hello" + std::string(3, '\0')),
        Tiff::Undefined(0x9286, ascii + " \t Hi \n" + std::string(1, '\0')),
        Tiff::Undefined(0x9286, ascii),        // 8 bytes
        Tiff::Undefined(0x9286, ascii + "X"),  // 9 bytes: one character, no padding
        Tiff::Undefined(0x9286, ascii + "ABCDEFG"),
        Tiff::Undefined(0x9286, ascii + "ab\x01" + long80 + "!"),  // never cleaned nor cut
        Tiff::Undefined(0x9286, std::string(8, '\0') + "Last.."),
    });
    t.Dir({Tiff::Pointer(0x8769, exifDir)});
    const auto img = ReadJpeg("walk_usercomment.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(ValuesNamed(info, "UserComment"),
              (Names{"Hello", "Hi", "", "X", "ABCDEFG", "ab\x01" + long80 + "!", "Last.."}));
    EXPECT_EQ(info.UserCommentText, "Last..");
    EXPECT_NE(WithoutPlaces(info.DumpText).find("\r\nUser Comment = Hello\r\n"), std::string::npos);
    EXPECT_NE(WithoutPlaces(info.DumpText).find("\r\nUser Comment = ab\x01" + long80 + "!\r\n"), std::string::npos);
}

TEST(DirectoryWalk, UnicodeUserCommentIsDecodedInTheFileByteOrder) {
    const std::string unicode("UNICODE\0", 8);
    {
        Tiff t;
        t.Dir({Tiff::Undefined(0x9286, unicode + std::string("H\0i\0\xE9\0\xAC\x20\x2D\x4E\0\0X\0", 14))});
        const auto img = ReadJpeg("walk_unicode_ii.jpg", t.Build());
        ASSERT_NE(img->ExifInfo(), nullptr);
        EXPECT_EQ(img->ExifInfo()->UserCommentText, "Hi\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD");  // Hié€中
        EXPECT_EQ(ValueOf(*img->ExifInfo(), "UserComment"), "Hi\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD");
    }
    {
        Tiff t(true);
        t.Dir({Tiff::Undefined(0x9286, unicode + std::string("\0 \0H\0i\0 \0\0", 10))});
        const auto img = ReadJpeg("walk_unicode_mm.jpg", t.Build());
        ASSERT_NE(img->ExifInfo(), nullptr);
        EXPECT_EQ(img->ExifInfo()->UserCommentText, "Hi");
    }
    {
        // A byte-order mark outweighs the file's order. "JIS": JIS X 0208
        // pairs (東京), then ASCII after ESC ( B.
        Tiff t(true);
        t.Dir({Tiff::Undefined(0x9286, unicode + std::string("\xFF\xFEH\0i\0", 6)),
               Tiff::Undefined(0x9286, std::string("JIS\0\0\0\0\0", 8) + "\x45\x6C\x35\x7E\x1B(B 2024")});
        const auto img = ReadJpeg("walk_unicode_mark.jpg", t.Build());
        ASSERT_NE(img->ExifInfo(), nullptr);
        EXPECT_EQ(ValuesNamed(*img->ExifInfo(), "UserComment"), (Names{"Hi", "\xE6\x9D\xB1\xE4\xBA\xAC 2024"}));
    }
    {
        // A surrogate pair is one character; a lone high surrogate is a
        // replacement character, and the zero after it still ends the text.
        Tiff t;
        t.Dir({Tiff::Undefined(0x9286, unicode + std::string("A\0\x3D\xD8\x00\xDE"
                                                             "B\0",
                                                             8)),
               Tiff::Undefined(0x9286, unicode + std::string("A\0\x3D\xD8\0\0X\0", 8))});
        const auto img = ReadJpeg("walk_unicode_surrogates.jpg", t.Build());
        ASSERT_NE(img->ExifInfo(), nullptr);
        EXPECT_EQ(ValuesNamed(*img->ExifInfo(), "UserComment"), (Names{"A\xF0\x9F\x98\x80" "B", "A\xEF\xBF\xBD"}));
    }
    {
        // Any other prefix takes the bytes as they are.
        Tiff t;
        t.Dir({Tiff::Undefined(0x9286, std::string("unicode\0", 8) + std::string("H\0i\0\0", 5))});
        const auto img = ReadJpeg("walk_unicode_other.jpg", t.Build());
        ASSERT_NE(img->ExifInfo(), nullptr);
        EXPECT_EQ(img->ExifInfo()->UserCommentText, std::string("H\0i", 3));
    }
}

TEST(DirectoryWalk, IllegallySizedDirectoryContributesNothingAndItsParentGoesOn) {
    Tiff t;
    const int huge = t.Dir({});
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Pointer(0x8769, huge), Tiff::Ascii(0x0110, "EOS")});
    std::string tiff = t.Build();
    tiff[8] = '\xFF';  // the empty directory at offset 8 now claims 65535 entries
    tiff[9] = '\xFF';

    exif::TimgData owner;
    exif::TImageInfo info(&owner, exif::BuildAll);
    const std::string segment = SegmentBuffer(tiff);
    info.SetBuffer(segment);
    const int64_t limit = static_cast<int64_t>(tiff.size()) + 2;  // segment length - 6
    info.WalkDirectory(8 + 9 + 6, 9, limit, 1);                   // IFD0 follows the 6-byte directory
    EXPECT_EQ(owner.ErrorText, "Illegally sized directory");
    EXPECT_EQ(NamesOf(info), (Names{"Make", "ExifOffset", "Model"}));

    // Read from a file, the text is replaced once the read succeeds.
    bool ok = false;
    const auto img = ReadJpeg("walk_illegal.jpg", tiff, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(img->ErrorText, "<none>");
    EXPECT_EQ(NamesOf(*img->ExifInfo()), (Names{"Make", "ExifOffset", "Model"}));
}

TEST(DirectoryWalk, DirectorySizeIsCheckedAgainstBasePlusLimit) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "A"), Tiff::Ascii(0x0110, "B"), Tiff::Ascii(0x0131, "C")});
    const std::string buffer = SegmentBuffer(t.Build());
    {
        exif::TimgData owner;
        exif::TImageInfo info(&owner, exif::BuildAll);
        info.SetBuffer(buffer);
        info.WalkDirectory(17, 9, 29, 1);  // 2 + 12 * 3 = 38 = 9 + 29
        EXPECT_EQ(owner.ErrorText, "");
        EXPECT_EQ(info.EntryCount(), 3);
    }
    {
        exif::TimgData owner;
        exif::TImageInfo info(&owner, exif::BuildAll);
        info.SetBuffer(buffer);
        info.WalkDirectory(17, 9, 28, 1);
        EXPECT_EQ(owner.ErrorText, "Illegally sized directory");
        EXPECT_EQ(info.EntryCount(), 0);
        EXPECT_EQ(info.DumpText, "");
    }
}

TEST(DirectoryWalk, FlashOfTwoComponentsEndsTheExifDirectoryOnly) {
    Tiff t;
    const int exifDir =
        t.Dir({t.Rational(0x829A, {{1, 60}}), t.Short(0x9209, {25, 0}), t.Rational(0x829D, {{28, 10}})});
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Pointer(0x8769, exifDir), Tiff::Ascii(0x0110, "EOS")});
    bool ok = false;
    const auto img = ReadJpeg("walk_flash_exif.jpg", t.Build(), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img->ErrorText, "<none>");
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(NamesOf(info), (Names{"Make", "ExposureTime", "ExifOffset", "Model"}));
    EXPECT_EQ(info.DumpText.find("Flash"), std::string::npos);
    EXPECT_EQ(info.DumpText.find("FNumber"), std::string::npos);
    EXPECT_NE(WithoutPlaces(info.DumpText).find("\r\nModel = EOS"), std::string::npos);

    // One level deeper: only the interoperability directory ends.
    Tiff d;
    const int interop = d.Dir({d.Rational(0x9209, {{16, 1}}), Tiff::Ascii(0x0001, "R98")});
    const int exif2 = d.Dir({Tiff::Pointer(0xA005, interop), d.Rational(0x829D, {{28, 10}})});
    d.Dir({Tiff::Pointer(0x8769, exif2), Tiff::Ascii(0x0110, "EOS")});
    const auto deeper = ReadJpeg("walk_flash_interop.jpg", d.Build(), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(NamesOf(*deeper->ExifInfo()), (Names{"InteroperabilityOffset", "FNumber", "ExifOffset", "Model"}));
}

TEST(DirectoryWalk, FlashFailureInTheFirstDirectoryFailsTheRead) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), t.Short(0x9209, {1, 0}), Tiff::Ascii(0x0110, "EOS")});
    bool ok = true;
    const auto img = ReadJpeg("walk_flash_ifd0.jpg", t.Build(), &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(img->ErrorText, "Not an EXIF file");
    EXPECT_TRUE(img->HasExifSegment());
    EXPECT_EQ(NamesOf(*img->ExifInfo()), (Names{"Make"}));

    // A text the walk set before the failure stays.
    Tiff u;
    const int huge = u.Dir({});
    u.Dir({Tiff::Pointer(0x8769, huge), u.Short(0x9209, {1, 0})});
    std::string tiff = u.Build();
    tiff[8] = '\xFF';
    tiff[9] = '\xFF';
    const auto failed = ReadJpeg("walk_flash_ifd0_text.jpg", tiff, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(failed->ErrorText, "Illegally sized directory");

    // One component is fine anywhere; a rendering function's text is never cut.
    Tiff v;
    v.Dir({v.Short(0x9209, {127}), v.Long(0x9209, {16})});
    const auto fine = ReadJpeg("walk_flash_ok.jpg", v.Build(), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ValuesNamed(*fine->ExifInfo(), "Flash"),
              (Names{"On, strobe return, auto mode, no flash function, red-eye reduction", "Off, surpressed"}));
}

TEST(DirectoryWalk, DirectoryCyclesAreWalkedOnce) {
    {
        Tiff t;
        const int exifDir = t.Dir({t.Rational(0x829A, {{1, 60}}), Tiff::Pointer(0x8769, 1)});
        t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Pointer(0x8769, exifDir)});
        bool ok = false;
        const auto img = ReadJpeg("walk_cycle.jpg", t.Build(), &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(NamesOf(*img->ExifInfo()), (Names{"Make", "ExposureTime", "ExifOffset", "ExifOffset"}));
    }
    {
        Tiff t;
        t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Pointer(0x014A, 0)});
        bool ok = false;
        const auto img = ReadJpeg("walk_self.jpg", t.Build(), &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(NamesOf(*img->ExifInfo()), (Names{"Make", "SubIFDs"}));
    }
    {
        Tiff t;
        const int shared = t.Dir({t.Rational(0x829A, {{1, 60}})});
        t.Dir({Tiff::Pointer(0x8769, shared), Tiff::Pointer(0x014A, shared), Tiff::Pointer(0x8825, shared)});
        bool ok = false;
        const auto img = ReadJpeg("walk_shared.jpg", t.Build(), &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(NamesOf(*img->ExifInfo()), (Names{"ExposureTime", "ExifOffset", "SubIFDs", "GPSInfo"}));
    }
}

TEST(DirectoryWalk, SubDirectoriesNestSixteenLevelsBelowTheFirst) {
    Tiff t;
    const int depth = 20;
    for (int i = 0; i < depth; ++i) {
        const std::string label = std::string("L") + static_cast<char>('A' + i);
        if (i + 1 < depth)
            t.Dir({Tiff::Ascii(0x010E, label), Tiff::Pointer(0x014A, i + 1)});
        else
            t.Dir({Tiff::Ascii(0x010E, label)});
    }
    bool ok = false;
    const auto img = ReadJpeg("walk_deep.jpg", t.Build(0), &ok);
    ASSERT_TRUE(ok);
    const std::vector<std::string> labels = ValuesNamed(*img->ExifInfo(), "ImageDescription");
    ASSERT_EQ(labels.size(), 17u);  // the first directory and 16 levels below it
    EXPECT_EQ(labels.front(), "LA");
    EXPECT_EQ(labels.back(), "LQ");
    EXPECT_EQ(ValuesNamed(*img->ExifInfo(), "SubIFDs").size(), 17u);
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 34);
    EXPECT_EQ(img->ExifInfo()->EntryAt(16).Value, "LQ");
}

TEST(DirectoryWalk, OffsetsOutsideTheSegmentReadNothing) {
    Tiff t;
    t.Dir({});
    const size_t tail = t.Build().size() + 12 * 5;  // where the appended bytes will start
    Tiff u;
    u.Dir({
        Tiff::AtOffset(0x010F, 2, 20, 0x7FFFFFF0),   // far past the end
        Tiff::AtOffset(0x0110, 2, 20, 0xFFFFFF00u),  // before the buffer
        Tiff::AtOffset(0x0131, 2, 10, tail),         // runs past the end
        Tiff::AtOffset(0x8769, 4, 1, 0x7FFFFFF0),    // sub-directory far away
        Tiff::AtOffset(0x8825, 4, 1, 0xFFFFFFF0u),   // sub-directory before the buffer
    });
    const std::string tiff = u.Build() + "XY";
    ASSERT_EQ(u.Build().size(), tail);
    bool ok = false;
    const auto img = ReadJpeg("walk_outside.jpg", tiff, &ok);
    ASSERT_TRUE(ok);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(NamesOf(info), (Names{"Make", "Model", "Software", "ExifOffset", "GPSInfo"}));
    EXPECT_EQ(info.EntryAt(0).Raw, "");
    EXPECT_EQ(info.EntryAt(0).Value, "");
    EXPECT_EQ(info.EntryAt(1).Raw, "");
    EXPECT_EQ(info.EntryAt(2).Raw, "XY");
    EXPECT_EQ(info.EntryAt(2).Value, "XY");
    EXPECT_EQ(info.EntryAt(3).Value, "2147483632");
    EXPECT_EQ(info.EntryAt(4).Value, "-16");
}

TEST(DirectoryWalk, ImageSizeFieldsTakeTheLastValueMetRoundedToEven) {
    Tiff t;
    const int exifDir = t.Dir({t.Rational(0xA002, {{1001, 2}}), t.Rational(0xA003, {{503, 2}})});
    t.Dir({t.Short(0x0100, {640}), Tiff::Pointer(0x8769, exifDir), t.Long(0x0101, {480})});
    const auto img = ReadJpeg("walk_size.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->WidthValue, 500);   // 500.5
    EXPECT_EQ(img->ExifInfo()->HeightValue, 480);  // the IFD0 value after the pointer

    Tiff u;
    u.Dir({u.Rational(0x0101, {{503, 2}}), u.Short(0x0100, {1, 2})});
    const auto two = ReadJpeg("walk_size2.jpg", u.Build());
    EXPECT_EQ(two->ExifInfo()->HeightValue, 252);        // 251.5
    EXPECT_EQ(two->ExifInfo()->WidthValue, 0x00020001);  // the whole value as one number
}

TEST(DirectoryWalk, ExifVersionKeepsSixRawBytesAndShowsItsCharacters) {
    Tiff t;
    const int exifDir = t.Dir({Tiff::Undefined(0x9000, "0230"), Tiff::Undefined(0xA000, "0100")});
    t.Dir({Tiff::Pointer(0x8769, exifDir)});
    const auto img = ReadJpeg("walk_version.jpg", t.Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    EXPECT_EQ(img->ExifInfo()->ExifVersionText, "0230");
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "ExifVersion"), "\"0230\"");
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "FlashPixVersion"), "\"0100\"");

    Tiff u;
    u.Dir({Tiff::Undefined(0x9000, std::string("02\0"
                                               "30xyz",
                                               8))});
    const auto longer = ReadJpeg("walk_version_long.jpg", u.Build());
    EXPECT_EQ(longer->ExifInfo()->ExifVersionText, std::string("02\0"
                                                               "30x",
                                                               6));
    EXPECT_EQ(ValueOf(*longer->ExifInfo(), "ExifVersion"), "\"02\"");
}

TEST(DirectoryWalk, MakerNoteOfAnUnknownMakerIsStoredWithItsPosition) {
    Tiff t;
    const std::string note = std::string("ACME\0", 5) + "private bytes";
    const int exifDir = t.Dir({Tiff::Undefined(0x927C, note)});
    t.Dir({Tiff::Ascii(0x010F, "Acme Cameras"), Tiff::Pointer(0x8769, exifDir)});
    bool ok = false;
    const auto img = ReadJpeg("walk_makernote.jpg", t.Build(), &ok);
    ASSERT_TRUE(ok);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(info.MakerNoteBytes, note);
    ASSERT_GT(info.MakerNotePosition, 0);
    EXPECT_EQ(img->GetBuffer().substr(static_cast<size_t>(info.MakerNotePosition - 1), note.size()), note);
    // No layout decodes it: its size and maker stand for it, not its bytes.
    EXPECT_EQ(ValueOf(info, "MakerNote"), "(18 bytes, Acme Cameras)");
    EXPECT_EQ(NamesOf(info), (Names{"Make", "MakerNote", "ExifOffset"}));
}

TEST(DirectoryWalk, ListingOnlyBuildModeStoresNoEntries) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon"), t.Short(0x0112, {3})});
    bool ok = false;
    const auto img = ReadJpeg("walk_listing_only.jpg", t.Build(), &ok, exif::BuildListing);
    ASSERT_TRUE(ok);
    EXPECT_EQ(img->ExifInfo()->EntryCount(), 0);
    EXPECT_EQ(WithoutPlaces(img->ExifInfo()->DumpText), "\r\nMake = Canon\r\nOrientation = Rotated 180\u00B0");
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon");
}

// ----------------------------------------------------------- maker-note walk

namespace {

std::string Bracketed(const std::string &text, exif::TRenderOut *) {
    return "[" + text + "]";
}
std::string SubLines(const std::string &text, exif::TRenderOut *out) {
    out->Block = true;
    return "\r\nSub = " + text;
}
std::string Fails(const std::string &, exif::TRenderOut *) {
    throw exif::ExifError("cannot decode");
}

const exif::TTagRow VendorRows[] = {
    {0x0001, "Quality", "Quality", "", "", Bracketed}, {0x0002, "Hidden", "sKiP", "", "", nullptr},
    {0x0003, "Mode", "Mode", "1:First", "", nullptr},  {0x0003, "ModeAgain", "Mode again", "1:Last", "", nullptr},
    {0x0004, "Text", "Text", "", "", nullptr},         {0x0005, "Far", "Far", "", "", nullptr},
    {0x0006, "Blocky", "Blocky", "", "", SubLines},    {0x0007, "Broken", "Broken", "", "", Fails},
};

// A little-endian maker-note directory at offset 0 of the note. Values that
// do not fit in an entry are given as offsets.
struct NoteEntry {
    uint16_t tag, type;
    uint32_t count;
    uint32_t value;  // the entry's last four bytes
};

std::string NoteBytes(const std::vector<NoteEntry> &entries, const std::string &data) {
    ByteWriter w;
    w.U16(static_cast<unsigned>(entries.size()));
    for (const NoteEntry &e : entries) {
        w.U16(e.tag);
        w.U16(e.type);
        w.U32(e.count);
        w.U32(e.value);
    }
    return w.out + data;
}

}  // namespace

// The bytes of a maker tag no table describes are listed when they are text
// and summed up when they are not: no terminal or grid is fed binary data.
TEST(DirectoryWalk, AnUnknownMakerTagsBinaryValueIsSaidNotShown) {
    const uint32_t dataAt = 2 + 12 * 2;
    const std::string note = NoteBytes({{0x0077, 7, 6, dataAt}, {0x0078, 7, 6, dataAt + 6}},
                                       std::string("\x01\x02\0\x04\x05\x06text\0\0", 12));
    exif::TimgData owner;
    owner.SetBuffer(note);
    exif::TImageInfo info(&owner, exif::BuildAll);
    info.SetBuffer(note);
    info.WalkMakerNote(note, VendorRows, 0, 1, 0);
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\nUnknown = (6 bytes of binary data)\r\nUnknown = \"text\"");
}

TEST(DirectoryWalk, MakerNoteWalkNamesSkipsAndReadsOutsideValuesFromTheSegment) {
    const uint32_t dataAt = 2 + 12 * 8;  // offset of the data after the entries
    const std::string note = NoteBytes(
        {
            {0x0001, 3, 1, 5},
            {0x0002, 3, 1, 9},
            {0x0003, 3, 1, 1},
            {0x0009, 3, 1, 7},
            {0x0004, 2, 8, dataAt},
            {0x0005, 7, 6, 200},  // past the note's end
            {0x0006, 3, 1, 3},
            {0x0004, 3, 0, 0},
        },
        std::string("abc\0def\0", 8));
    std::string outer(300, '.');
    outer.replace(220, 6, "OUTSDE");

    exif::TimgData owner;
    owner.SetBuffer(outer);
    exif::TImageInfo info(&owner, exif::BuildAll);
    info.SetBuffer(outer);
    // Directory at offset 0, base 1 (an offset m is note position m + 1),
    // outer adjustment 21 (an outside value is read at segment position m + 21).
    info.WalkMakerNote(note, VendorRows, 0, 1, 21);

    EXPECT_EQ(WithoutPlaces(info.MakerDumpText),
              "\r\nQuality = [5]\r\nMode = Last\r\nUnknown = 7\r\nText = \"abc\"\r\nFar = \"OUTSDE\""
              "\r\nSub = 3\r\nBlocky = 3\r\nText = ");
    // The place of a value in the note (its offset from the note's start),
    // and of one outside it (its offset as stored).
    EXPECT_NE(info.MakerDumpText.find("\r\n[MakerNotes] 0x0004 ASCII x8 @0x00000062  Text = \"abc\"\r\n"
                                      "[MakerNotes] 0x0005 UNDEFINED x6 @0x000000C8  Far"),
              std::string::npos);
    EXPECT_EQ(NamesOf(info), (Names{"Quality", "Mode", "Text", "Far", "Blocky", "Text"}));
    EXPECT_EQ(info.EntryAt(0).Value, "5");  // before the rendering function
    EXPECT_EQ(info.EntryAt(1).Value, "Last");
    EXPECT_EQ(info.EntryAt(3).Raw, "OUTSDE");
    for (int32_t i = 0; i < info.EntryCount(); ++i) EXPECT_EQ(info.EntryAt(i).MakerNote, 1);
    EXPECT_EQ(info.EntryAt(2).DataType, 2);
    EXPECT_EQ(info.GetBuffer(), outer);
    EXPECT_EQ(owner.ErrorText, "");
    EXPECT_EQ(info.DumpText, "");
}

TEST(DirectoryWalk, MakerNoteFailureEndsTheNoteAndRestoresTheBuffer) {
    const std::string note = NoteBytes({{0x0001, 3, 1, 5}, {0x0007, 3, 1, 1}, {0x0001, 3, 1, 6}}, "");
    exif::TimgData owner;
    owner.SetBuffer(std::string_view("segment"));
    exif::TImageInfo info(&owner, exif::BuildAll);
    info.SetBuffer(std::string_view("segment"));
    info.WalkMakerNote(note, VendorRows, 0, 1, 0);
    EXPECT_EQ(owner.ErrorText, "Error Detected = cannot decode");
    EXPECT_EQ(WithoutPlaces(info.MakerDumpText), "\r\nQuality = [5]");
    EXPECT_EQ(NamesOf(info), (Names{"Quality"}));
    EXPECT_EQ(info.GetBuffer(), "segment");
}

TEST(DirectoryWalk, ManyEntriesPointingOutsideTheSegmentDoNotHideLaterOnes) {
    // A damaged directory: thousands of entries of unknown tags whose huge
    // values lie far outside the segment. They read nothing, and the entries
    // after them are read as usual.
    std::vector<Entry> entries;
    for (int i = 0; i < 5000; ++i) entries.push_back(Tiff::AtOffset(0xC000, 1, 0x7FFFFFFFu, 0x7FFFFFF0));
    entries.push_back(Tiff::Ascii(0x010F, "Canon"));
    Tiff t;
    t.Dir(entries);
    bool ok = false;
    const auto img = ReadJpeg("walk_many_outside.jpg", t.Build(), &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(NamesOf(*img->ExifInfo()), (Names{"Make"}));
    EXPECT_EQ(img->ExifInfo()->CameraMake, "Canon");
    const std::string dump = WithoutPlaces(img->ExifInfo()->DumpText);
    size_t unknownLines = 0;
    for (size_t at = dump.find("\r\nUnknown = \r\n"); at != std::string::npos;
         at = dump.find("\r\nUnknown = \r\n", at + 1))
        ++unknownLines;
    EXPECT_EQ(unknownLines, 5000u);
    EXPECT_TRUE(dump.ends_with("\r\nUnknown = \r\nMake = Canon"));
}

// A raw's layout: IFD0 points to two sub-images (one SubIFDs entry, two
// offsets) and its next-directory offset to the thumbnail's IFD1. Every
// directory is walked, each entry names its own, and the view shows the
// other images' rows after the main ones.
TEST(DirectoryWalk, ThumbnailAndEverySubImageAreWalkedAndNamed) {
    Tiff t(true);
    const int full = t.Dir({t.Long(0x0100, {6000}), t.Long(0x0101, {4000})});
    const int preview = t.Dir({t.Long(0x0100, {160}), t.Rational(0x011A, {{300, 1}})});
    const int thumbnail = t.Dir({t.Short(0x0103, {6}), t.Long(0x0201, {1234}), t.Long(0x0202, {99})});
    t.Dir({Tiff::Ascii(0x010F, "Maker"), t.Long(0x014A, {t.OffsetOf(full), t.OffsetOf(preview)}),
           t.Rational(0x9204, {{-1, 3}}, 10)},
          t.OffsetOf(thumbnail));
    exif::TimgData img(exif::BuildEntries, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("subimages.tif", t.Build())));
    std::vector<std::string> seen;
    for (const exif::TTagEntry &e : img.ExifInfo()->StoredEntries()) seen.push_back(e.Directory + ":" + e.Name);
    EXPECT_EQ(seen, (Names{"IFD0:Make", "SubIFD:ImageWidth", "SubIFD:ImageLength", "SubIFD1:ImageWidth",
                           "SubIFD1:XResolution", "IFD0:SubIFDs", "IFD0:ExposureBiasValue", "IFD1:Compression",
                           "IFD1:JPEGInterchangeFormat", "IFD1:JPEGInterchangeFormatLength"}));
    EXPECT_EQ(img.ExifInfo()->MainWidth, 6000);

    params::ViewRequest request;
    request.WithNumbers = true;
    const params::ImageView view = params::BuildImageView(WriteTempFile("subimages.tif", t.Build()), request);
    std::vector<std::string> rows;
    for (size_t i = 4; i < view.Exif.Rows.size(); ++i) rows.push_back(view.Exif.Rows[i].Group);
    EXPECT_EQ(rows, (Names{"IFD0", "IFD0", "IFD0", "SubIFD", "SubIFD", "SubIFD1", "SubIFD1", "IFD1", "IFD1", "IFD1"}));
}

// The typed values: components decoded from the entry's bytes in its own
// byte order, unsigned and signed integers, rationals as quotients (a zero
// denominator as NaN), floats; text values have none.
TEST(DirectoryWalk, EntryComponentsAreDecodedFromTheBytes) {
    for (const bool big : {false, true}) {
        Tiff t(big);
        t.Dir({t.Short(0x0102, {8, 65535}), t.Long(0x0201, {0xFFFFFFF0u}), Tiff::Ascii(0x010F, "12"),
               t.Rational(0x011A, {{7, 2}, {1, 0}}), t.Rational(0x9204, {{-1, 3}}, 10),
               Tiff::Typed(0x9201, 8, 1, U16Bytes(big, {0xFFFE}))});
        const auto img = ReadJpeg("components.jpg", t.Build());
        const auto components = [&](const char *name) {
            return exif::EntryComponents(img->ExifInfo()->EntryByName(name));
        };
        using C = std::vector<exif::TComponent>;
        EXPECT_EQ(components("BitsPerSample"), (C{int64_t{8}, int64_t{65535}}));
        EXPECT_EQ(components("JPEGInterchangeFormat"), (C{int64_t{0xFFFFFFF0}}));
        EXPECT_EQ(components("ShutterSpeedValue"), (C{int64_t{-2}}));
        EXPECT_TRUE(components("Make").empty());
        const C x = components("XResolution");
        ASSERT_EQ(x.size(), 2u);
        EXPECT_EQ(std::get<double>(x[0]), 3.5);
        EXPECT_TRUE(std::isnan(std::get<double>(x[1])));
        EXPECT_DOUBLE_EQ(std::get<double>(components("ExposureBiasValue").at(0)), -1.0 / 3);
    }
}

// Asked for, a tag no table names is stored under its number; the listing
// gives every entry's directory, tag, type, count and value offset.
TEST(DirectoryWalk, UnknownTagsAreStoredByNumberWhenAskedAndListedWithTheirPlace) {
    Tiff t;
    const int exifDir = t.Dir({t.Short(0xA4FF, {7, 8})});  // offset 8
    t.Dir({Tiff::Ascii(0xC000, "odd"), Tiff::Pointer(0x8769, exifDir)});
    const auto img = ReadJpeg("unknown.jpg", t.Build(), nullptr, exif::BuildAll | exif::BuildUnknown);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(NamesOf(info), (Names{"Tag0xC000", "Tag0xA4FF", "ExifOffset"}));
    EXPECT_EQ(info.EntryByName("Tag0xA4FF").Directory, "ExifIFD");
    EXPECT_EQ(info.EntryByName("Tag0xA4FF").Value, "7, 8");
    EXPECT_NE(info.DumpText.find("\r\n[ExifIFD] 0xA4FF SHORT x2 @0x00000012  Unknown = 7, 8"), std::string::npos)
        << info.DumpText;
}

// IFD1's JPEG thumbnail is kept, asked for, only when it lies wholly inside
// the EXIF data: a length running past the end keeps nothing.
TEST(DirectoryWalk, ThumbnailBytesAreKeptOnlyWhole) {
    const std::string thumbnail = "\xFF\xD8 tiny thumbnail \xFF\xD9";
    for (const uint32_t extra : {0u, 1u}) {
        const auto build = [&](uint32_t offset) {
            Tiff t;
            const int ifd1 =
                t.Dir({t.Long(0x0201, {offset}), t.Long(0x0202, {static_cast<uint32_t>(thumbnail.size()) + extra})});
            t.Dir({Tiff::Ascii(0x010F, "Maker")}, t.OffsetOf(ifd1));
            return t.Build();
        };
        const auto size = static_cast<uint32_t>(build(0).size());
        const auto img =
            ReadJpeg("thumbnail.jpg", build(size) + thumbnail, nullptr, exif::BuildEntries | exif::BuildThumbnail);
        EXPECT_EQ(img->ExifInfo()->ThumbnailBytes, extra == 0 ? thumbnail : std::string());
    }
}
