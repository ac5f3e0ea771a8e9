// exiftool's way of naming tags on the command line, matched against the
// fields the tool makes: "Model", "GPS*" ("*" any run of characters, "?"
// one), "EXIF:ISO", "XMP-dc:all", "IFD0:*". Every comparison is ASCII
// case-insensitive, as exiftool's. A group before the last ":" names the
// field's -G group ("IFD0", "ExifIFD", "XMP-dc", "Canon") or its family
// ("EXIF", "MakerNote", "IPTC", "XMP", "File", "Composite"); "all" as the
// name takes every field of the group. The keys are matched as the writer
// spells them at the time, whatever names it uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/Record.h"

namespace cli {

// `text` matched whole by `pattern` with "*" and "?", ASCII case-insensitive.
bool WildcardMatch(std::string_view pattern, std::string_view text);

// Whether the pattern needs every field of a file looked at: a wildcard, or
// a group with "all".
bool IsPattern(std::string_view tag);

// Whether `tag` (a name, a key, or GROUP:NAME with wildcards) names `field`.
bool TagSelects(std::string_view tag, const Field &field);

}  // namespace cli
