#include "exif/FocalLength35.h"

#include <array>
#include <cmath>
#include <optional>

#include "exif/ImageInfo.h"
#include "exif/TagTables.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace exif {

namespace {
constexpr double FilmDiagonal = 43.26661531;  // mm, diagonal of the 36 x 24 mm frame
constexpr double MmPerInch = 25.4;
// A scale factor outside these is no camera's: below, a sensor larger than
// medium format; above, one smaller than any phone's (a resized copy's
// pixels measured with the sensor's resolution).
constexpr double MinScaleFactor = 0.5, MaxScaleFactor = 15;

// Millimetres per FocalPlaneResolutionUnit: 3 cm, 4 mm, 5 µm; EXIF's
// default, and what cameras mean by 1 ("none") and 2, is the inch.
double MillimetresPerUnit(int32_t unit) {
    switch (unit) {
        case 3: return 10.0;
        case 4: return 1.0;
        case 5: return 0.001;
        default: return MmPerInch;
    }
}

// The entry of that name a main directory holds (a maker note may use the
// same name for another value).
const TTagEntry *MainEntry(const TImageInfo &info, std::string_view name) {
    for (const TTagEntry &e : info.StoredEntries())
        if (e.MakerNote == 0 && SameTextAscii(e.Name, name)) return &e;
    return nullptr;
}

double MainNumber(const TImageInfo &info, std::string_view name) {
    const TTagEntry *e = MainEntry(info, name);
    if (!e) return 0;
    tEndInd order;
    order.BigEndian = e->BigEndian;
    return NumericValue(order, e->Raw, e->DataType);
}

struct TFraction {
    uint32_t Numerator = 0, Denominator = 0;
};

// The first rational of a main-directory entry, as stored (not reduced).
std::optional<TFraction> StoredFraction(const TImageInfo &info, std::string_view name) {
    const TTagEntry *e = MainEntry(info, name);
    if (!e || e->DataType != TypeRational || e->Raw.size() < 8) return std::nullopt;
    tEndInd order;
    order.BigEndian = e->BigEndian;
    const std::string_view raw = e->Raw;
    return TFraction{static_cast<uint32_t>(OrderedInt(order, raw.substr(0, 4))),
                     static_cast<uint32_t>(OrderedInt(order, raw.substr(4, 4)))};
}

// Canon writes the focal-plane resolution as the image's width (height) in
// pixels times 1000 over the sensor's width (height) in thousandths of an
// inch, so the denominators give the sensor whatever the image's size. The
// pattern is checked before it is trusted: numerators of whole thousands for
// 640 x 480 to 10000 x 10000 pixels, sensors from 0.061 inch up, not square
// (a reduced fraction loses the pattern).
std::optional<double> CanonSensorDiagonal(const TImageInfo &info) {
    if (Trim(info.CameraMake) != "Canon") return std::nullopt;
    const auto x = StoredFraction(info, "FocalPlaneXResolution");
    const auto y = StoredFraction(info, "FocalPlaneYResolution");
    if (!x || !y) return std::nullopt;
    const bool pattern = x->Numerator % 1000 == 0 && y->Numerator % 1000 == 0 && x->Numerator >= 640000 &&
                         y->Numerator >= 480000 && x->Numerator < 10000000 && y->Numerator < 10000000 &&
                         x->Denominator >= 61 && x->Denominator < 1500 && y->Denominator >= 61 &&
                         y->Denominator < 1000 && x->Denominator != y->Denominator;
    if (!pattern) return std::nullopt;
    return std::hypot(static_cast<double>(x->Denominator), static_cast<double>(y->Denominator)) * MmPerInch / 1000;
}

// The sensor measured by the focal-plane resolution against the image it
// describes: the camera's image as EXIF records it, else the main image of a
// TIFF-structured file (a raw's full-size image, not its preview). A pair
// with an unlikely aspect ratio (a strip, a mistyped size) is passed over.
std::optional<double> ResolutionSensorDiagonal(const TImageInfo &info) {
    const double xres = MainNumber(info, "FocalPlaneXResolution");
    double yres = MainNumber(info, "FocalPlaneYResolution");
    if (!(xres > 0)) return std::nullopt;
    if (!(yres > 0)) yres = xres;
    const double mm = MillimetresPerUnit(RoundToInt32(MainNumber(info, "FocalPlaneResolutionUnit")));
    const std::array<std::array<int32_t, 2>, 2> sizes = {{{info.PixelWidth, info.PixelHeight},
                                                           {info.MainWidth, info.MainHeight}}};
    for (const auto &[w, h] : sizes) {
        if (w <= 0 || h <= 0) continue;
        const double aspect = static_cast<double>(w) / h;
        if (aspect <= 0.5 || aspect >= 2) continue;
        return std::hypot(w * mm / xres, h * mm / yres);
    }
    return std::nullopt;
}

// The sensor's diagonal, from the first source that gives one: Canon's
// sensor size, a maker note's FocalPlaneDiagonal, the focal-plane resolution.
std::optional<double> SensorDiagonal(const TImageInfo &info) {
    if (const auto canon = CanonSensorDiagonal(info)) return canon;
    const int32_t i = info.EntryIndexOf("FocalPlaneDiagonal");
    if (i >= 0) {
        const TTagEntry e = info.EntryAt(i);
        tEndInd order;
        order.BigEndian = e.BigEndian;
        if (const double d = NumericValue(order, e.Raw, e.DataType); d > 0) return d;
    }
    return ResolutionSensorDiagonal(info);
}

}  // namespace

// The focal length times the scale factor, the ratio of the film's diagonal
// to the sensor's; a factor no camera has gives no row.
void AddFocalLength35(TImageInfo &info) {
    if (info.EntryIndexOf("FocalLengthin35mmFilm") >= 0) return;
    const double focal = MainNumber(info, "FocalLength");
    if (!(focal > 0)) return;
    const std::optional<double> diagonal = SensorDiagonal(info);
    if (!diagonal || !(*diagonal > 0)) return;
    const double factor = FilmDiagonal / *diagonal;
    if (factor < MinScaleFactor || factor > MaxScaleFactor) return;
    const double equivalent = focal * factor;

    TTagEntry entry =
        FetchTagRow(MainTagTable[static_cast<size_t>(FindTagRowByName("FocalLengthIn35mmFilm"))].Tag, KindMain);
    entry.Value = FixedText(equivalent, 2, 5);
    entry.Raw.clear();
    entry.FormatPattern = "%s mm";
    entry.DataType = TypeSRational;
    info.AddEntry(entry);
    if (info.Builds(BuildListing)) info.DumpText += "\r\n" + entry.Description + " = " + entry.Value;
}

}  // namespace exif
