// Canon's binary blocks: the camera settings (entry 0x0001), the shot
// information (0x0004), the file information (0x0093), the AF information
// (0x0012, 0x0026), time zone (0x0035), crop and aspect (0x0098, 0x009A),
// processing (0x00A0), sensor (0x00E0) and lighting optimisation (0x4018):
// arrays of numbers whose first element is mostly the array's size in
// bytes. Element numbers and codes as Canon's cameras write them; a code's
// text that holds a comma has " / " in its place (the codes' separator). The
// settings rows a product export already carries keep the names it has
// always shown them by.
#include <array>
#include <cmath>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/BinaryBlock.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

using K = TBlockKind;

std::span<const TLensRow> Canon() {
    return CanonLenses;
}

double Aperture(double code) {
    return std::exp2(CanonEv(code) / 2);
}
double ExposureTime(double code) {
    return std::exp2(-CanonEv(code));
}
double Iso(double code) {
    return std::exp2(code / 32) * 100;
}
double BaseIso(double code) {
    return std::exp2(code / 32) * 100 / 32;
}
double MeasuredEv(double code) {
    return code / 32 + 5;
}
double MeasuredEv2(double code) {
    return code / 8 - 6;
}
double Thirty2nds(double code) {
    return code / 32;
}
double Tenths(double code) {
    return code / 10;
}
// A 16-bit field read unsigned (the block's elements are signed).
double Unsigned16(double code) {
    return code < 0 ? code + 65536 : code;
}
double UnsignedHundredths(double code) {
    return Unsigned16(code) / 100;
}
// The 20D's and 350D's exposure time is counted in other units.
double EarlyExposureTime(double code) {
    return ExposureTime(code) * 1000 / 32;
}
double Celsius(double code) {
    return code - 128;
}
double Same(double code) {
    return code;
}

std::string Whole(double v) {
    return exif::FixedText(v, 0);
}
std::string TwoDecimals(double v) {
    return exif::FixedText(v, 2);
}
std::string Millimetres(double v) {
    return SignificantText(v) + " mm";
}
std::string Degrees(double v) {
    return SignificantText(v) + " C";
}
std::string Metres(double v) {
    return v > 655.345 ? "inf" : SignificantText(v) + " m";
}
// A parameter of the picture style: 0 is "Normal", others signed.
std::string Parameter(double v) {
    return v == 0 ? "Normal" : v > 0 ? "+" + SignificantText(v) : SignificantText(v);
}
// Minutes east of UTC as "+01:00".
std::string TimeZoneText(double v) {
    const auto minutes = static_cast<int64_t>(std::fabs(v));
    std::string hours = exif::IntText(minutes / 60), rest = exif::IntText(minutes % 60);
    if (hours.size() < 2) hours.insert(0, "0");
    if (rest.size() < 2) rest.insert(0, "0");
    return (v < 0 ? "-" : "+") + hours + ":" + rest;
}
std::string Signed(double v) {
    return v > 0 ? "+" + SignificantText(v) : SignificantText(v);
}

// One of the bodies named, as a whole word of the Model ("20D" is not
// "120D", nor "REBEL XT" "REBEL XTi").
bool EarlyBody(const TBlockFacts &f) {
    for (const std::string_view name : {"20D", "350D", "REBEL XT", "Kiss Digital N"}) {
        const size_t at = f.Model.find(name);
        if (at == std::string_view::npos) continue;
        const size_t end = at + name.size();
        if ((at == 0 || f.Model[at - 1] == ' ') && (end == f.Model.size() || f.Model[end] == ' ')) return true;
    }
    return false;
}
bool NotEarlyBody(const TBlockFacts &f) {
    return !EarlyBody(f);
}

bool EosBody(const TBlockFacts &f) {
    return f.Model.find("EOS") != std::string_view::npos && !f.Model.ends_with("EOS-1D") &&
           !f.Model.ends_with("EOS-1DS");
}

