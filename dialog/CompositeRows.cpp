#include "dialog/CompositeRows.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
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

std::string TwoDigits(long long n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// "YYYY:MM:DD HH:MM:SS" with the fractions of a second after its seconds
// and the time zone after them ("2024:05:01 14:27:07.24+02:00"), each when
// the file records it. None when it records neither.
std::optional<std::string> SubSecDateTime(std::span<const exif::TTagEntry> entries, std::string_view dateName,
                                          std::string_view subSecName, std::string_view offsetName) {
    const exif::TTagEntry *date = Find(entries, dateName);
    if (!date) return std::nullopt;
    std::string text(exif::TrimmedView(date->Value));
    bool changed = false;
    if (const exif::TTagEntry *subSec = Find(entries, subSecName)) {
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
    if (const exif::TTagEntry *offset = Find(entries, offsetName)) {
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

// The first number of a main directory's entry; none when it has none. An
// entry the reader computed (the 35 mm focal length) holds only its text.
std::optional<double> Number(std::span<const exif::TTagEntry> entries, std::string_view name) {
    const exif::TTagEntry *e = Find(entries, name);
    if (!e) return std::nullopt;
    if (const std::optional<double> n = NumberAt(exif::EntryComponents(*e), 0)) return n;
    const std::string text(exif::TrimmedView(e->Value));
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool Positive(const std::optional<double> &v) {
    return v && *v > 0;
}

std::string Printed(const char *format, double a, double b = 0, double c = 0) {
    std::array<char, 96> buffer{};
    std::snprintf(buffer.data(), buffer.size(), format, a, b, c);
    return buffer.data();
}

// A shutter speed as exiftool prints one: 1/N up to a quarter second, else
// seconds to a tenth without a trailing ".0".
std::string ExposureText(double seconds) {
    if (seconds > 0 && seconds < 0.25001) return "1/" + std::to_string(static_cast<long long>(0.5 + 1 / seconds));
    std::string text = Printed("%.1f", seconds);
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    return text;
}

// The aperture: the f-number, else the APEX aperture value (2^(Av/2)).
std::optional<double> ApertureOf(std::span<const exif::TTagEntry> entries) {
    if (const std::optional<double> f = Number(entries, "FNumber"); Positive(f)) return f;
    const std::optional<double> av = Number(entries, "ApertureValue");
    if (!av) return std::nullopt;
    const double f = std::pow(2.0, *av / 2);
    return f > 0 ? std::optional<double>(f) : std::nullopt;
}

// The exposure time, else the APEX shutter speed value (2^-Tv).
std::optional<double> ShutterSpeedOf(std::span<const exif::TTagEntry> entries) {
    if (const std::optional<double> t = Number(entries, "ExposureTime")) return t;
    const std::optional<double> tv = Number(entries, "ShutterSpeedValue");
    if (!tv) return std::nullopt;
    return std::pow(2.0, -*tv);
}

// The ratio of a 35 mm frame's focal length to the lens's: the 35 mm focal
// length the file records (or the reader found from the sensor's size) over
// the focal length.
std::optional<double> ScaleFactorOf(std::span<const exif::TTagEntry> entries) {
    const std::optional<double> focal = Number(entries, "FocalLength");
    const std::optional<double> focal35 = Number(entries, "FocalLengthin35mmFilm");
    if (!Positive(focal) || !Positive(focal35)) return std::nullopt;
    return *focal35 / *focal;
}

// exiftool's reading of IPTC's CCYYMMDD and HHMMSS±HHMM: with colons.
std::string IptcDateText(const std::string &date) {
    if (date.size() != 8 || date.find_first_not_of("0123456789") != std::string::npos) return date;
    return date.substr(0, 4) + ":" + date.substr(4, 2) + ":" + date.substr(6, 2);
}

std::string IptcTimeText(const std::string &time) {
    if (time.size() < 6 || time.substr(0, 6).find_first_not_of("0123456789") != std::string::npos) return time;
    std::string text = time.substr(0, 2) + ":" + time.substr(2, 2) + ":" + time.substr(4, 2);
    const std::string zone = time.substr(6);
    if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-')) return text + zone.substr(0, 3) + ":" + zone.substr(3);
    return text + zone;
}

// The GPS time of day (hours, minutes, seconds as stored) as HH:MM:SS with
// the seconds' fractions to nanoseconds, trailing zeros cut.
std::optional<std::string> GpsTimeText(std::span<const exif::TTagEntry> entries) {
    const exif::TTagEntry *time = Find(entries, "GPSTimeStamp", "GPS");
    if (!time) return std::nullopt;
    const std::vector<exif::TComponent> parts = exif::EntryComponents(*time);
    double total = 0;
    for (size_t i = 0; i < parts.size() && i < 3; ++i) total = total * 60 + NumberAt(parts, i).value_or(0);
    for (size_t i = parts.size(); i < 3; ++i) total *= 60;
    if (!std::isfinite(total) || total < 0 || total > 1e9) return std::nullopt;
    auto hours = static_cast<long long>(total / 3600);
    total -= static_cast<double>(hours) * 3600;
    auto minutes = static_cast<long long>(total / 60);
    total -= static_cast<double>(minutes) * 60;
    std::string seconds = Printed("%012.9f", total);
    if (total >= 59.9999999995) {
        seconds = "00";
        if (++minutes >= 60) minutes -= 60, ++hours;
    } else {
        while (seconds.ends_with('0')) seconds.pop_back();
        if (seconds.ends_with('.')) seconds.pop_back();
    }
    return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + seconds;
}

// Adds a row: its name, its text, its numbers (kept only with -n).
using AddRow = std::function<void(std::string, std::string, std::vector<double>)>;

void AddPositionRows(std::span<const exif::TTagEntry> entries, const AddRow &add) {
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
}

// The dates of several entries: GPS's date and time in UTC, EXIF's three
// dates with their fractions of a second and time zones, IPTC's date and time
// created.
void AddDateRows(std::span<const exif::TTagEntry> entries, const TCompositeSources &sources, const AddRow &add) {
    const exif::TTagEntry *gpsDate = Find(entries, "GPSDateStamp", "GPS");
    if (const std::optional<std::string> time = GpsTimeText(entries); time && gpsDate)
        add("GPSDateTime", std::string(exif::TrimmedView(gpsDate->Value)) + " " + *time + "Z", {});
    if (const auto date = SubSecDateTime(entries, "DateTimeOriginal", "SubSecTimeOriginal", "OffsetTimeOriginal"))
        add("SubSecDateTimeOriginal", *date, {});
    if (const auto date = SubSecDateTime(entries, "DateTimeDigitized", "SubSecTimeDigitized", "OffsetTimeDigitized"))
        add("SubSecCreateDate", *date, {});
    if (const auto date = SubSecDateTime(entries, "DateTime", "SubSecTime", "OffsetTime"))
        add("SubSecModifyDate", *date, {});
    if (!sources.IptcDate.empty() && !sources.IptcTime.empty())
        add("DateTimeCreated", IptcDateText(sources.IptcDate) + " " + IptcTimeText(sources.IptcTime), {});
}

void AddImageRows(const TCompositeSources &sources, const AddRow &add) {
    if (sources.ImageWidth <= 0 || sources.ImageHeight <= 0) return;
    const double w = sources.ImageWidth;
    const double h = sources.ImageHeight;
    add("ImageSize", std::to_string(sources.ImageWidth) + "x" + std::to_string(sources.ImageHeight), {w, h});
    const double megapixels = w * h / 1e6;
    const int decimals = megapixels >= 1 ? 1 : megapixels >= 0.001 ? 3 : 6;
    add("Megapixels", exif::FixedText(megapixels, decimals), {megapixels});
}

// The light value: the exposure's aperture and time brought to ISO 100,
// log2(N^2 * 100 / (t * ISO)); 0 is f/1 for a second at ISO 100.
void AddExposureRows(std::span<const exif::TTagEntry> entries, const AddRow &add) {
    const std::optional<double> aperture = ApertureOf(entries);
    const std::optional<double> time = ShutterSpeedOf(entries);
    if (aperture) add("Aperture", Printed(*aperture < 1 ? "%.2f" : "%.1f", *aperture), {*aperture});
    if (time) add("ShutterSpeed", ExposureText(*time), {*time});
    const std::optional<double> iso = Number(entries, "ISOSpeedRatings");
    if (Positive(aperture) && Positive(time) && Positive(iso)) {
        const double lv = std::log2(*aperture * *aperture * 100 / (*time * *iso));
        add("LightValue", Printed("%.1f", lv), {lv});
    }
}

// A distance at which focus is set, in metres: EXIF's subject distance.
// None when a maker note records its own focus distance, which the formulas
// would take first and which this reader does not convert to metres.
std::optional<double> FocusDistanceOf(std::span<const exif::TTagEntry> entries) {
    for (const exif::TTagEntry &e : entries)
        if (e.MakerNote != 0 &&
            (e.Name.starts_with("FocusDistance") || e.Name == "ApproximateFocusDistance" || e.Name == "ObjectDistance"))
            return std::nullopt;
    const std::optional<double> d = Number(entries, "SubjectDistance");
    return Positive(d) ? d : std::nullopt;
}

// The depth of field around distance `d` (metres): its near and far limits,
// the far one 0 when it reaches infinity.
std::pair<double, double> FieldLimits(double focal, double aperture, double coc, double d) {
    const double t = aperture * coc * (d * 1000 - focal) / (focal * focal);
    const double far = d / (1 - t);
    return {d / (1 + t), far < 0 ? 0 : far};
}

std::string DepthOfFieldText(double nearLimit, double farLimit) {
    if (farLimit == 0) return Printed("inf (%.2f m - inf)", nearLimit);
    const double depth = farLimit - nearLimit;
    return Printed(depth > 0 && depth < 0.02 ? "%.3f m (%.3f - %.3f m)" : "%.2f m (%.2f - %.2f m)", depth, nearLimit,
                   farLimit);
}

// The optics measured on a 35 mm frame (36 x 24 mm): the scale factor, the
// focal length it gives, the circle of confusion (the frame's diagonal over
// 1440), the field of view along the long side, the hyperfocal distance
// (f^2 / (N * c)) and the depth of field at the focus distance.
void AddOpticsRows(std::span<const exif::TTagEntry> entries, const AddRow &add) {
    const std::optional<double> focal = Number(entries, "FocalLength");
    const std::optional<double> scale = ScaleFactorOf(entries);
    // Without a scale factor exiftool gives the focal length itself; this
    // reader finds fewer sensor sizes than exiftool, so it gives none rather
    // than a focal length exiftool would scale.
    if (!scale) return;
    add("ScaleFactor35efl", Printed("%.1f", *scale), {*scale});
    const double equivalent = *focal * *scale;
    add("FocalLength35efl", Printed("%.1f mm (35 mm equivalent: %.1f mm)", *focal, equivalent), {equivalent});
    const double coc = std::sqrt(24.0 * 24 + 36 * 36) / (*scale * 1440);
    add("CircleOfConfusion", Printed("%.3f mm", coc), {coc});
    if (Positive(focal)) {
        const double fov = std::atan2(36, 2 * *focal * *scale) * 360 / 3.14159;
        add("FOV", Printed("%.1f deg", fov), {fov});
    }
    const std::optional<double> aperture = ApertureOf(entries);
    if (!focal || !aperture) return;
    if (*aperture > 0) {
        const double hyperfocal = *focal * *focal / (*aperture * coc * 1000);
        add("HyperfocalDistance", Printed("%.2f m", hyperfocal), {hyperfocal});
    }
    const std::optional<double> distance = FocusDistanceOf(entries);
    if (distance && *focal > 0) {
        const auto [nearLimit, farLimit] = FieldLimits(*focal, *aperture, coc, *distance);
        add("DOF", DepthOfFieldText(nearLimit, farLimit), {nearLimit, farLimit});
    }
}

}  // namespace

std::vector<GridRow> CompositeRows(std::span<const exif::TTagEntry> entries, bool withNumbers,
                                   const TCompositeSources &sources) {
    std::vector<GridRow> rows;
    const auto add = [&](std::string name, std::string value, std::vector<double> numbers) {
        GridRow &row = rows.emplace_back(GridRow{std::move(name), std::move(value)});
        row.Group = CompositeGroup;
        if (withNumbers)
            for (const double n : numbers) row.Numbers.emplace_back(n);
    };
    AddPositionRows(entries, add);
    AddDateRows(entries, sources, add);
    if (const std::optional<std::string> lens = LensId(entries)) add("LensID", *lens, {});
    AddImageRows(sources, add);
    AddExposureRows(entries, add);
    AddOpticsRows(entries, add);
    return rows;
}

}  // namespace params
