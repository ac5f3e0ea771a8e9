#include "exif/TagTables.h"

#include <algorithm>
#include <array>
#include <span>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"

namespace exif {

// The light sources a camera's colour calibration names (EXIF LightSource
// numbers as EXIF 2.2 and later define them: 4 is flash, 10 cloudy weather).
constexpr std::string_view IlluminantCodes =
    "0:Unknown,1:Daylight,2:Fluorescent,3:Tungsten (Incandescent),4:Flash,9:Fine Weather,10:Cloudy,11:Shade,"
    "12:Daylight Fluorescent,13:Day White Fluorescent,14:Cool White Fluorescent,15:White Fluorescent,"
    "16:Warm White Fluorescent,17:Standard Light A,18:Standard Light B,19:Standard Light C,20:D55,21:D65,22:D75,"
    "23:D50,24:ISO Studio Tungsten,255:Other";

// Tag, name, own description, value codes, format pattern, rendering function.
// Names are kept exactly as cameras' software has always shown them,
// misspellings included.
// clang-format off
const std::array<TTagRow, MainTagCount> MainTagTable = {{
    {0x0001, "InteroperabilityIndex", "", "", "", nullptr},
    {0x0002, "InteroperabilityVersion", "", "", "", nullptr},
    {0x000B, "ACDComment", "", "", "", nullptr},
    {0x00FE, "NewSubfileType", "", "", "", nullptr},
    {0x00FF, "SubfileType", "", "1:Full-resolution image,2:Reduced-resolution image,3:Single page of multi-page image", "", nullptr},
    {0x0100, "ImageWidth", "", "", "", nullptr},
    {0x0101, "ImageLength", "", "", "", nullptr},
    {0x0102, "BitsPerSample", "", "", "", nullptr},
    {0x0103, "Compression", "", "6:Jpeg,3:Uncompressed,1:TIFF,2:CCITT 1D,4:T6/Group 4 Fax,5:LZW,7:JPEG,8:Adobe Deflate,32773:PackBits,32946:Deflate,34712:JPEG 2000,34892:Lossy JPEG,52546:JPEG XL", "", nullptr},
    {0x0106, "PhotometricInterpretation", "", "1:Monochrome,2:RGB,6:YCbCr,0:WhiteIsZero,3:RGB Palette,4:Transparency Mask,5:CMYK,8:CIELab,9:ICCLab,10:ITULab,32803:Color Filter Array,32892:Sequential Color Filter,34892:Linear Raw,51177:Depth Map,52527:Semantic Mask", "", nullptr},
    {0x0107, "Threshholding", "", "1:No dithering or halftoning,2:Ordered dither or halftone,3:Randomized dither", "", nullptr},
    {0x0108, "CellWidth", "", "", "", nullptr},
    {0x0109, "CellLength", "", "", "", nullptr},
    {0x010A, "FillOrder", "", "1:Normal,2:Reversed", "", nullptr},
    {0x010D, "DocumentName", "", "", "", nullptr},
    {0x010E, "ImageDescription", "", "", "", nullptr},
    {0x010F, "Make", "", "", "", nullptr},
    {0x0110, "Model", "", "", "", nullptr},
    {0x0111, "StripOffsets", "", "", "", nullptr},
    {0x0112, "Orientation", "", "1:Normal,3:Rotated 180\u00B0,6:CounterClockwise 90\u00B0,8:Clockwise 90\u00B0,2:Mirror horizontal,4:Mirror vertical,5:Mirror horizontal and rotate 270 CW,7:Mirror horizontal and rotate 90 CW", "", nullptr},
    {0x0115, "SamplesPerPixel", "", "", "", nullptr},
    {0x0116, "RowsPerStrip", "", "", "", nullptr},
    {0x0117, "StripByteCounts", "", "", "", nullptr},
    {0x0118, "MinSampleValue", "", "", "", nullptr},
    {0x0119, "MaxSampleValue", "", "", "", nullptr},
    {0x011A, "XResolution", "", "", "%5.2f", nullptr},
    {0x011B, "YResolution", "", "", "%5.2f", nullptr},
    {0x011C, "PlanarConfiguration", "", "1:Chunky,2:Planar", "", nullptr},
    {0x011D, "PageName", "", "", "", nullptr},
    {0x011E, "XPosition", "", "", "", nullptr},
    {0x011F, "YPosition", "", "", "", nullptr},
    {0x0120, "FreeOffsets", "", "", "", nullptr},
    {0x0121, "FreeByteCounts", "", "", "", nullptr},
    {0x0122, "GrayReponseUnit", "", "1:Tenths,2:Hundredths,3:Thousandths,4:Ten-thousandths,5:Hundred-thousandths", "", nullptr},
    {0x0123, "GrayReponseCurve", "", "", "", nullptr},
    {0x0124, "T4Options", "", "", "", nullptr},
    {0x0125, "T6Options", "", "", "", nullptr},
    {0x0128, "ResolutionUnit", "", "1:None Specified,2:Inch,3:Centimeter", "", nullptr},
    {0x0129, "PageNumber", "", "", "", nullptr},
    {0x012D, "TransferFunction", "", "", "", nullptr},
    {0x0131, "Software", "", "", "", nullptr},
    {0x0132, "DateTime", "", "", "", nullptr},
    {0x013B, "Artist", "", "", "", nullptr},
    {0x013C, "HostComputer", "", "", "", nullptr},
    {0x013D, "Predictor", "", "1:None,2:Horizontal differencing,3:Floating point,34892:Horizontal difference X2,34893:Horizontal difference X4,34894:Floating point X2,34895:Floating point X4", "", nullptr},
    {0x013E, "WhitePoint", "", "", "", nullptr},
    {0x013F, "PrimaryChromaticities", "", "", "", nullptr},
    {0x0140, "ColorMap", "", "", "", nullptr},
    {0x0141, "HalfToneHints", "", "", "", nullptr},
    {0x0142, "TileWidth", "", "", "", nullptr},
    {0x0143, "TileLength", "", "", "", nullptr},
    {0x0144, "TileOffsets", "", "", "", nullptr},
    {0x0145, "TileByteCounts", "", "", "", nullptr},
    {0x014A, "SubIFDs", "", "", "", nullptr},
    {0x014C, "InkSet", "", "1:CMYK,2:Not CMYK", "", nullptr},
    {0x014D, "InkNames", "", "", "", nullptr},
    {0x014E, "NumberOfInks", "", "", "", nullptr},
    {0x0150, "DotRange", "", "", "", nullptr},
    {0x0151, "TargetPrinter", "", "", "", nullptr},
    {0x0152, "ExtraSample", "", "0:Unspecified,1:Associated Alpha,2:Unassociated Alpha", "", nullptr},
    {0x0153, "SampleFormat", "", "1:Unsigned,2:Signed,3:Float,4:Undefined", "", nullptr},
    {0x0154, "SMinSampleValue", "", "", "", nullptr},
    {0x0155, "SMaxSampleValue", "", "", "", nullptr},
    {0x0156, "TransferRange", "", "", "", nullptr},
    {0x0157, "ClipPath", "", "", "", nullptr},
    {0x0158, "XClipPathUnits", "", "", "", nullptr},
    {0x0159, "YClipPathUnits", "", "", "", nullptr},
    {0x015A, "Indexed", "", "0:Not indexed,1:Indexed", "", nullptr},
    {0x015B, "JPEGTables", "", "", "", nullptr},
    {0x015F, "OPIProxy", "", "0:Higher resolution image does not exist,1:Higher resolution image exists", "", nullptr},
    {0x0200, "JPEGProc", "", "1:Baseline,14:Lossless", "", nullptr},
    {0x0201, "JPEGInterchangeFormat", "", "", "", nullptr},
    {0x0202, "JPEGInterchangeFormatLength", "", "", "", nullptr},
    {0x0203, "JPEGRestartInterval", "", "", "", nullptr},
    {0x0205, "JPEGLosslessPredictors", "", "", "", nullptr},
    {0x0206, "JPEGPointTransforms", "", "", "", nullptr},
    {0x0207, "JPEGQTables", "", "", "", nullptr},
    {0x0208, "JPEGDCTables", "", "", "", nullptr},
    {0x0209, "JPEGACTables", "", "", "", nullptr},
    {0x0211, "YCbCrCoefficients", "", "", "", nullptr},
    {0x0212, "YCbCrSubSampling", "", "", "", nullptr},
    {0x0213, "YCbCrPositioning", "", "1:Centered,2:Co-sited", "", nullptr},
    {0x0214, "ReferenceBlackWhite", "", "", "", nullptr},
    {0x02BC, "ExtensibleMetadataPlatform", "", "", "", XmpPacketText},
    {0x0301, "Gamma", "", "", "", nullptr},
    {0x0302, "ICCProfileDescriptor", "", "", "", nullptr},
    {0x0303, "SRGBRenderingIntent", "", "", "", nullptr},
    {0x0304, "ImageTitle", "", "", "", nullptr},
    {0x1000, "RelatedImageFileFormat", "", "", "", nullptr},
    {0x1001, "RelatedImageWidth", "", "", "", nullptr},
    {0x1002, "RelatedImageHeight", "", "", "", nullptr},
    {0x5001, "ResolutionXUnit", "", "", "", nullptr},
    {0x5002, "ResolutionYUnit", "", "", "", nullptr},
    {0x5003, "ResolutionXLengthUnit", "", "", "", nullptr},
    {0x5004, "ResolutionYLengthUnit", "", "", "", nullptr},
    {0x5005, "PrintFlags", "", "", "", nullptr},
    {0x5006, "PrintFlagsVersion", "", "", "", nullptr},
    {0x5007, "PrintFlagsCrop", "", "", "", nullptr},
    {0x5008, "PrintFlagsBleedWidth", "", "", "", nullptr},
    {0x5009, "PrintFlagsBleedWidthScale", "", "", "", nullptr},
    {0x500A, "HalftoneLPI", "", "", "", nullptr},
    {0x500B, "HalftoneLPIUnit", "", "", "", nullptr},
    {0x500C, "HalftoneDegree", "", "", "", nullptr},
    {0x500D, "HalftoneShape", "", "", "", nullptr},
    {0x500E, "HalftoneMisc", "", "", "", nullptr},
    {0x500F, "HalftoneScreen", "", "", "", nullptr},
    {0x5010, "JPEGQuality", "", "", "", nullptr},
    {0x5011, "GridSize", "", "", "", nullptr},
    {0x5012, "ThumbnailFormat", "", "", "", nullptr},
    {0x5013, "ThumbnailWidth", "", "", "", nullptr},
    {0x5014, "ThumbnailHeight", "", "", "", nullptr},
    {0x5015, "ThumbnailColorDepth", "", "", "", nullptr},
    {0x5016, "ThumbnailPlanes", "", "", "", nullptr},
    {0x5017, "ThumbnailRawBytes", "", "", "", nullptr},
    {0x5018, "ThumbnailSize", "", "", "", nullptr},
    {0x5019, "ThumbnailCompressedSize", "", "", "", nullptr},
    {0x501A, "ColorTransferFunction", "", "", "", nullptr},
    {0x501B, "ThumbnailData", "", "", "", nullptr},
    {0x5020, "ThumbnailImageWidth", "", "", "", nullptr},
    {0x5021, "ThumbnailImageHeight", "", "", "", nullptr},
    {0x5022, "ThumbnailBitsPerSample", "", "", "", nullptr},
    {0x5023, "ThumbnailCompression", "", "", "", nullptr},
    {0x5024, "ThumbnailPhotometricInterp", "", "", "", nullptr},
    {0x5025, "ThumbnailImageDescription", "", "", "", nullptr},
    {0x5026, "ThumbnailEquipMake", "", "", "", nullptr},
    {0x5027, "ThumbnailEquipModel", "", "", "", nullptr},
    {0x5028, "ThumbnailStripOffsets", "", "", "", nullptr},
    {0x5029, "ThumbnailOrientation", "", "", "", nullptr},
    {0x502A, "ThumbnailSamplesPerPixel", "", "", "", nullptr},
    {0x502B, "ThumbnailRowsPerStrip", "", "", "", nullptr},
    {0x502C, "ThumbnailStripBytesCount", "", "", "", nullptr},
    {0x502D, "ThumbnailResolutionX", "", "", "", nullptr},
    {0x502E, "ThumbnailResolutionY", "", "", "", nullptr},
    {0x502F, "ThumbnailPlanarConfig", "", "", "", nullptr},
    {0x5030, "ThumbnailResolutionUnit", "", "", "", nullptr},
    {0x5031, "ThumbnailTransferFunction", "", "", "", nullptr},
    {0x5032, "ThumbnailSoftwareUsed", "", "", "", nullptr},
    {0x5033, "ThumbnailDateTime", "", "", "", nullptr},
    {0x5034, "ThumbnailArtist", "", "", "", nullptr},
    {0x5035, "ThumbnailWhitePoint", "", "", "", nullptr},
    {0x5036, "ThumbnailPrimaryChromaticities", "", "", "", nullptr},
    {0x5037, "ThumbnailYCbCrCoefficients", "", "", "", nullptr},
    {0x5038, "ThumbnailYCbCrSubsampling", "", "", "", nullptr},
    {0x5039, "ThumbnailYCbCrPositioning", "", "", "", nullptr},
    {0x503A, "ThumbnailRefBlackWhite", "", "", "", nullptr},
    {0x503B, "ThumbnailCopyRight", "", "", "", nullptr},
    {0x5090, "LuminanceTable", "", "", "", nullptr},
    {0x5091, "ChrominanceTable", "", "", "", nullptr},
    {0x5100, "FrameDelay", "", "", "", nullptr},
    {0x5101, "LoopCount", "", "", "", nullptr},
    {0x5110, "PixelUnit", "", "", "", nullptr},
    {0x5111, "PixelPerUnitX", "", "", "", nullptr},
    {0x5112, "PixelPerUnitY", "", "", "", nullptr},
    {0x5113, "PaletteHistogram", "", "", "", nullptr},
    {0x800D, "ImageID", "", "", "", nullptr},
    {0x80E3, "Matteing", "", "", "", nullptr},
    {0x80E4, "DataType", "", "", "", nullptr},
    {0x80E5, "ImageDepth", "", "", "", nullptr},
    {0x80E6, "TileDepth", "", "", "", nullptr},
    {0x828D, "CFARepeatPatternDim", "", "", "", nullptr},
    {0x828E, "CFAPattern", "", "", "", nullptr},
    {0x828F, "BatteryLevel", "", "", "", nullptr},
    {0x8298, "Copyright", "", "", "", nullptr},
    {0x829A, "ExposureTime", "", "", "%s sec", nullptr},
    {0x829D, "FNumber", "", "", "F%0.1f", nullptr},
    {0x83BB, "IPTC/NAA", "IPTC/NAA", "", "", nullptr},
    {0x84E3, "IT8RasterPadding", "", "", "", nullptr},
    {0x84E5, "IT8ColorTable", "", "", "", nullptr},
    {0x8649, "ImageResourceInformation", "", "", "", nullptr},
    {0x8769, "ExifOffset", "", "", "", nullptr},
    {0x8773, "InterColorProfile", "", "", "", nullptr},
    {0x8822, "ExposureProgram", "", "0:Unidentified,1:Manual,2:Normal,3:Aperture priority,4:Shutter priority,5:Creative(slow),6:Action(high-speed),7:Portrait mode,8:Landscape mode", "", nullptr},
    {0x8824, "SpectralSensitivity", "", "", "", nullptr},
    {0x8825, "GPSInfo", "", "", "", nullptr},
    {0x8827, "ISOSpeedRatings", "", "", "", nullptr},
    {0x8828, "OECF", "", "", "", nullptr},
    {0x8829, "Interlace", "", "", "", nullptr},
    {0x882A, "TimeZoneOffset", "", "", "", nullptr},
    {0x882B, "SelfTimerMode", "", "", "", nullptr},
    {0x8830, "SensitivityType", "", "0:Unknown,1:Standard Output Sensitivity,2:Recommended Exposure Index,3:ISO Speed,4:Standard Output Sensitivity and Recommended Exposure Index,5:Standard Output Sensitivity and ISO Speed,6:Recommended Exposure Index and ISO Speed,7:Standard Output Sensitivity and Recommended Exposure Index and ISO Speed", "", nullptr},
    {0x8831, "StandardOutputSensitivity", "", "", "", nullptr},
    {0x8832, "RecommendedExposureIndex", "", "", "", nullptr},
    {0x8833, "ISOSpeed", "", "", "", nullptr},
    {0x8834, "ISOSpeedLatitudeyyy", "", "", "", nullptr},
    {0x8835, "ISOSpeedLatitudezzz", "", "", "", nullptr},
    {0x9000, "ExifVersion", "", "", "", nullptr},
    {0x9003, "DateTimeOriginal", "", "", "", nullptr},
    {0x9004, "DateTimeDigitized", "", "", "", nullptr},
    {0x9010, "OffsetTime", "", "", "", nullptr},
    {0x9011, "OffsetTimeOriginal", "", "", "", nullptr},
    {0x9012, "OffsetTimeDigitized", "", "", "", nullptr},
    {0x9101, "ComponentsConfiguration", "", "", "", ComponentsText},
    {0x9102, "CompressedBitsPerPixel", "", "", "", nullptr},
    {0x9201, "ShutterSpeedValue", "", "", "", ShutterSpeedText},
    {0x9202, "ApertureValue", "", "", "", ApertureText},
    {0x9203, "BrightnessValue", "", "", "", nullptr},
    {0x9204, "ExposureBiasValue", "", "", "", nullptr},
    {0x9205, "MaxApertureValue", "", "", "", ApertureText},
    {0x9206, "SubjectDistance", "", "", "", nullptr},
    {0x9207, "MeteringMode", "", "0:Unknown,1:Average,2:Center,3:Spot,4:MultiSpot,5:MultiSegment,6:Partial,255:Other", "", nullptr},
    {0x9208, "LightSource", "", "0:Unidentified,1:Daylight,2:Fluorescent,3:Tungsten,10:Cloudy Weather,17:Std A,18:Std B,19:Std C,4:Flash,9:Fine Weather,11:Shade,12:Daylight Fluorescent,13:Day White Fluorescent,14:Cool White Fluorescent,15:White Fluorescent,16:Warm White Fluorescent,20:D55,21:D65,22:D75,23:D50,24:ISO Studio Tungsten,255:Other", "", nullptr},
    {0x9209, "Flash", "", "", "", FlashText},
    {0x920A, "FocalLength", "", "", "%5.2f mm", nullptr},
    {0x920B, "FlashEnergy", "", "", "", nullptr},
    {0x920C, "SpatialFrequencyResponse", "", "", "", nullptr},
    {0x920D, "Noise", "", "", "", nullptr},
    {0x920E, "FocalPlaneXResolution", "", "", "", nullptr},
    {0x920F, "FocalPlaneYResolution", "", "", "", nullptr},
    {0x9210, "FocalPlaneResolutionUnit", "", "1:None Specified,2:Inch,3:Centimeter,4:Millimeter,5:Micrometer", "", nullptr},
    {0x9211, "ImageNumber", "", "", "", nullptr},
    {0x9212, "SecurityClassification", "", "", "", nullptr},
    {0x9213, "ImageHistory", "", "", "", nullptr},
    {0x9214, "SubjectArea", "", "", "", nullptr},
    {0x9215, "ExposureIndex", "", "", "", nullptr},
    {0x9216, "TIFF/EPStandardID", "", "", "", nullptr},
    {0x9217, "SensingMethod", "", "0:Unknown,1:MonochromeArea,2:OneChipColorArea,3:TwoChipColorArea,4:ThreeChipColorArea,5:ColorSequentialArea,6:MonochromeLinear,7:TriLinear,8:ColorSequentialLinear", "", nullptr},
    {0x923F, "StoNits", "", "", "", nullptr},
    {0x927C, "MakerNote", "", "", "", nullptr},
    {0x9286, "UserComment", "", "", "", nullptr},
    {0x9290, "SubSecTime", "", "", "", nullptr},
    {0x9291, "SubSecTimeOriginal", "", "", "", nullptr},
    {0x9292, "SubSecTimeDigitized", "", "", "", nullptr},
    {0x9400, "Temperature", "", "", "%0.1f C", nullptr},
    {0x9401, "Humidity", "", "", "%0.1f %%", nullptr},
    {0x9402, "Pressure", "", "", "%0.1f hPa", nullptr},
    {0x9403, "WaterDepth", "", "", "%0.1f m", nullptr},
    {0x9404, "Acceleration", "", "", "%0.1f mGal", nullptr},
    {0x9405, "CameraElevationAngle", "", "", "%0.1f", nullptr},
    {0x953C, "ImageSourceData", "", "", "", nullptr},
    {0x9C9B, "Title", "", "", "", XpText},
    {0x9C9C, "Comments", "", "", "", XpText},
    {0x9C9D, "Author", "", "", "", XpText},
    {0x9C9E, "Keywords", "", "", "", XpText},
    {0x9C9F, "Subject", "", "", "", XpText},
    {0xA000, "FlashPixVersion", "", "", "", nullptr},
    {0xA001, "ColorSpace", "", "0:sBW,1:sRGB,65535:Uncalibrated", "", nullptr},
    {0xA002, "ExifImageWidth", "", "", "", nullptr},
    {0xA003, "ExifImageLength", "", "", "", nullptr},
    {0xA004, "RelatedSoundFile", "", "", "", nullptr},
    {0xA005, "InteroperabilityOffset", "", "", "", nullptr},
    {0xA20B, "FlashEnergy", "", "", "", nullptr},
    {0xA20C, "SpatialFrequencyResponse", "", "", "", nullptr},
    {0xA20E, "FocalPlaneXResolution", "", "", "", nullptr},
    {0xA20F, "FocalPlaneYResolution", "", "", "", nullptr},
    {0xA210, "FocalPlaneResolutionUnit", "", "1:None Specified,2:Inch,3:Centimeter,4:Millimeter,5:Micrometer", "", nullptr},
    {0xA211, "ImageNumber", "", "", "", nullptr},
    {0xA212, "SecurityClassification", "", "", "", nullptr},
    {0xA213, "ImageHistory", "", "", "", nullptr},
    {0xA214, "SubjectLocation", "", "", "", nullptr},
    {0xA215, "ExposureIndex", "", "", "", nullptr},
    {0xA216, "TIFF/EPStandardID", "TIFF/EPStandardID", "", "", nullptr},
    {0xA217, "SensingMethod", "", "0:Unknown,1:MonochromeArea,2:OneChipColorArea,3:TwoChipColorArea,4:ThreeChipColorArea,5:ColorSequentialArea,6:MonochromeLinear,7:TriLinear,8:ColorSequentialLinear", "", nullptr},
    {0xA300, "FileSource", "", "1:Unknown,3:Digital Still Camera", "", nullptr},
    {0xA301, "SceneType", "", "0:Unknown,1:Directly Photographed", "", nullptr},
    {0xA302, "CFAPattern", "", "", "", nullptr},
    {0xA401, "CustomRendered", "", "0:Normal process,1:Custom process", "", nullptr},
    {0xA402, "ExposureMode", "", "0:Auto,1:Manual,2:Auto bracket", "", nullptr},
    {0xA403, "WhiteBalance", "", "0:Auto,1:Manual", "", nullptr},
    {0xA404, "DigitalZoomRatio", "", "", "", nullptr},
    {0xA405, "FocalLengthin35mmFilm", "Focal Length in 35mm Film", "", "%5.2f mm", nullptr},
    {0xA406, "SceneCaptureType", "", "0:Standard,1:Landscape,2:Portrait,3:Night scene", "", nullptr},
    {0xA407, "GainControl", "", "0:None,1:Low gain up,2:High gain up,3:Low gain down,4:High gain down", "", nullptr},
    {0xA408, "Contrast", "", "0:Normal,1:Soft,2:Hard", "", nullptr},
    {0xA409, "Saturation", "", "0:Normal,1:Low,2:High", "", nullptr},
    {0xA40A, "Sharpness", "", "0:Normal,1:Soft,2:Hard", "", nullptr},
    {0xA40B, "DeviceSettingDescription", "", "", "", nullptr},
    {0xA40C, "SubjectDistanceRange", "", "0:Unknown,1:Macro,2:Close view,3:Distant view", "", nullptr},
    {0xA420, "ImageUniqueID", "", "", "", nullptr},
    {0xA430, "CameraOwnerName", "", "", "", nullptr},
    {0xA431, "BodySerialNumber", "", "", "", nullptr},
    {0xA432, "LensSpecification", "", "", "", LensSpecificationText},
    {0xA433, "LensMake", "", "", "", nullptr},
    {0xA434, "LensModel", "", "", "", nullptr},
    {0xA435, "LensSerialNumber", "", "", "", nullptr},
    {0xA436, "ImageTitle", "", "", "", nullptr},
    {0xA437, "Photographer", "", "", "", nullptr},
    {0xA438, "ImageEditor", "", "", "", nullptr},
    {0xA439, "CameraFirmware", "", "", "", nullptr},
    {0xA43A, "RAWDevelopingSoftware", "RAW Developing Software", "", "", nullptr},
    {0xA43B, "ImageEditingSoftware", "", "", "", nullptr},
    {0xA43C, "MetadataEditingSoftware", "", "", "", nullptr},
    {0xA460, "CompositeImage", "", "0:Unknown,1:Not a Composite Image,2:General Composite Image,3:Composite Image Captured While Shooting", "", nullptr},
    {0xA461, "SourceImageNumberOfCompositeImage", "", "", "", nullptr},
    {0xA462, "SourceExposureTimesOfCompositeImage", "", "", "", nullptr},
    {0xA500, "Gamma", "", "", "", nullptr},
    {0xC612, "DNGVersion", "", "", "", VersionText},
    {0xC613, "DNGBackwardVersion", "", "", "", VersionText},
    {0xC614, "UniqueCameraModel", "", "", "", nullptr},
    {0xC615, "LocalizedCameraModel", "", "", "", nullptr},
    {0xC616, "CFAPlaneColor", "", "", "", nullptr},
    {0xC617, "CFALayout", "", "1:Rectangular,2:Even columns offset down 1/2 row,3:Even columns offset up 1/2 row,4:Even rows offset right 1/2 column,5:Even rows offset left 1/2 column,6:Even rows offset up 1/2 row and even columns offset left 1/2 column,7:Even rows offset up 1/2 row and even columns offset right 1/2 column,8:Even rows offset down 1/2 row and even columns offset left 1/2 column,9:Even rows offset down 1/2 row and even columns offset right 1/2 column", "", nullptr},
    {0xC618, "LinearizationTable", "", "", "", nullptr},
    {0xC619, "BlackLevelRepeatDim", "", "", "", nullptr},
    {0xC61A, "BlackLevel", "", "", "", nullptr},
    {0xC61B, "BlackLevelDeltaH", "", "", "", nullptr},
    {0xC61C, "BlackLevelDeltaV", "", "", "", nullptr},
    {0xC61D, "WhiteLevel", "", "", "", nullptr},
    {0xC61E, "DefaultScale", "", "", "", nullptr},
    {0xC61F, "DefaultCropOrigin", "", "", "", nullptr},
    {0xC620, "DefaultCropSize", "", "", "", nullptr},
    {0xC621, "ColorMatrix1", "", "", "", nullptr},
    {0xC622, "ColorMatrix2", "", "", "", nullptr},
    {0xC623, "CameraCalibration1", "", "", "", nullptr},
    {0xC624, "CameraCalibration2", "", "", "", nullptr},
    {0xC625, "ReductionMatrix1", "", "", "", nullptr},
    {0xC626, "ReductionMatrix2", "", "", "", nullptr},
    {0xC627, "AnalogBalance", "", "", "", nullptr},
    {0xC628, "AsShotNeutral", "", "", "", nullptr},
    {0xC629, "AsShotWhiteXY", "", "", "", nullptr},
    {0xC62A, "BaselineExposure", "", "", "", nullptr},
    {0xC62B, "BaselineNoise", "", "", "", nullptr},
    {0xC62C, "BaselineSharpness", "", "", "", nullptr},
    {0xC62D, "BayerGreenSplit", "", "", "", nullptr},
    {0xC62E, "LinearResponseLimit", "", "", "", nullptr},
    {0xC62F, "CameraSerialNumber", "", "", "", nullptr},
    {0xC630, "LensInfo", "", "", "", LensSpecificationText},
    {0xC631, "ChromaBlurRadius", "", "", "", nullptr},
    {0xC632, "AntiAliasStrength", "", "", "", nullptr},
    {0xC633, "ShadowScale", "", "", "", nullptr},
    {0xC634, "DNGPrivateData", "", "", "", nullptr},
    {0xC635, "MakerNoteSafety", "", "0:Unsafe,1:Safe", "", nullptr},
    {0xC65A, "CalibrationIlluminant1", "", IlluminantCodes, "", nullptr},
    {0xC65B, "CalibrationIlluminant2", "", IlluminantCodes, "", nullptr},
    {0xC65C, "BestQualityScale", "", "", "", nullptr},
    {0xC65D, "RawDataUniqueID", "", "", "", nullptr},
    {0xC68B, "OriginalRawFileName", "", "", "", nullptr},
    {0xC68C, "OriginalRawFileData", "", "", "", nullptr},
    {0xC68D, "ActiveArea", "", "", "", nullptr},
    {0xC68E, "MaskedAreas", "", "", "", nullptr},
    {0xC68F, "AsShotICCProfile", "", "", "", nullptr},
    {0xC690, "AsShotPreProfileMatrix", "", "", "", nullptr},
    {0xC691, "CurrentICCProfile", "", "", "", nullptr},
    {0xC692, "CurrentPreProfileMatrix", "", "", "", nullptr},
    {0xC6BF, "ColorimetricReference", "", "0:Scene-referred,1:Output-referred", "", nullptr},
    {0xC6F3, "CameraCalibrationSignature", "", "", "", nullptr},
    {0xC6F4, "ProfileCalibrationSignature", "", "", "", nullptr},
    {0xC6F5, "ExtraCameraProfiles", "", "", "", nullptr},
    {0xC6F6, "AsShotProfileName", "", "", "", nullptr},
    {0xC6F7, "NoiseReductionApplied", "", "", "", nullptr},
    {0xC6F8, "ProfileName", "", "", "", nullptr},
    {0xC6F9, "ProfileHueSatMapDims", "", "", "", nullptr},
    {0xC6FA, "ProfileHueSatMapData1", "", "", "", nullptr},
    {0xC6FB, "ProfileHueSatMapData2", "", "", "", nullptr},
    {0xC6FC, "ProfileToneCurve", "", "", "", nullptr},
    {0xC6FD, "ProfileEmbedPolicy", "", "0:Allow Copying,1:Embed if Used,2:Never Embed,3:No Restrictions", "", nullptr},
    {0xC6FE, "ProfileCopyright", "", "", "", nullptr},
    {0xC714, "ForwardMatrix1", "", "", "", nullptr},
    {0xC715, "ForwardMatrix2", "", "", "", nullptr},
    {0xC716, "PreviewApplicationName", "", "", "", nullptr},
    {0xC717, "PreviewApplicationVersion", "", "", "", nullptr},
    {0xC718, "PreviewSettingsName", "", "", "", nullptr},
    {0xC719, "PreviewSettingsDigest", "", "", "", nullptr},
    {0xC71A, "PreviewColorSpace", "", "0:Unknown,1:Gray Gamma 2.2,2:sRGB,3:Adobe RGB,4:ProPhoto RGB", "", nullptr},
    {0xC71B, "PreviewDateTime", "", "", "", nullptr},
    {0xC71C, "RawImageDigest", "", "", "", nullptr},
    {0xC71D, "OriginalRawFileDigest", "", "", "", nullptr},
    {0xC71E, "SubTileBlockSize", "", "", "", nullptr},
    {0xC71F, "RowInterleaveFactor", "", "", "", nullptr},
    {0xC725, "ProfileLookTableDims", "", "", "", nullptr},
    {0xC726, "ProfileLookTableData", "", "", "", nullptr},
    {0xC740, "OpcodeList1", "", "", "", nullptr},
    {0xC741, "OpcodeList2", "", "", "", nullptr},
    {0xC74E, "OpcodeList3", "", "", "", nullptr},
    {0xC761, "NoiseProfile", "", "", "", nullptr},
    {0xC763, "TimeCodes", "", "", "", nullptr},
    {0xC764, "FrameRate", "", "", "", nullptr},
    {0xC772, "TStop", "", "", "", nullptr},
    {0xC789, "ReelName", "", "", "", nullptr},
    {0xC791, "OriginalDefaultFinalSize", "", "", "", nullptr},
    {0xC792, "OriginalBestQualityFinalSize", "", "", "", nullptr},
    {0xC793, "OriginalDefaultCropSize", "", "", "", nullptr},
    {0xC7A1, "CameraLabel", "", "", "", nullptr},
    {0xC7A3, "ProfileHueSatMapEncoding", "", "0:Linear,1:sRGB", "", nullptr},
    {0xC7A4, "ProfileLookTableEncoding", "", "0:Linear,1:sRGB", "", nullptr},
    {0xC7A5, "BaselineExposureOffset", "", "", "", nullptr},
    {0xC7A6, "DefaultBlackRender", "", "0:Auto,1:None", "", nullptr},
    {0xC7A7, "NewRawImageDigest", "", "", "", nullptr},
    {0xC7A8, "RawToPreviewGain", "", "", "", nullptr},
    {0xC7B5, "DefaultUserCrop", "", "", "", nullptr},
    {0xC7E9, "DepthFormat", "", "0:Unknown,1:Linear,2:Inverse", "", nullptr},
    {0xC7EA, "DepthNear", "", "", "", nullptr},
    {0xC7EB, "DepthFar", "", "", "", nullptr},
    {0xC7EC, "DepthUnits", "", "0:Unknown,1:Meters", "", nullptr},
    {0xC7ED, "DepthMeasureType", "", "0:Unknown,1:Optical Axis,2:Optical Ray", "", nullptr},
    {0xC7EE, "EnhanceParams", "", "", "", nullptr},
    {0xCD2D, "ProfileGainTableMap", "", "", "", nullptr},
    {0xCD2E, "SemanticName", "", "", "", nullptr},
    {0xCD30, "SemanticInstanceID", "", "", "", nullptr},
    {0xCD31, "CalibrationIlluminant3", "", IlluminantCodes, "", nullptr},
    {0xCD32, "CameraCalibration3", "", "", "", nullptr},
    {0xCD33, "ColorMatrix3", "", "", "", nullptr},
    {0xCD34, "ForwardMatrix3", "", "", "", nullptr},
    {0xCD35, "IlluminantData1", "", "", "", nullptr},
    {0xCD36, "IlluminantData2", "", "", "", nullptr},
    {0xCD37, "IlluminantData3", "", "", "", nullptr},
    {0xCD38, "MaskSubArea", "", "", "", nullptr},
    {0xCD39, "ProfileHueSatMapData3", "", "", "", nullptr},
    {0xCD3A, "ReductionMatrix3", "", "", "", nullptr},
    {0xCD3F, "RGBTables", "", "", "", nullptr},
    {0xCD40, "ProfileGainTableMap2", "", "", "", nullptr},
    {0xCD43, "ColumnInterleaveFactor", "", "", "", nullptr},
    {0xCD44, "ImageSequenceInfo", "", "", "", nullptr},
    {0xCD46, "ImageStats", "", "", "", nullptr},
    {0xCD47, "ProfileDynamicRange", "", "", "", nullptr},
    {0xCD48, "ProfileGroupName", "", "", "", nullptr},
    {0xCD49, "JXLDistance", "", "", "", nullptr},
    {0xCD4A, "JXLEffort", "", "", "", nullptr},
    {0xCD4B, "JXLDecodeSpeed", "", "", "", nullptr},
    {0x0000, "Unknown", "", "", "", nullptr},}};

const std::array<TTagRow, GpsTagCount> GpsTagTable = {{
    {0x0000, "GPSVersionID", "", "", "", VersionText},
    {0x0001, "GPSLatitudeRef", "", "", "", nullptr},
    {0x0002, "GPSLatitude", "", "", "", GpsPositionText},
    {0x0003, "GPSLongitudeRef", "", "", "", nullptr},
    {0x0004, "GPSLongitude", "", "", "", GpsPositionText},
    {0x0005, "GPSAltitudeRef", "", "0:Sealevel,1:Below Sealevel", "", nullptr},
    {0x0006, "GPSAltitude", "", "", "", nullptr},
    {0x0007, "GPSTimeStamp", "", "", "", GpsTimeText},
    {0x0008, "GPSSatellites", "", "", "", nullptr},
    {0x0009, "GPSStatus", "", "", "", nullptr},
    {0x000A, "GPSMeasureMode", "", "", "", nullptr},
    {0x000B, "GPSDOP", "", "", "", nullptr},
    {0x000C, "GPSSpeedRef", "", "", "", nullptr},
    {0x000D, "GPSSpeed", "", "", "", nullptr},
    {0x000E, "GPSTrackRef", "", "", "", nullptr},
    {0x000F, "GPSTrack", "", "", "", nullptr},
    {0x0010, "GPSImageDirectionRef", "", "", "", nullptr},
    {0x0011, "GPSImageDirection", "", "", "", nullptr},
    {0x0012, "GPSMapDatum", "", "", "", nullptr},
    {0x0013, "GPSDestLatitudeRef", "", "", "", nullptr},
    {0x0014, "GPSDestLatitude", "", "", "", GpsPositionText},
    {0x0015, "GPSDestLongitudeRef", "", "", "", nullptr},
    {0x0016, "GPSDestLongitude", "", "", "", GpsPositionText},
    {0x0017, "GPSDestBearingkRef", "", "", "", nullptr},
    {0x0018, "GPSDestBearing", "", "", "", nullptr},
    {0x0019, "GPSDestDistanceRef", "", "", "", nullptr},
    {0x001A, "GPSDestDistance", "", "", "", nullptr},
    {0x001B, "GPSProcessingMode", "", "", "", CharacterCodedText},
    {0x001C, "GPSAreaInformation", "", "", "", CharacterCodedText},
    {0x001D, "GPSDateStamp", "", "", "", nullptr},
    {0x001E, "GPSDifferential", "", "0:No Correction,1:Differential Corrected", "", nullptr},
    {0x001F, "GPSHPositioningError", "", "", "", nullptr},}};

// Marker code and description only. Row order as listed in the format's
// The tags exiftool's PanasonicRaw table names whose stored number is the
// value; those it scales (balances, multipliers, gamma) or reads as
// sub-directories (white balance and distortion blocks) are left to the
// unnamed rows. Texts that hold a comma in exiftool's names have " / " in
// its place (value codes end at a comma).
const std::array<TTagRow, PanasonicRawTagCount> PanasonicRawTagTable = {{
    {0x0001, "PanasonicRawVersion", "", "", "", nullptr},
    {0x0002, "SensorWidth", "", "", "", nullptr},
    {0x0003, "SensorHeight", "", "", "", nullptr},
    {0x0004, "SensorTopBorder", "", "", "", nullptr},
    {0x0005, "SensorLeftBorder", "", "", "", nullptr},
    {0x0006, "SensorBottomBorder", "", "", "", nullptr},
    {0x0007, "SensorRightBorder", "", "", "", nullptr},
    {0x0008, "SamplesPerPixel", "", "", "", nullptr},
    {0x0009, "CFAPattern", "CFA Pattern", "0:n/a,1:[Red / Green][Green / Blue],2:[Green / Red][Blue / Green],3:[Green / Blue][Red / Green],4:[Blue / Green][Green / Red]", "", nullptr},
    {0x000A, "BitsPerSample", "", "", "", nullptr},
    {0x000B, "Compression", "", "34316:Panasonic RAW 1,34826:Panasonic RAW 2,34828:Panasonic RAW 3,34830:Panasonic RAW 4", "", nullptr},
    {0x000E, "LinearityLimitRed", "", "", "", nullptr},
    {0x000F, "LinearityLimitGreen", "", "", "", nullptr},
    {0x0010, "LinearityLimitBlue", "", "", "", nullptr},
    {0x0017, "ISO", "ISO", "", "", nullptr},
    {0x001C, "BlackLevelRed", "", "", "", nullptr},
    {0x001D, "BlackLevelGreen", "", "", "", nullptr},
    {0x001E, "BlackLevelBlue", "", "", "", nullptr},
    {0x0024, "WBRedLevel", "WB Red Level", "", "", nullptr},
    {0x0025, "WBGreenLevel", "WB Green Level", "", "", nullptr},
    {0x0026, "WBBlueLevel", "WB Blue Level", "", "", nullptr},
    {0x002D, "RawFormat", "", "", "", nullptr},
    {0x002E, "JpgFromRaw", "Jpg From Raw", "", "", nullptr},
    {0x002F, "CropTop", "", "", "", nullptr},
    {0x0030, "CropLeft", "", "", "", nullptr},
    {0x0031, "CropBottom", "", "", "", nullptr},
    {0x0032, "CropRight", "", "", "", nullptr},
    {0x010F, "Make", "", "", "", nullptr},
    {0x0110, "Model", "", "", "", nullptr},
    {0x0111, "StripOffsets", "", "", "", nullptr},
    {0x0112, "Orientation", "", "1:Normal,3:Rotated 180\u00B0,6:CounterClockwise 90\u00B0,8:Clockwise 90\u00B0,2:Mirror horizontal,4:Mirror vertical,5:Mirror horizontal and rotate 270 CW,7:Mirror horizontal and rotate 90 CW", "", nullptr},
    {0x0116, "RowsPerStrip", "", "", "", nullptr},
    {0x0117, "StripByteCounts", "", "", "", nullptr},
    {0x0118, "RawDataOffset", "", "", "", nullptr},
    {0x0121, "Multishot", "", "0:Off,65536:Pixel Shift", "", nullptr},
    {0x02BC, "ExtensibleMetadataPlatform", "", "", "", XmpPacketText},
    {0x83BB, "IPTC/NAA", "IPTC/NAA", "", "", nullptr},
    {0x8769, "ExifOffset", "", "", "", nullptr},
    {0x8825, "GPSInfo", "", "", "", nullptr},
}};

// documentation (0xCD before 0xCC, 0xFE before 0xED).
const std::array<TTagRow, JpegMarkerCount> JpegMarkerNames = {{
    {0xC0, "", "Baseline", "", "", nullptr},
    {0xC1, "", "Extended sequential", "", "", nullptr},
    {0xC2, "", "Progressive", "", "", nullptr},
    {0xC3, "", "Lossless", "", "", nullptr},
    {0xC4, "", "Define Huffman table", "", "", nullptr},
    {0xC5, "", "Differential sequential", "", "", nullptr},
    {0xC6, "", "Differential progressive", "", "", nullptr},
    {0xC7, "", "Differential lossless", "", "", nullptr},
    {0xC9, "", "Extended sequential, arithmetic coding", "", "", nullptr},
    {0xCA, "", "Progressive, arithmetic coding", "", "", nullptr},
    {0xCB, "", "Lossless, arithmetic coding", "", "", nullptr},
    {0xCD, "", "Differential sequential, arithmetic coding", "", "", nullptr},
    {0xCC, "", "Define arithmetic coding conditioning", "", "", nullptr},
    {0xCE, "", "Differential progressive, arithmetic coding", "", "", nullptr},
    {0xCF, "", "Differential lossless, arithmetic coding", "", "", nullptr},
    {0xD8, "", "Start of Image", "", "", nullptr},
    {0xD9, "", "End of Image", "", "", nullptr},
    {0xDA, "", "Start of Scan", "", "", nullptr},
    {0xDB, "", "Define quantization table", "", "", nullptr},
    {0xDC, "", "Define number of lines", "", "", nullptr},
    {0xDD, "", "Restart interoperability definition", "", "", nullptr},
    {0xDE, "", "Define hierarchical progression", "", "", nullptr},
    {0xDF, "", "Expand reference component", "", "", nullptr},
    {0xE0, "", "JPG marker", "", "", nullptr},
    {0xE1, "", "Exif Data", "", "", nullptr},
    {0xE2, "", "Exif Extended Data", "", "", nullptr},
    {0xFE, "", "Comment", "", "", nullptr},
    {0xED, "", "IPTC data", "", "", nullptr},
    {0xEE, "", "Photoshop data", "", "", nullptr},
    {0x00, "", "Unknown", "", "", nullptr},
}};
// clang-format on

namespace {

std::array<std::string, MainTagCount> g_mainDescriptions;
std::array<std::string, GpsTagCount> g_gpsDescriptions;
std::array<std::string, PanasonicRawTagCount> g_panasonicRawDescriptions;

template <size_t N>
void FillFrom(const std::array<TTagRow, N> &rows, std::array<std::string, N> &descriptions) {
    for (size_t i = 0; i < N; ++i)
        descriptions[i] = rows[i].Description.empty() ? SpacedName(rows[i].Name) : std::string(rows[i].Description);
}

TTagEntry EntryWithDescription(const TTagRow &row, const std::string &description) {
    TTagEntry e = EntryFromRow(row);
    e.Description = description;
    return e;
}

bool IsCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

}  // namespace

std::string SpacedName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i > 0 && IsCapital(name[i]) && !IsCapital(name[i - 1])) out += ' ';
        out += name[i];
    }
    return out;
}