// clang-format off
constexpr std::array<TBlockRow, 36> CameraSettingsRows = {{
    {1, 1, "Macro mode", K::Coded, "1:Macro,2:Normal"},
    {2, 1, "Self Timer", K::Number},
    {3, 1, "Compression Rate", K::Coded, "-1:n/a,1:Economy,2:Normal,3:Fine,4:RAW,5:Superfine,7:CRAW,130:Light (RAW),131:Standard (RAW)"},
    {4, 1, "Flash Mode", K::Coded, "-1:n/a,0:Not fired,1:Auto,2:On,3:Red-eye,4:Slow sync,5:Auto+red-eye,6:On+red eye,16:External flash"},
    {5, 1, "Drive Mode", K::Coded, "0:Single,1:Continuous,2:Movie,3:Continuous / Speed Priority,4:Continuous / Low,5:Continuous / High,6:Silent Single,8:Continuous / High+,9:Single / Silent,10:Continuous / Silent"},
    {7, 1, "Focus Mode", K::Coded, "0:One-Shot,1:AI Servo,2:AI Focus,3:MF,4:Single,5:Continuous,6:MF,16:Pan Focus,256:AF + MF,257:Live View,512:Movie Snap Focus,519:Movie Servo AF"},
    {9, 1, "RecordMode", K::Coded, "1:JPEG,2:CRW+THM,3:AVI+THM,4:TIF,5:TIF+JPEG,6:CR2,7:CR2+JPEG,9:MOV,10:MP4,11:CRM,12:CR3,13:CR3+JPEG,14:HIF,15:CR3+HIF", "-1"},
    {10, 1, "CanonImageSize", K::Coded, "-1:n/a,0:Large,1:Medium,2:Small,5:Medium 1,6:Medium 2,7:Medium 3,8:Postcard,9:Widescreen,10:Medium Widescreen,14:Small 1,15:Small 2,16:Small 3,128:640x480 Movie,129:Medium Movie,130:Small Movie,137:1280x720 Movie,142:1920x1080 Movie,143:4096x2160 Movie"},
    {11, 1, "EasyMode", K::Coded, "0:Full auto,1:Manual,2:Landscape,3:Fast shutter,4:Slow shutter,5:Night,6:Gray Scale,7:Sepia,8:Portrait,9:Sports,10:Macro,11:Black & White,12:Pan focus,13:Vivid,14:Neutral,15:Flash Off,16:Long Shutter,17:Super Macro,18:Foliage,19:Indoor,20:Fireworks,21:Beach,22:Underwater,23:Snow,24:Kids & Pets,25:Night Snapshot,26:Digital Macro,27:My Colors,28:Movie Snap,29:Super Macro 2,30:Color Accent,31:Color Swap,32:Aquarium,33:ISO 3200,34:ISO 6400,35:Creative Light Effect,36:Easy,37:Quick Shot,38:Creative Auto,39:Zoom Blur,40:Low Light,41:Nostalgic,42:Super Vivid,43:Poster Effect,44:Face Self-timer,45:Smile,46:Wink Self-timer,47:Fisheye Effect,48:Miniature Effect,49:High-speed Burst,50:Best Image Selection,51:High Dynamic Range,52:Handheld Night Scene,53:Movie Digest,54:Live View Control,55:Discreet,56:Blur Reduction,57:Monochrome,58:Toy Camera Effect,59:Scene Intelligent Auto,60:High-speed Burst HQ,61:Smooth Skin,62:Soft Focus,68:Food,84:HDR Art Standard,85:HDR Art Vivid,93:HDR Art Bold,257:Spotlight,258:Night 2,259:Night+,260:Super Night,261:Sunset,263:Night Scene,264:Surface,265:Low Light 2"},
    {12, 1, "DigitalZoom", K::Coded, "0:None,1:2x,2:4x,3:Other"},
    {13, 1, "Contrast", K::Converted, "", "32767", Same, Parameter},
    {14, 1, "Saturation", K::Converted, "", "32767", Same, Parameter},
    {15, 1, "Sharpness", K::Converted, "", "32767", Same, Signed},
    {17, 1, "MeteringMode", K::Coded, "0:Default,1:Spot,2:Average,3:Evaluative,4:Partial,5:Center-weighted average"},
    {18, 1, "FocusRange", K::Coded, "0:Manual,1:Auto,2:Not Known,3:Macro,4:Very Close,5:Close,6:Middle Range,7:Far Range,8:Pan Focus,9:Super Macro,10:Infinity"},
    {19, 1, "AFPoint", K::Coded, "8197:Manual AF point selection,12288:None (MF),12289:Auto AF point selection,12290:Right,12291:Center,12292:Left,16385:Auto AF point selection,16390:Face Detect", "0"},
    {20, 1, "CanonExposureMode", K::Coded, "0:Easy,1:Program AE,2:Shutter speed priority AE,3:Aperture-priority AE,4:Manual,5:Depth-of-field AE,6:M-Dep,7:Bulb,8:Flexible-priority AE"},
    {22, 1, "LensType", K::LensId, "", "0", nullptr, nullptr, Canon},
    {.Offset = 23, .Count = 1, .Name = "MaxFocalLength", .Kind = K::Converted, .Convert = Unsigned16, .Print = Millimetres, .PerElement = 25},
    {.Offset = 24, .Count = 1, .Name = "MinFocalLength", .Kind = K::Converted, .Convert = Unsigned16, .Print = Millimetres, .PerElement = 25},
    {25, 1, "FocalUnits", K::Number},
    {26, 1, "MaxAperture", K::Converted, "", "", Aperture, PrintTwoDigits},
    {27, 1, "MinAperture", K::Converted, "", "", Aperture, PrintTwoDigits},
    {28, 1, "FlashActivity", K::Number, "", "-1"},
    {29, 1, "FlashBits", K::Number},
    {32, 1, "FocusContinuous", K::Coded, "0:Single,1:Continuous,8:Manual", "-1"},
    {33, 1, "AESetting", K::Coded, "0:Normal AE,1:Exposure Compensation,2:AE Lock,3:AE Lock + Exposure Comp.,4:No AE", "-1"},
    {34, 1, "ImageStabilization", K::Coded, "0:Off,1:On,2:Shoot Only,3:Panning,4:Dynamic,256:Off (2),257:On (2),258:Shoot Only (2),259:Panning (2),260:Dynamic (2)", "-1"},
    {35, 1, "DisplayAperture", K::Converted, "", "0", Tenths},
    {36, 1, "ZoomSourceWidth", K::Number},
    {37, 1, "ZoomTargetWidth", K::Number},
    {39, 1, "SpotMeteringMode", K::Coded, "0:Center,1:AF Point", "-1"},
    {40, 1, "PhotoEffect", K::Coded, "0:Off,1:Vivid,2:Neutral,3:Smooth,4:Sepia,5:B&W,6:Custom,100:My Color Data", "-1"},
    {41, 1, "ManualFlashOutput", K::Coded, "0:n/a,1280:Full,1282:Medium,1284:Low,32767:n/a"},
    {42, 1, "ColorTone", K::Converted, "", "32767", Same, Parameter},
    {46, 1, "SRAWQuality", K::Coded, "0:n/a,1:sRAW1 (mRAW),2:sRAW2 (sRAW)", "-1"},
}};

