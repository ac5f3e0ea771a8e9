// The maker-note tag tables, one per camera maker (Nikon has two: the early
// Coolpix note and the newer one). Rows are in ascending tag order; columns:
// tag, name, description, value codes, format pattern, rendering function.
// A row whose description is "Skip" (any letter case) hides that tag.
// Names, descriptions and value codes are kept exactly as this reader has
// always shown them, odd punctuation and misspellings included: a value-code
// list that is not well formed simply decodes fewer values.
#include <array>

#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// Nikon notes that begin with the "Nikon" header (early Coolpix models).
// clang-format off
constexpr std::array<TTagRow, 11> NikonTags1Rows = {{
    {0x0002, "FamilyID", "FamilyID", "", "", nullptr},
    {0x0003, "Quality", "Quality", "1:Vga Basic,2:Vga Normal,3:Vga Fine,4:SXGA Basic,5:SXGA Normal,6:SXGA Fine10:2 Mpixel Basic,11:2 Mpixel Normal,12:2 Mpixel Fine", "", nullptr},
    {0x0004, "ColorMode", "ColorMode", "1:Color,2:Monochrome", "", nullptr},
    {0x0005, "ImageAdjustment", "ImageAdjustment", "0:Normal,1:Bright+,2:Bright-,3:Contrast+,4:Contrast-", "", nullptr},
    {0x0006, "ISOSpeed", "ISOSpeed", "0:ISO80,2:ISO160,4:ISO320,5:ISO100", "", nullptr},
    {0x0007, "WhiteBalance", "WhiteBalance", "0:Auto,1:Preset,2:Daylight,3:Incandescense,4:Fluorescence,5:Cloudy,6:SpeedLight", "", nullptr},
    {0x0008, "Focus", "Focus", "", "", nullptr},
    {0x0009, "Skip", "Skip", "", "", nullptr},
    {0x000A, "DigitalZoom", "DigitalZoom", "", "", nullptr},
    {0x000B, "Converter", "Converter", "0:Not used,1:Used", "", nullptr},
    {0x0F00, "Skip", "Skip", "", "", nullptr},
}};
// clang-format on

// Nikon notes without that header, and the newer notes that carry a TIFF
// header of their own.
// clang-format off
constexpr std::array<TTagRow, 47> NikonTags2Rows = {{
    {0x0001, "MakerNoteVersion", "Maker Note Version", "", "", VersionDigits},
    {0x0002, "ISO", "ISO", "", "", NikonIso},
    {0x0003, "ColorMode", "Color Mode", "", "", nullptr},
    {0x0004, "Quality", "Quality", "", "", nullptr},
    {0x0005, "WhiteBalance", "White Balance", "", "", nullptr},
    {0x0006, "ImageSharpening", "Image Sharpening", "", "", nullptr},
    {0x0007, "FocusMode", "Focus Mode", "", "", nullptr},
    {0x0008, "FlashSetting", "Flash Setting", "", "", nullptr},
    {0x0009, "AutoFlashMode", "Auto Flash Mode", "", "", nullptr},
    {0x000A, "Skip", "Skip", "", "", nullptr},
    {0x000B, "WhiteBiasValue", "White Bias Value", "", "", nullptr},
    {0x000F, "DigitalZoom", "Digital Zoom", "", "", nullptr},
    {0x0010, "Skip", "Skip", "", "", nullptr},
    {0x0011, "Skip", "Skip", "", "", nullptr},
    {0x0013, "ISOSetting", "ISOSetting", "", "", nullptr},
    {0x0016, "ImageBoundary", "Image Boundary", "", "", nullptr},
    {0x0019, "ExposureBracketValue", "Exposure Bracket Value", "", "", nullptr},
    {0x001D, "SerialNumber", "Serial Number", "", "", nullptr},
    {0x001E, "ColorSpace", "Color Space", "1:sRGB,2:Adobe RGB", "", nullptr},
    {0x0080, "ImageAdjustment", "Image Adjustment", "", "", nullptr},
    {0x0081, "ImageAdjustment", "Image Adjustment", "", "", nullptr},
    {0x0082, "Adapter", "Adapter", "", "", nullptr},
    {0x0083, "LensType", "Lens Type", "", "", NikonLensType},
    {0x0084, "LensInformation", "Lens information", "", "", NikonLensText},
    {0x0085, "ManualFocusDistance", "Manual Focus Distance", "", "", nullptr},
    {0x0086, "DigitalZoom", "Digital Zoom", "", "", nullptr},
    {0x0087, "FlashMode", "Flash Mode", "", "", nullptr},
    {0x0088, "FocusArea", "Focus Area", "", "", nullptr},
    {0x0089, "Mode", "Mode", "", "", nullptr},
    {0x008D, "ColorMode", "Color Mode", "", "", NikonColorModeText},
    {0x008F, "SceneMode", "Scene Mode", "", "", nullptr},
    {0x0090, "LightSource", "Light Source", "", "", nullptr},
    {0x0091, "ShotInfo", "Shot Info", "", "", NikonShotInfo},
    {0x0092, "HueAdjustment", "Hue Adjustment", "", "", nullptr},
    {0x0093, "NEFCompression", "NEFCompression", "1:Lossy (type 1),2:Uncompressed,3:Lossless,4:Lossy (type 2),5:Striped packed 12 bits,6:Uncompressed (reduced to 12 bit),7:Unpacked 12 bits,8:Small,9:Packed 12 bits,10:Packed 14 bits,13:High Efficiency,14:High Efficiency*", "", nullptr},
    {0x0094, "Saturation", "Saturation", "", "", nullptr},
    {0x0095, "NoiseReduction", "Noise Reduction", "", "", nullptr},
    {0x0098, "LensData", "Lens Data", "", "", NikonLensData},
    {0x00A2, "ImageDataSize", "Image Data Size", "", "", nullptr},
    {0x00A5, "ImageCount", "Image Count", "", "", nullptr},
    {0x00A6, "DeletedImageCount", "Deleted Image Count", "", "", nullptr},
    {0x00A7, "ShutterCount", "Shutter Count", "", "", nullptr},
    {0x00A8, "FlashInfo", "Flash Info", "", "", NikonFlashInfo},
    {0x00A9, "ImageOptimization", "Image Optimization", "", "", nullptr},
    {0x00AB, "VariProgram", "Vari Program", "", "", nullptr},
    {0x00B1, "HighISONoiseReduction", "High ISONoise Reduction", "0:Off,1:Minimal,2:Low,3:Medium Low,4:Normal,5:Medium High,6:High", "", nullptr},
    {0x0F00, "Skip", "Skip", "", "", nullptr},
}};
// clang-format on

