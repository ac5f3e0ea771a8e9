#include "cli/ExiftoolNames.h"

#include <algorithm>
#include <string_view>

#include "exif/TextFormat.h"

namespace cli {

namespace {

// An EXIF row's dialog name and exiftool's, in any directory when `Group` is
// empty, else in the directories whose names start with it (the same tag is
// the thumbnail's offset in IFD1 and the full-size JPEG's in a raw's
// sub-image; "SubIFD" names SubIFD1, SubIFD2, ... too).
struct TExifName {
    std::string_view Group;
    std::string_view Dialog;
    std::string_view Exiftool;
};

// clang-format off
constexpr TExifName ExifNames[] = {
    // tag     dialog name                           exiftool's name
    /* 0x0001 */ {"", "InteroperabilityIndex",       "InteropIndex"},
    /* 0x0002 */ {"", "InteroperabilityVersion",     "InteropVersion"},
    /* 0x000B */ {"", "ACDComment",                  "ProcessingSoftware"},
    /* 0x00FE */ {"", "NewSubfileType",              "SubfileType"},
    /* 0x00FF */ {"", "SubfileType",                 "OldSubfileType"},
    /* 0x0101 */ {"", "ImageLength",                 "ImageHeight"},
    /* 0x0107 */ {"", "Threshholding",               "Thresholding"},
    /* 0x0122 */ {"", "GrayReponseUnit",             "GrayResponseUnit"},
    /* 0x0123 */ {"", "GrayReponseCurve",            "GrayResponseCurve"},
    /* 0x0132 */ {"", "DateTime",                    "ModifyDate"},
    /* 0x0141 */ {"", "HalfToneHints",               "HalftoneHints"},
    /* 0x014E */ {"", "NumberOfInks",                "NumberofInks"},
    /* 0x0152 */ {"", "ExtraSample",                 "ExtraSamples"},
    /* 0x0201 */ {"IFD0", "JPEGInterchangeFormat",   "ThumbnailOffset"},
    /* 0x0201 */ {"IFD1", "JPEGInterchangeFormat",   "ThumbnailOffset"},
    /* 0x0201 */ {"", "JPEGInterchangeFormat",       "JpgFromRawStart"},
    /* 0x0202 */ {"IFD0", "JPEGInterchangeFormatLength", "ThumbnailLength"},
    /* 0x0202 */ {"IFD1", "JPEGInterchangeFormatLength", "ThumbnailLength"},
    /* 0x0202 */ {"", "JPEGInterchangeFormatLength", "JpgFromRawLength"},
    /* 0x02BC */ {"", "ExtensibleMetadataPlatform",  "ApplicationNotes"},
    /* 0x828E */ {"IFD0", "CFAPattern",              "CFAPattern2"},
    /* 0x828E */ {"SubIFD", "CFAPattern",            "CFAPattern2"},
    /* 0x83BB */ {"", "IPTC/NAA",                    "IPTC-NAA"},
    /* 0x84E3 */ {"", "IT8RasterPadding",            "RasterPadding"},
    /* 0x8827 */ {"", "ISOSpeedRatings",             "ISO"},
    /* 0x8828 */ {"", "OECF",                        "Opto-ElectricConvFactor"},
    /* 0x9004 */ {"", "DateTimeDigitized",           "CreateDate"},
    /* 0x9204 */ {"", "ExposureBiasValue",           "ExposureCompensation"},
    /* 0x9216 */ {"", "TIFF/EPStandardID",           "TIFF-EPStandardID"},
    /* 0x9400 */ {"", "Temperature",                 "AmbientTemperature"},
    /* 0x9C9B */ {"", "Title",                       "XPTitle"},
    /* 0x9C9C */ {"", "Comments",                    "XPComment"},
    /* 0x9C9D */ {"", "Author",                      "XPAuthor"},
    /* 0x9C9E */ {"", "Keywords",                    "XPKeywords"},
    /* 0x9C9F */ {"", "Subject",                     "XPSubject"},
    /* 0xA000 */ {"", "FlashPixVersion",             "FlashpixVersion"},
    /* 0xA003 */ {"", "ExifImageLength",             "ExifImageHeight"},
    /* 0xA405 */ {"", "FocalLengthin35mmFilm",       "FocalLengthIn35mmFormat"},
    /* 0xA430 */ {"", "CameraOwnerName",             "OwnerName"},
    /* 0xA431 */ {"", "BodySerialNumber",            "SerialNumber"},
    /* 0xA432 */ {"", "LensSpecification",           "LensInfo"},
    /* 0xA461 */ {"", "SourceImageNumberOfCompositeImage", "CompositeImageCount"},
    /* 0xA462 */ {"", "SourceExposureTimesOfCompositeImage", "CompositeImageExposureTimes"},
    /* 0xC630 */ {"", "LensInfo",                    "DNGLensInfo"},
    /* 0xC6F3 */ {"", "CameraCalibrationSignature",  "CameraCalibrationSig"},
    /* 0xC6F4 */ {"", "ProfileCalibrationSignature", "ProfileCalibrationSig"},
    /* 0xC792 */ {"", "OriginalBestQualityFinalSize", "OriginalBestQualitySize"},
    // GPS
    /* 0x0010 */ {"GPS", "GPSImageDirectionRef",     "GPSImgDirectionRef"},
    /* 0x0011 */ {"GPS", "GPSImageDirection",        "GPSImgDirection"},
    /* 0x0017 */ {"GPS", "GPSDestBearingkRef",       "GPSDestBearingRef"},
    /* 0x001B */ {"GPS", "GPSProcessingMode",        "GPSProcessingMethod"},
};

// The IPTC application record (record 2): the dialog's description, exiftool's name.
struct TIptcName {
    std::string_view Dialog;
    std::string_view Exiftool;
};

constexpr TIptcName IptcNames[] = {
    /*   3 */ {"Object Type Ref",                 "ObjectTypeReference"},
    /*   4 */ {"Object Attribute Ref",            "ObjectAttributeReference"},
    /*   5 */ {"Object name",                     "ObjectName"},
    /*   7 */ {"Edit Status",                     "EditStatus"},
    /*   8 */ {"Editorial Update",                "EditorialUpdate"},
    /*  10 */ {"Urgency",                         "Urgency"},
    /*  12 */ {"Subject Reference",               "SubjectReference"},
    /*  15 */ {"Category",                        "Category"},
    /*  20 */ {"Supplemental category",           "SupplementalCategories"},
    /*  22 */ {"Fixture ID",                      "FixtureIdentifier"},
    /*  25 */ {"Keywords",                        "Keywords"},
    /*  26 */ {"Content Location Code",           "ContentLocationCode"},
    /*  27 */ {"Content Location Name",           "ContentLocationName"},
    /*  30 */ {"Release Date",                    "ReleaseDate"},
    /*  35 */ {"Release Time",                    "ReleaseTime"},
    /*  37 */ {"Expiration Date",                 "ExpirationDate"},
    /*  38 */ {"Expiration Time",                 "ExpirationTime"},
    /*  40 */ {"Special Instructions",            "SpecialInstructions"},
    /*  42 */ {"Action Advised",                  "ActionAdvised"},
    /*  45 */ {"Reference Service",               "ReferenceService"},
    /*  47 */ {"Reference Date",                  "ReferenceDate"},
    /*  50 */ {"Reference Number",                "ReferenceNumber"},
    /*  55 */ {"Date created",                    "DateCreated"},
    /*  60 */ {"Time created",                    "TimeCreated"},
    /*  62 */ {"Digital Creation Date",           "DigitalCreationDate"},
    /*  63 */ {"Digital Creation Time",           "DigitalCreationTime"},
    /*  65 */ {"Originating Program",             "OriginatingProgram"},
    /*  70 */ {"Program version",                 "ProgramVersion"},
    /*  75 */ {"Object Cycle",                    "ObjectCycle"},
    /*  80 */ {"ByLine",                          "By-line"},
    /*  85 */ {"ByLine Title",                    "By-lineTitle"},
    /*  90 */ {"City",                            "City"},
    /*  92 */ {"Sublocation",                     "Sub-location"},
    /*  95 */ {"Province/State",                  "Province-State"},
    /* 100 */ {"Country/Primary Location Code",   "Country-PrimaryLocationCode"},
    /* 101 */ {"Country/Primary Location Name",   "Country-PrimaryLocationName"},
    /* 103 */ {"Original Transmission Reference", "OriginalTransmissionReference"},
    /* 105 */ {"Image headline",                  "Headline"},
    /* 110 */ {"Image credit",                    "Credit"},
    /* 115 */ {"Source",                          "Source"},
    /* 116 */ {"Copyright Notice",                "CopyrightNotice"},
    /* 118 */ {"Contact",                         "Contact"},
    /* 120 */ {"Image caption",                   "Caption-Abstract"},
    /* 122 */ {"Image caption writer",            "Writer-Editor"},
    /* 130 */ {"Image type",                      "ImageType"},
    /* 131 */ {"Image Orientation",               "ImageOrientation"},
    /* 135 */ {"Language ID",                     "LanguageIdentifier"},
};

// The packet's prefix of a namespace and exiftool's group for it, where they differ.
struct TXmpPrefix {
    std::string_view Packet;
    std::string_view Exiftool;
};

constexpr TXmpPrefix XmpPrefixes[] = {
    {"Iptc4xmpCore",   "iptcCore"},
    {"Iptc4xmpExt",    "iptcExt"},
    {"MicrosoftPhoto", "microsoft"},
    {"xap",            "xmp"},
    {"xapBJ",          "xmpBJ"},
    {"xapMM",          "xmpMM"},
    {"xapRights",      "xmpRights"},
    {"xapTPg",         "xmpTPg"},
};

// A flattened XMP name (exiftool's group, the path's parts joined) and the
// name exiftool gives the property instead.
struct TXmpName {
    std::string_view Group;
    std::string_view Flat;
    std::string_view Exiftool;
};

constexpr TXmpName XmpNames[] = {
    {"XMP-exif",      "BodySerialNumber",      "SerialNumber"},
    {"XMP-exif",      "CameraOwnerName",       "OwnerName"},
    {"XMP-exif",      "ExposureBiasValue",     "ExposureCompensation"},
    {"XMP-exif",      "FocalLengthIn35mmFilm", "FocalLengthIn35mmFormat"},
    {"XMP-exif",      "GPSTimeStamp",          "GPSDateTime"},
    {"XMP-exif",      "ISOSpeedRatings",       "ISO"},
    {"XMP-exif",      "InteroperabilityIndex", "InteropIndex"},
    {"XMP-exif",      "LensSpecification",     "LensInfo"},
    {"XMP-exif",      "OECF",                  "Opto-ElectricConvFactor"},
    {"XMP-exif",      "PixelXDimension",       "ExifImageWidth"},
    {"XMP-exif",      "PixelYDimension",       "ExifImageHeight"},
    {"XMP-photoshop", "ICCProfile",            "ICCProfileName"},
    {"XMP-photoshop", "TextLayersLayerName",   "TextLayerName"},
    {"XMP-photoshop", "TextLayersLayerText",   "TextLayerText"},
    {"XMP-tiff",      "ImageLength",           "ImageHeight"},
    {"XMP-x",         "Xmptk",                 "XMPToolkit"},
};

// The dialog's file rows by exiftool's group.
constexpr std::string_view SystemRows[] = {"FileName", "FileSize", "FileModifyDate"};
// clang-format on

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// One step of an XMP path ("stEvt:action", "History[2]", "title[fr-FR]")
// appended to a flattened name; a language goes to `language`.
void AppendXmpStep(std::string_view step, TXmpKey &key, std::string &language) {
    if (const size_t colon = step.find(':'); colon != std::string_view::npos) step.remove_prefix(colon + 1);
    if (const size_t open = step.find('['); open != std::string_view::npos && step.back() == ']') {
        const std::string_view inside = step.substr(open + 1, step.size() - open - 2);
        if (AllDigits(inside))
            key.ArrayItem = true;
        else
            language = inside;
        step = step.substr(0, open);
    }
    if (step.empty()) return;
    key.Name += UpperAscii(step.front());
    key.Name.append(step.substr(1));
}

}  // namespace

std::string_view ExiftoolExifName(std::string_view group, std::string_view name) {
    for (const TExifName &row : ExifNames)
        if (row.Dialog == name && group.starts_with(row.Group)) return row.Exiftool;
    return name;
}

std::string_view ExiftoolIptcName(std::string_view description) {
    for (const TIptcName &row : IptcNames)
        if (row.Dialog == description) return row.Exiftool;
    return {};
}

TXmpKey ExiftoolXmpKey(std::string_view dialogName) {
    TXmpKey key;
    const size_t colon = dialogName.find(':');
    std::string_view prefix = colon == std::string_view::npos ? std::string_view("x") : dialogName.substr(0, colon);
    for (const TXmpPrefix &row : XmpPrefixes)
        if (row.Packet == prefix) prefix = row.Exiftool;
    key.Group.assign("XMP-").append(prefix);
    std::string_view path = colon == std::string_view::npos ? dialogName : dialogName.substr(colon + 1);
    std::string language;
    while (!path.empty()) {
        const size_t slash = path.find('/');
        AppendXmpStep(path.substr(0, slash), key, language);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    for (const TXmpName &row : XmpNames)
        if (row.Group == key.Group && row.Flat == key.Name) key.Name = row.Exiftool;
    if (!language.empty()) key.Name.append(1, '-').append(language);
    return key;
}

std::string_view ExiftoolFileGroup(std::string_view name) {
    return std::find(std::begin(SystemRows), std::end(SystemRows), name) != std::end(SystemRows) ? "System" : "File";
}

std::string ExiftoolIptcDate(std::string_view stored) {
    if (stored.size() != 8 || !AllDigits(stored)) return std::string(stored);
    std::string out;
    out.append(stored.substr(0, 4)).append(1, ':').append(stored.substr(4, 2)).append(1, ':').append(stored.substr(6));
    return out;
}

std::string ExiftoolIptcTime(std::string_view stored) {
    if (stored.size() < 6 || !AllDigits(stored.substr(0, 6))) return std::string(stored);
    std::string out;
    out.append(stored.substr(0, 2))
        .append(1, ':')
        .append(stored.substr(2, 2))
        .append(1, ':')
        .append(stored.substr(4, 2));
    std::string_view zone = stored.substr(6);
    if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-') && AllDigits(zone.substr(1)))
        out.append(zone.substr(0, 3)).append(1, ':').append(zone.substr(3));
    else
        out.append(zone);
    return out;
}

std::string ExiftoolXmpDate(std::string_view stored) {
    // YYYY-MM-DDThh:mm[:ss[.s]][zone], or a date alone (YYYY[-MM[-DD]]).
    const bool hasYear = stored.size() >= 4 && AllDigits(stored.substr(0, 4));
    if (!hasYear) return std::string(stored);
    const bool full = stored.size() >= 16 && stored[4] == '-' && stored[7] == '-' &&
                      (stored[10] == 'T' || stored[10] == ' ') && AllDigits(stored.substr(5, 2)) &&
                      AllDigits(stored.substr(8, 2)) && AllDigits(stored.substr(11, 2)) && stored[13] == ':' &&
                      AllDigits(stored.substr(14, 2));
    std::string out(stored);
    if (full) {
        out[4] = ':';
        out[7] = ':';
        out[10] = ' ';
        return out;
    }
    if (stored.find_first_not_of("0123456789-") != std::string_view::npos) return out;
    std::replace(out.begin(), out.end(), '-', ':');
    return out;
}

bool ExiftoolJsonNumber(std::string_view t) {
    size_t at = 0;
    if (at < t.size() && t[at] == '-') ++at;
    const size_t intStart = at;
    while (at < t.size() && IsDigit(t[at])) ++at;
    const size_t intDigits = at - intStart;
    if (intDigits == 0 || intDigits > 15 || (intDigits > 1 && t[intStart] == '0')) return false;
    if (at < t.size() && t[at] == '.') {
        const size_t fracStart = ++at;
        while (at < t.size() && IsDigit(t[at])) ++at;
        if (at == fracStart || at - fracStart > 16) return false;
    }
    if (at < t.size() && (t[at] == 'e' || t[at] == 'E')) {
        ++at;
        if (at < t.size() && (t[at] == '+' || t[at] == '-')) ++at;
        const size_t expStart = at;
        while (at < t.size() && IsDigit(t[at])) ++at;
        if (at == expStart || at - expStart > 3) return false;
    }
    return at == t.size();
}

bool ExiftoolJsonBoolean(std::string_view text) {
    return exif::SameTextAscii(text, "true") || exif::SameTextAscii(text, "false");
}

}  // namespace cli
