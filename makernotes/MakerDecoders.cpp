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
