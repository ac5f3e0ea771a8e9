// The reader's texts are UTF-8. These are the conversions between it and the
// encodings files and outputs use: UTF-16 (Windows' XP tags, Unicode
// comments), Windows-1252 (what older cameras and tools wrote, and what the
// export file is written in), and the rule for text whose encoding a file
// does not declare.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace exif {

// The length of the well-formed UTF-8 sequence at `pos`, or 0 when the bytes
// there are not one (a stray continuation byte, an overlong form, a
// surrogate, a code point past U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t pos);
// The code point of the well-formed sequence at `pos`, moving `pos` past it.
char32_t NextCodePoint(std::string_view utf8, std::size_t &pos);
void AppendUtf8(std::string &out, char32_t c);
// UTF-16 spells a code point past U+FFFF as two units: a high surrogate
// (D800-DBFF) then a low one (DC00-DFFF). Every UTF-16 decoder joins them here.
constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr char32_t JoinSurrogates(char32_t high, char32_t low) { return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00); }
bool IsValidUtf8(std::string_view bytes);
// The end of the run of printable ASCII (0x20-0x7E) that starts at `from`:
// most of any text, passed over eight bytes at a time.
std::size_t PrintableAsciiEnd(std::string_view text, std::size_t from);
// The longest start of UTF-8 text of at most `bytes` bytes that cuts no
// character.
std::string_view Utf8Prefix(std::string_view utf8, std::size_t bytes);

// Text whose encoding the file does not say: its bytes when they are valid
// UTF-8 (ASCII is), else their Windows-1252 reading. Text written by older
// software in an 8-bit code page is almost never valid UTF-8 by chance.
std::string TextOfBytes(std::string_view bytes);
// Text the file declares UTF-8: each malformed byte as U+FFFD.
std::string TextOfUtf8(std::string_view bytes);
// Text of UTF-16 up to its first zero character: a leading byte-order mark
// overrides `bigEndian` and is dropped; an unpaired surrogate is U+FFFD.
std::string TextOfUtf16(std::string_view utf16, bool bigEndian);
std::string Windows1252ToUtf8(std::string_view text);
// Text of an EXIF "JIS" comment: JIS X 0208 characters as byte pairs of
// 0x21-0x7E (ESC $ B and ESC ( B switching between them and ASCII), or
// Shift-JIS when the bytes use the upper half. Converted by the platform's
// Japanese code page; each character as "?" where it has none.
std::string TextOfJis(std::string_view bytes);
// A text made from file bytes and constant texts: kept when it is valid
// UTF-8, else read as Windows-1252 (a maker's 8-bit text).
void AsUtf8Text(std::string &text);

// The Windows-1252 byte of a code point, as Windows converts it (the five
// bytes the code page leaves undefined stand for the C1 controls of the same
// number); "?" for a code point it has no byte for.
char Windows1252Byte(char32_t cp);
// Windows-1252 bytes of UTF-8 text: "?" for each character the code page
// cannot hold and for each malformed byte.
std::string Utf8ToWindows1252(std::string_view utf8);

}  // namespace exif
