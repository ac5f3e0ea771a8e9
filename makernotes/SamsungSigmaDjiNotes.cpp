// Samsung's note (the directory of its cameras and phones, offsets counted
// from the note's first byte), Sigma's (after "SIGMA\0\0\0" or "FOVEON\0\0"
// and two version bytes, offsets counted from the TIFF header) and DJI's (a
// directory from the note's first byte, offsets counted from the TIFF
// header). None of the three writes a byte order mark: the note is read in
// the order in which its entry count fits.
#include <array>
#include <bit>
#include <cmath>

#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

// clang-format off
constexpr std::array<TTagRow, 19> SamsungRows = {{
    {0x0001, "MakerNoteVersion", "Maker Note Version", "", "", nullptr},
    {0x0002, "DeviceType", "Device Type", "4096:Compact Digital Camera,8192:High-end NX Camera,12288:HXM Video Camera,73728:Cell Phone,3145728:SMX Video Camera", "", nullptr},
    {0x0021, "PictureWizard", "Picture Wizard", "0:Standard,1:Vivid,2:Portrait,3:Landscape,4:Forest,5:Retro,6:Cool,7:Calm,8:Classic,9:Custom1,10:Custom2,11:Custom3,255:n/a", "", FirstField},
    {0x0030, "LocalLocationName", "Local Location Name", "", "", nullptr},
    {0x0031, "LocationName", "Location Name", "", "", nullptr},
    {0x0100, "FaceDetect", "Face Detect", "0:Off,1:On", "", nullptr},
    {0x0120, "FaceRecognition", "Face Recognition", "0:Off,1:On", "", nullptr},
    {0x0123, "FaceName", "Face Name", "", "", nullptr},
    {0xA001, "FirmwareName", "Firmware Name", "", "", nullptr},
    {0xA002, "SerialNumber", "Serial Number", "", "", nullptr},
    {0xA003, "LensType", "Lens Type", "", "", SamsungLensType},
    {0xA004, "LensFirmware", "Lens Firmware", "", "", nullptr},
    {0xA005, "InternalLensSerialNumber", "Internal Lens Serial Number", "", "", nullptr},
    {0xA011, "ColorSpace", "Color Space", "0:sRGB,1:Adobe RGB", "", nullptr},
    {0xA012, "SmartRange", "Smart Range", "0:Off,1:On", "", nullptr},
    {0xA013, "ExposureCompensation", "Exposure Compensation", "", "", DecimalsText},
    {0xA014, "ISO", "ISO", "", "", nullptr},
    {0xA019, "FNumber", "F Number", "", "", DecimalsText},
    {0xA01A, "FocalLengthIn35mmFormat", "Focal Length In 35mm Format", "", "", TenthsOfMillimetres},
}};

// Sigma wrote most settings as texts ("P", "Auto", "Qual:12").
constexpr std::array<TTagRow, 24> SigmaRows = {{
    {0x0002, "SerialNumber", "Serial Number", "", "", nullptr},
    {0x0003, "DriveMode", "Drive Mode", "", "", nullptr},
    {0x0004, "ResolutionMode", "Resolution Mode", "", "", nullptr},
    {0x0005, "AFMode", "AF Mode", "", "", nullptr},
    {0x0006, "FocusSetting", "Focus Setting", "", "", nullptr},
    {0x0007, "WhiteBalance", "White Balance", "", "", nullptr},
    {0x0008, "ExposureMode", "Exposure Mode", "", "", nullptr},
    {0x0009, "MeteringMode", "Metering Mode", "", "", nullptr},
    {0x000A, "LensFocalRange", "Lens Focal Range", "", "", nullptr},
    {0x000B, "ColorSpace", "Color Space", "", "", nullptr},
    {0x000C, "ExposureCompensation", "Exposure Compensation", "", "", SigmaSetting},
    {0x000D, "Contrast", "Contrast", "", "", SigmaSetting},
    {0x000E, "Shadow", "Shadow", "", "", SigmaSetting},
    {0x000F, "Highlight", "Highlight", "", "", SigmaSetting},
    {0x0010, "Saturation", "Saturation", "", "", SigmaSetting},
    {0x0011, "Sharpness", "Sharpness", "", "", SigmaSetting},
    {0x0015, "AdjustmentMode", "Adjustment Mode", "", "", nullptr},
    {0x0016, "Quality", "Quality", "", "", SigmaSetting},
    {0x0017, "Firmware", "Firmware", "", "", nullptr},
    {0x0018, "Software", "Software", "", "", nullptr},
    {0x0019, "AutoBracket", "Auto Bracket", "", "", nullptr},
    {0x0027, "LensType", "Lens Type", "", "", SigmaLensType},
    {0x002A, "LensFocalRange", "Lens Focal Range", "", "", RangeText},
    {0x002B, "LensMaxApertureRange", "Lens Max Aperture Range", "", "", RangeText},
}};