constexpr std::array<TBlockRow, 29> ShotInfoRows = {{
    {1, 1, "AutoISO", K::Converted, "", "", Iso, Whole},
    {2, 1, "BaseISO", K::Converted, "", "0", BaseIso, Whole},
    {3, 1, "MeasuredEV", K::Converted, "", "", MeasuredEv, TwoDecimals},
    {4, 1, "TargetAperture", K::Converted, "", "", Aperture, PrintTwoDigits},
    {5, 1, "TargetExposureTime", K::Converted, "", "", ExposureTime, PrintExposureTime},
    {6, 1, "ExposureCompensation", K::Converted, "", "", CanonEv, PrintFraction},
    {7, 1, "White balance", K::Coded, "0:Auto,1:Sunny,2:Cloudy,3:Tungsten,4:Flourescent,5:Flash,6:Custom,7:Black & White,8:Shade,9:Manual Temperature (Kelvin),10:PC Set1,11:PC Set2,12:PC Set3,14:Daylight Fluorescent,15:Custom 1,16:Custom 2,17:Underwater,18:Custom 3,19:Custom 4,20:PC Set4,21:PC Set5,23:Auto (ambience priority)"},
    {8, 1, "SlowShutter", K::Coded, "-1:n/a,0:Off,1:Night Scene,2:On,3:None"},
    {9, 1, "SequenceNumber", K::Number},
    {10, 1, "OpticalZoomCode", K::Number},
    {12, 1, "CameraTemperature", K::Converted, "", "0", Celsius, Degrees, nullptr, EosBody},
    {13, 1, "FlashGuideNumber", K::Converted, "", "-1", Thirty2nds},
    {14, 1, "AFPointsInFocus", K::Coded, "12288:None (MF),12289:Right,12290:Center,12291:Center+Right,12292:Left,12293:Left+Right,12294:Left+Center,12295:All", "0"},
    {15, 1, "FlashExposureComp", K::Converted, "", "", CanonEv, PrintFraction},
    {16, 1, "AutoExposureBracketing", K::Coded, "-1:On,0:Off,1:On (shot 1),2:On (shot 2),3:On (shot 3)"},
    {17, 1, "AEBBracketValue", K::Converted, "", "", CanonEv, PrintFraction},
    {18, 1, "ControlMode", K::Coded, "0:n/a,1:Camera Local Control,3:Computer Remote Control"},
    {19, 1, "FocusDistanceUpper", K::Converted, "", "0", UnsignedHundredths, Metres},
    {.Offset = 20, .Count = 1, .Name = "FocusDistanceLower", .Kind = K::Converted, .Convert = UnsignedHundredths, .Print = Metres, .IfElement = 19},
    {21, 1, "FNumber", K::Converted, "", "0", Aperture, PrintTwoDigits},
    {22, 1, "ExposureTime", K::Converted, "", "0", ExposureTime, PrintExposureTime, nullptr, NotEarlyBody},
    {22, 1, "ExposureTime", K::Converted, "", "0", EarlyExposureTime, PrintExposureTime, nullptr, EarlyBody},
    {23, 1, "MeasuredEV2", K::Converted, "", "0", MeasuredEv2},
    {24, 1, "BulbDuration", K::Converted, "", "", Tenths},
    {26, 1, "CameraType", K::Coded, "0:n/a,248:EOS High-end,250:Compact,252:EOS Mid-range,255:DV Camera"},
    {27, 1, "AutoRotate", K::Coded, "-1:n/a,0:None,1:Rotate 90 CW,2:Rotate 180,3:Rotate 270 CW"},
    {28, 1, "NDFilter", K::Coded, "-1:n/a,0:Off,1:On"},
    {29, 1, "SelfTimer2", K::Converted, "", "", Tenths},
    {33, 1, "FlashOutput", K::Number},
}};

