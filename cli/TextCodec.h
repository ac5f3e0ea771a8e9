// Text conversions at the tool's edges: the reader's texts are Windows-1252,
// the terminal, JSON and CSV are UTF-8, and file names arrive as UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// Windows-1252 bytes of UTF-8 text; "?" for a character the code page cannot
// hold and for every byte of a malformed sequence.
std::string Utf8ToWindows1252(std::string_view utf8);

// The Windows-1252 byte of UTF-8 text that is one character the code page
// holds, not a control character; nothing otherwise.
std::optional<char> Windows1252CharOf(std::string_view utf8);

// A decimal separator that Windows-1252 cannot hold (U+066B, the Arabic
// decimal separator of Pashto and Persian locales) cannot pass through the
// reader's text: the reader writes `mark`, a byte the text holds nowhere
// else, and the conversions to UTF-8 below write `utf8Separator` for it.
// Mark 0: none.
void SetDecimalMark(char mark, std::string_view utf8Separator);

// UTF-8 of Windows-1252 text, the decimal mark replaced.
std::string Utf8OfWindows1252(std::string_view windowsText);

// Windows-1252 text with its control bytes (0x00-0x1F, 0x7F and the five
// bytes the code page leaves undefined) and the backslash written as C-style
// escapes: \0 \t \n \r \\ and \xHH. Nothing raw can reach a terminal.
std::string EscapeControls(std::string_view windowsText);
void AppendEscaped(std::string &out, std::string_view windowsText);

// EscapeControls and then the conversion to UTF-8, in one pass: a value as a
// terminal shows it. The decimal mark becomes the separator.
void AppendTerminalValue(std::string &out, std::string_view windowsText);

// The same for a file name, UTF-8 as a rule: C0 and C1 control characters
// (U+0080-U+009F, which terminals obey as the escape character's two-byte
// forms), DEL and the backslash escaped as above, a C1 character as the
// escapes of its two bytes ("\xc2\x9b"), and every byte that is not part of
// valid UTF-8 as its \xHH escape, so the name's bytes can be told back.
std::string EscapeUtf8Controls(std::string_view utf8);

// A JSON string literal (quotes included) of any bytes: UTF-8 text as itself,
// its C0 and C1 control characters and DEL as \u00XX escapes; each byte that
// is not part of valid UTF-8 (a Linux file name may hold any) as the lone
// surrogate escape \udcXX, as Python's "surrogateescape" error handler
// decodes it, so such a name can be encoded back to its bytes.
std::string JsonString(std::string_view text);

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a
// quote, a line break or leading or trailing spaces.
std::string CsvField(std::string_view utf8);

}  // namespace cli
