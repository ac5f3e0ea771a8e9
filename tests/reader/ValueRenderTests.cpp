// Turning raw TIFF values into text: components in the file's byte order,
// rationals, value codes, format patterns, the rendering functions of the tag
// tables, and the computed 35 mm equivalent focal length.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ByteBuilders.h"
#include "bytes/EndInd.h"
#include "dialog/ParamsRows.h"
#include "exif/ImageInfo.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

using namespace testbytes;

namespace {

exif::tEndInd Order(bool big) {
    exif::tEndInd order;
    order.BigEndian = big;
    return order;
}

const exif::tEndInd Intel = Order(false);
const exif::tEndInd Motorola = Order(true);

std::string Render(const std::string &raw, unsigned type, std::string_view pattern = {}, std::string_view codes = {},
                   const exif::tEndInd &order = Intel) {
    return exif::RenderValue(order, raw, type, pattern, codes);
}

std::string Rat(int32_t n, int32_t d, bool big = false) {
    return RationalBytes(big, {{n, d}});
}

std::unique_ptr<exif::TimgData> ReadJpeg(const std::string &name, const std::string &tiff) {
    auto img = std::make_unique<exif::TimgData>(exif::BuildAll, params::ReaderParts());
    EXPECT_TRUE(img->OpenImageFile(WriteTempFile(name, Jpeg().App0().Exif(tiff).Build()))) << name;
    return img;
}

int CountNamed(const exif::TImageInfo &info, const std::string &name) {
    int n = 0;
    for (int32_t i = 0; i < info.EntryCount(); ++i) n += info.EntryAt(i).Name == name;
    return n;
}

// Floating-point output with another decimal separator for one test.
struct DecimalSeparatorScope {
    explicit DecimalSeparatorScope(char c) { exif::SetDecimalSeparator(c); }
    ~DecimalSeparatorScope() { exif::SetDecimalSeparator('.'); }
};

}  // namespace

TEST(ValueRender, AtMostEightComponentsAreWritten) {
    std::string twenty;
    for (unsigned v = 1; v <= 20; ++v) twenty += U16Bytes(false, {v});
    EXPECT_EQ(Render(twenty, 3), "1, 2, 3, 4, 5, 6, 7, 8");
    EXPECT_EQ(Render(std::string(12, '\0'), 11), "-9999.99, -9999.99, -9999.99");
    EXPECT_EQ(Render(std::string(8, '\x40'), 12), "-9999.99");
    EXPECT_EQ(Render("ab", 2), "?, ?");
    EXPECT_EQ(Render("abc", 7), "?, ?, ?");
    EXPECT_EQ(Render(std::string("\x01\x00\x02\x00\x03", 5), 3), "1, 2");  // a partial component is left out
    EXPECT_EQ(Render(std::string(6, '\x01'), 5), "");
    EXPECT_EQ(Render("", 3), "");
    EXPECT_EQ(Render("abcd", 0), "0");
    EXPECT_EQ(Render("abcd", 13), "0");
}

TEST(ValueRender, IntegersFollowTheFileByteOrder) {
    EXPECT_EQ(Render(U32Bytes(false, {4294967295u}), 4), "-1");
    // Signed bytes and shorts keep their sign; unsigned ones never have one.
    EXPECT_EQ(Render(std::string("\xFF\xFF", 2), 8), "-1");
    EXPECT_EQ(Render(std::string("\xFE", 1), 6), "-2");
    EXPECT_EQ(Render(std::string("\x00\x80\xFF\x7F", 4), 8, {}, {}, Motorola), "128, -129");
    EXPECT_EQ(Render(std::string("\xFF\xFF", 2), 3), "65535");
    EXPECT_EQ(Render(std::string("\xFF", 1), 1), "255");
    EXPECT_EQ(Render(U32Bytes(false, {static_cast<uint32_t>(-5)}), 9), "-5");
    EXPECT_EQ(Render(std::string("\x01\x02", 2), 3, {}, {}, Intel), "513");
    EXPECT_EQ(Render(std::string("\x01\x02", 2), 3, {}, {}, Motorola), "258");
    EXPECT_EQ(Render(U32Bytes(true, {70000, 3}), 4, {}, {}, Motorola), "70000, 3");

    EXPECT_EQ(exif::OrderedInt(Intel, ""), 0);
    EXPECT_EQ(exif::OrderedInt(Intel, std::string("\x01\x02\x03\x04", 4)), 0x04030201);
    EXPECT_EQ(exif::OrderedInt(Motorola, std::string("\x01\x02\x03\x04", 4)), 0x01020304);
    EXPECT_EQ(exif::OrderedInt(Motorola, std::string("\x09\x01\x02\x03\x04", 5)), 0x01020304);  // low 32 bits
    EXPECT_EQ(exif::OrderedInt(Intel, std::string("\x01\x02\x03\x04\x09", 5)), 0x04030201);     // low 32 bits
    EXPECT_EQ(exif::OrderedInt(Intel, std::string("\x00\x00\x00\x80", 4)), INT32_MIN);
}

