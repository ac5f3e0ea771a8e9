#include "dialog/CompositeRows.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace params {

namespace {

const std::string CompositeGroup = "Composite";

// Decimals of a coordinate shown as text: a millionth of a degree is about
// 0.1 m on the ground.
constexpr int DegreeDecimals = 6;

// The entry of the main image's directories named `name`, maker notes left
// out; with `directory`, only an entry read from that directory.
const exif::TTagEntry *Find(std::span<const exif::TTagEntry> entries, std::string_view name,
                            std::string_view directory = {}) {
    for (const exif::TTagEntry &e : entries) {
        if (e.MakerNote != 0 || e.Name != name) continue;
        if (e.Directory == "IFD1" || e.Directory.starts_with("SubIFD")) continue;
        if (directory.empty() || e.Directory == directory) return &e;
    }
    return nullptr;
}

std::optional<double> NumberAt(const std::vector<exif::TComponent> &components, size_t i) {
    if (i >= components.size()) return std::nullopt;
    const double v = std::visit([](auto n) { return static_cast<double>(n); }, components[i]);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

// A GPS coordinate: degrees, minutes and seconds (the later ones may be
// missing) as decimal degrees, negative when its reference is S or W. None
// without the reference, which alone tells the hemisphere.
std::optional<double> Coordinate(std::span<const exif::TTagEntry> entries, std::string_view name,
                                 std::string_view refName, char negative) {
    const exif::TTagEntry *value = Find(entries, name, "GPS");
    const exif::TTagEntry *ref = Find(entries, refName, "GPS");
    if (!value || !ref) return std::nullopt;
    const std::vector<exif::TComponent> parts = exif::EntryComponents(*value);
    if (parts.empty() || parts.size() > 3) return std::nullopt;
    double degrees = 0;
    double unit = 1;
    for (size_t i = 0; i < parts.size(); ++i, unit /= 60) {
        const std::optional<double> part = NumberAt(parts, i);
        if (!part) return std::nullopt;
        degrees += *part * unit;
    }
    const std::string_view hemisphere = exif::TrimmedView(ref->Value);
    if (!hemisphere.empty() && (hemisphere.front() == negative || hemisphere.front() == negative + ('a' - 'A')))
        degrees = -degrees;
    return degrees;
}

// Metres above sea level; below it (reference 1, or 3: below the sea-level
// reference) negative. Without a reference the altitude is above sea level,
// the reference's default.
std::optional<double> Altitude(std::span<const exif::TTagEntry> entries) {
    const exif::TTagEntry *value = Find(entries, "GPSAltitude", "GPS");
    if (!value) return std::nullopt;
    const std::optional<double> metres = NumberAt(exif::EntryComponents(*value), 0);
    if (!metres) return std::nullopt;
    const exif::TTagEntry *ref = Find(entries, "GPSAltitudeRef", "GPS");
    const std::optional<double> below = ref ? NumberAt(exif::EntryComponents(*ref), 0) : std::nullopt;
    return below && (*below == 1 || *below == 3) ? -std::fabs(*metres) : *metres;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "YYYY:MM:DD HH:MM:SS" with the fractions of a second after its seconds
// and the time zone after them ("2024:05:01 14:27:07.24+02:00"), each when
// the file records it. None when it records neither.
std::optional<std::string> SubSecDateTime(std::span<const exif::TTagEntry> entries) {
    const exif::TTagEntry *date = Find(entries, "DateTimeOriginal");
    if (!date) return std::nullopt;
    std::string text(exif::TrimmedView(date->Value));
    bool changed = false;
    if (const exif::TTagEntry *subSec = Find(entries, "SubSecTimeOriginal")) {
        const std::string_view digits = exif::TrimmedView(subSec->Value);
        size_t n = 0;
        while (n < digits.size() && IsDigit(digits[n])) ++n;
        // The seconds end at character 19 unless the date holds fractions already.
        constexpr size_t SecondsEnd = 19;
        if (n > 0 && text.size() >= SecondsEnd && text[10] == ' ' &&
            (text.size() == SecondsEnd || text[SecondsEnd] != '.')) {
            text.insert(SecondsEnd, "." + std::string(digits.substr(0, n)));
            changed = true;
        }
    }
    if (const exif::TTagEntry *offset = Find(entries, "OffsetTimeOriginal")) {
        // "+HH:MM" or "-HH:MM" (one digit of hours accepted), unless the date
        // carries a zone already.
        const std::string_view zone = exif::TrimmedView(offset->Value);
        const size_t colon = zone.find(':');
        const bool wellFormed = zone.size() >= 5 && (zone[0] == '+' || zone[0] == '-') && (colon == 2 || colon == 3) &&
                                zone.size() >= colon + 3 && IsDigit(zone[1]) && IsDigit(zone[colon - 1]) &&
                                IsDigit(zone[colon + 1]) && IsDigit(zone[colon + 2]);
        if (wellFormed && text.find_first_of("+-") == std::string::npos) {
            text += zone[0];
            if (colon == 2) text += '0';
            text += zone.substr(1, colon + 2);
            changed = true;
        }
    }
    if (!changed) return std::nullopt;
    return text;
}

// A lens name as a table gave it, not a number or a note that none matched.
bool NamesALens(std::string_view text) {
    if (text.empty() || text.starts_with("Unknown") || text == "n/a") return false;
    for (const char c : text)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    return false;
}

// The lens: the EXIF LensModel, else a lens name the maker note's tables
// decoded (its LensModel, else its LensType). Nikon's LensType names the
// lens's kind ("G VR"), never the lens. The name as its cell shows it: a
// maker note's text without the quotes its entry keeps.
std::optional<std::string> LensId(std::span<const exif::TTagEntry> entries) {
    if (const exif::TTagEntry *model = Find(entries, "LensModel")) {
        std::string name = ExifCellValue(*model);
        if (!name.empty()) return name;
    }
    for (const std::string_view wanted : {"LensModel", "LensType", "LensType2"})
        for (const exif::TTagEntry &e : entries) {
            if (e.MakerNote == 0 || e.Name != wanted) continue;
            if (wanted == "LensType" && e.Directory == "Nikon") continue;
            std::string name = ExifCellValue(e);
            if (NamesALens(name)) return name;
        }
    return std::nullopt;
}

}  // namespace

std::vector<GridRow> CompositeRows(std::span<const exif::TTagEntry> entries, bool withNumbers) {
    std::vector<GridRow> rows;
    const auto add = [&](std::string name, std::string value, std::vector<double> numbers) {
        GridRow &row = rows.emplace_back(GridRow{std::move(name), std::move(value)});
        row.Group = CompositeGroup;
        if (withNumbers)
            for (const double n : numbers) row.Numbers.emplace_back(n);
    };
    const std::optional<double> latitude = Coordinate(entries, "GPSLatitude", "GPSLatitudeRef", 'S');
    const std::optional<double> longitude = Coordinate(entries, "GPSLongitude", "GPSLongitudeRef", 'W');
    if (latitude) add("GPSLatitude", exif::FixedText(*latitude, DegreeDecimals), {*latitude});
    if (longitude) add("GPSLongitude", exif::FixedText(*longitude, DegreeDecimals), {*longitude});
    if (latitude && longitude)
        add("GPSPosition",
            exif::FixedText(*latitude, DegreeDecimals) + ", " + exif::FixedText(*longitude, DegreeDecimals),
            {*latitude, *longitude});
    // Shown to a tenth of a metre, cut rather than rounded as other tools show it.
    if (const std::optional<double> altitude = Altitude(entries))
        add("GPSAltitude", exif::FixedText(std::trunc(*altitude * 10) / 10 + 0.0, 1) + " m", {*altitude});
    if (const std::optional<std::string> date = SubSecDateTime(entries)) add("SubSecDateTimeOriginal", *date, {});
    if (const std::optional<std::string> lens = LensId(entries)) add("LensID", *lens, {});
    return rows;
}

}  // namespace params
