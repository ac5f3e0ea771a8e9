// The directories inside Olympus's note (and OM System's): Equipment 0x2010,
// CameraSettings 0x2020, ImageProcessing 0x2040 and FocusInfo 0x2050, each
// walked with its own table. The newer notes ("OLYMPUS\0" and a byte order
// mark, "OM SYSTEM\0\0\0" and a byte order mark) count their offsets from the
// note's first byte; the older ("OLYMP\0") from the TIFF header.
#include <algorithm>
#include <array>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// clang-format off
constexpr std::array<TTagRow, 17> EquipmentRows = {{
    {0x0000, "EquipmentVersion", "Equipment Version", "", "", nullptr},
    {0x0100, "CameraType2", "Camera Type 2", "", "", nullptr},
    {0x0101, "SerialNumber", "Serial Number", "", "", nullptr},
    {0x0102, "InternalSerialNumber", "Internal Serial Number", "", "", nullptr},
    {0x0103, "FocalPlaneDiagonal", "Focal Plane Diagonal", "", "", nullptr},
    {0x0104, "BodyFirmwareVersion", "Body Firmware Version", "", "", OlympusFirmware},
    {0x0201, "LensType", "Lens Type", "", "", OlympusLensType},
    {0x0202, "LensSerialNumber", "Lens Serial Number", "", "", nullptr},
    {0x0203, "LensModel", "Lens Model", "", "", nullptr},
    {0x0204, "LensFirmwareVersion", "Lens Firmware Version", "", "", OlympusFirmware},
    {0x0207, "MinFocalLength", "Min Focal Length", "", "", nullptr},
    {0x0208, "MaxFocalLength", "Max Focal Length", "", "", nullptr},
    {0x020B, "LensProperties", "Lens Properties", "", "", nullptr},
    {0x0302, "ExtenderSerialNumber", "Extender Serial Number", "", "", nullptr},
    {0x1000, "FlashType", "Flash Type", "0:None,2:Simple E-System,3:E-System,4:E-System (body powered)", "", nullptr},
    {0x1001, "FlashModel", "Flash Model", "0:None,1:FL-20,2:FL-50,3:RF-11,4:TF-22,5:FL-36,6:FL-50R,7:FL-36R,9:FL-14,11:FL-600R,13:FL-LM3,15:FL-900R", "", nullptr},
    {0x1003, "FlashSerialNumber", "Flash Serial Number", "", "", nullptr},
}};

