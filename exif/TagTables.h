// The EXIF tag vocabulary: the main-image table (also used for the EXIF,
// interoperability and sub-image directories), the GPS table, and the JPEG
// marker names.
#pragma once

#include <array>
#include <span>
#include <string>

#include "exif/TagEntry.h"

namespace exif {

// The main table: its tags in ascending order, then the default row.
constexpr int MainDefaultRow = 408;
constexpr int MainTagCount = MainDefaultRow + 1;
constexpr int GpsTagCount = 32;  // GPS tags 0 to 31, row i holding tag i
constexpr int JpegMarkerCount = 30;
constexpr int PanasonicRawTagCount = 39;

extern const std::array<TTagRow, MainTagCount> MainTagTable;
extern const std::array<TTagRow, GpsTagCount> GpsTagTable;
// IFD0 of a Panasonic or Leica RW2/RWL raw: the sensor's size and borders,
// ISO, white balance levels, the raw format and the embedded JPEG in tags
// below 0x0100, then the usual TIFF tags the raw keeps; in tag order.
extern const std::array<TTagRow, PanasonicRawTagCount> PanasonicRawTagTable;
extern const std::array<TTagRow, JpegMarkerCount> JpegMarkerNames;

// Directory kinds: 1 main image and everything reached from it but GPS, 2
// GPS, 3 a Panasonic raw's IFD0 (its sub-directories are of kind 1).
enum DirectoryKind : int { KindMain = 1, KindGps = 2, KindPanasonicRaw = 3 };

// Readable label derived from a name: a blank before every capital that
// follows a non-capital ("NewSubfileType" -> "New Subfile Type").
std::string SpacedName(std::string_view name);

// Gives every table row without a description its spaced name; runs once.
void FillTagDescriptions();
// The (filled) description of a row of the main, GPS or Panasonic raw table.
const std::string &MainDescription(int row);
const std::string &GpsDescription(int row);

// The row describing `tag` in a directory of `kind`; the default row (tag
// number 0, name "Unknown") when no row does. Found by binary search.
const TTagRow &TagRowOf(uint16_t tag, int kind);
// The same row, searched from the place `hint` holds (0 at first), which
// the search leaves where the tag is or would be: a directory's tags come in
// rising order, most often a few rows apart. Any hint gives the same row.
const TTagRow &TagRowOf(uint16_t tag, int kind, size_t &hint);
// Whether a row is the default row TagRowOf gives for a tag no table holds
// (tag number 0 alone cannot tell: it is GPSVersionID's).
bool IsDefaultRow(const TTagRow &row);
// The filled description of a row of the main or GPS table.
const std::string &TagDescription(const TTagRow &row);
// Copy of that row as an entry, with its filled description.
TTagEntry FetchTagRow(uint16_t tag, int kind);
// Index of the first main row (the default row aside) whose name equals
// `name` ignoring letter case, or -1.
int FindTagRowByName(std::string_view name);
// Generic lookups over any table whose rows are in ascending tag order, by
// binary search: first row with the tag, or -1; value codes of the last row
// with the tag, or empty.
int FindTagIndex(uint16_t tag, std::span<const TTagRow> rows);
std::string_view TagCodesInTable(uint16_t tag, std::span<const TTagRow> rows);
const TTagRow *LastRowOf(uint16_t tag, std::span<const TTagRow> rows);

}  // namespace exif