// Speeds in metres per second, angles in degrees.
constexpr std::array<TTagRow, 10> DjiRows = {{
    {0x0001, "Make", "Make", "", "", nullptr},
    {0x0003, "SpeedX", "Speed X", "", "", SignedHundredths},
    {0x0004, "SpeedY", "Speed Y", "", "", SignedHundredths},
    {0x0005, "SpeedZ", "Speed Z", "", "", SignedHundredths},
    {0x0006, "Pitch", "Pitch", "", "", SignedHundredths},
    {0x0007, "Yaw", "Yaw", "", "", SignedHundredths},
    {0x0008, "Roll", "Roll", "", "", SignedHundredths},
    {0x0009, "CameraPitch", "Camera Pitch", "", "", SignedHundredths},
    {0x000A, "CameraYaw", "Camera Yaw", "", "", SignedHundredths},
    {0x000B, "CameraRoll", "Camera Roll", "", "", SignedHundredths},
}};

constexpr std::array<TLensRow, 18> SamsungLensRows = {{
    {0, "Built-in or Manual Lens"},
    {1, "Samsung NX 30mm F2 Pancake"},
    {2, "Samsung NX 18-55mm F3.5-5.6 OIS"},
    {3, "Samsung NX 50-200mm F4-5.6 ED OIS"},
    {4, "Samsung NX 20-50mm F3.5-5.6 ED"},
    {5, "Samsung NX 20mm F2.8 Pancake"},
    {6, "Samsung NX 18-200mm F3.5-6.3 ED OIS"},
    {7, "Samsung NX 60mm F2.8 Macro ED OIS SSA"},
    {8, "Samsung NX 16mm F2.4 Pancake"},
    {9, "Samsung NX 85mm F1.4 ED SSA"},
    {10, "Samsung NX 45mm F1.8"},
    {11, "Samsung NX 45mm F1.8 2D/3D"},
    {12, "Samsung NX 12-24mm F4-5.6 ED"},
    {13, "Samsung NX 16-50mm F2-2.8 S ED OIS"},
    {14, "Samsung NX 10mm F3.5 Fisheye"},
    {15, "Samsung NX 16-50mm F3.5-5.6 Power Zoom ED OIS"},
    {20, "Samsung NX 50-150mm F2.8 S ED OIS"},
    {21, "Samsung NX 300mm F2.8 ED OIS"},
}};