// Filled at the first use: only the listings and FetchTagRow read them, and
// spacing every name costs a run over one small file a sixth of its work.
// Once, in whichever thread comes first.
void FillTagDescriptions() {
    static const bool filled = [] {
        FillFrom(MainTagTable, g_mainDescriptions);
        FillFrom(GpsTagTable, g_gpsDescriptions);
        FillFrom(PanasonicRawTagTable, g_panasonicRawDescriptions);
        return true;
    }();
    static_cast<void>(filled);
}

const std::string &MainDescription(int row) {
    FillTagDescriptions();
    return g_mainDescriptions[static_cast<size_t>(row)];
}

const std::string &GpsDescription(int row) {
    FillTagDescriptions();
    return g_gpsDescriptions[static_cast<size_t>(row)];
}

namespace {

// The tags of a table's rows on their own: a search over them touches a few
// cache lines, where one over the rows reads a row of some 80 bytes a step.
// Plain arrays filled when the module loads (no guarded local statics).
template <size_t N>
std::array<uint16_t, N> TagsOf(std::span<const TTagRow> rows) {
    std::array<uint16_t, N> tags{};
    for (size_t i = 0; i < N && i < rows.size(); ++i) tags[i] = rows[i].Tag;
    return tags;
}

std::span<const TTagRow> MainRows() {
    return {MainTagTable.data(), MainDefaultRow};
}

const std::array<uint16_t, MainDefaultRow> MainTags = TagsOf<MainDefaultRow>(MainRows());
const std::array<uint16_t, GpsTagCount> GpsTags = TagsOf<GpsTagCount>(GpsTagTable);
const std::array<uint16_t, PanasonicRawTagCount> PanasonicRawTags =
    TagsOf<PanasonicRawTagCount>(PanasonicRawTagTable);

// The index of the first row of the tag, as FindTagIndex finds it; -1 when
// none. Searched from `hint` on when the tag lies there: a few rows are
// stepped over one by one, the rest searched. `hint` is left at the place
// of the tag's first row, or of the first row past it.
template <size_t N>
int FirstIndexFrom(const std::array<uint16_t, N> &tags, uint16_t tag, size_t &hint) {
    constexpr size_t Steps = 8;
    size_t at = hint < N && tags[hint] <= tag ? hint : 0;
    for (const size_t stop = std::min(N, at + Steps); at < stop && tags[at] < tag;) ++at;
    if (at < N && tags[at] < tag) at = static_cast<size_t>(std::lower_bound(tags.begin() + at, tags.end(), tag) - tags.begin());
    hint = at;
    return at == N || tags[at] != tag ? -1 : static_cast<int>(at);
}

}  // namespace

