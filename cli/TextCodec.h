// Text at the tool's edges: the reader's texts are UTF-8, and so are the
// terminal, JSON and CSV; what must not reach them raw is escaped here.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// A text as a terminal may show it: C0 and C1 control characters
// (U+0080-U+009F, which terminals obey as the escape character's two-byte
// forms), DEL and the backslash written as C-style escapes (\0 \t \n \r, a
// doubled backslash, \xHH; a C1 character as the escapes of its two bytes,
// "\xc2\x9b"), and
// every byte that is not part of valid UTF-8 as its \xHH escape (a Linux file
// name may hold any), so the text's bytes can be told back.
std::string EscapeUtf8Controls(std::string_view utf8);
void AppendTerminalValue(std::string &out, std::string_view utf8);

// A JSON string literal (quotes included) of any bytes: UTF-8 text as itself,
// its C0 and C1 control characters and DEL as \u00XX escapes (\n, \r, \t
// as those); each byte that is not part of valid UTF-8 as the lone
// surrogate escape \udcXX, as Python's "surrogateescape" error handler
// decodes it, so such a name can be encoded back to its bytes.
std::string JsonString(std::string_view text);
void AppendJsonString(std::string &out, std::string_view text);

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a
// quote, a line break or leading or trailing spaces.
std::string CsvField(std::string_view utf8);
void AppendCsvField(std::string &out, std::string_view utf8);

}  // namespace cli
