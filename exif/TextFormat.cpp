#include "exif/TextFormat.h"

#include "bytes/Unicode.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace exif {

namespace {
std::string g_separator;  // empty: not yet taken from the locale
}

void TakeDecimalSeparatorFromLocale() {
    const std::lconv *lc = std::localeconv();
    g_separator = (lc && lc->decimal_point && lc->decimal_point[0]) ? TextOfBytes(lc->decimal_point) : ".";
}

std::string_view DecimalSeparator() {
    if (g_separator.empty()) TakeDecimalSeparatorFromLocale();
    return g_separator;
}

void SetDecimalSeparator(std::string_view separator) {
    g_separator = separator.empty() ? "." : std::string(separator);
}

static std::string PadLeft(std::string s, int width) {
    if (width > 0 && s.size() < static_cast<size_t>(width)) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
    return s;
}

namespace {

// The digits of `v` to `precision` places from an integer, where that gives
// the digits to_chars gives (the value rounded as exactly written, ties to
// even): |v| * 10^precision computed within 2^-13 of the exact product
// (below 10^12), and its fraction away from a half by more than that, so
// the product rounds as the exact value does. Nothing for other values: a
// general conversion costs some hundreds of instructions, and rendered
// values (resolutions, exposures, apertures) are nearly all of this kind.
std::optional<std::string> FixedTextByInteger(double v, int precision) {
    static constexpr std::array<double, 10> Scales = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    static constexpr std::array<uint64_t, 10> Units = {1,      10,      100,      1000,      10000,
                                                       100000, 1000000, 10000000, 100000000, 1000000000};
    if (precision < 0 || precision >= static_cast<int>(Scales.size())) return std::nullopt;
    const auto places = static_cast<size_t>(precision);
    const double scaled = std::fabs(v) * Scales[places];
    if (!(scaled < 1e12)) return std::nullopt;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-3) return std::nullopt;
    const uint64_t n = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), n / Units[places]).ptr;
    std::string s = std::signbit(v) ? "-" : "";
    s.append(digits.data(), end);
    if (places == 0) return s;
    s += DecimalSeparator();
    const size_t at = s.size();
    s.resize(at + places);
    uint64_t rest = n % Units[places];
    for (size_t k = s.size(); k > at; --k) {  // the last place first
        s[k - 1] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    return s;
}

}  // namespace

std::string FixedText(double v, int precision, int width) {
    if (std::isnan(v)) return PadLeft("nan", width);
    if (std::isinf(v)) return PadLeft(v < 0 ? "-inf" : "inf", width);
    if (precision < 0) precision = 0;
    if (precision > 60) precision = 60;
    if (auto s = FixedTextByInteger(v, precision)) return PadLeft(std::move(*s), width);
    // Largest double is about 1.8e308: 310 integer digits, plus sign and decimals.
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    std::string s(buf, res.ec == std::errc() ? res.ptr : buf);
    if (const size_t dot = s.find('.'); dot != std::string::npos) s.replace(dot, 1, DecimalSeparator());
    return PadLeft(std::move(s), width);
}

std::string IntText(int64_t v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

static int ReadCount(std::string_view p, size_t &i) {
    int n = 0;
    while (i < p.size() && p[i] >= '0' && p[i] <= '9') {
        if (n < 1000) n = n * 10 + (p[i] - '0');
        ++i;
    }
    return n;
}

static std::string ToInteger(double number) {
    if (!std::isfinite(number)) return FixedText(number, 0);
    const double t = std::trunc(number);
    if (t >= -9.2e18 && t <= 9.2e18) return IntText(static_cast<int64_t>(t));
    return FixedText(t, 0);
}

std::string FormatPattern(std::string_view pattern, std::string_view text, double number) {
    std::string out;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i < pattern.size() && pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool left = false;
        if (i < pattern.size() && pattern[i] == '-') {
            left = true;
            ++i;
        }
        const int width = ReadCount(pattern, i);
        int precision = -1;
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            precision = ReadCount(pattern, i);
        }
        if (i >= pattern.size()) break;
        const char conv = pattern[i++];
        std::string field;
        switch (conv) {
            case 's':
                field = std::string(precision >= 0 ? text.substr(0, static_cast<size_t>(precision)) : text);
                break;
            case 'f':
                field = FixedText(number, precision < 0 ? 2 : precision);
                break;
            case 'd':
                field = ToInteger(number);
                break;
            default:
                field = std::string("%") + conv;
                break;
        }
        if (left && width > 0 && field.size() < static_cast<size_t>(width))
            field.append(static_cast<size_t>(width) - field.size(), ' ');
        out += PadLeft(std::move(field), width);
    }
    return out;
}

std::string_view TrimmedView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) {
    return std::string(TrimmedView(s));
}

std::string UpperAscii(std::string_view s) {
    std::string r(s);
    for (char &c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

std::optional<int32_t> ParseDecimal(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return std::nullopt;
    }
    if (negative) v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(v);
}

}  // namespace exif

namespace exif {

void BoundShownText(std::string &text) {
    if (text.size() <= MaxShownValue) return;
    text.resize(Utf8Prefix(text, MaxShownValue).size());
    text += ShownCutMark;
}

}  // namespace exif