constexpr std::array<TBlockRow, 12> FileInfoRows = {{
    {3, 1, "BracketMode", K::Coded, "0:Off,1:AEB,2:FEB,3:ISO,4:WB"},
    {6, 1, "RawJpgQuality", K::Coded, "-1:n/a,1:Economy,2:Normal,3:Fine,4:RAW,5:Superfine,7:CRAW,130:Light (RAW),131:Standard (RAW)", "0,-1"},
    {7, 1, "RawJpgSize", K::Coded, "-1:n/a,0:Large,1:Medium,2:Small,5:Medium 1,6:Medium 2,7:Medium 3,8:Postcard,9:Widescreen,10:Medium Widescreen,14:Small 1,15:Small 2,16:Small 3,128:640x480 Movie,129:Medium Movie,130:Small Movie,137:1280x720 Movie,142:1920x1080 Movie,143:4096x2160 Movie"},
    {8, 1, "LongExposureNoiseReduction2", K::Coded, "0:Off,1:On (1D),3:On,4:Auto"},
    {9, 1, "WBBracketMode", K::Coded, "0:Off,1:On (shift AB),2:On (shift GM)"},
    {14, 1, "FilterEffect", K::Coded, "0:None,1:Yellow,2:Orange,3:Red,4:Green", "-1"},
    {15, 1, "ToningEffect", K::Coded, "0:None,1:Sepia,2:Blue,3:Purple,4:Green", "-1"},
    {19, 1, "LiveViewShooting", K::Coded, "0:Off,1:On"},
    {20, 1, "FocusDistanceUpper", K::Converted, "", "0", UnsignedHundredths, Metres},
    {.Offset = 21, .Count = 1, .Name = "FocusDistanceLower", .Kind = K::Converted, .Convert = UnsignedHundredths, .Print = Metres, .IfElement = 20},
    {23, 1, "ShutterMode", K::Coded, "0:Mechanical,1:Electronic First Curtain,2:Electronic"},
    {25, 1, "FlashExposureLock", K::Coded, "0:Off,1:On"},
}};

