// Text conversions at the tool's edges: the reader's texts are Windows-1252,
// the terminal, JSON and CSV are UTF-8, and file names arrive as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Windows-1252 bytes of UTF-8 text; "?" for a character the code page cannot
// hold and for every byte of a malformed sequence.
std::string Utf8ToWindows1252(std::string_view utf8);

// The text with every malformed UTF-8 byte replaced by U+FFFD, so that any
// byte string (a Linux file name) can go into JSON.
std::string ValidUtf8(std::string_view text);

// Windows-1252 text with its control bytes (0x00-0x1F, 0x7F and the five
// bytes the code page leaves undefined) and the backslash written as C-style
// escapes: \0 \t \n \r \\ and \xHH. Nothing raw can reach a terminal.
std::string EscapeControls(std::string_view windowsText);
void AppendEscaped(std::string &out, std::string_view windowsText);

// EscapeControls and then the conversion to UTF-8, in one pass: a value as a
// terminal shows it.
void AppendTerminalValue(std::string &out, std::string_view windowsText);

// The same for UTF-8 text (a file name): malformed bytes become U+FFFD,
// control characters and the backslash are escaped.
std::string EscapeUtf8Controls(std::string_view utf8);

// A JSON string literal (quotes included) of UTF-8 text.
std::string JsonString(std::string_view utf8);

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a
// quote, a line break or leading or trailing spaces.
std::string CsvField(std::string_view utf8);

}  // namespace cli
