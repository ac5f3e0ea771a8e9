// Leica's notes beyond those of the bodies Panasonic built (which use
// Panasonic's table): after "LEICA\0\0\0" the M8's (offsets counted from the
// directory's first byte), after "LEICA\0" and a version byte the X, T, Q, SL
// and CL bodies' (offsets from the note's first byte, or for the Q, SL and CL
// from the TIFF header), after "LEICA\0\x02\0" the M10's and S's, after
// "LEICA\0\x02\xff" the S2's and M (Typ 240)'s. The M lens number is the
// stored value divided by 4; its low 2 bits give the frame selector's
// position, which names a few manually coded lenses and the focal length of
// the multi-focal ones.
#include <array>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// clang-format off
constexpr std::array<TTagRow, 8> LeicaM8Rows = {{
    {0x0300, "Quality", "Quality", "1:Fine,2:Basic", "", nullptr},
    {0x0302, "UserProfile", "User Profile", "1:User Profile 1,2:User Profile 2,3:User Profile 3,4:User Profile 0 (Dynamic)", "", nullptr},
    {0x0303, "SerialNumber", "Serial Number", "", "", SevenDigits},
    {0x0304, "WhiteBalance", "White Balance", "0:Auto or Manual,1:Daylight,2:Fluorescent,3:Tungsten,4:Flash,10:Cloudy,11:Shade", "", nullptr},
    {0x0310, "LensType", "Lens Type", "", "", LeicaLensType},
    {0x0312, "MeasuredLV", "Measured LV", "", "", DecimalsText},
    {0x0320, "CameraTemperature", "Camera Temperature", "", "%d C", nullptr},
    {0x0340, "ImageIDNumber", "Image ID Number", "", "", nullptr},
}};

constexpr std::array<TTagRow, 7> LeicaRows = {{
    {0x0303, "LensType", "Lens Type", "", "", nullptr},
    {0x0305, "SerialNumber", "Serial Number", "", "", nullptr},
    {0x0407, "OriginalFileName", "Original File Name", "", "", nullptr},
    {0x0408, "OriginalDirectory", "Original Directory", "", "", nullptr},
    {0x040D, "ExposureMode", "Exposure Mode", "0:Program AE,1:Aperture-priority AE,2:Shutter speed priority AE,3:Manual", "", FirstField},
    {0x0412, "FilmMode", "Film Mode", "", "", nullptr},
    {0x0500, "InternalSerialNumber", "Internal Serial Number", "", "", PanasonicSerialNumber},
}};

constexpr std::array<TTagRow, 6> LeicaMRows = {{
    {0x0304, "FocusDistance", "Focus Distance", "", "", nullptr},
    {0x0311, "ExternalSensorBrightnessValue", "External Sensor Brightness Value", "", "", DecimalsText},
    {0x0312, "MeasuredLV", "Measured LV", "", "", DecimalsText},
    {0x034C, "UserProfile", "User Profile", "", "", nullptr},
    {0x0359, "ISOSelected", "ISO Selected", "0:Auto", "", nullptr},
    {0x035A, "FNumber", "F Number", "", "", Thousandths},
}};

constexpr std::array<TTagRow, 5> LeicaSRows = {{
    {0x0303, "LensType", "Lens Type", "", "", nullptr},
    {0x0311, "ExternalSensorBrightnessValue", "External Sensor Brightness Value", "", "", DecimalsText},
    {0x0312, "MeasuredLV", "Measured LV", "", "", DecimalsText},
    {0x0320, "FirmwareVersion", "Firmware Version", "", "", DottedBytes},
    {0x0321, "LensSerialNumber", "Lens Serial Number", "", "", nullptr},
}};