TEST(ValueRender, RationalsAreWrittenAsStoredWithoutReduction) {
    EXPECT_EQ(Render(Rat(10, 600), 5), "10/600");
    EXPECT_EQ(Render(Rat(1, 0), 5), "1/0");
    EXPECT_EQ(Render(Rat(-1, 3), 10), "-1/3");
    EXPECT_EQ(Render(Rat(-1, 1), 5), "-1/1");  // 4294967295/1 read as signed
    EXPECT_EQ(Render(RationalBytes(true, {{1, 2}, {3, 4}}), 5, {}, {}, Motorola), "1/2, 3/4");
    EXPECT_EQ(exif::RationalText(1, 0), "1/0");
    EXPECT_EQ(exif::RationalText(-7, -2), "-7/-2");
}

TEST(ValueRender, FormatPatternsApplyToTheTextOrToTheNumber) {
    EXPECT_EQ(Render(Rat(72, 1), 5, "%5.2f"), "72.00");
    EXPECT_EQ(Render(Rat(74, 10), 5, "%5.2f mm"), " 7.40 mm");
    EXPECT_EQ(Render(Rat(28, 10), 5, "F%0.1f"), "F2.8");
    EXPECT_EQ(Render(Rat(1, 60), 5, "%s sec"), "1/60 sec");
    EXPECT_EQ(Render(Rat(297, 100), 5, "F%0.1f"), "F3.0");
    EXPECT_EQ(Render(Rat(1, 0), 5, "F%0.1f"), "F0.0");
    EXPECT_EQ(Render(U16Bytes(false, {300}), 3, "%5.2f"), "300.00");
    EXPECT_EQ(Render(Rat(12345, 1), 5, "%5.2f"), "12345.00");  // the width is a minimum
    // Correctly rounded, exact halves to the even neighbour.
    EXPECT_EQ(Render(Rat(1, 8), 5, "%5.2f mm"), " 0.12 mm");
    EXPECT_EQ(Render(Rat(3, 8), 5, "%5.2f mm"), " 0.38 mm");
    EXPECT_EQ(Render(Rat(1, 4), 5, "F%0.1f"), "F0.2");
    EXPECT_EQ(Render(Rat(-1, 8), 10, "%5.2f"), "-0.12");
    // A float's number is its IEEE value; not-a-number and infinities are
    // written as words, right-aligned in the width.
    EXPECT_EQ(Render(std::string("\0\0\xC0\x3F", 4), 11, "%5.2f"), " 1.50");
    EXPECT_EQ(Render(std::string("\0\0\xC0\x7F", 4), 11, "%5.2f mm"), "  nan mm");
    EXPECT_EQ(Render(std::string("\0\0\x80\xFF", 4), 11, "%5.2f mm"), " -inf mm");
    EXPECT_EQ(Render(std::string("\x7F\x80\0\0", 4), 11, "F%0.1f", {}, Motorola), "Finf");
}

TEST(ValueRender, TablePatternsShowThroughTheWalk) {
    Tiff t;
    const int exifDir =
        t.Dir({t.Rational(0x829A, {{1, 60}}), t.Rational(0x829D, {{28, 10}}), t.Rational(0x9202, {{297, 100}}),
               t.Rational(0x9205, {{30, 10}}), t.Rational(0x920A, {{74, 10}}), t.Short(0xA405, {35})});
    t.Dir({t.Rational(0x011A, {{72, 1}}), t.Rational(0x011B, {{300, 1}}), Tiff::Pointer(0x8769, exifDir)});
    const auto img = ReadJpeg("render_patterns.jpg", t.Build());
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(ValueOf(info, "XResolution"), "72.00");
    EXPECT_EQ(ValueOf(info, "YResolution"), "300.00");
    EXPECT_EQ(ValueOf(info, "ExposureTime"), "1/60 sec");
    EXPECT_EQ(ValueOf(info, "FNumber"), "F2.8");
    // Aperture values are APEX values Av, shown as the f-number 2^(Av/2).
    EXPECT_EQ(ValueOf(info, "ApertureValue"), "F2.8");
    EXPECT_EQ(ValueOf(info, "MaxApertureValue"), "F2.8");
    EXPECT_EQ(ValueOf(info, "FocalLength"), " 7.40 mm");
    // A file's own 35 mm value is kept and none is computed.
    EXPECT_EQ(ValueOf(info, "FocalLengthin35mmFilm"), "35.00 mm");
    EXPECT_EQ(CountNamed(info, "FocalLengthin35mmFilm"), 1);
}

