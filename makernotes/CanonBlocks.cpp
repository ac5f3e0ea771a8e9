// Canon's binary blocks: the camera settings (entry 0x0001), the shot
// information (0x0004) and the file information (0x0093), arrays of 16-bit
// signed numbers whose first element is the array's size in bytes. Element
// numbers and codes as Canon's cameras write them. The settings rows a
// product export already carries keep the names it has always shown them by.
#include <array>
#include <cmath>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/BinaryBlock.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

using K = TBlockKind;

std::span<const TLensRow> Canon() { return CanonLenses; }

double Aperture(double code) { return std::exp2(CanonEv(code) / 2); }
double ExposureTime(double code) { return std::exp2(-CanonEv(code)); }
double Iso(double code) { return std::exp2(code / 32) * 100; }
double BaseIso(double code) { return std::exp2(code / 32) * 100 / 32; }
double MeasuredEv(double code) { return code / 32 + 5; }
double MeasuredEv2(double code) { return code / 8 - 6; }
double Thirty2nds(double code) { return code / 32; }
double Tenths(double code) { return code / 10; }
// A 16-bit field read unsigned (the block's elements are signed).
double Unsigned16(double code) { return code < 0 ? code + 65536 : code; }
double UnsignedHundredths(double code) { return Unsigned16(code) / 100; }
// The 20D's and 350D's exposure time is counted in other units.
double EarlyExposureTime(double code) { return ExposureTime(code) * 1000 / 32; }
double Celsius(double code) { return code - 128; }
double Same(double code) { return code; }

std::string Whole(double v) { return exif::FixedText(v, 0); }
std::string TwoDecimals(double v) { return exif::FixedText(v, 2); }
std::string Millimetres(double v) { return SignificantText(v) + " mm"; }
std::string Degrees(double v) { return SignificantText(v) + " C"; }
std::string Metres(double v) { return v > 655.345 ? "inf" : SignificantText(v) + " m"; }
// A parameter of the picture style: 0 is "Normal", others signed.
std::string Parameter(double v) { return v == 0 ? "Normal" : v > 0 ? "+" + SignificantText(v) : SignificantText(v); }
std::string Signed(double v) { return v > 0 ? "+" + SignificantText(v) : SignificantText(v); }

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
bool NotEarlyBody(const TBlockFacts &f) { return !EarlyBody(f); }

bool EosBody(const TBlockFacts &f) {
    return f.Model.find("EOS") != std::string_view::npos && !f.Model.ends_with("EOS-1D") && !f.Model.ends_with("EOS-1DS");
}

// clang-format off
constexpr std::array<TBlockRow, 36> CameraSettingsRows = {{
    {1, 1, "Macro mode", K::Coded, "1:Macro,2:Normal"},
    {2, 1, "Self Timer", K::Number},
    {3, 1, "Compression Rate", K::Coded, "-1:n/a,1:Economy,2:Normal,3:Fine,4:RAW,5:Superfine,7:CRAW,130:Light (RAW),131:Standard (RAW)"},
    {4, 1, "Flash Mode", K::Coded, "-1:n/a,0:Not fired,1:Auto,2:On,3:Red-eye,4:Slow sync,5:Auto+red-eye,6:On+red eye,16:External flash"},
    {5, 1, "Drive Mode", K::Coded, "0:Single,1:Continuous,2:Movie,6:Silent Single"},
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
// clang-format on

}  // namespace

const TBinaryBlock CanonCameraSettingsBlock{"CanonCameraSettings", exif::TypeSShort, 49, TBlockOrder::Note, nullptr,
                                            CameraSettingsRows};
const TBinaryBlock CanonShotInfoBlock{"CanonShotInfo", exif::TypeSShort, 34, TBlockOrder::Note, nullptr, ShotInfoRows};
const TBinaryBlock CanonFileInfoBlock{"CanonFileInfo", exif::TypeSShort, 26, TBlockOrder::Note, nullptr, FileInfoRows};

std::string CanonCameraSettings(const std::string &, TRenderOut *out) {
    return out ? ReadBinaryBlock(CanonCameraSettingsBlock, *out) : std::string();
}

std::string CanonShotInfo(const std::string &, TRenderOut *out) {
    return out ? ReadBinaryBlock(CanonShotInfoBlock, *out) : std::string();
}

// The file information has no value of its own to show: its fields stand for it.
std::string CanonFileInfo(const std::string &, TRenderOut *out) {
    if (!out) return {};
    out->SubEntriesOnly = true;
    return ReadBinaryBlock(CanonFileInfoBlock, *out);
}

}  // namespace makernotes
