// Texts at the Win32 boundary. Every text of the program is UTF-8; the
// system's W calls take and give UTF-16. These two are the only conversions
// between them: a text is converted where it is handed to a W call or taken
// from one, and is UTF-8 everywhere else.
#pragma once

#include <string>
#include <string_view>

namespace ui {

// A byte sequence that is not UTF-8 becomes U+FFFD, as the system's own
// conversion makes it. Zero bytes are kept.
std::wstring Wide(std::string_view utf8);
// An unpaired surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view wide);

}  // namespace ui