TEST(ValueRender, ApertureIsTheFNumberOfAnApexValue) {
    EXPECT_EQ(exif::ApertureText("566/100"), "F7.1");  // shown as F5.6 when Av was taken for N
    EXPECT_EQ(exif::ApertureText("4"), "F4.0");
    EXPECT_EQ(exif::ApertureText("0/1"), "F1.0");
    EXPECT_EQ(exif::ApertureText("6/1, 2/1"), "F8.0");
    EXPECT_EQ(exif::ApertureText("-9999.99"), "-9999.99");
}

TEST(ValueRender, ValueCodesReplaceTheNumbers) {
    const std::string orientation = "1:Normal,3:Rotated 180\u00B0,6:CounterClockwise 90\u00B0,8:Clockwise 90\u00B0";
    EXPECT_EQ(Render(U16Bytes(false, {6}), 3, {}, orientation), "CounterClockwise 90\u00B0");
    EXPECT_EQ(Render(U16Bytes(false, {3}), 3, {}, orientation), "Rotated 180\u00B0");
    EXPECT_EQ(Render(U16Bytes(false, {2}), 3, {}, "1:Monochrome,2:RGB,6:YCbCr"), "RGB");
    EXPECT_EQ(Render(std::string(1, '\x00'), 1, {}, "0:Sealevel"), "Sealevel");
    // A code without a pair shows its number, so below sea level (1) or a
    // mirrored orientation never reads as empty.
    EXPECT_EQ(Render(U16Bytes(false, {2}), 3, {}, orientation), "2");
    EXPECT_EQ(Render(std::string(1, '\x01'), 1, {}, "0:Sealevel"), "1");
    EXPECT_EQ(Render(U16Bytes(false, {2, 6}), 3, {}, orientation), "2, CounterClockwise 90\u00B0");
    EXPECT_EQ(Render(U16Bytes(false, {6, 2}), 3, {}, orientation), "CounterClockwise 90\u00B0, 2");
    // A pair with an empty text is still a pair.
    EXPECT_EQ(Render(U16Bytes(false, {4}), 3, {}, "4:,5:Five"), "");
    // A rational is looked up with the whole text so far.
    EXPECT_EQ(Render(Rat(1, 1), 5, {}, orientation), "1/1");
    EXPECT_EQ(Render(Rat(1, 1), 5, {}, "1/1:One"), "1/1One");

    const std::string light = "0:Unidentified,1:Daylight,2:Fluorescent,3:Tungsten,10:Flash,17:Std A";
    EXPECT_EQ(exif::DecodeValueCode(light, "1"), "Daylight");
    EXPECT_EQ(exif::DecodeValueCode(light, "10"), "Flash");
    EXPECT_EQ(exif::DecodeValueCode(light, "11"), "");
    EXPECT_EQ(exif::DecodeValueCode(light, "17"), "Std A");
    EXPECT_EQ(exif::DecodeValueCode(light, " \t3\r\n"), "Tungsten");
    EXPECT_EQ(exif::DecodeValueCode("1:First,1:Second", "1"), "First");
    EXPECT_EQ(exif::DecodeValueCode("5:Creative(slow),6:a:b", "6"), "a:b");
    EXPECT_EQ(exif::DecodeValueCode(light, ""), "");
    EXPECT_EQ(exif::DecodeValueCode("", "1"), "");
    // Codes in no order (as maker tables list them) are all found.
    EXPECT_EQ(Render(U16Bytes(false, {1, 7, 3}), 3, {}, "7:Seven,3:Three,1:One"), "One, Seven, Three");
}

TEST(ValueRender, NumericValueOfEachType) {
    EXPECT_EQ(exif::NumericValue(Intel, U16Bytes(false, {1, 2}), 3), 131073.0);  // the whole value
    EXPECT_EQ(exif::NumericValue(Intel, U32Bytes(false, {4294967295u}), 4), -1.0);
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\xFF", 1), 6), -1.0);
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\xF6\xFF", 2), 8), -10.0);
    EXPECT_DOUBLE_EQ(exif::NumericValue(Intel, Rat(28, 10), 5), 2.8);
    EXPECT_DOUBLE_EQ(exif::NumericValue(Motorola, Rat(-3, 4, true), 10), -0.75);
    EXPECT_EQ(exif::NumericValue(Intel, Rat(5, 0), 5), 0.0);
    EXPECT_EQ(exif::NumericValue(Intel, Rat(10, 4) + Rat(1, 1), 5), 2.5);              // first component
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\x0A\0\0\0\x05\0", 6), 5), 2.0);  // bytes present
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\x0A\0\0\0", 4), 5), 0.0);
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\0\0\xC0\x3F", 4), 11), 1.5);
    EXPECT_EQ(exif::NumericValue(Motorola, std::string("\x3F\xC0\0\0", 4), 11), 1.5);
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\0\0\0\0\0\0\x04\xC0", 8), 12), -2.5);
    EXPECT_EQ(exif::NumericValue(Motorola, std::string("\xC0\x04\0\0\0\0\0\0", 8), 12), -2.5);
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\0\0\xC0", 3), 11), 0.0);
    EXPECT_EQ(exif::NumericValue(Intel, std::string("\0\0\0\0\0\0\x04", 7), 12), 0.0);
    for (const unsigned type : {0u, 2u, 7u, 13u, 300u}) EXPECT_EQ(exif::NumericValue(Intel, "12", type), 0.0) << type;
}

