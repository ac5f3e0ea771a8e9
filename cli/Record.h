// One file's rows as named fields for the machine-readable formats and for
// tag selection. The names are the dialog's; a name that repeats within the
// file gets its group as a prefix, so every key of a file is unique.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/ParamsRows.h"

namespace cli {

// Where a row comes from: the dialog's four file rows, the EXIF directories
// (main image, EXIF, GPS, interoperability, sub-images), the camera maker's
// note, the IPTC datasets, the XMP properties, the values computed from
// several entries.
enum class RowGroup { File, Exif, MakerNote, Iptc, Xmp, Composite };

std::string_view GroupName(RowGroup group);

// A field views the texts of the view it was made from (its name, value,
// items and numbers) and is valid while that view is.
struct Field {
    RowGroup Group = RowGroup::Exif;
    std::string_view Name;   // as the dialog shows it
    std::string Key;         // unique within the file, for JSON and CSV
    std::string_view Value;  // as the dialog shows it
    // An XMP bag or sequence, repeated IPTC datasets: its items, a list in JSON.
    bool IsList = false;
    std::span<const std::string> Items = {};
    // The group a key names with -G: "File", the EXIF directory ("IFD0",
    // "ExifIFD", "GPS", "IFD1", "SubIFD", ...), the maker ("Canon"),
    // "Composite" for a computed row, "IPTC", "XMP-" and the prefix.
    std::string Origin = {};
    // The value as numbers (see params::GridRow::Numbers).
    std::span<const exif::TComponent> Numbers = {};
    // exiftool's name of the row (see ExiftoolFields.h), which the keys use
    // in place of Name when not empty.
    std::string ToolName = {};
    // exiftool's form of the value, shown in place of Value and Numbers when
    // HasToolValue ("2005:12:14" for IPTC's "20051214").
    bool HasToolValue = false;
    std::string ToolValue = {};
    // The values of the rows exiftool gives as one list (the items of an XMP
    // array of structures), shown in place of Value and ToolValue when not
    // empty.
    std::vector<std::string> MergedItems = {};
};

// How keys are made: bare names made unique (the default), or each name
// after its group (-G), "IFD0:Make", the same in every file.
enum class KeyStyle { Bare, Grouped };

// The fields of a view in the export's order: the EXIF rows, UserComment,
// the IPTC rows, the XMP rows, then the computed rows, each in its group
// (file rows, EXIF, maker note, IPTC, XMP, Composite).
// The placeholder rows of a view without data are left out.
std::vector<Field> FieldsOf(const params::ImageView &view, KeyStyle style = KeyStyle::Bare);

// The same fields without keys, for a caller that names them otherwise
// before keying them (see ExiftoolFields.h).
std::vector<Field> UnkeyedFieldsOf(const params::ImageView &view);

// The fields of a view that are among the selected tags (see Selected), with
// the keys FieldsOf gives them; all fields when no tag is selected.
std::vector<Field> SelectedFieldsOf(const params::ImageView &view, const std::vector<std::string> &tags,
                                    KeyStyle style = KeyStyle::Bare);

// An IPTC description as a key: its words joined, each capitalised
// ("Object name" -> "ObjectName", "Province/State" -> "ProvinceState").
std::string CompactName(std::string_view description);

// Gives every field its key. A name that occurs once is its own key. A name
// that occurs more than once keeps the bare name on its EXIF row and takes
// "Group:" before the name on the others ("MakerNote:WhiteBalance",
// "File:ImageWidth"); a name repeated within one group takes "-2", "-3", ...
// from its second row on.
void AssignKeys(std::vector<Field> &fields);
// Gives every field the key "Origin:Name" (an IPTC description compacted,
// an XMP name after "XMP-prefix:"); a key repeated within the file takes
// "-2", "-3", ... from its second field on.
void AssignGroupedKeys(std::vector<Field> &fields);

// Whether a field is one of the selected tags: ASCII case-insensitive, by its
// name, its key or (IPTC) its compact name. An empty selection takes all.
bool Selected(const Field &field, const std::vector<std::string> &tags);

}  // namespace cli