// The M lenses: lens number x 8 + frame selector bits for a name that holds
// at one position only, lens number x 8 + Any for the name at any other.
constexpr int64_t Any = 4;
constexpr std::array<TLensRow, 58> LeicaLensRows = {{
    {0 * 8 + 0, "Uncoded lens"},
    {1 * 8 + Any, "Elmarit-M 21mm f/2.8"},
    {3 * 8 + Any, "Elmarit-M 28mm f/2.8 (III)"},
    {4 * 8 + Any, "Tele-Elmarit-M 90mm f/2.8 (II)"},
    {5 * 8 + Any, "Summilux-M 50mm f/1.4 (II)"},
    {6 * 8 + 0, "Summilux-M 35mm f/1.4"},
    {6 * 8 + Any, "Summicron-M 35mm f/2 (IV)"},
    {7 * 8 + Any, "Summicron-M 90mm f/2 (II)"},
    {9 * 8 + 0, "Apo-Telyt-M 135mm f/3.4"},
    {9 * 8 + Any, "Elmarit-M 135mm f/2.8 (I/II)"},
    {11 * 8 + Any, "Summaron-M 28mm f/5.6"},
    {12 * 8 + Any, "Thambar-M 90mm f/2.2"},
    {16 * 8 + 1, "Tri-Elmar-M 16-18-21mm f/4 ASPH. (at 16mm)"},
    {16 * 8 + 2, "Tri-Elmar-M 16-18-21mm f/4 ASPH. (at 18mm)"},
    {16 * 8 + 3, "Tri-Elmar-M 16-18-21mm f/4 ASPH. (at 21mm)"},
    {16 * 8 + Any, "Tri-Elmar-M 16-18-21mm f/4 ASPH."},
    {23 * 8 + Any, "Summicron-M 50mm f/2 (III)"},
    {24 * 8 + Any, "Elmarit-M 21mm f/2.8 ASPH."},
    {25 * 8 + Any, "Elmarit-M 24mm f/2.8 ASPH."},
    {26 * 8 + Any, "Summicron-M 28mm f/2 ASPH."},
    {27 * 8 + Any, "Elmarit-M 28mm f/2.8 (IV)"},
    {28 * 8 + Any, "Elmarit-M 28mm f/2.8 ASPH."},
    {29 * 8 + 0, "Summilux-M 35mm f/1.4 ASPHERICAL"},
    {29 * 8 + Any, "Summilux-M 35mm f/1.4 ASPH."},
    {30 * 8 + Any, "Summicron-M 35mm f/2 ASPH."},
    {31 * 8 + 0, "Noctilux-M 50mm f/1.2"},
    {31 * 8 + Any, "Noctilux-M 50mm f/1"},
    {32 * 8 + Any, "Summilux-M 50mm f/1.4 ASPH."},
    {33 * 8 + Any, "Summicron-M 50mm f/2 (IV, V)"},
    {34 * 8 + Any, "Elmar-M 50mm f/2.8"},
    {35 * 8 + Any, "Summilux-M 75mm f/1.4"},
    {36 * 8 + Any, "Apo-Summicron-M 75mm f/2 ASPH."},
    {37 * 8 + Any, "Apo-Summicron-M 90mm f/2 ASPH."},
    {38 * 8 + Any, "Elmarit-M 90mm f/2.8"},
    {39 * 8 + 0, "Tele-Elmar-M 135mm f/4 (II)"},
    {39 * 8 + Any, "Macro-Elmar-M 90mm f/4"},
    {40 * 8 + Any, "Macro-Adapter M"},
    {41 * 8 + 3, "Apo-Summicron-M 50mm f/2 ASPH."},
    {41 * 8 + Any, "Apo-Summicron-M 50mm f/2 ASPH."},
    {42 * 8 + 1, "Tri-Elmar-M 28-35-50mm f/4 ASPH. (at 28mm)"},
    {42 * 8 + 2, "Tri-Elmar-M 28-35-50mm f/4 ASPH. (at 35mm)"},
    {42 * 8 + 3, "Tri-Elmar-M 28-35-50mm f/4 ASPH. (at 50mm)"},
    {42 * 8 + Any, "Tri-Elmar-M 28-35-50mm f/4 ASPH."},
    {43 * 8 + Any, "Summarit-M 35mm f/2.5"},
    {44 * 8 + Any, "Summarit-M 50mm f/2.5"},
    {45 * 8 + Any, "Summarit-M 75mm f/2.5"},
    {46 * 8 + Any, "Summarit-M 90mm f/2.5"},
    {47 * 8 + Any, "Summilux-M 21mm f/1.4 ASPH."},
    {48 * 8 + Any, "Summilux-M 24mm f/1.4 ASPH."},
    {49 * 8 + Any, "Noctilux-M 50mm f/0.95 ASPH."},
    {50 * 8 + Any, "Elmar-M 24mm f/3.8 ASPH."},
    {51 * 8 + 2, "Super-Elmar-M 14mm f/3.8 Asph"},
    {51 * 8 + Any, "Super-Elmar-M 21mm f/3.4 Asph"},
    {52 * 8 + Any, "Apo-Telyt-M 18mm f/3.8 ASPH."},
    {53 * 8 + 2, "Apo-Telyt-M 135mm f/3.4"},
    {53 * 8 + 3, "Apo-Summicron-M 50mm f/2 (VI)"},
    {53 * 8 + Any, "Apo-Telyt-M 135mm f/3.4"},
    {58 * 8 + Any, "Noctilux-M 75mm f/1.25 ASPH."},
}};
// clang-format on

}  // namespace

const std::span<const TTagRow> LeicaM8Tags{LeicaM8Rows};
const std::span<const TTagRow> LeicaTags{LeicaRows};
const std::span<const TTagRow> LeicaMTags{LeicaMRows};
const std::span<const TTagRow> LeicaSTags{LeicaSRows};
const std::span<const TLensRow> LeicaLenses{LeicaLensRows};

std::optional<std::string_view> LeicaLensName(uint32_t stored) {
    const int64_t lens = stored >> 2, bits = stored & 3;
    if (const auto exact = LensName(LeicaLenses, lens * 8 + bits)) return exact;
    return LensName(LeicaLenses, lens * 8 + Any);
}

std::string LeicaLensType(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto stored = UnsignedAt(*out, 0, 4);
    if (!stored) return text;
    const auto n = static_cast<uint32_t>(*stored);
    const std::optional<std::string_view> name = LeicaLensName(n);
    return name ? std::string(*name)
                : "Unknown (" + exif::IntText(n >> 2) + " " + exif::IntText(n & 3) + ")";
}

// A number of at least seven digits, zeros in front.
std::string SevenDigits(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    const auto n = exif::ParseDecimal(text);
    if (!n || *n < 0) return text;
    std::string digits = exif::IntText(*n);
    if (digits.size() < 7) digits.insert(0, 7 - digits.size(), '0');
    return digits;
}

// A number in thousandths, with one decimal: 5600 is "5.6".
std::string Thousandths(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    const auto n = exif::ParseDecimal(text);
    return n ? exif::FixedText(static_cast<double>(*n) / 1000, 1) : text;
}

}  // namespace makernotes