TEST(ValueRender, FractionTextsAndTheirFailures) {
    EXPECT_EQ(exif::FractionValue("1/2"), 0.5);
    EXPECT_EQ(exif::FractionValue("  3 1/2 \r\n"), 3.5);
    EXPECT_EQ(exif::FractionValue("-1/4"), -0.25);
    EXPECT_EQ(exif::FractionValue("2 -1/2"), 1.5);  // (2 * 2 - 1) / 2
    EXPECT_EQ(exif::FractionValue("6643856/1000000"), 6.643856);
    for (const char *bad : {"", "5", "abc", "1/0", "1/x", "x/2", "1/2/3", "1\t1/2", "1.5/2", "a 1/2", "99999999999/1"})
        EXPECT_EQ(exif::FractionValue(bad), 0.0) << bad;
}

TEST(ValueRender, CleanTextKeepsTheWholeTextAndShowsControlsAsDots) {
    const std::string sixty(60, 'x');
    EXPECT_EQ(exif::CleanText(sixty), sixty);
    EXPECT_EQ(exif::CleanText(std::string("a\0b\x1F\x7F\xB0\x20", 7)), "a.b.\x7F\xB0 ");
    EXPECT_EQ(exif::CleanText(""), "");

    Tiff t;
    t.Dir({t.Long(0x0111, {1000000000, 1000000001, 1000000002, 1000000003, 1000000004, 1000000005, 1000000006,
                           1000000007, 1000000008})});
    const auto img = ReadJpeg("render_clean.jpg", t.Build());
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "StripOffsets"),
              "1000000000, 1000000001, 1000000002, 1000000003, 1000000004, 1000000005, 1000000006, 1000000007");
}

TEST(ValueRender, GpsPositionAndTimeWithTheSecondsAsStored) {
    EXPECT_EQ(exif::GpsPositionText("40/1, 26/1, 4651/100"), "40 Degrees 26 Minutes 46.51 Seconds");
    EXPECT_EQ(exif::GpsPositionText("43/1, 28/1, 2814000/1000000"), "43 Degrees 28 Minutes 2.81 Seconds");
    EXPECT_EQ(exif::GpsPositionText("40/1, 26/1, 47/1"), "40 Degrees 26 Minutes 47 Seconds");
    EXPECT_EQ(exif::GpsPositionText("40/1, 2646/100, 0/1"), "40 Degrees 26 Minutes 27.60 Seconds");
    EXPECT_EQ(exif::GpsPositionText("10/1, 305/10, 0/1"), "10 Degrees 30 Minutes 30 Seconds");
    EXPECT_EQ(exif::GpsPositionText("4051/100, 0/1, 0/1"), "41 Degrees 0 Minutes 0 Seconds");  // never split
    EXPECT_EQ(exif::GpsPositionText(""), "0 Degrees 0 Minutes 0 Seconds");
    EXPECT_EQ(exif::GpsPositionText("12/1"), "0 Degrees 0 Minutes 12 Seconds");
    EXPECT_EQ(exif::GpsPositionText("40/1, 30/1"), "40 Degrees 0 Minutes 30 Seconds");
    EXPECT_EQ(exif::GpsTimeText("14/1, 30/1, 5/1"), "14:30:05");
    EXPECT_EQ(exif::GpsTimeText("14/1, 27/1, 724/100"), "14:27:07.24");
    EXPECT_EQ(exif::GpsTimeText("9/1, 5/1, 585/10"), "09:05:58.5");
    EXPECT_EQ(exif::GpsTimeText("14/1, 30/0, 5/1"), "14:00:05");
    EXPECT_EQ(exif::GpsTimeText(""), "00:00:00");
}