const TTagRow &TagRowOf(uint16_t tag, int kind, size_t &hint) {
    if (kind == KindMain) {
        const int i = FirstIndexFrom(MainTags, tag, hint);
        return i < 0 ? MainTagTable[MainDefaultRow] : MainTagTable[static_cast<size_t>(i)];
    }
    if (kind == KindGps) {
        const int i = FirstIndexFrom(GpsTags, tag, hint);
        return i < 0 ? MainTagTable[MainDefaultRow] : GpsTagTable[static_cast<size_t>(i)];
    }
    if (kind == KindPanasonicRaw) {
        const int i = FirstIndexFrom(PanasonicRawTags, tag, hint);
        return i < 0 ? MainTagTable[MainDefaultRow] : PanasonicRawTagTable[static_cast<size_t>(i)];
    }
    return MainTagTable[MainDefaultRow];
}

const TTagRow &TagRowOf(uint16_t tag, int kind) {
    size_t hint = 0;
    return TagRowOf(tag, kind, hint);
}

bool IsDefaultRow(const TTagRow &row) {
    return &row == &MainTagTable[MainDefaultRow];
}

const std::string &TagDescription(const TTagRow &row) {
    const TTagRow *p = &row;
    if (p >= GpsTagTable.data() && p < GpsTagTable.data() + GpsTagCount)
        return GpsDescription(static_cast<int>(p - GpsTagTable.data()));
    if (p >= PanasonicRawTagTable.data() && p < PanasonicRawTagTable.data() + PanasonicRawTagCount) {
        FillTagDescriptions();
        return g_panasonicRawDescriptions[static_cast<size_t>(p - PanasonicRawTagTable.data())];
    }
    return MainDescription(static_cast<int>(p - MainTagTable.data()));
}