// Sigma's lens numbers (written as hexadecimal text by most bodies).
constexpr std::array<TLensRow, 203> SigmaLensRows = {{
    {0x10, "Sigma 50mm F2.8 EX DG MACRO"},
    {0x16, "Sigma 18-50mm F3.5-5.6 DC"},
    {0x103, "Sigma 180mm F3.5 EX IF HSM APO Macro"},
    {0x104, "Sigma 150mm F2.8 EX DG HSM APO Macro"},
    {0x105, "Sigma 180mm F3.5 EX DG HSM APO Macro"},
    {0x106, "Sigma 150mm F2.8 EX DG OS HSM APO Macro"},
    {0x107, "Sigma 180mm F2.8 EX DG OS HSM APO Macro"},
    {0x129, "Sigma Lens (0x129)"},
    {0x131, "Sigma Lens (0x131)"},
    {0x134, "Sigma 100-300mm F4 EX DG HSM APO"},
    {0x135, "Sigma 120-300mm F2.8 EX DG HSM APO"},
    {0x136, "Sigma 120-300mm F2.8 EX DG OS HSM APO"},
    {0x137, "Sigma 120-300mm F2.8 DG OS HSM | S"},
    {0x143, "Sigma 600mm F8 Mirror"},
    {0x145, "Sigma Lens (0x145)"},
    {0x150, "Sigma 30mm F1.4 DC HSM"},
    {0x152, "Sigma Lens (0x152)"},
    {0x165, "Sigma 70-200mm F2.8 EX"},
    {0x169, "Sigma 18-50mm F2.8 EX DC"},
    {0x183, "Sigma 500mm F4.5 EX HSM APO"},
    {0x184, "Sigma 500mm F4.5 EX DG HSM APO"},
    {0x185, "Sigma 500mm F4 DG OS HSM | S"},
    {0x194, "Sigma 300mm F2.8 EX HSM APO"},
    {0x195, "Sigma 300mm F2.8 EX DG HSM APO"},
    {0x200, "Sigma 12-24mm F4.5-5.6 EX DG ASP HSM"},
    {0x201, "Sigma 10-20mm F4-5.6 EX DC HSM"},
    {0x202, "Sigma 10-20mm F3.5 EX DC HSM"},
    {0x203, "Sigma 8-16mm F4.5-5.6 DC HSM"},
    {0x204, "Sigma 12-24mm F4.5-5.6 DG HSM II"},
    {0x205, "Sigma 12-24mm F4 DG HSM | A"},
    {0x210, "Sigma 18-35mm F1.8 DC HSM | A"},
    {0x240, "Sigma 135mm F1.8 DG HSM | A"},
    {0x256, "Sigma 105mm F2.8 EX Macro"},
    {0x257, "Sigma 105mm F2.8 EX DG Macro"},
    {0x258, "Sigma 105mm F2.8 EX DG OS HSM Macro"},
    {0x259, "Sigma 105mm F1.4 DG HSM | A"},
    {0x270, "Sigma 70mm F2.8 EX DG Macro"},
    {0x271, "Sigma 70mm F2.8 DG Macro | A"},
    {0x300, "Sigma 30mm F1.4 EX DC HSM"},
    {0x301, "Sigma 30mm F1.4 DC HSM | A"},
    {0x302, "Sigma 30mm F1.4 DC DN | C"},
    {0x310, "Sigma 50mm F1.4 EX DG HSM"},
    {0x311, "Sigma 50mm F1.4 DG HSM | A"},
    {0x320, "Sigma 85mm F1.4 EX DG HSM"},
    {0x321, "Sigma 85mm F1.4 DG HSM | A"},
    {0x330, "Sigma 30mm F2.8 EX DN"},
    {0x340, "Sigma 35mm F1.4 DG HSM"},
    {0x345, "Sigma 50mm F2.8 EX Macro"},
    {0x346, "Sigma 50mm F2.8 EX DG Macro"},
    {0x350, "Sigma 60mm F2.8 DN | A"},
    {0x400, "Sigma 19mm F2.8 EX DN"},
    {0x401, "Sigma 24mm F1.4 DG HSM | A"},
    {0x411, "Sigma 20mm F1.8 EX DG ASP RF"},
    {0x412, "Sigma 20mm F1.4 DG HSM | A"},
    {0x432, "Sigma 24mm F1.8 EX DG ASP Macro"},
    {0x440, "Sigma 28mm F1.8 EX DG ASP Macro"},
    {0x450, "Sigma 14mm F1.8 DH HSM | A"},
    {0x461, "Sigma 14mm F2.8 EX ASP HSM"},
    {0x475, "Sigma 15mm F2.8 EX Diagonal FishEye"},
    {0x476, "Sigma 15mm F2.8 EX DG Diagonal Fisheye"},
    {0x477, "Sigma 10mm F2.8 EX DC HSM Fisheye"},
    {0x483, "Sigma 8mm F4 EX Circular Fisheye"},
    {0x484, "Sigma 8mm F4 EX DG Circular Fisheye"},
    {0x485, "Sigma 8mm F3.5 EX DG Circular Fisheye"},
    {0x486, "Sigma 4.5mm F2.8 EX DC HSM Circular Fisheye"},
    {0x504, "Sigma 70-300mm F4-5.6 Macro Super"},
    {0x505, "Sigma APO 70-300mm F4-5.6 Macro Super"},
    {0x506, "Sigma 70-300mm F4-5.6 APO Macro Super II"},
    {0x507, "Sigma 70-300mm F4-5.6 DL Macro Super II"},
    {0x508, "Sigma 70-300mm F4-5.6 DG APO Macro"},
    {0x509, "Sigma 70-300mm F4-5.6 DG Macro"},
    {0x510, "Sigma 17-35 F2.8-4 EX DG ASP"},
    {0x512, "Sigma 15-30mm F3.5-4.5 EX DG ASP DF"},
    {0x513, "Sigma 20-40mm F2.8 EX DG"},
    {0x519, "Sigma 17-35 F2.8-4 EX ASP HSM"},
    {0x520, "Sigma 100-300mm F4.5-6.7 DL"},
    {0x521, "Sigma 18-50mm F3.5-5.6 DC Macro"},
    {0x527, "Sigma 100-300mm F4 EX IF HSM"},
    {0x529, "Sigma 120-300mm F2.8 EX HSM IF APO"},
    {0x545, "Sigma 28-70mm F2.8 EX ASP DF"},
    {0x547, "Sigma 24-60mm F2.8 EX DG"},
    {0x548, "Sigma 24-70mm F2.8 EX DG Macro"},
    {0x549, "Sigma 28-70mm F2.8 EX DG"},
    {0x566, "Sigma 70-200mm F2.8 EX IF APO"},
    {0x567, "Sigma 70-200mm F2.8 EX IF HSM APO"},
    {0x568, "Sigma 70-200mm F2.8 EX DG IF HSM APO"},
    {0x569, "Sigma 70-200 F2.8 EX DG HSM APO Macro"},
    {0x571, "Sigma 24-70mm F2.8 IF EX DG HSM"},
    {0x572, "Sigma 70-300mm F4-5.6 DG OS"},
    {0x576, "Sigma 24-70mm F2.8 DG OS HSM | A"},
    {0x579, "Sigma 70-200mm F2.8 EX DG HSM APO Macro"},
    {0x580, "Sigma 18-50mm F2.8 EX DC"},
    {0x581, "Sigma 18-50mm F2.8 EX DC Macro"},
    {0x582, "Sigma 18-50mm F2.8 EX DC HSM Macro"},
    {0x583, "Sigma 17-50mm F2.8 EX DC OS HSM"},
    {0x588, "Sigma 24-35mm F2 DG HSM | A"},
    {0x589, "Sigma APO 70-200mm F2.8 EX DG OS HSM"},
    {0x594, "Sigma 300-800mm F5.6 EX HSM IF APO"},
    {0x595, "Sigma 300-800mm F5.6 EX DG APO HSM"},
    {0x597, "Sigma 200-500mm F2.8 APO EX DG"},
    {0x5A8, "Sigma 70-300mm F4-5.6 APO DG Macro (Motorized)"},
    {0x5A9, "Sigma 70-300mm F4-5.6 DG Macro (Motorized)"},
    {0x605, "Sigma 24-70mm F3.5-5.6 ASP HF"},
    {0x633, "Sigma 28-70mm F2.8-4 HS"},
    {0x634, "Sigma 28-70mm F2.8-4 DG"},
    {0x635, "Sigma 24-105mm F4 DG OS HSM | A"},
    {0x644, "Sigma 28-80mm F3.5-5.6 ASP HF Macro"},
    {0x659, "Sigma 28-80mm F3.5-5.6 Mini Zoom Macro II ASP"},
    {0x661, "Sigma 28-105mm F2.8-4 IF ASP"},
    {0x663, "Sigma 28-105mm F3.8-5.6 IF UC-III ASP"},
    {0x664, "Sigma 28-105mm F2.8-4 IF DG ASP"},
    {0x667, "Sigma 24-135mm F2.8-4.5 IF ASP"},
    {0x668, "Sigma 17-70mm F2.8-4 DC Macro OS HSM"},
    {0x669, "Sigma 17-70mm F2.8-4.5 DC HSM Macro"},
    {0x684, "Sigma 55-200mm F4-5.6 DC"},
    {0x686, "Sigma 50-200mm F4-5.6 DC OS HSM"},
    {0x689, "Sigma 17-70mm F2.8-4.5 DC Macro"},
    {0x690, "Sigma 50-150mm F2.8 EX DC HSM APO"},
    {0x691, "Sigma 50-150mm F2.8 EX DC APO HSM II"},
    {0x692, "Sigma APO 50-150mm F2.8 EX DC OS HSM"},
    {0x693, "Sigma 50-100mm F1.8 DC HSM | A"},
    {0x709, "Sigma 28-135mm F3.8-5.6 IF ASP Macro"},
    {0x723, "Sigma 135-400mm F4.5-5.6 ASP APO"},
    {0x725, "Sigma 80-400mm F4.5-5.6 EX OS"},
    {0x726, "Sigma 80-400mm F4.5-5.6 EX DG OS APO"},
    {0x727, "Sigma 135-400mm F4.5-5.6 DG ASP APO"},
    {0x728, "Sigma 120-400mm F4.5-5.6 DG APO OS HSM"},
    {0x729, "Sigma 100-400mm F5-6.3 DG OS HSM | C"},
    {0x730, "Sigma 60-600mm F4.5-6.3 DG OS HSM | S"},
    {0x733, "Sigma 170-500mm F5-6.3 ASP APO"},
    {0x734, "Sigma 170-500mm F5-6.3 DG ASP APO"},
    {0x735, "Sigma 50-500mm F4-6.3 EX RF HSM APO"},
    {0x736, "Sigma 50-500mm F4-6.3 EX DG HSM APO"},
    {0x737, "Sigma 150-500mm F5-6.3 APO DG OS HSM"},
    {0x738, "Sigma 50-500mm F4.5-6.3 APO DG OS HSM"},
    {0x740, "Sigma 150-600mm F5-6.3 DG OS HSM | S"},
    {0x745, "Sigma 150-600mm F5-6.3 DG OS HSM | C"},
    {0x777, "Sigma 18-200mm F3.5-6.3 DC"},
    {0x77D, "Sigma 18-200mm F3.5-6.3 DC (Motorized)"},
    {0x785, "Sigma 28-200mm F3.5-5.6 DL ASP IF HZM Macro"},
    {0x787, "Sigma 28-200mm F3.5-5.6 Compact ASP HZ Macro"},
    {0x789, "Sigma 18-125mm F3.5-5.6 DC"},
    {0x790, "Sigma 28-300mm F3.5-6.3 DL ASP IF HZM"},
    {0x793, "Sigma 28-300mm F3.5-6.3 Macro"},
    {0x794, "Sigma 28-200mm F3.5-5.6 DG Compact ASP HZ Macro"},
    {0x795, "Sigma 28-300mm F3.5-6.3 DG Macro"},
    {0x823, "Sigma 1.4X TC EX APO"},
    {0x824, "Sigma 1.4X Teleconverter EX APO DG"},
    {0x853, "Sigma 18-125mm F3.8-5.6 DC OS HSM"},
    {0x861, "Sigma 18-50mm F2.8-4.5 DC OS HSM"},
    {0x870, "Sigma 2.0X Teleconverter TC-2001"},
    {0x875, "Sigma 2.0X TC EX APO"},
    {0x876, "Sigma 2.0X Teleconverter EX APO DG"},
    {0x879, "Sigma 1.4X Teleconverter TC-1401"},
    {0x880, "Sigma 18-250mm F3.5-6.3 DC OS HSM"},
    {0x882, "Sigma 18-200mm F3.5-6.3 II DC OS HSM"},
    {0x883, "Sigma 18-250mm F3.5-6.3 DC Macro OS HSM"},
    {0x884, "Sigma 17-70mm F2.8-4 DC OS HSM Macro | C"},
    {0x885, "Sigma 18-200mm F3.5-6.3 DC OS HSM Macro | C"},
    {0x886, "Sigma 18-300mm F3.5-6.3 DC OS HSM Macro | C"},
    {0x888, "Sigma 18-200mm F3.5-6.3 DC OS"},
    {0x890, "Sigma Mount Converter MC-11"},
    {0x929, "Sigma 19mm F2.8 DN | A"},
    {0x1003, "Sigma 19mm F2.8"},
    {0x1004, "Sigma 30mm F2.8"},
    {0x1005, "Sigma 50mm F2.8 Macro"},
    {0x1006, "Sigma 19mm F2.8"},
    {0x1007, "Sigma 30mm F2.8"},
    {0x1008, "Sigma 50mm F2.8 Macro"},
    {0x1009, "Sigma 14mm F4"},
    {0x4001, "Lumix S 24-105mm F4 Macro OIS (S-R24105)"},
    {0x4002, "Lumix S 70-200mm F4 OIS (S-R70200)"},
    {0x4003, "Lumix S 50mm F1.4 (S-X50)"},
    {0x4006, "Lumix S 24-70mm F2.8 (S-E2470)"},
    {0x4007, "Lumix S 16-35mm F4 (S-R1635)"},
    {0x4008, "Lumix S 70-200mm F2.8 OIS (S-E70200)"},
    {0x400B, "Lumix S 20-60mm F3.5-5.6 (S-R2060)"},
    {0x400C, "Lumix S 85mm F1.8 (S-S85)"},
    {0x400D, "Lumix S 70-300 F4.5-5.6 Macro OIS (S-R70300)"},
    {0x400F, "Lumix S 24mm F1.8 (S-S24)"},
    {0x4010, "Lumix S 35mm F1.8 (S-S35)"},
    {0x4011, "LUMIX S 18mm F1.8 (S-S18)"},
    {0x6001, "Sigma 150-600mm F5-6.3 DG OS HSM | S"},
    {0x6003, "Sigma 45mm F2.8 DG DN | C"},
    {0x6005, "Sigma 14-24mm F2.8 DG DN | A"},
    {0x6006, "Sigma 50mm F1.4 DG HSM | A"},
    {0x6011, "Sigma 24-70mm F2.8 DG DN | A"},
    {0x6012, "Sigma 100-400mm F5-6.3 DG DN OS | C"},
    {0x6013, "Sigma 100-400mm F5-6.3 DG DN OS | C + TC-1411"},
    {0x6015, "Sigma 85mm F1.4 DG DN | A"},
    {0x6017, "Sigma 65mm F2 DG DN | C"},
    {0x6018, "Sigma 35mm F2 DG DN | C"},
    {0x601A, "Sigma 28-70mm F2.8 DG DN | C"},
    {0x601B, "Sigma 150-600mm F5-6.3 DG DN OS | S"},
    {0x6020, "Sigma 35mm F1.4 DG DN | A"},
    {0x6021, "Sigma 90mm F2.8 DG DN | C"},
    {0x6023, "Sigma 20mm F2 DG DN | C"},
    {0x6025, "Sigma 20mm F1.4 DG DN | A"},
    {0x6026, "Sigma 24mm F1.4 DG DN | A"},
    {0x8005, "Sigma 35mm F1.4 DG HSM | A"},
    {0x8009, "Sigma 18-35mm F1.8 DC HSM | A"},
    {0x8900, "Sigma 70-300mm F4-5.6 DG OS"},
    {0xA100, "Sigma 24-70mm F2.8 DG Macro"},
}};
// clang-format on

}  // namespace