// Texts that hold a comma in exiftool's names have " / " in its place.
constexpr std::array<TTagRow, 31> CameraSettingsRows = {{
    {0x0000, "CameraSettingsVersion", "Camera Settings Version", "", "", nullptr},
    {0x0100, "PreviewImageValid", "Preview Image Valid", "0:No,1:Yes", "", nullptr},
    {0x0102, "PreviewImageLength", "Preview Image Length", "", "", nullptr},
    {0x0200, "ExposureMode", "Exposure Mode", "1:Manual,2:Program,3:Aperture-priority AE,4:Shutter speed priority AE,5:Program-shift", "", nullptr},
    {0x0201, "AELock", "AELock", "0:Off,1:On", "", nullptr},
    {0x0202, "MeteringMode", "Metering Mode", "2:Center-weighted average,3:Spot,5:ESP,261:Pattern+AF,515:Spot+Highlight control,1027:Spot+Shadow control", "", nullptr},
    {0x0203, "ExposureShift", "Exposure Shift", "", "", nullptr},
    {0x0204, "NDFilter", "NDFilter", "0:Off,1:On", "", nullptr},
    {0x0300, "MacroMode", "Macro Mode", "0:Off,1:On,2:Super Macro", "", nullptr},
    {0x0301, "FocusMode", "Focus Mode", "0:Single AF,1:Sequential shooting AF,2:Continuous AF,3:Multi AF,4:Face Detect,10:MF", "", FirstField},
    {0x0303, "AFSearch", "AFSearch", "0:Not Ready,1:Ready", "", nullptr},
    {0x0401, "FlashExposureComp", "Flash Exposure Comp", "", "", nullptr},
    {0x0500, "WhiteBalance2", "White Balance 2", "0:Auto,1:Auto (Keep Warm Color Off),16:7500K (Fine Weather with Shade),17:6000K (Cloudy),18:5300K (Fine Weather),20:3000K (Tungsten light),21:3600K (Tungsten light-like),22:Auto Setup,23:5500K (Flash),33:6600K (Daylight fluorescent),34:4500K (Neutral white fluorescent),35:4000K (Cool white fluorescent),36:White Fluorescent,48:3600K (Tungsten light-like),67:Underwater,256:One Touch WB 1,257:One Touch WB 2,258:One Touch WB 3,259:One Touch WB 4,512:Custom WB 1,513:Custom WB 2,514:Custom WB 3,515:Custom WB 4", "", nullptr},
    {0x0501, "WhiteBalanceTemperature", "White Balance Temperature", "0:Auto", "", nullptr},
    {0x0502, "WhiteBalanceBracket", "White Balance Bracket", "", "", nullptr},
    {0x0503, "CustomSaturation", "Custom Saturation", "", "", nullptr},
    {0x0504, "ModifiedSaturation", "Modified Saturation", "0:Off,1:CM1 (Red Enhance),2:CM2 (Green Enhance),3:CM3 (Blue Enhance),4:CM4 (Skin Tones)", "", nullptr},
    {0x0505, "ContrastSetting", "Contrast Setting", "", "", nullptr},
    {0x0506, "SharpnessSetting", "Sharpness Setting", "", "", nullptr},
    {0x0507, "ColorSpace", "Color Space", "0:sRGB,1:Adobe RGB,2:Pro Photo RGB", "", nullptr},
    {0x0509, "SceneMode", "Scene Mode", "", "", nullptr},
    {0x050A, "NoiseReduction", "Noise Reduction", "", "", nullptr},
    {0x050B, "DistortionCorrection", "Distortion Correction", "0:Off,1:On", "", nullptr},
    {0x050C, "ShadingCompensation", "Shading Compensation", "0:Off,1:On", "", nullptr},
    {0x050D, "CompressionFactor", "Compression Factor", "", "", nullptr},
    {0x050F, "Gradation", "Gradation", "", "", nullptr},
    {0x0520, "PictureMode", "Picture Mode", "1:Vivid,2:Natural,3:Muted,4:Portrait,5:i-Enhance,6:e-Portrait,7:Color Creator,9:Color Profile 1,10:Color Profile 2,11:Color Profile 3,12:Monochrome Profile 1,13:Monochrome Profile 2,14:Monochrome Profile 3,256:Monotone,512:Sepia", "", FirstField},
    {0x0600, "DriveMode", "Drive Mode", "", "", nullptr},
    {0x0601, "PanoramaMode", "Panorama Mode", "", "", nullptr},
    {0x0603, "ImageQuality2", "Image Quality 2", "1:SQ,2:HQ,3:SHQ,4:RAW,5:SQ (5)", "", nullptr},
    {0x0604, "ImageStabilization", "Image Stabilization", "0:Off,1:On / Mode 1,2:On / Mode 2,3:On / Mode 3,4:On / Mode 4", "", nullptr},
}};

constexpr std::array<TTagRow, 16> ImageProcessingRows = {{
    {0x0000, "ImageProcessingVersion", "Image Processing Version", "", "", nullptr},
    {0x0100, "WB_RBLevels", "WB RB Levels", "", "", nullptr},
    {0x011F, "WB_GLevel", "WB_GLevel", "", "", nullptr},
    {0x0300, "Enhancer", "Enhancer", "", "", nullptr},
    {0x0301, "EnhancerValues", "Enhancer Values", "", "", nullptr},
    {0x0310, "CoringFilter", "Coring Filter", "", "", nullptr},
    {0x0600, "BlackLevel2", "Black Level2", "", "", nullptr},
    {0x0610, "GainBase", "Gain Base", "", "", nullptr},
    {0x0611, "ValidBits", "Valid Bits", "", "", nullptr},
    {0x0612, "CropLeft", "Crop Left", "", "", nullptr},
    {0x0613, "CropTop", "Crop Top", "", "", nullptr},
    {0x0614, "CropWidth", "Crop Width", "", "", nullptr},
    {0x0615, "CropHeight", "Crop Height", "", "", nullptr},
    {0x1010, "NoiseReduction2", "Noise Reduction2", "", "", nullptr},
    {0x1011, "DistortionCorrection2", "Distortion Correction2", "0:Off,1:On", "", nullptr},
    {0x1012, "ShadingCompensation2", "Shading Compensation2", "0:Off,1:On", "", nullptr},
}};