// The older AF information (0x0012): no size element, fields from element 0.
constexpr std::array<TBlockRow, 8> AFInfoRows = {{
    {0, 1, "NumAFPoints", K::Number},
    {1, 1, "ValidAFPoints", K::Number},
    {2, 1, "CanonImageWidth", K::Number},
    {3, 1, "CanonImageHeight", K::Number},
    {4, 1, "AFImageWidth", K::Number},
    {5, 1, "AFImageHeight", K::Number},
    {6, 1, "AFAreaWidth", K::Number},
    {7, 1, "AFAreaHeight", K::Number},
}};

constexpr std::array<TBlockRow, 7> AFInfo2Rows = {{
    {1, 1, "AFAreaMode", K::Coded, "0:Off (Manual Focus),1:AF Point Expansion (surround),2:Single-point AF,4:Auto,5:Face Detect AF,6:Face + Tracking,7:Zone AF,8:AF Point Expansion (4 point),9:Spot AF,10:AF Point Expansion (8 point),11:Flexizone Multi (49 point),12:Flexizone Multi (9 point),13:Flexizone Single,14:Large Zone AF"},
    {2, 1, "NumAFPoints", K::Number},
    {3, 1, "ValidAFPoints", K::Number},
    {4, 1, "CanonImageWidth", K::Number},
    {5, 1, "CanonImageHeight", K::Number},
    {6, 1, "AFImageWidth", K::Number},
    {7, 1, "AFImageHeight", K::Number},
}};

constexpr std::array<TBlockRow, 3> TimeInfoRows = {{
    {1, 1, "TimeZone", K::Converted, "", "", Same, TimeZoneText},
    {2, 1, "TimeZoneCity", K::Coded, "0:n/a,1:Chatham Islands,2:Wellington,3:Solomon Islands,4:Sydney,5:Adelaide,6:Tokyo,7:Hong Kong,8:Bangkok,9:Yangon,10:Dhaka,11:Kathmandu,12:Delhi,13:Karachi,14:Kabul,15:Dubai,16:Tehran,17:Moscow,18:Cairo,19:Paris,20:London,21:Azores,22:Fernando de Noronha,23:Sao Paulo,24:Newfoundland,25:Santiago,26:Caracas,27:New York,28:Chicago,29:Denver,30:Los Angeles,31:Anchorage,32:Honolulu,33:Samoa,32766:(not set)"},
    {3, 1, "DaylightSavings", K::Coded, "0:Off,60:On"},
}};