const std::span<const TTagRow> SamsungTags{SamsungRows};
const std::span<const TTagRow> SigmaTags{SigmaRows};
const std::span<const TTagRow> DjiTags{DjiRows};
const std::span<const TLensRow> SamsungLenses{SamsungLensRows};
const std::span<const TLensRow> SigmaLenses{SigmaLensRows};

std::string LensOrUnknown(std::span<const TLensRow> table, int64_t id) {
    const std::optional<std::string_view> name = LensName(table, id);
    return name ? std::string(*name) : "Unknown (" + exif::IntText(id) + ")";
}

// The first number of the value: the lens.
std::string SamsungLensType(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto id = UnsignedAt(*out, 0, 2);
    return id ? LensOrUnknown(SamsungLenses, static_cast<int64_t>(*id)) : text;
}

// A number in tenths of a millimetre.
std::string TenthsOfMillimetres(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto n = UnsignedAt(*out, 0, 4);
    return n ? SignificantText(static_cast<double>(*n) / 10) + " mm" : text;
}

// The lens number as hexadecimal text ("5a8"), or as a number.
std::string SigmaLensType(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    std::optional<int64_t> id;
    if (out->Type == exif::TypeAscii) {
        const std::string_view raw = out->Raw.substr(0, out->Raw.find('\0'));
        // At most eight hexadecimal digits, so the number always fits.
        int64_t n = 0;
        bool hex = !raw.empty() && raw.size() <= 8;
        for (size_t i = 0; hex && i < raw.size(); ++i) {
            const char c = raw[i];
            const int digit = c >= '0' && c <= '9' ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            hex = digit >= 0;
            n = n * 16 + digit;
        }
        if (hex) id = n;
    } else if (const auto n = UnsignedAt(*out, 0, 2)) {
        id = static_cast<int64_t>(*n);
    }
    if (!id) return exif::CleanText(text);
    const std::optional<std::string_view> name = LensName(SigmaLenses, *id);
    return name ? std::string(*name) : "Unknown (" + HexNumber(static_cast<uint64_t>(*id), 1) + ")";
}