// Olympus, after the "OLYMP" header.
// clang-format off
constexpr std::array<TTagRow, 33> OlympusTagsRows = {{
    {0x0200, "SpecialMode", "SpecialMode", "", "", nullptr},
    {0x0201, "JpegQual", "JpegQual", "1:SQ,2:HQ,3:SHQ,4:Raw", "", nullptr},
    {0x0202, "Macro", "Macro", "0=Normal,1:Macro;", "", nullptr},
    {0x0203, "Skip", "Skip", "", "", nullptr},
    {0x0204, "DigiZoom", "Digital Zoom Ratio", "", "", nullptr},
    {0x0205, "Skip", "Skip", "", "", nullptr},
    {0x0206, "Skip", "Skip", "", "", nullptr},
    {0x0207, "Firmware", "Firmware", "", "", nullptr},
    {0x0208, "PictInfo", "Picture Info", "", "", nullptr},
    {0x0209, "CameraID", "Camera ID", "", "", NulEndedText},
    {0x0F00, "Skip", "Skip", "", "", nullptr},
    {0x1004, "FlashMode", "Flash Mode", "", "", nullptr},
    {0x1006, "Bracket", "Bracket", "", "", nullptr},
    {0x100B, "FocusMode", "Focus Mode", "", "", nullptr},
    {0x100C, "FocusDistance", "Focus Distance", "", "", nullptr},
    {0x100D, "Zoom", "Zoom", "", "", nullptr},
    {0x100E, "MacroFocus", "Macro Focus", "", "", nullptr},
    {0x100F, "Sharpness", "Sharpness", "", "", nullptr},
    {0x1011, "ColorMatrix", "Color Matrix", "", "", SignedShorts},
    {0x1012, "BlackLevel", "Black Level", "", "", nullptr},
    {0x1015, "WhiteBalance", "White Balance", "", "", nullptr},
    {0x1017, "RedBias", "Red Bias", "", "", nullptr},
    {0x1018, "BlueBias", "Blue Bias", "", "", nullptr},
    {0x101A, "SerialNumber", "SerialNumber", "", "", nullptr},
    {0x1023, "FlashBias", "Flash Bias", "", "", nullptr},
    {0x1029, "Contrast", "Contrast", "", "", nullptr},
    {0x102A, "SharpnessFactor", "Sharpness Factor", "", "", nullptr},
    {0x102B, "ColorControl", "Color Control", "", "", nullptr},
    {0x102C, "ValidBits", "Valid Bits", "", "", nullptr},
    {0x102D, "Coring", "Coring Filter", "", "", nullptr},
    {0x102E, "FinalWidth", "Final Width", "", "", nullptr},
    {0x102F, "FinalHeight", "Final Height", "", "", nullptr},
    {0x1034, "CompressionRatio", "Compression Ratio", "", "", nullptr},
}};
// clang-format on

