// Numbers as the rendered values write them: FixedText takes most values
// through an integer, and must give the digits of the general conversion
// (the value rounded as exactly written, halves to even) for every value.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

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

}  // namespace
