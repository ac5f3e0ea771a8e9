// The rendering functions of the Nikon and Canon maker-note rows. Each takes
// the text the maker-note walk rendered for the entry (numbers separated by
// ", ", at most eight of them; texts between double quotes) and gives the
// text to list. The Canon decoders unpack an array of settings into labelled
// lines, give each as a sub-entry to store, and report the lines as a block.
#include <array>
#include <exception>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

using exif::CountOf;
using exif::DecodeValueCode;
using exif::NthField;
using exif::Trim;

std::string Line(std::string_view label, std::string_view value) {
    std::string line = "\r\n";
    line += label;
    line += " = ";
    line += value;
    return line;
}

// A line that is added only when its value is not blank.
std::string StoredLine(std::string_view label, const std::string &value, TRenderOut *out) {
    if (Trim(value).empty()) return {};
    if (out) out->SubEntries.emplace_back(label, value);
    return Line(label, value);
}

// One item of a Canon settings array. A coded item decodes the number in
// field Number + 1 with its value codes; a plain item shows field Number as
// it stands.
enum class TItemKind { Coded, Plain };

struct TCanonItem {
    std::string_view Label;
    TItemKind Kind;
    int Number;
    std::string_view ValueCodes;
};

constexpr std::string_view LowNormalHigh = "65535:Low,0:Normal,1:High";

// Canon tag 0x0001: camera settings, an array of 16-bit values.
// clang-format off
constexpr std::array<TCanonItem, 20> CameraSettingItems = {{
    {"Macro mode", TItemKind::Coded, 1, "1:Macro,2:Normal"},
    {"Self Timer", TItemKind::Plain, 3, ""},  // plain items count fields from 1
    {"Compression Rate", TItemKind::Coded, 3, "1:Economy,2:Normal,3:Fine,4:RAW,5:Superfine"},
    {"Flash Mode", TItemKind::Coded, 4, "0:Not fired,1:Auto,2:On,3:Red-eye,4:Slow sync,5:Auto+red-eye,6:On+red eye,16:External flash"},
    {"Drive Mode", TItemKind::Coded, 5, "0:Single,1:Continuous"},
    {"Focus Mode", TItemKind::Coded, 7, "0:One-Shot,1:AI Servo,2:AI Focus,3:MF,4:Single,5:Continuous,6:MF"},
    {"Image Size", TItemKind::Coded, 10, "0:Large,1:Medium,2:Small,4:5MPixel,5:2 MPixel,6:1.5 MPixel"},
    {"Easy Shoot", TItemKind::Coded, 11, "0:Full Auto,1:Manual,2:Landscape,3:Fast Shutter,4:Slow Shutter,5:Night,6:B&W,7:Sepia,8:Portrait,9:Sports,10:Macro/Close-Up,11:Pan Focus"},
    {"Contrast", TItemKind::Coded, 13, LowNormalHigh},
    {"Saturation", TItemKind::Coded, 14, LowNormalHigh},
    {"Sharpness", TItemKind::Coded, 15, LowNormalHigh},
    {"CCD ISO", TItemKind::Coded, 16, "0:Not used,15:auto,16:50,17:100,18:200,19:400"},
    {"Metering Mode", TItemKind::Coded, 17, LowNormalHigh},
    {"AF Point", TItemKind::Coded, 19, LowNormalHigh},
    {"Exposure Mode", TItemKind::Coded, 20, LowNormalHigh},
    {"Long focal", TItemKind::Plain, 24, ""},
    {"Short focal", TItemKind::Plain, 25, ""},
    {"Focal Units", TItemKind::Plain, 26, ""},
    {"Flash Details", TItemKind::Plain, 29, ""},
    {"Focus Mode", TItemKind::Coded, 32, LowNormalHigh},
}};
// clang-format on

// Canon tag 0x0004: shot information.
// clang-format off
constexpr std::array<TCanonItem, 6> ShotInfoItems = {{
    {"White balance", TItemKind::Coded, 7, "0:Auto,1:Sunny,2:Cloudy,3:Tungsten,4:Flourescent,5:Flash,6:Custom"},
    {"Sequence Number", TItemKind::Plain, 9, ""},
    {"OpticalZoom Step", TItemKind::Plain, 11, ""},
    {"AF point", TItemKind::Plain, 14, ""},
    {"Flash bias", TItemKind::Coded, 15, "65472:-2 EV,65484:-1.67 EV,65488:-1.50 EV,65492:-1.33 EV,65504:-1 EV,65516:-0.67 EV,65520:-0.50 EV,65524:-0.33 EV,0:0 EV,12:0.33 EV,16:0.50 EV,20:0.67 EV,32:1 EV,44:1.33 EV,48:1.50 EV,52:1.67 EV,64:2 EV"},
    {"Distance", TItemKind::Plain, 19, ""},
}};
// clang-format on

// Canon tag 0x000F: custom functions. Each value is function number × 256 +
// setting.
struct TCustomFunction {
    int Number;
    std::string_view Label;
    std::string_view ValueCodes;
};