// Casio: the directory starts at the first byte of the note.
// clang-format off
constexpr std::array<TTagRow, 26> CasioTagsRows = {{
    {0x0001, "RecordingMode", "RecordingMode", "1:Single Shutter,2:Panorama,3:Night Scene,4:Portrait,5:Landscape", "", nullptr},
    {0x0002, "Quality", "Quality", "1:Economy,2:Normal,3:Fine", "", nullptr},
    {0x0003, "FocusingMode", "FocusingMode", "2:Macro,3:Auto Focus,4:Manual Focus,5:Infinity", "", nullptr},
    {0x0004, "FlashMode", "FlashMode", "1:Auto,2:On,3:Off,4:Red Eye Reduction", "", nullptr},
    {0x0005, "FlashIntensity", "FlashIntensity", "11:Weak,13:Normal,15:Strong", "", nullptr},
    {0x0006, "ObjectDistance", "ObjectDistance", "", "", nullptr},
    {0x0007, "WhiteBalance", "WhiteBalance", "1:Auto,2:Tungsten,3:Daylight,4:Fluorescent,5:Shade,129:Manual", "", nullptr},
    {0x0008, "Skip", "Skip", "", "", nullptr},
    {0x0009, "Skip", "Skip", "", "", nullptr},
    {0x000A, "DigitalZoom", "DigitalZoom", "65536:Off,65537:2X Digital Zoom", "", nullptr},
    {0x000B, "Sharpness", "Sharpness", "0:Normal,1:Soft,2:Hard", "", nullptr},
    {0x000C, "Contrast", "Contrast", "0:Normal,1:Low,2:High", "", nullptr},
    {0x000D, "Saturation", "Saturation", "0:Normal,1:Low,2:High", "", nullptr},
    {0x000E, "Skip", "Skip", "", "", nullptr},
    {0x000F, "Skip", "Skip", "", "", nullptr},
    {0x0010, "Skip", "Skip", "", "", nullptr},
    {0x0011, "Skip", "Skip", "", "", nullptr},
    {0x0012, "Skip", "Skip", "", "", nullptr},
    {0x0013, "Skip", "Skip", "", "", nullptr},
    {0x0014, "CCDSensitivity", "CCDSensitivity", "64:Normal,125:+1.0,250:+2.0,244:+3.0,80:Normal,100:High", "", nullptr},
    {0x0015, "Skip", "Skip", "", "", nullptr},
    {0x0016, "Skip", "Skip", "", "", nullptr},
    {0x0017, "Skip", "Skip", "", "", nullptr},
    {0x0018, "Skip", "Skip", "", "", nullptr},
    {0x0019, "Skip", "Skip", "", "", nullptr},
    {0x001A, "Skip", "Skip", "", "", nullptr},
}};
// clang-format on