// The ranges of a lens as exiftool prints them (the test against exiftool
// itself is in linux/ExiftoolWrittenTagsTests.cpp); a version's bytes.
TEST(ValueRender, LensRangesAndVersions) {
    EXPECT_EQ(exif::LensSpecificationText("35/1, 35/1, 14/10, 14/10"), "35mm f/1.4");
    EXPECT_EQ(exif::LensSpecificationText("16/1, 55/1, 0/0, 0/0"), "16-55mm f/?");  // unknown f-numbers
    EXPECT_EQ(exif::LensSpecificationText("0/0, 0/0, 28/10, 0/1"), "?mm f/2.8");
    EXPECT_EQ(exif::LensSpecificationText("1/3, 300/1, 35/10, 63/10"), "0.3333333333-300mm f/3.5-6.3");
    EXPECT_EQ(exif::LensSpecificationText("16/1, 55/1, 28/10"), "16/1, 55/1, 28/10");  // not four rationals
    EXPECT_EQ(exif::LensSpecificationText("16, 55, 2, 4"), "16, 55, 2, 4");
    {
        DecimalSeparatorScope comma(',');
        EXPECT_EQ(exif::LensSpecificationText("18/1, 135/1, 35/10, 56/10"), "18-135mm f/3,5-5,6");
    }
    EXPECT_EQ(exif::VersionText("2, 3, 0, 0"), "2.3.0.0");
    EXPECT_EQ(exif::VersionText("1, 7, 0, 0"), "1.7.0.0");
    EXPECT_EQ(exif::VersionText("\"0230\""), "\"0230\"");  // not bytes: as it is
    EXPECT_EQ(exif::VersionText("2, -1"), "2, -1");
}

TEST(ValueRender, ComponentsConfigurationNamesItsFourBytes) {
    EXPECT_EQ(exif::ComponentsText(std::string("\"\x01\x02\x03\"", 5)), "YCbCr");
    EXPECT_EQ(exif::ComponentsText(std::string("\"\x04\x05\x06\"", 5)), "RGB");
    EXPECT_EQ(exif::ComponentsText(std::string("\"\x06\x05\x04\x01\"", 6)), "BGRY");
    EXPECT_EQ(exif::ComponentsText(std::string("\"\x01\x07\x00\x02", 5)), "YCb");
    EXPECT_EQ(exif::ComponentsText("\""), "");
    EXPECT_EQ(exif::ComponentsText(""), "");

    Tiff t;
    const int exifDir = t.Dir({Tiff::Undefined(0x9101, std::string("\x01\x02\x03\x00", 4))});
    t.Dir({Tiff::Pointer(0x8769, exifDir)});
    const auto img = ReadJpeg("render_components.jpg", t.Build());
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "ComponentsConfiguration"), "YCbCr");
}

TEST(ValueRender, ShutterSpeedNeverFails) {
    EXPECT_EQ(exif::ShutterSpeedText("6643856/1000000"), "0.0100 sec (1/100)");
    EXPECT_EQ(exif::ShutterSpeedText("0/1"), "1.0000 sec");
    EXPECT_EQ(exif::ShutterSpeedText("-1/1"), "2.0000 sec");
    EXPECT_EQ(exif::ShutterSpeedText("1/1"), "0.5000 sec (1/2)");  // t of exactly a half
    EXPECT_EQ(exif::ShutterSpeedText("7/2"), "0.0884 sec (1/11)");
    EXPECT_EQ(exif::ShutterSpeedText("10/1"), "0.0010 sec (1/1024)");
    EXPECT_EQ(exif::ShutterSpeedText("40/1"), "0.0000 sec (1/1099511627776)");
    EXPECT_EQ(exif::ShutterSpeedText("not a fraction"), "1.0000 sec");
    EXPECT_EQ(exif::ShutterSpeedText("1/0"), "1.0000 sec");
    // Canon writes -2^31 for no value: no exposure time, not "inf sec".
    EXPECT_EQ(exif::ShutterSpeedText("-2147483648/1"), "0.0000 sec");
    EXPECT_EQ(exif::ShutterSpeedText("2000000000/1"), "0.0000 sec");
    EXPECT_EQ(exif::ShutterSpeedText("-4/1"), "16.0000 sec");

    Tiff t;
    const int exifDir = t.Dir({t.Rational(0x9201, {{6643856, 1000000}}, 10)});
    t.Dir({Tiff::Pointer(0x8769, exifDir)});
    const auto img = ReadJpeg("render_shutter.jpg", t.Build());
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "ShutterSpeedValue"), "0.0100 sec (1/100)");
}

