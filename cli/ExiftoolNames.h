// exiftool's names for the rows this tool shows, so that a script written
// for `exiftool -j -G1` finds the same keys in the tool's JSON and CSV. The
// dialog's names (EXIF 2.2's, the IPTC descriptions, the XMP packet's own
// paths) stay what the grid, the text output and the export file show; the
// tables here only rename. A name the tables do not hold is exiftool's too.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// exiftool's tag name of an EXIF row in the directory `group` ("IFD0",
// "ExifIFD", "GPS", "IFD1", "SubIFD", ...); `name` itself when both agree.
std::string_view ExiftoolExifName(std::string_view group, std::string_view name);

// exiftool's tag name of an IPTC dataset by the description the dialog shows
// ("Image caption" -> "Caption-Abstract"); empty for a description the table
// does not hold.
std::string_view ExiftoolIptcName(std::string_view description);

// An XMP row's key as exiftool flattens it: the group "XMP-" and the
// namespace's usual prefix (the packet's "xap" is "xmp"), the name the path's
// parts capitalised and joined ("xmpMM:History[2]/stEvt:action" ->
// "XMP-xmpMM", "HistoryAction"), a language after a dash ("Title-fr-FR").
struct TXmpKey {
    std::string Group;
    std::string Name;
    // The row is one item of an array of structures (the "[2]" above):
    // exiftool gives all the items' fields of one name as one list.
    bool ArrayItem = false;
};
TXmpKey ExiftoolXmpKey(std::string_view dialogName);

// exiftool's group of one of the dialog's file rows: "System" for the file
// system's facts (FileName, FileSize), "File" for the image's.
std::string_view ExiftoolFileGroup(std::string_view name);

// IPTC's stored date (CCYYMMDD) and time (HHMMSS±HHMM) as exiftool writes
// them ("2005:12:14", "14:39:47+01:00"); XMP's ISO 8601 date
// ("2021-04-11T15:47:53.25+02:00" -> "2021:04:11 15:47:53.25+02:00"); a text
// of another form as it is.
std::string ExiftoolIptcDate(std::string_view stored);
std::string ExiftoolIptcTime(std::string_view stored);
std::string ExiftoolXmpDate(std::string_view stored);

// Whether exiftool's JSON writes a text bare: a number in JSON's form of at
// most 15 integer digits (no leading zero), or true/false in any case.
bool ExiftoolJsonNumber(std::string_view text);
bool ExiftoolJsonBoolean(std::string_view text);

}  // namespace cli