// Fujifilm: "FUJIFILM" header; always little-endian. The rows from 0x1400
// on, 0x0010 and 0x1103 are those of the current X and GFX bodies.
// clang-format off
constexpr std::array<TTagRow, 30> FujiTagsRows = {{
    {0x0000, "Version", "Version", "", "", nullptr},
    {0x0010, "InternalSerialNumber", "Internal Serial Number", "", "", FujiSerialNumber},
    {0x1000, "Quality", "Quality", "", "", nullptr},
    {0x1001, "Sharpness", "Sharpness", "1:Soft,2:Soft,3:Normal,4:Hard,5:Hard", "", nullptr},
    {0x1002, "WhiteBalance", "WhiteBalance", "0:Auto,1:Auto (white priority),2:Auto (ambiance priority),256:Daylight,512:Cloudy,768:DaylightColor-fluorescence,769:DaywhiteColor-fluorescence,770:White-fluorescence,771:Warm White Fluorescent,772:Living Room Warm White Fluorescent,1024:Incandenscense,1280:Flash,1536:Underwater,3840:Custom white balance.,3841:Custom2,3842:Custom3,3843:Custom4,3844:Custom5,4080:Kelvin", "", nullptr},
    {0x1003, "Color", "Color", "0:Normal,256:High,512:Low", "", nullptr},
    {0x1004, "Tone", "Tone", "0:Normal,256:High,512:Low", "", nullptr},
    {0x1010, "FlashMode", "FlashMode", "0:Auto,1:On,2:Off,3:Red-eye reduction", "", nullptr},
    {0x1011, "FlashStrength", "FlashStrength", "", "", nullptr},
    {0x1020, "Macro", "Macro", "0:Off,1:On", "", nullptr},
    {0x1021, "Focusmode", "Focusmode", "0:Auto Focus,1:Manual Focus,65535:Movie", "", nullptr},
    {0x1030, "SlowSync", "SlowSync", "0:Off,1:On", "", nullptr},
    {0x1031, "PictureMode", "PictureMode", "0:Auto,1:Portrait scene,2:Landscape scene,4:Sports scene,5:Night scene,6:Program AE,256:Aperture prior AE,512:Shutter prior AE,768:Manual exposure", "", nullptr},
    {0x1032, "Skip", "Skip", "", "", nullptr},
    {0x1100, "ContTake/Bracket", "ContTake/Bracket", "0:Off,1:On", "", nullptr},
    {0x1103, "DriveSettings", "Drive Settings", "", "", FujiDriveSettings},
    {0x1200, "Skip", "Skip", "", "", nullptr},
    {0x1300, "BlurWarning", "BlurWarning", "0:No blur warning,1:Blur warning", "", nullptr},
    {0x1301, "FocusWarning", "FocusWarning", "0:Auto Focus good,1:Out of focus", "", nullptr},
    {0x1302, "AEWarning", "AEWarning", "0:AE good,1:Over exposure", "", nullptr},
    {0x1400, "DynamicRange", "Dynamic Range", "1:Standard,3:Wide", "", nullptr},
    {0x1401, "FilmMode", "Film Mode", "0:F0/Standard (Provia),256:F1/Studio Portrait,272:F1a/Studio Portrait Enhanced Saturation,288:F1b/Studio Portrait Smooth Skin Tone (Astia),304:F1c/Studio Portrait Increased Sharpness,512:F2/Fujichrome (Velvia),768:F3/Studio Portrait Ex,1024:F4/Velvia,1280:Pro Neg. Std,1281:Pro Neg. Hi,1536:Classic Chrome,1792:Eterna,2048:Classic Negative,2304:Bleach Bypass,2560:Nostalgic Neg", "", nullptr},
    {0x1402, "DynamicRangeSetting", "Dynamic Range Setting", "0:Auto,1:Manual,256:Standard (100%),512:Wide1 (230%),513:Wide2 (400%),32768:Film Simulation", "", nullptr},
    {0x1404, "MinFocalLength", "Min Focal Length", "", "", DecimalsText},
    {0x1405, "MaxFocalLength", "Max Focal Length", "", "", DecimalsText},
    {0x1406, "MaxApertureAtMinFocal", "Max Aperture At Min Focal", "", "", DecimalsText},
    {0x1407, "MaxApertureAtMaxFocal", "Max Aperture At Max Focal", "", "", DecimalsText},
    {0x1422, "ImageStabilization", "Image Stabilization", "0:None,1:Optical,2:Sensor-shift,3:OIS Lens,258:IBIS/OIS + DIS,512:Digital", "", FirstField},
    {0x1438, "ImageCount", "Image Count", "", "", FujiImageCount},
    {0x1447, "FujiModel", "Fuji Model", "", "", nullptr},
}};
// clang-format on