TEST(ValueRender, FlashBitsAndItsFailure) {
    EXPECT_EQ(exif::FlashText("0"), "Off");
    EXPECT_EQ(exif::FlashText("16"), "Off, surpressed");
    EXPECT_EQ(exif::FlashText("25"), "On, auto mode");
    EXPECT_EQ(exif::FlashText("7"), "On, strobe return");
    EXPECT_EQ(exif::FlashText("65"), "On, red-eye reduction");
    EXPECT_EQ(exif::FlashText("89"), "On, auto mode, red-eye reduction");
    EXPECT_EQ(exif::FlashText("2"), "Off, UNKNOWN");
    EXPECT_EQ(exif::FlashText("5"), "On, no strobe return");
    EXPECT_EQ(exif::FlashText("9"), "On, forced");
    EXPECT_EQ(exif::FlashText("32"), "Off, no flash function");
    EXPECT_EQ(exif::FlashText("  +1"), "On");
    EXPECT_EQ(exif::FlashText("-1"), "On, strobe return, auto mode, no flash function, red-eye reduction");
    for (const char *bad : {"25, 0", "", "abc", "16 ", "1.0", "4294967296", "0x10"})
        EXPECT_THROW(exif::FlashText(bad), std::exception) << bad;
}

TEST(ValueRender, XpTextDecodesTheWholeValueAsLittleEndianUtf16) {
    const auto utf16 = [](std::u16string_view text) {
        std::string bytes;
        for (const char16_t c : text) bytes += U16Bytes(false, {c});
        return bytes;
    };
    EXPECT_EQ(exif::XpText(utf16(u"Hello World") + std::string(2, '\0')), "Hello World");
    EXPECT_EQ(exif::XpText(utf16(u"  caf\u00E9 \u20AC \u6771  ")), "  caf\xC3\xA9 \xE2\x82\xAC \xE6\x9D\xB1  ");  // no trimming
    EXPECT_EQ(exif::XpText(utf16(u"Hi") + std::string(2, '\0') + utf16(u"after")), "Hi");
    EXPECT_EQ(exif::XpText(utf16(u"Hi") + "!"), "Hi");  // an odd last byte is ignored

    // Whatever the declared type (BYTE as Windows writes it, UNDEFINED, a
    // SHORT in a big-endian file), the bytes are little-endian UTF-16.
    for (const bool big : {false, true}) {
        Tiff t(big);
        t.Dir({Tiff::Bytes(0x9C9B, {72, 0, 101, 0, 108, 0, 108, 0, 111, 0, 0, 0}),
               Tiff::Undefined(0x9C9C, utf16(u"Hello World")), Tiff::Typed(0x9C9D, 3, 3, utf16(u"Ann")),
               Tiff::Typed(0x9C9E, 1, 4, utf16(u"ab"))});
        const auto img = ReadJpeg(big ? "render_xp_mm.jpg" : "render_xp.jpg", t.Build());
        const exif::TImageInfo &info = *img->ExifInfo();
        EXPECT_EQ(ValueOf(info, "Title"), "Hello") << big;
        EXPECT_EQ(ValueOf(info, "Comments"), "Hello World") << big;
        EXPECT_EQ(ValueOf(info, "Author"), "Ann") << big;
        EXPECT_EQ(ValueOf(info, "Keywords"), "ab") << big;
        // A text has no numbers: -n shows the text, not its UTF-16 bytes.
        for (const exif::TTagEntry &e : info.StoredEntries())
            EXPECT_TRUE(exif::ShownNumbers(e).empty()) << e.Name;
    }
}

TEST(ValueRender, DecimalSeparatorIsOneSettingOfTheReader) {
    const DecimalSeparatorScope comma(',');
    EXPECT_EQ(exif::DecimalSeparator(), ",");
    EXPECT_EQ(Render(Rat(72, 1), 5, "%5.2f"), "72,00");
    EXPECT_EQ(Render(Rat(74, 10), 5, "%5.2f mm"), " 7,40 mm");
    EXPECT_EQ(Render(Rat(28, 10), 5, "F%0.1f"), "F2,8");
    EXPECT_EQ(Render(Rat(1, 60), 5, "%s sec"), "1/60 sec");
    EXPECT_EQ(exif::ShutterSpeedText("6643856/1000000"), "0,0100 sec (1/100)");
    EXPECT_EQ(exif::GpsPositionText("40/1, 26/1, 4651/100"), "40 Degrees 26 Minutes 46,51 Seconds");
    EXPECT_EQ(Render(std::string(4, '\0'), 11), "-9999.99");  // a fixed text, not a number
}

// ---------------------------------------------------------------- 35 mm

