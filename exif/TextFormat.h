// Text helpers shared by the whole reader: number formatting with the
// platform's decimal separator, trimming, ASCII case, strict integer parsing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "bytes/Unicode.h"

namespace exif {

// The decimal separator of floating-point output (UTF-8: a locale's may be
// more than one byte). Taken from the C library's LC_NUMERIC locale the first
// time it is needed, unless set explicitly (the Windows plug-in sets it from
// the user's regional settings).
std::string_view DecimalSeparator();
void SetDecimalSeparator(std::string_view separator);
inline void SetDecimalSeparator(char separator) { SetDecimalSeparator(std::string_view(&separator, 1)); }
// Re-reads the separator from the C library's current LC_NUMERIC locale.
void TakeDecimalSeparatorFromLocale();

// Fixed-point text of v with `precision` decimals, correctly rounded (exact
// ties to even, as C printf), right-aligned in `width`. NaN gives "nan",
// infinities "inf" and "-inf". Independent of the C runtime's printf, so
// Linux and Windows builds give the same text.
std::string FixedText(double v, int precision, int width = 0);

// Applies a one-argument printf-style pattern. "%s" takes `text`; "%f" with
// optional width and precision takes `number`; "%d" takes `number` as an
// integer; "%%" is a percent sign. Other text is copied.
std::string FormatPattern(std::string_view pattern, std::string_view text, double number);

// Removes every byte of value 32 or less from both ends.
std::string Trim(std::string_view s);
std::string_view TrimmedView(std::string_view s);
std::string UpperAscii(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);

// A decimal integer: optional leading spaces, an optional sign and digits,
// within signed 32 bits. Anything else is not a number.
std::optional<int32_t> ParseDecimal(std::string_view s);

std::string IntText(int64_t v);

// A value is shown up to this many bytes of text; a longer one is cut there
// and ends with "…", so that no single value can fill the memory of the views
// and outputs built from it. Values are rendered from
// their first RenderedValueBytes bytes, enough to reach that length.
inline constexpr size_t MaxShownValue = 64 * 1024;
inline constexpr size_t RenderedValueBytes = MaxShownValue + 16;  // a UserComment's 8-byte code too
inline constexpr std::string_view ShownCutMark = "\u2026";
void BoundShownText(std::string &text);

}  // namespace exif