// Canon: the directory starts at the first byte of the note. Three tags hold
// arrays that the Canon decoders unpack into entries of their own (see
// CanonBlocks.cpp).
// clang-format off
constexpr std::array<TTagRow, 32> CanonTagsRows = {{
    {0x0000, "Skip", "Skip", "", "", nullptr},
    {0x0001, "ExposureInfo1", "ExposureInfo1", "", "", CanonCameraSettings},
    {0x0002, "Skip", "Skip", "", "", nullptr},
    {0x0003, "Skip", "Skip", "", "", nullptr},
    {0x0004, "ExposureInfo2", "ExposureInfo2", "", "", CanonShotInfo},
    {0x0006, "ImageType", "ImageType", "", "", nullptr},
    {0x0007, "FirmwareVersion", "FirmwareVersion", "", "", nullptr},
    {0x0008, "ImageNumber", "ImageNumber", "", "", nullptr},
    {0x0009, "OwnerName", "OwnerName", "", "", nullptr},
    {0x000A, "Skip", "Skip", "", "", nullptr},
    {0x000B, "Skip", "Skip", "", "", nullptr},
    {0x000C, "SerialNumber", "SerialNumber", "", "", nullptr},
    {0x000D, "Skip", "Skip", "", "", nullptr},
    {0x000E, "Skip", "Skip", "", "", nullptr},
    {0x000F, "CustomFunctions", "CustomFunctions", "", "", CanonCustomFunctions},
    {0x0010, "Skip", "Skip", "", "", nullptr},
    {0x0012, "AFInfo", "AFInfo", "", "", CanonAFInfo},
    {0x0013, "ThumbnailImageValidArea", "Thumbnail Image Valid Area", "", "", nullptr},
    {0x0015, "SerialNumberFormat", "Serial Number Format", "2415919104:Format 1,2684354560:Format 2", "", nullptr},
    {0x0026, "AFInfo2", "AFInfo2", "", "", CanonAFInfo2},
    {0x0035, "TimeInfo", "TimeInfo", "", "", CanonTimeInfo},
    {0x0083, "OriginalDecisionDataOffset", "Original Decision Data Offset", "", "", nullptr},
    {0x0093, "FileInfo", "FileInfo", "", "", CanonFileInfo},
    {0x0095, "LensModel", "Lens Model", "", "", nullptr},
    {0x0096, "InternalSerialNumber", "Internal Serial Number", "", "", nullptr},
    {0x0098, "CropInfo", "CropInfo", "", "", CanonCropInfo},
    {0x009A, "AspectInfo", "AspectInfo", "", "", CanonAspectInfo},
    {0x00A0, "ProcessingInfo", "ProcessingInfo", "", "", CanonProcessingInfo},
    {0x00B4, "ColorSpace", "Color Space", "1:sRGB,2:Adobe RGB,65535:n/a", "", nullptr},
    {0x00D0, "VRDOffset", "VRD Offset", "", "", nullptr},
    {0x00E0, "SensorInfo", "SensorInfo", "", "", CanonSensorInfo},
    {0x4018, "LightingOpt", "LightingOpt", "", "", CanonLightingOpt},
}};
// clang-format on

// Seiko (Epson-made cameras), after an 8-byte header.
// clang-format off
constexpr std::array<TTagRow, 12> SeikoTagsRows = {{
    {0x0200, "Special Mode", "Special Mode", "", "", nullptr},
    {0x0201, "JpegQuality", "JpegQuality", "", "", nullptr},
    {0x0202, "Macro", "Macro", "", "", nullptr},
    {0x0203, "Skip", "Skip", "", "", nullptr},
    {0x0204, "DigiZoom", "DigiZoom", "", "", nullptr},
    {0x0209, "CameraID", "CameraID", "", "", nullptr},
    {0x020A, "Comments", "Comments", "", "", nullptr},
    {0x020B, "Width", "Width", "", "", nullptr},
    {0x020C, "Height", "Height", "", "", nullptr},
    {0x020D, "SoftRelease", "SoftRelease", "", "", nullptr},
    {0x0300, "??", "??", "", "", nullptr},
    {0x0F00, "skip", "skip", "", "", nullptr},
}};
// clang-format on