namespace {

struct Camera {
    std::pair<int32_t, int32_t> focal{50, 1};
    std::pair<int32_t, int32_t> xres{1000, 1};
    std::pair<int32_t, int32_t> yres{1000, 1};
    int unit = 3;  // 0: no FocalPlaneResolutionUnit entry
    unsigned width = 3600, height = 2400;
    int resolutionUnit = 0;  // 0: no ResolutionUnit entry
    bool big = false;
    std::string make = "Camera";
};

std::string CameraTiff(const Camera &c) {
    Tiff t(c.big);
    std::vector<Entry> exifEntries = {t.Rational(0x920A, {c.focal})};
    if (c.xres.first) exifEntries.push_back(t.Rational(0xA20E, {c.xres}));
    if (c.yres.first) exifEntries.push_back(t.Rational(0xA20F, {c.yres}));
    if (c.unit) exifEntries.push_back(t.Short(0xA210, {static_cast<unsigned>(c.unit)}));
    if (c.width) exifEntries.push_back(t.Short(0xA002, {c.width}));
    if (c.height) exifEntries.push_back(t.Long(0xA003, {c.height}));
    const int exifDir = t.Dir(exifEntries);
    std::vector<Entry> ifd0 = {Tiff::Ascii(0x010F, c.make)};
    if (c.resolutionUnit) ifd0.push_back(t.Short(0x0128, {static_cast<unsigned>(c.resolutionUnit)}));
    ifd0.push_back(Tiff::Pointer(0x8769, exifDir));
    t.Dir(ifd0);
    return t.Build();
}

std::string Focal35(const std::string &name, const Camera &c) {
    const auto img = ReadJpeg(name, CameraTiff(c));
    if (!img->ExifInfo()) return "<no directory>";
    return ValueOf(*img->ExifInfo(), "FocalLengthin35mmFilm");
}

}  // namespace

TEST(ValueRender, FocalLengthIn35mmIsComputedFromTheSensorSize) {
    const auto img = ReadJpeg("focal_fullframe.jpg", CameraTiff({}));
    const exif::TImageInfo &info = *img->ExifInfo();
    ASSERT_GT(info.EntryCount(), 0);
    const exif::TTagEntry last = info.EntryAt(info.EntryCount() - 1);
    EXPECT_EQ(last.Name, "FocalLengthin35mmFilm");
    EXPECT_EQ(last.Tag, 0xA405);
    EXPECT_EQ(last.Description, "Focal Length in 35mm Film");
    EXPECT_EQ(last.Value, "50.00");  // 36 x 24 mm: the factor is 1
    EXPECT_EQ(last.DataType, 10);
    EXPECT_EQ(last.FormatPattern, "%s mm");
    EXPECT_EQ(last.Raw, "");
    EXPECT_TRUE(info.DumpText.ends_with("\r\nFocal Length in 35mm Film = 50.00"));

    Camera half;  // 18 x 12 mm: the factor is 2
    half.xres = half.yres = {2000, 1};
    half.focal = {25, 1};
    half.big = true;
    EXPECT_EQ(Focal35("focal_half.jpg", half), "50.00");

    Camera small;  // below 10 keeps its leading blank
    small.focal = {985, 100};
    EXPECT_EQ(Focal35("focal_small.jpg", small), " 9.85");

    // 3000 x 25.4 / 2915.45 = 26.14 mm by 17.42 mm.
    Camera inch;
    inch.unit = 2;
    inch.xres = inch.yres = {291545, 100};
    inch.width = 3000;
    inch.height = 2000;
    inch.focal = {200, 1};
    EXPECT_EQ(Focal35("focal_inch.jpg", inch), "275.48");

    // Without a focal-plane unit, or with unit 1 ("none"), the resolution
    // is per inch, whatever the image's own resolution unit says.
    for (const int unit : {0, 1}) {
        Camera noUnit;
        noUnit.unit = unit;
        noUnit.resolutionUnit = 3;
        noUnit.xres = noUnit.yres = {2540, 1};
        EXPECT_EQ(Focal35("focal_no_unit.jpg", noUnit), "50.00") << unit;
    }
    Camera millimetres;  // unit 4
    millimetres.unit = 4;
    millimetres.xres = millimetres.yres = {100, 1};
    EXPECT_EQ(Focal35("focal_mm.jpg", millimetres), "50.00");
}

TEST(ValueRender, FocalLengthIn35mmNeedsAResolutionAFocalLengthAndAnImageSize) {
    Camera noResolution;
    noResolution.xres = noResolution.yres = {0, 0};
    noResolution.resolutionUnit = 2;
    EXPECT_EQ(Focal35("focal_nores.jpg", noResolution), "<missing>");

    // 1000 per inch: a 91 x 61 mm sensor, a factor of 0.39.
    Camera tooLarge;
    tooLarge.unit = 1;
    EXPECT_EQ(Focal35("focal_unit1.jpg", tooLarge), "<missing>");

    Camera noFocal;
    noFocal.focal = {0, 1};
    EXPECT_EQ(Focal35("focal_nofocal.jpg", noFocal), "<missing>");

    Camera noHeight;
    noHeight.height = 0;
    EXPECT_EQ(Focal35("focal_noheight.jpg", noHeight), "<missing>");

    // A missing Y resolution is the X one.
    Camera onlyX;
    onlyX.yres = {0, 0};
    EXPECT_EQ(Focal35("focal_onlyx.jpg", onlyX), "50.00");

    Camera strip;  // 3600 x 1200: no camera's frame
    strip.height = 1200;
    EXPECT_EQ(Focal35("focal_strip.jpg", strip), "<missing>");
}