// clang-format off
constexpr std::array<TCustomFunction, 15> CustomFunctions = {{
    {1, "Noise Reduction", "0: Off,1: On"},
    {2, "Shutter AE Lock Button", "0:AF/AE lock,1:AE lock/AF,2:AF/AF lock,3:AE+release/AE+AF"},
    {3, "Mirror Lockup", "0:Disable,1:Enable"},
    {4, "Exposure Level", "0:1/2 stop,1:1/3 stop"},
    {5, "AF Assist", "0:On (auto),1:Off"},
    {6, "AV Shutter Speed", "0:Automatic,1: 1/200 (fixed)"},
    {7, "AEB Sequence", "0:0, -, + / Enabled1: 0, -, + / Disabled,2: -, 0, + / Enabled,3: -, 0, + / Disabled"},
    {8, "Shutter Sync", "0:1st-curtain sync,1: 2nd-curtain sync"},
    {9, "Lens AF Button", "0:AF stop,1:Operate AF,2:Lock AE and start timer"},
    {10, "Fill Flash Reduction", "0:Enable,1:Disable"},
    {11, "Menu Return", "0:Top,1:Previous (volatile),2:Previous"},
    {12, "Set Button", "0:Not assigned,1:Change quality,2:Change ISO speed,3:Select parameters"},
    {13, "Sensor Cleaning", "0:Disable,1:Enable"},
    {14, "Superimposed Display", "0: On,1: Off"},
    {15, "Shutter Release w/o CF Card", "0:Enable,1:Disable"},
}};
// clang-format on

template <size_t N>
std::string ItemLines(const std::string &text, const std::array<TCanonItem, N> &items, TRenderOut *out) {
    if (out) out->Block = true;
    std::string lines;
    for (const TCanonItem &item : items)
        lines += item.Kind == TItemKind::Coded ? CodedFieldLine(text, item.Label, item.Number, item.ValueCodes, out)
                                               : FieldLine(text, item.Label, item.Number, out);
    return lines;
}

std::string CustomFunctionLine(std::string_view field, TRenderOut *out) {
    const auto value = exif::ParseDecimal(field);
    if (!value || *value < 0) return {};
    const int32_t number = *value / 256, setting = *value % 256;
    for (const TCustomFunction &f : CustomFunctions)
        if (f.Number == number) return CodedLine(f.Label, setting, f.ValueCodes, out);
    return {};
}

}  // namespace

// ------------------------------------------------------------------ helpers

std::string DecodedField(std::string_view text, int index, std::string_view valueCodes) {
    try {
        return DecodeValueCode(valueCodes, NthField(text, ",", index + 1));
    } catch (const std::exception &) {
        return "0";
    }
}

std::string CodedLine(std::string_view label, int32_t number, std::string_view valueCodes, TRenderOut *out) {
    return StoredLine(label, DecodeValueCode(valueCodes, exif::IntText(number)), out);
}

std::string FieldLine(std::string_view text, std::string_view label, int n, TRenderOut *out) {
    return StoredLine(label, NthField(text, ",", n), out);
}

std::string CodedFieldLine(std::string_view text, std::string_view label, int index, std::string_view valueCodes,
                           TRenderOut *out) {
    return StoredLine(label, DecodedField(text, index, valueCodes), out);
}

// ------------------------------------------------------------------- Nikon

// The colour mode is an ASCII value such as "MODE2   ", rendered between
// double quotes: its first five characters name the mode.
std::string NikonColorModeText(const std::string &text, TRenderOut *) {
    const std::string mode = text.size() > 1 ? text.substr(1, 5) : std::string();
    if (mode == "MODE1") return "Mode1 (sRGB)";
    if (mode == "MODE2") return "Mode 2 (Adobe RGB)";
    if (mode == "MODE3") return "Mode 3 (sRGB): higher saturation";
    return mode;
}

// Four rationals: shortest and longest focal length, then the largest
// apertures at both ends.
std::string NikonLensText(const std::string &text, TRenderOut *) {
    std::string rest = text;
    std::array<double, 4> v{};
    for (size_t i = 0; i < 3; ++i) v[i] = exif::FractionValue(exif::TakeCommaPiece(rest));
    v[3] = exif::FractionValue(rest);
    return exif::FixedText(v[0], 1) + "-" + exif::FixedText(v[1], 1) + "(mm)  F" + exif::FixedText(v[2], 1) + "-F" +
           exif::FixedText(v[3], 1);
}

// ------------------------------------------------------------------- Canon

// Item 22 of the settings (beyond the items the rendered text holds) is the
// lens type: a line when the lens table names a lens for it.
std::string CanonCameraSettings(const std::string &text, TRenderOut *out) {
    std::string lines = ItemLines(text, CameraSettingItems, out);
    if (!out) return lines;
    const std::optional<uint64_t> lens = UnsignedAt(*out, 22 * 2, 2);
    const std::optional<std::string_view> name = lens ? LensName(CanonLenses, static_cast<int64_t>(*lens)) : std::nullopt;
    if (name && *name != "n/a") lines += StoredLine("LensType", std::string(*name), out);
    return lines;
}

std::string CanonShotInfo(const std::string &text, TRenderOut *out) {
    return ItemLines(text, ShotInfoItems, out);
}

// Only the fields before the last comma are read; a field that is not a
// number, or names no known function, adds nothing.
std::string CanonCustomFunctions(const std::string &text, TRenderOut *out) {
    if (out) out->Block = true;
    std::string lines;
    const int commas = CountOf(text, ",");
    for (int j = 1; j <= commas; ++j) lines += CustomFunctionLine(NthField(text, ",", j), out);
    return lines;
}

}  // namespace makernotes
