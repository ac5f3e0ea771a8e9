#include "cli/ExiftoolFields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <utility>

#include "cli/ExiftoolNames.h"
#include "cli/Platform.h"
#include "bytes/Unicode.h"

namespace cli {

namespace {

// clang-format off
struct TKindFacts {
    exif::TFileKind Kind;
    TFileTypeFacts Facts;
};

constexpr TKindFacts KindFacts[] = {
    {exif::TFileKind::Jpeg,   {"image/jpeg",                      "JPG"}},
    {exif::TFileKind::Heif,   {"image/heic",                      "HEIC"}},
    {exif::TFileKind::Avif,   {"image/avif",                      "AVIF"}},
    {exif::TFileKind::Cr3,    {"image/x-canon-cr3",               "CR3"}},
    {exif::TFileKind::JpegXl, {"image/jxl",                       "JXL"}},
    {exif::TFileKind::Png,    {"image/png",                       "PNG"}},
    {exif::TFileKind::WebP,   {"image/webp",                      "WEBP"}},
    {exif::TFileKind::Psd,    {"application/vnd.adobe.photoshop", "PSD"}},
    {exif::TFileKind::Raf,    {"image/x-fujifilm-raf",            "RAF"}},
    {exif::TFileKind::Orf,    {"image/x-olympus-orf",             "ORF"}},
    {exif::TFileKind::Rw2,    {"image/x-panasonic-rw2",           "RW2"}},
};
// clang-format on

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

double NumberOf(const exif::TComponent &component) {
    if (const int64_t *i = std::get_if<int64_t>(&component)) return static_cast<double>(*i);
    return std::get<double>(component);
}

// An ISO 8601 date as XMP stores it: YYYY-MM-DD, with a time or not.
bool LooksLikeXmpDate(std::string_view text) {
    return text.size() >= 10 && text[4] == '-' && text[7] == '-' && (text.size() == 10 || text[10] == 'T') &&
           ExiftoolXmpDate(text) != text;
}

// An XMP rational ("72/1") as exiftool's -n gives it: the quotient; empty
// for another text or a zero denominator.
std::string XmpRationalValue(std::string_view text) {
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos) return {};
    const std::string_view top = text.substr(0, slash);
    const std::string_view bottom = text.substr(slash + 1);
    const std::string_view topDigits = top.starts_with('-') ? top.substr(1) : top;
    if (topDigits.empty() || bottom.empty() || topDigits.size() > 18 || bottom.size() > 18 ||
        topDigits.find_first_not_of("0123456789") != std::string_view::npos ||
        bottom.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    const double d = std::stod(std::string(bottom));
    if (d == 0) return {};
    const double quotient = std::stod(std::string(top)) / d;
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), quotient);
    return std::string(buffer.data(), result.ptr);
}

void SetToolValue(Field &f, std::string value) {
    f.HasToolValue = true;
    f.ToolValue = std::move(value);
}

void NameExifField(Field &f, bool numeric) {
    const std::string_view name = ExiftoolExifName(f.Origin, f.Name);
    if (name != f.Name) f.ToolName = name;
    if (numeric && f.Origin == "GPS" && f.Name == "GPSTimeStamp") {
        std::string time = ExiftoolTimeStamp(f.Numbers);
        if (!time.empty()) SetToolValue(f, std::move(time));
    }
}

void NameIptcField(Field &f, bool numeric) {
    const std::string_view name = ExiftoolIptcName(f.Name);
    f.ToolName = name.empty() ? CompactName(f.Name) : std::string(name);
    if (!numeric || f.IsList) return;
    // DateCreated, ReleaseDate, DigitalCreationTime, ...
    const std::string_view tool = f.ToolName;
    if (tool.starts_with("Date") || EndsWith(tool, "Date"))
        SetToolValue(f, ExiftoolIptcDate(f.Value));
    else if (tool.starts_with("Time") || EndsWith(tool, "Time"))
        SetToolValue(f, ExiftoolIptcTime(f.Value));
}

// Returns whether the row is an item of an XMP array of structures.
bool NameXmpField(Field &f, bool numeric) {
    TXmpKey key = ExiftoolXmpKey(f.Name);
    f.Origin = std::move(key.Group);
    f.ToolName = std::move(key.Name);
    if (numeric && !f.IsList) {
        if (LooksLikeXmpDate(f.Value))
            SetToolValue(f, ExiftoolXmpDate(f.Value));
        else if (std::string quotient = XmpRationalValue(f.Value); !quotient.empty())
            SetToolValue(f, std::move(quotient));
    }
    return key.ArrayItem;
}

std::string ShownText(const Field &f) {
    return f.HasToolValue ? f.ToolValue : std::string(f.Value);
}

// The items of an XMP array of structures that share a flattened name become
// the first one's list, as exiftool gives them; a name met once stays a value.
void MergeArrayItems(std::vector<Field> &fields, const std::vector<bool> &arrayItem) {
    std::map<std::pair<std::string, std::string>, size_t> first;
    std::vector<bool> merged(fields.size(), false);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!arrayItem[i]) continue;
        const auto [at, added] = first.try_emplace({fields[i].Origin, fields[i].ToolName}, i);
        Field &head = fields[at->second];
        if (added) continue;
        if (head.MergedItems.empty()) head.MergedItems.push_back(ShownText(head));
        head.MergedItems.push_back(ShownText(fields[i]));
        merged[i] = true;
    }
    size_t kept = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (merged[i]) continue;
        if (kept != i) fields[kept] = std::move(fields[i]);
        ++kept;
    }
    fields.resize(kept);
}

}  // namespace