TEST(ValueRender, FocalLengthIn35mmIsNotComputedFromAResizedCopysPixels) {
    // A 40D's focal plane (4438 dpi) with a copy's 100 x 68 pixels: a
    // 0.7 mm sensor, which no camera has.
    Camera resized;
    resized.unit = 2;
    resized.xres = resized.yres = {3888000, 876};
    resized.width = 100;
    resized.height = 68;
    resized.focal = {135, 1};
    EXPECT_EQ(Focal35("focal_resized.jpg", resized), "<missing>");
    resized.width = 3888;
    resized.height = 2592;
    EXPECT_EQ(Focal35("focal_original.jpg", resized), "218.42");
}

// Canon stores the sensor's size in thousandths of an inch as the
// resolution's denominators: the 40D's 22.2 x 14.8 mm sensor in 876 and
// 583, whatever size the copy has (exiftool: 218.5 mm on the 40D sample).
TEST(ValueRender, FocalLengthIn35mmOfACanonIsTakenFromItsSensorSize) {
    Camera crop;
    crop.make = "Canon";
    crop.unit = 2;
    crop.xres = {3888000, 876};
    crop.yres = {2592000, 583};
    crop.width = 100;
    crop.height = 68;
    crop.focal = {135, 1};
    EXPECT_EQ(Focal35("focal_canon_crop.jpg", crop), "218.54");

    // Reduced fractions lose the pattern: the pixels are measured again,
    // and a copy's 100 x 68 give no row.
    crop.xres = crop.yres = {3888000 / 8, 876 / 4};
    EXPECT_EQ(Focal35("focal_canon_reduced.jpg", crop), "<missing>");
}

// A raw's preview comes first (IFD0, a reduced image); the focal-plane
// resolution describes the full image of its sub-directory.
TEST(ValueRender, FocalLengthIn35mmOfARawIsMeasuredOnItsMainImage) {
    Tiff t;
    const int full = t.Dir({t.Long(0x00FE, {0}), t.Long(0x0100, {6000}), t.Long(0x0101, {4000})});
    const int exifDir = t.Dir({t.Rational(0x920A, {{50, 1}}), t.Rational(0xA20E, {{60000, 36}}),
                               t.Rational(0xA20F, {{40000, 24}}), t.Short(0xA210, {3})});
    t.Dir({t.Long(0x00FE, {1}), t.Long(0x0100, {160}), t.Long(0x0101, {120}), Tiff::Ascii(0x010F, "Maker"),
           t.Long(0x014A, {t.OffsetOf(full)}), Tiff::Pointer(0x8769, exifDir)});
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("focal_raw.tif", t.Build())));
    EXPECT_EQ(ValueOf(*img.ExifInfo(), "FocalLengthin35mmFilm"), "50.00");
}

TEST(ValueRender, FocalLengthIn35mmUsesTheFirstResolutionOfItsName) {
    Tiff t;
    const int exifDir = t.Dir({t.Rational(0x920A, {{25, 1}}), t.Rational(0xA20E, {{2000, 1}}),
                               t.Rational(0x920E, {{1000, 1}}), t.Rational(0xA20F, {{2000, 1}}), t.Short(0xA210, {3}),
                               t.Short(0xA002, {3600}), t.Short(0xA003, {2400})});
    t.Dir({Tiff::Pointer(0x8769, exifDir)});
    const auto img = ReadJpeg("focal_two_names.jpg", t.Build());
    EXPECT_EQ(ValueOf(*img->ExifInfo(), "FocalLengthin35mmFilm"), "50.00");
}

TEST(ValueRender, FocalLengthIn35mmIsAlsoComputedForTiffFiles) {
    exif::TimgData img(exif::BuildAll, params::ReaderParts());
    ASSERT_TRUE(img.OpenImageFile(WriteTempFile("focal_file.tif", CameraTiff({}))));
    ASSERT_NE(img.ExifInfo(), nullptr);
    EXPECT_EQ(ValueOf(*img.ExifInfo(), "FocalLengthin35mmFilm"), "50.00");
}

TEST(ValueRender, FocalLengthIn35mmUsesTheDecimalSeparator) {
    const DecimalSeparatorScope comma(',');
    Camera small;
    small.focal = {985, 100};
    EXPECT_EQ(Focal35("focal_comma.jpg", small), " 9,85");
}