// Sigma's older bodies write a setting as text after a four-letter label
// ("Expo:+0.8", "Qual:12"): the setting without its label.
std::string SigmaSetting(const std::string &text, TRenderOut *out) {
    if (!out || out->Type != exif::TypeAscii) return text;
    const std::string_view raw = out->Raw.substr(0, out->Raw.find('\0'));
    if (raw.size() < 5 || raw[4] != ':') return text;
    out->StoreShown = true;
    return exif::Trim(std::string(raw.substr(5)));
}

// Two numbers as a range: "18 to 50".
std::string RangeText(const std::string &text, TRenderOut *out) {
    std::string shown = DecimalsText(text, out);
    if (const size_t blank = shown.find(' '); blank != std::string::npos) shown.replace(blank, 1, " to ");
    return shown;
}

// Floating-point numbers with a sign and two decimals: "+1.50 -0.20".
std::string SignedHundredths(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const int size = out->Type == exif::TypeDouble ? 8 : 4;
    if (out->Type != exif::TypeFloat && out->Type != exif::TypeDouble) return text;
    std::string shown;
    for (int64_t at = 0; at + size <= static_cast<int64_t>(out->Raw.size()) && at < 16 * size; at += size) {
        const uint64_t bits = *UnsignedAt(*out, at, size);
        double v =
            size == 8 ? std::bit_cast<double>(bits) : static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(bits)));
        if (v == 0) v = 0;  // a negative zero shows as +0.00
        if (!shown.empty()) shown += ' ';
        shown += !std::isfinite(v) ? std::string("n/a") : (v >= 0 ? "+" : "") + exif::FixedText(v, 2);
    }
    return shown;
}

}  // namespace makernotes