constexpr std::array<TBlockRow, 4> CropInfoRows = {{
    {0, 1, "CropLeftMargin", K::Number},
    {1, 1, "CropRightMargin", K::Number},
    {2, 1, "CropTopMargin", K::Number},
    {3, 1, "CropBottomMargin", K::Number},
}};

constexpr std::array<TBlockRow, 5> AspectInfoRows = {{
    {0, 1, "AspectRatio", K::Coded, "0:3:2,1:1:1,2:4:3,7:16:9,8:4:5,12:3:2 (APS-H crop),13:3:2 (APS-C crop),258:4:3 crop"},
    {1, 1, "CroppedImageWidth", K::Number},
    {2, 1, "CroppedImageHeight", K::Number},
    {3, 1, "CroppedImageLeft", K::Number},
    {4, 1, "CroppedImageTop", K::Number},
}};

constexpr std::array<TBlockRow, 13> ProcessingInfoRows = {{
    {1, 1, "ToneCurve", K::Coded, "0:Standard,1:Manual,2:Custom"},
    {2, 1, "Sharpness", K::Number, "", "", nullptr, nullptr, nullptr, NotEarlyBody},
    {3, 1, "SharpnessFrequency", K::Coded, "0:n/a,1:Lowest,2:Low,3:Standard,4:High,5:Highest"},
    {4, 1, "SensorRedLevel", K::Number},
    {5, 1, "SensorBlueLevel", K::Number},
    {6, 1, "WhiteBalanceRed", K::Number},
    {7, 1, "WhiteBalanceBlue", K::Number},
    {8, 1, "WhiteBalance", K::Coded, "0:Auto,1:Daylight,2:Cloudy,3:Tungsten,4:Fluorescent,5:Flash,6:Custom,7:Black & White,8:Shade,9:Manual Temperature (Kelvin),10:PC Set1,11:PC Set2,12:PC Set3,14:Daylight Fluorescent,15:Custom 1,16:Custom 2,17:Underwater,18:Custom 3,19:Custom 4,20:PC Set4,21:PC Set5,23:Auto (ambience priority)"},
    {9, 1, "ColorTemperature", K::Number},
    {10, 1, "PictureStyle", K::Coded, "0:None,1:Standard,2:Portrait,3:High Saturation,4:Adobe RGB,5:Low Saturation,6:CM Set 1,7:CM Set 2,33:User Def. 1,34:User Def. 2,35:User Def. 3,65:PC 1,66:PC 2,67:PC 3,129:Standard,130:Portrait,131:Landscape,132:Neutral,133:Faithful,134:Monochrome,135:Auto,136:Fine Detail,255:n/a"},
    {11, 1, "DigitalGain", K::Converted, "", "", Tenths},
    {12, 1, "WBShiftAB", K::Number},
    {13, 1, "WBShiftGM", K::Number},
}};

constexpr std::array<TBlockRow, 10> SensorInfoRows = {{
    {1, 1, "SensorWidth", K::Number},
    {2, 1, "SensorHeight", K::Number},
    {5, 1, "SensorLeftBorder", K::Number},
    {6, 1, "SensorTopBorder", K::Number},
    {7, 1, "SensorRightBorder", K::Number},
    {8, 1, "SensorBottomBorder", K::Number},
    {9, 1, "BlackMaskLeftBorder", K::Number},
    {10, 1, "BlackMaskTopBorder", K::Number},
    {11, 1, "BlackMaskRightBorder", K::Number},
    {12, 1, "BlackMaskBottomBorder", K::Number},
}};