constexpr std::array<TTagRow, 13> FocusInfoRows = {{
    {0x0000, "FocusInfoVersion", "Focus Info Version", "", "", nullptr},
    {0x0209, "AutoFocus", "Auto Focus", "0:Off,1:On", "", nullptr},
    {0x0210, "SceneDetect", "Scene Detect", "", "", nullptr},
    {0x0300, "ZoomStepCount", "Zoom Step Count", "", "", nullptr},
    {0x0301, "FocusStepCount", "Focus Step Count", "", "", nullptr},
    {0x0303, "FocusStepInfinity", "Focus Step Infinity", "", "", nullptr},
    {0x0304, "FocusStepNear", "Focus Step Near", "", "", nullptr},
    {0x0305, "FocusDistance", "Focus Distance", "", "", nullptr},
    {0x1201, "ExternalFlash", "External Flash", "", "", nullptr},
    {0x1203, "ExternalFlashGuideNumber", "External Flash Guide Number", "", "", nullptr},
    {0x1204, "ExternalFlashBounce", "External Flash Bounce", "0:Bounce or Off,1:Direct", "", nullptr},
    {0x1205, "ExternalFlashZoom", "External Flash Zoom", "", "", nullptr},
    {0x1208, "InternalFlash", "Internal Flash", "", "", nullptr},
}};
// clang-format on

}  // namespace

const std::span<const TTagRow> OlympusEquipmentTags{EquipmentRows};
const std::span<const TTagRow> OlympusCameraSettingsTags{CameraSettingsRows};
const std::span<const TTagRow> OlympusImageProcessingTags{ImageProcessingRows};
const std::span<const TTagRow> OlympusFocusInfoTags{FocusInfoRows};

namespace {

// clang-format off
const std::array<exif::TMakerSubDirectory, 4> OlympusDirectoryRows = {{
    {0x2010, OlympusEquipmentTags},
    {0x2020, OlympusCameraSettingsTags},
    {0x2040, OlympusImageProcessingTags},
    {0x2050, OlympusFocusInfoTags},
}};
// clang-format on

}  // namespace

const std::span<const exif::TMakerSubDirectory> OlympusDirectories{OlympusDirectoryRows};

// Six bytes: the lens's make, an unused byte, its model and sub-model.
std::string OlympusLensType(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto make = UnsignedAt(*out, 0, 1), model = UnsignedAt(*out, 2, 1), sub = UnsignedAt(*out, 3, 1);
    if (!make || !model || !sub) return text;
    const int64_t id = static_cast<int64_t>(*make * 65536 + *model * 256 + *sub);
    const std::optional<std::string_view> name = LensName(OlympusLenses, id);
    return name ? std::string(*name) : "Unknown (" + HexNumber(*make, 1) + " " + HexNumber(*model, 2) + " " + HexNumber(*sub, 2) + ")";
}

// A firmware version written as a hexadecimal number whose last three digits
// follow the point: 0x1234 is "1.234".
std::string OlympusFirmware(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto n = UnsignedAt(*out, 0, 4);
    if (!n) return text;
    std::string hex = HexNumber(*n, 1);
    if (hex.size() > 3) hex.insert(hex.size() - 3, ".");
    return hex;
}

// The first number of an array whose first number alone is coded.
std::string FirstField(const std::string &text, TRenderOut *out) {
    if (out) out->StoreShown = true;
    return exif::TextBefore(text, ", ");
}

std::string HexNumber(uint64_t n, int width) {
    static constexpr std::string_view Digits = "0123456789abcdef";
    std::string hex;
    do {
        hex.insert(hex.begin(), Digits[n & 0x0F]);
        n >>= 4;
    } while (n != 0);
    while (static_cast<int>(hex.size()) < width) hex.insert(hex.begin(), '0');
    return hex;
}

}  // namespace makernotes