std::string ExiftoolTimeStamp(std::span<const exif::TComponent> numbers) {
    if (numbers.size() != 3) return {};
    double seconds = 0;
    for (const exif::TComponent &n : numbers) {
        const double d = NumberOf(n);
        if (!std::isfinite(d)) return {};
        seconds = seconds * 60 + d;
    }
    if (seconds < 0 || seconds >= 1e9) return {};
    auto h = static_cast<int64_t>(seconds / 3600);
    seconds -= static_cast<double>(h) * 3600;
    auto m = static_cast<int64_t>(seconds / 60);
    seconds -= static_cast<double>(m) * 60;
    // Nine decimals at most, trailing zeros and a bare point dropped.
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%012.9f", seconds);
    std::string s = buffer;
    if (seconds >= 59.9999999995) {
        s = "00";
        if (++m >= 60) {
            m -= 60;
            ++h;
        }
    } else {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:", static_cast<long long>(h), static_cast<long long>(m));
    return buffer + s;
}

void UseExiftoolNames(std::vector<Field> &fields, KeyStyle style, bool numeric) {
    std::vector<bool> arrayItem(fields.size(), false);
    bool anyItem = false;
    for (size_t i = 0; i < fields.size(); ++i) {
        Field &f = fields[i];
        // exiftool gives a list of one item as that item.
        if (f.IsList && f.Items.size() == 1) {
            f.IsList = false;
            f.Value = f.Items.front();
        }
        switch (f.Group) {
            case RowGroup::File:
                if (f.Origin == "File") f.Origin = ExiftoolFileGroup(f.Name);
                break;
            case RowGroup::Exif:
                NameExifField(f, numeric);
                break;
            case RowGroup::Iptc:
                NameIptcField(f, numeric);
                break;
            case RowGroup::Xmp:
                arrayItem[i] = NameXmpField(f, numeric);
                anyItem = anyItem || arrayItem[i];
                break;
            case RowGroup::MakerNote:
            case RowGroup::Composite:
                break;
        }
    }
    if (anyItem) MergeArrayItems(fields, arrayItem);
    if (style == KeyStyle::Grouped)
        AssignGroupedKeys(fields);
    else
        AssignKeys(fields);
}

std::vector<Field> ExiftoolFieldsOf(const params::ImageView &view, const std::vector<std::string> &tags, KeyStyle style,
                                    bool numeric) {
    std::vector<Field> fields = UnkeyedFieldsOf(view);
    UseExiftoolNames(fields, style, numeric);
    if (!tags.empty()) std::erase_if(fields, [&](const Field &f) { return !Selected(f, tags); });
    return fields;
}

namespace {

// The local zone's offset from UTC at `utc` (seconds since 1970), in seconds.
int64_t LocalOffset(std::time_t utc) {
    const std::tm *local = std::localtime(&utc);
    if (!local) return 0;
    const int64_t asUtc = DaysFromCivil(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday) * 86400 +
                          local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec;
    return asUtc - static_cast<int64_t>(utc);
}

std::string FolderPart(const std::string &name) {
    const size_t slash = name.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    return slash == 0 ? name.substr(0, 1) : name.substr(0, slash);
}

void AddFact(std::vector<params::GridRow> &rows, std::string_view name, std::string value,
             std::vector<exif::TComponent> numbers) {
    params::GridRow &row = rows.emplace_back(params::GridRow{std::string(name), std::move(value)});
    row.Group = "System";
    row.Numbers = std::move(numbers);
}

}  // namespace

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::string ExiftoolFileDate(int64_t utcSeconds, int64_t offsetSeconds) {
    const int64_t local = utcSeconds + offsetSeconds;
    int64_t days = local / 86400;
    int64_t rest = local % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // The civil date of a day count (the inverse of DaysFromCivil).
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int64_t d = dayOfYear - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    const int64_t y = yearOfEra + era * 400 + (m <= 2);
    const int64_t offsetMinutes = (offsetSeconds < 0 ? -offsetSeconds : offsetSeconds) / 60;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%04lld:%02lld:%02lld %02lld:%02lld:%02lld%c%02lld:%02lld",
                  static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60), offsetSeconds < 0 ? '-' : '+',
                  static_cast<long long>(offsetMinutes / 60), static_cast<long long>(offsetMinutes % 60));
    return buffer;
}

void AddSystemFacts(const std::string &name, params::ImageView &view, bool numeric) {
    if (name == "-") return;
    std::vector<params::GridRow> rows;
    const bool fileRows = !view.Exif.Rows.empty() && view.Exif.Rows.front().Name == "FileName";
    if (!fileRows) {
        AddFact(rows, "FileName", exif::TextOfBytes(params::NamePart(name, "/\\")), {});
        std::error_code error;
        const auto size = std::filesystem::file_size(FsPath(name), error);
        if (!error)
            AddFact(
                rows, "FileSize", params::KilobytesText(size),
                numeric ? std::vector<exif::TComponent>{static_cast<int64_t>(size)} : std::vector<exif::TComponent>{});
    }
    AddFact(rows, "Directory", exif::TextOfBytes(FolderPart(name)), {});
    std::error_code error;
    const auto written = std::filesystem::last_write_time(FsPath(name), error);
    if (!error) {
        const auto utc = std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::file_clock::to_sys(written));
        const std::time_t seconds = std::chrono::system_clock::to_time_t(utc);
        AddFact(rows, "FileModifyDate", ExiftoolFileDate(static_cast<int64_t>(seconds), LocalOffset(seconds)), {});
    }
    view.FileFacts.insert(view.FileFacts.begin(), std::make_move_iterator(rows.begin()),
                          std::make_move_iterator(rows.end()));
}

TFileTypeFacts FileTypeFacts(exif::TFileKind kind) {
    for (const TKindFacts &row : KindFacts)
        if (row.Kind == kind) return row.Facts;
    return {};
}

}  // namespace cli