constexpr std::array<TBlockRow, 6> LightingOptRows = {{
    {1, 1, "PeripheralIlluminationCorr", K::Coded, "0:Off,1:On"},
    {2, 1, "AutoLightingOptimizer", K::Coded, "0:Standard,1:Low,2:Strong,3:Off"},
    {3, 1, "HighlightTonePriority", K::Coded, "0:Off,1:On"},
    {4, 1, "LongExposureNoiseReduction", K::Coded, "0:Off,1:Auto,2:On"},
    {5, 1, "HighISONoiseReduction", K::Coded, "0:Standard,1:Low,2:Strong,3:Off"},
    {10, 1, "DigitalLensOptimizer", K::Coded, "0:Off,1:Stanard,2:High"},
}};
// clang-format on

}  // namespace

const TBinaryBlock CanonCameraSettingsBlock{"CanonCameraSettings", exif::TypeSShort, 49,
                                            TBlockOrder::Note,     nullptr,          CameraSettingsRows};
const TBinaryBlock CanonShotInfoBlock{"CanonShotInfo", exif::TypeSShort, 34, TBlockOrder::Note, nullptr, ShotInfoRows};
const TBinaryBlock CanonFileInfoBlock{"CanonFileInfo", exif::TypeSShort, 26, TBlockOrder::Note, nullptr, FileInfoRows};

std::string CanonCameraSettings(const std::string &, TRenderOut *out) {
    return out ? ReadBinaryBlock(CanonCameraSettingsBlock, *out) : std::string();
}

std::string CanonShotInfo(const std::string &, TRenderOut *out) {
    return out ? ReadBinaryBlock(CanonShotInfoBlock, *out) : std::string();
}

const TBinaryBlock CanonAFInfoBlock{"CanonAFInfo", exif::TypeShort, 8, TBlockOrder::Note, nullptr, AFInfoRows};
const TBinaryBlock CanonAFInfo2Block{"CanonAFInfo2", exif::TypeShort, 8, TBlockOrder::Note, nullptr, AFInfo2Rows};
const TBinaryBlock CanonTimeInfoBlock{"CanonTimeInfo", exif::TypeSLong, 4, TBlockOrder::Note, nullptr, TimeInfoRows};
const TBinaryBlock CanonCropInfoBlock{"CanonCropInfo", exif::TypeShort, 4, TBlockOrder::Note, nullptr, CropInfoRows};
const TBinaryBlock CanonAspectInfoBlock{"CanonAspectInfo", exif::TypeLong, 5,
                                        TBlockOrder::Note, nullptr,        AspectInfoRows};
const TBinaryBlock CanonProcessingInfoBlock{"CanonProcessingInfo", exif::TypeSShort, 14,
                                            TBlockOrder::Note,     nullptr,          ProcessingInfoRows};
const TBinaryBlock CanonSensorInfoBlock{"CanonSensorInfo", exif::TypeSShort, 17,
                                        TBlockOrder::Note, nullptr,          SensorInfoRows};
const TBinaryBlock CanonLightingOptBlock{"CanonLightingOpt", exif::TypeSLong, 11,
                                         TBlockOrder::Note,  nullptr,         LightingOptRows};

// Blocks with no value of their own to show: their fields stand for them.
std::string CanonFieldsOnly(const TBinaryBlock &block, TRenderOut *out) {
    if (!out) return {};
    out->SubEntriesOnly = true;
    return ReadBinaryBlock(block, *out);
}

std::string CanonAFInfo(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonAFInfoBlock, out);
}
std::string CanonAFInfo2(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonAFInfo2Block, out);
}
std::string CanonTimeInfo(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonTimeInfoBlock, out);
}
std::string CanonCropInfo(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonCropInfoBlock, out);
}
std::string CanonAspectInfo(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonAspectInfoBlock, out);
}
std::string CanonProcessingInfo(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonProcessingInfoBlock, out);
}
std::string CanonSensorInfo(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonSensorInfoBlock, out);
}
std::string CanonLightingOpt(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonLightingOptBlock, out);
}

std::string CanonFileInfo(const std::string &, TRenderOut *out) {
    return CanonFieldsOnly(CanonFileInfoBlock, out);
}

}  // namespace makernotes
