// The renderings of Fujifilm's newer rows: the internal serial number, the
// drive settings and the image count.
#include <cctype>

#include "bytes/EndInd.h"
#include "exif/TextFormat.h"
#include "exif/ValueRender.h"
#include "makernotes/MakerNoteData.h"

namespace makernotes {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Hexadecimal digits as the bytes they spell ("592D31" is "Y-1"); an odd
// last digit is the high half of a byte.
std::string HexBytes(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int low = i + 1 < hex.size() ? HexDigit(hex[i + 1]) : 0;
        bytes += static_cast<char>(HexDigit(hex[i]) * 16 + low);
    }
    return bytes;
}

int TwoDigits(std::string_view s) {
    return (s[0] - '0') * 10 + (s[1] - '0');
}

}  // namespace

// "FPX20017035 592D31313034060427796060110384": a prefix, the body number as
// hexadecimal digits of ASCII characters, the date of manufacture as yymmdd
// and 12 characters more. Shown as "FPX20017035 Y-1104 2006:04:27
// 796060110384"; a text of another shape as it stands, with its "592D3x..."
// run spelt out when it has one.
std::string FujiSerialNumber(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    std::string_view serial = out->Raw;
    while (!serial.empty() && serial.back() == '\0') serial.remove_suffix(1);
    while (!serial.empty() && std::isspace(static_cast<unsigned char>(serial.back()))) serial.remove_suffix(1);
    if (serial.size() >= 18) {
        const std::string_view tail = serial.substr(serial.size() - 12);
        const std::string_view date = serial.substr(serial.size() - 18, 6);
        const std::string_view before = serial.substr(0, serial.size() - 18);
        size_t hexStart = before.size();
        while (hexStart > 0 && HexDigit(before[hexStart - 1]) >= 0) --hexStart;
        const bool digits = IsDigit(date[0]) && IsDigit(date[1]) && IsDigit(date[2]) && IsDigit(date[3]) &&
                            IsDigit(date[4]) && IsDigit(date[5]);
        if (digits) {
            const int year = TwoDigits(date), month = TwoDigits(date.substr(2)), day = TwoDigits(date.substr(4));
            if (month >= 1 && month <= 12 && day >= 1 && day <= 31)
                return exif::CleanText(std::string(before.substr(0, hexStart)) + HexBytes(before.substr(hexStart)) +
                                       " " + exif::IntText(year + (year < 70 ? 2000 : 1900)) + ":" +
                                       std::string(date.substr(2, 2)) + ":" + std::string(date.substr(4, 2)) + " " +
                                       std::string(tail));
        }
    }
    // Another shape: "592D" and pairs "3x" (digits in ASCII) spelt out.
    std::string shown(serial);
    const size_t at = shown.find("592D");
    if (at != std::string::npos && (at == 0 || !std::isalnum(static_cast<unsigned char>(shown[at - 1])))) {
        size_t end = at + 4;
        while (end + 1 < shown.size() && shown[end] == '3' && IsDigit(shown[end + 1])) end += 2;
        if (end > at + 4) shown.replace(at, end - at, HexBytes(std::string_view(shown).substr(at, end - at)) + " ");
    }
    return exif::CleanText(shown);
}

// The low byte: single or continuous shooting; the high byte: frames per
// second.
std::string FujiDriveSettings(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->Block = true;
    out->SubEntriesOnly = true;
    const auto settings = UnsignedAt(*out, 0, 4);
    if (!settings) return {};
    std::string lines = CodedLine("DriveMode", static_cast<int32_t>(*settings & 0xFF),
                                  "0:Single,1:Continuous Low,2:Continuous High", out);
    const auto speed = static_cast<int64_t>(*settings >> 24);
    if (speed != 0) {
        const std::string value = exif::IntText(speed) + " fps";
        out->SubEntries.emplace_back("DriveSpeed", value);
        lines += "\r\nDriveSpeed = " + value;
    }
    return lines;
}

// The count of images the body has taken; the top bit is a flag.
std::string FujiImageCount(const std::string &text, TRenderOut *out) {
    if (!out) return text;
    out->StoreShown = true;
    const auto n = UnsignedAt(*out, 0, 2);
    if (!n) return text;
    StoreNumber(*out, *n & 0x7FFF, exif::TypeShort, 2);
    return exif::IntText(static_cast<int64_t>(*n & 0x7FFF));
}

}  // namespace makernotes
