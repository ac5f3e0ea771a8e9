// The fields of the JSON and CSV output as exiftool's users read them: its
// tag names and family-1 groups (see ExiftoolNames.h), the items of an XMP
// array of structures as one list, and under -n its forms of dates and
// times. The dialog's names stay those of the text output and the export
// file; `--names=dialog` keeps them in JSON and CSV too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Record.h"
#include "dialog/ParamsRows.h"

namespace cli {

// The fields of a view among the selected tags (by the dialog's name or
// exiftool's, see Selected), with exiftool's names and keys.
std::vector<Field> ExiftoolFieldsOf(const params::ImageView &view, const std::vector<std::string> &tags, KeyStyle style,
                                    bool numeric);

// Gives each field exiftool's name and group, merges the rows exiftool
// shows as one, gives the values exiftool's forms under -n (`numeric`) and
// keys the fields again.
void UseExiftoolNames(std::vector<Field> &fields, KeyStyle style, bool numeric);

// GPSTimeStamp's three numbers as exiftool writes the time ("14:27:07.24");
// empty when one is no number.
std::string ExiftoolTimeStamp(std::span<const exif::TComponent> numbers);

// Adds to the view's file facts what the file system tells of the file
// named `name`, as exiftool's System group: its Directory (the name's folder
// part as given, "." when none), its FileModifyDate (local time with the
// zone's offset), and its FileName and FileSize when the view has no file
// rows (a file without EXIF data). Standard input ("-") has none of these.
void AddSystemFacts(const std::string &name, params::ImageView &view, bool numeric);

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d);

// A time as exiftool writes a file's dates: "2024:05:01 13:45:10+02:00",
// from the seconds since 1970 (UTC) and the local zone's offset in seconds.
std::string ExiftoolFileDate(int64_t utcSeconds, int64_t offsetSeconds);

// The file's kind as exiftool's File group gives it: the MIME type and the
// usual extension; empty for a kind exiftool tells apart further (TIFF and
// the raws built on it).
struct TFileTypeFacts {
    std::string_view MimeType;
    std::string_view Extension;
};
TFileTypeFacts FileTypeFacts(exif::TFileKind kind);

}  // namespace cli