TTagEntry FetchTagRow(uint16_t tag, int kind) {
    const TTagRow &row = TagRowOf(tag, kind);
    return EntryWithDescription(row, TagDescription(row));
}

int FindTagRowByName(std::string_view name) {
    for (int i = 0; i < MainDefaultRow; ++i) {
        const std::string_view rowName = MainTagTable[static_cast<size_t>(i)].Name;
        if (rowName.size() == name.size() && SameTextAscii(rowName, name)) return i;
    }
    return -1;
}

namespace {

bool TagBefore(const TTagRow &row, uint16_t tag) {
    return row.Tag < tag;
}

bool TagAfter(uint16_t tag, const TTagRow &row) {
    return tag < row.Tag;
}

}  // namespace

int FindTagIndex(uint16_t tag, std::span<const TTagRow> rows) {
    const auto at = std::lower_bound(rows.begin(), rows.end(), tag, TagBefore);
    return at == rows.end() || at->Tag != tag ? -1 : static_cast<int>(at - rows.begin());
}

const TTagRow *LastRowOf(uint16_t tag, std::span<const TTagRow> rows) {
    const auto after = std::upper_bound(rows.begin(), rows.end(), tag, TagAfter);
    return after == rows.begin() || (after - 1)->Tag != tag ? nullptr : &*(after - 1);
}

std::string_view TagCodesInTable(uint16_t tag, std::span<const TTagRow> rows) {
    const TTagRow *row = LastRowOf(tag, rows);
    return row ? row->ValueCodes : std::string_view();
}

}  // namespace exif
