// Numbers and texts as the rendered values write them: FixedText takes most
// values through an integer, and must give the digits of the general
// conversion (the value rounded as exactly written, halves to even) for
// every value; a Windows-1252 text becomes UTF-8 that converts back.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "bytes/Unicode.h"
#include "exif/TextFormat.h"

namespace {

std::string General(double v, int precision) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    return std::string(buf, r.ptr);
}

TEST(TextFormat, FixedTextGivesTheDigitsOfTheGeneralConversion) {
    exif::SetDecimalSeparator('.');
    // Halves written exactly (0.125, 2.5) round to even; 2.675 is stored
    // just below its half; -0.001 keeps its sign at zero.
    for (const double v : {0.0, -0.0, -0.001, 0.125, 0.375, 2.5, 3.5, 2.675, 72.0, 1.0 / 3, 999999.995, 1e-300, 4e11, 2e12})
        for (int p = 0; p <= 10; ++p) EXPECT_EQ(exif::FixedText(v, p), General(v, p)) << v << " " << p;
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        const int p = static_cast<int>(random() % 10);
        const double v = std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 64)) *
                         (random() % 2 ? 1 : -1);
        ASSERT_EQ(exif::FixedText(v, p), General(v, p)) << v << " " << p;
    }
    exif::SetDecimalSeparator(',');
    EXPECT_EQ(exif::FixedText(-2.25, 3), "-2,250");
    EXPECT_EQ(exif::FixedText(1e15, 1), "1000000000000000,0");
    exif::SetDecimalSeparator('.');
}

TEST(TextFormat, EveryWindows1252ByteBecomesItsCharacter) {
    std::string bytes;
    for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
    const std::string utf8 = exif::Windows1252ToUtf8(bytes + bytes);
    EXPECT_TRUE(exif::IsValidUtf8(utf8));
    // ASCII as it is, 0xA0-0xFF in two bytes; of 0x80-0x9F, the 15 below
    // U+0800 (the five unassigned, letters and accents) in two, the other 17
    // (punctuation, the euro sign) in three.
    EXPECT_EQ(utf8.size(), 2 * (127 + 96 * 2 + 15 * 2 + 17 * 3));
    EXPECT_EQ(exif::Utf8ToWindows1252(utf8), bytes + bytes);
    EXPECT_EQ(exif::Windows1252ToUtf8("a\x80\xE9"), "a\xE2\x82\xAC\xC3\xA9");
    // A sequence cut short or a lone byte after an ASCII run, at each place of the last word.
    for (std::size_t n = 0; n < 12; ++n) {
        EXPECT_FALSE(exif::IsValidUtf8(std::string(n, 'a') + "\xC3")) << n;
        EXPECT_FALSE(exif::IsValidUtf8(std::string(n, 'a') + "\xE9" + std::string(3, 'b'))) << n;
        EXPECT_TRUE(exif::IsValidUtf8(std::string(n, 'a') + "\xC3\xA9" + std::string(3, 'b'))) << n;
        EXPECT_EQ(exif::Utf8ToWindows1252(std::string(n, 'a') + "\xC3\xC3\xA9" + "b"), std::string(n, 'a') + "?\xE9" + "b")
            << n;
    }
}

// The ASCII runs of a text are passed over a word at a time: the byte that
// ends a run is found at every place of a text longer than several words,
// in a whole word and in the bytes after the last.
const std::string LongRun(40, 'a');

std::string WithAt(std::size_t at, std::string_view special) {
    return LongRun.substr(0, at) + std::string(special) + LongRun.substr(at);
}

TEST(TextFormat, TheEndOfAPrintableRunIsFoundAtEveryPlace) {
    for (const char *special : {"\x1F", "\x7F", "\x80", "\xFF", "\t"})
        for (std::size_t at = 0; at <= LongRun.size(); ++at) {
            EXPECT_EQ(exif::PrintableAsciiEnd(WithAt(at, special), 0), at) << at;
            EXPECT_EQ(exif::PrintableAsciiEnd(WithAt(at, special), at / 2), at) << at;
        }
    EXPECT_EQ(exif::PrintableAsciiEnd(LongRun + " ~", 3), LongRun.size() + 2);
}

TEST(TextFormat, AByteThatIsNoUtf8IsFoundAtEveryPlaceOfALongText) {
    for (std::size_t at = 0; at <= LongRun.size(); ++at) {
        EXPECT_FALSE(exif::IsValidUtf8(WithAt(at, "\xE9"))) << at;
        EXPECT_FALSE(exif::IsValidUtf8(WithAt(at, "\xC3"))) << at;
        EXPECT_TRUE(exif::IsValidUtf8(WithAt(at, "\xC3\xA9"))) << at;
        // The ASCII before and after a character are copied by runs.
        EXPECT_EQ(exif::Utf8ToWindows1252(WithAt(at, "\xC3\xA9")), WithAt(at, "\xE9")) << at;
        EXPECT_EQ(exif::Utf8ToWindows1252(WithAt(at, "\xE2\x82\xAC\x01")), WithAt(at, "\x80\x01")) << at;
    }
}

// Both byte orders join a surrogate pair into its one character; a lone
// surrogate is U+FFFD, and the text ends at its first zero unit.
TEST(TextFormat, Utf16SurrogatePairsBecomeOneCharacter) {
    using namespace std::string_literals;
    EXPECT_EQ(exif::TextOfUtf16("\xD8\x34\xDD\x1E\x00\x41"s, true), "\xF0\x9D\x84\x9E" "A");
    EXPECT_EQ(exif::TextOfUtf16("\x34\xD8\x1E\xDD\x41\x00"s, false), "\xF0\x9D\x84\x9E" "A");
    EXPECT_EQ(exif::TextOfUtf16("\xFF\xFE\x3D\xD8\x00\xDE"s, true), "\xF0\x9F\x98\x80");
    EXPECT_EQ(exif::TextOfUtf16("\xD8\x34\x00\x41"s, true), "\xEF\xBF\xBD" "A");
    EXPECT_EQ(exif::TextOfUtf16("\xDD\x1E\xD8\x34"s, true), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(exif::TextOfUtf16("\x00\x41\x00\x00\x00\x42"s, true), "A");
}

}  // namespace