// Sanyo, after the "SANYO" header.
// clang-format off
constexpr std::array<TTagRow, 27> SanyoTagsRows = {{
    {0x00FF, "MakerNoteOffset", "Maker Note Offset", "", "", nullptr},
    {0x0100, "SanyoThumbnail", "Sanyo Thumbnail", "", "", HiddenValue},
    {0x0200, "Special Mode", "Special Mode", "", "", nullptr},
    {0x0201, "JpegQuality", "JpegQuality", "", "", nullptr},
    {0x0202, "Macro", "Macro", "", "", nullptr},
    {0x0203, "Skip", "Skip", "", "", nullptr},
    {0x0204, "DigiZoom", "DigiZoom", "", "", nullptr},
    {0x0207, "SoftwareVersion", "Software Version", "", "", nullptr},
    {0x0208, "PictInfo", "Picture Info", "", "", nullptr},
    {0x0209, "CameraID", "Camera ID", "", "", NulEndedText},
    {0x020E, "SequentialShot", "Sequential Shot", "0:None,1:Standard,2:Best,3:Adjust Exposure", "", nullptr},
    {0x020F, "WideRange", "Wide Range", "0:Off,1:On", "", nullptr},
    {0x0210, "ColorAdjustmentMode", "Color Adjustment Mode", "0:Off,1:On", "", nullptr},
    {0x0213, "QuickShot", "Quick Shot", "0:Off,1:On", "", nullptr},
    {0x0214, "SelfTimer", "Self Timer", "0:Off,1:On", "", nullptr},
    {0x0216, "VoiceMemo", "Voice Memo", "0:Off,1:On", "", nullptr},
    {0x0217, "RecordShutterRelease", "Record Shutter Release", "0:Record while down,1:Press start / press stop", "", nullptr},
    {0x0218, "FlickerReduce", "Flicker Reduce", "0:Off,1:On", "", nullptr},
    {0x0219, "OpticalZoomOn", "Optical Zoom On", "0:Off,1:On", "", nullptr},
    {0x021B, "DigitalZoomOn", "Digital Zoom On", "0:Off,1:On", "", nullptr},
    {0x021D, "LightSourceSpecial", "Light Source Special", "0:Off,1:On", "", nullptr},
    {0x021E, "Resaved", "Resaved", "0:No,1:Yes", "", nullptr},
    {0x021F, "SceneSelect", "Scene Select", "0:Off,1:Sport,2:TV,3:Night,4:User 1,5:User 2,6:Lamp", "", nullptr},
    {0x0224, "SequenceShotInterval", "Sequence Shot Interval", "0:5 frames/s,1:10 frames/s,2:15 frames/s,3:20 frames/s", "", nullptr},
    {0x0225, "FlashMode", "Flash Mode", "0:Auto,1:Force,2:Disabled,3:Red eye", "", nullptr},
    {0x0E00, "PrintIM", "Print Image Matching", "", "", HiddenValue},
    {0x0F00, "DataDump", "DataDump", "", "", nullptr},
}};
// clang-format on

// Minolta (and Konica Minolta, and Sony's first bodies): the directory
// starts at the first byte of the note; its settings blocks are not read.
// clang-format off
constexpr std::array<TTagRow, 12> MinoltaTagsRows = {{
    {0x0000, "ModelID", "ModelID", "", "", nullptr},
    {0x0040, "CompressedImageSize", "Compressed Image Size", "", "", nullptr},
    {0x0088, "PreviewImageStart", "Preview Image Start", "", "", nullptr},
    {0x0089, "PreviewImageLength", "Preview Image Length", "", "", nullptr},
    {0x0102, "MinoltaQuality", "Minolta Quality", "0:Raw,1:Super Fine,2:Fine,3:Standard,4:Economy,5:Extra fine", "", nullptr},
    {0x0104, "FlashExposureComp", "Flash Exposure Compensation", "", "", DecimalsText},
    {0x0107, "ImageStabilization", "Image Stabilization", "1:Off,5:On", "", nullptr},
    {0x010A, "ZoneMatching", "Zone Matching", "0:ISO Setting Used,1:High Key,2:Low Key", "", nullptr},
    {0x010B, "ColorTemperature", "Color Temperature", "", "", nullptr},
    {0x010C, "LensType", "Lens Type", "", "", SonyLensType},
    {0x0E00, "PIMdata", "PIMdata", "", "", nullptr},
    {0x0F00, "MinoltaCameraSettings2", "Minolta Camera Settings 2", "", "", HiddenValue},
}};
// clang-format on

}  // namespace

const std::span<const TTagRow> NikonTags1{NikonTags1Rows};
const std::span<const TTagRow> NikonTags2{NikonTags2Rows};
const std::span<const TTagRow> OlympusTags{OlympusTagsRows};
const std::span<const TTagRow> CasioTags{CasioTagsRows};
const std::span<const TTagRow> FujiTags{FujiTagsRows};
const std::span<const TTagRow> CanonTags{CanonTagsRows};
const std::span<const TTagRow> SeikoTags{SeikoTagsRows};
const std::span<const TTagRow> SanyoTags{SanyoTagsRows};
const std::span<const TTagRow> MinoltaTags{MinoltaTagsRows};

}  // namespace makernotes
