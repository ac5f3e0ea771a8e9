#include "cli/Record.h"

#include <map>
#include <utility>

#include "exif/TextFormat.h"

namespace cli {

namespace {

// The dialog's own rows before the stored entries.
constexpr size_t FileRowCount = 4;

bool IsPlaceholder(const params::GridRow &row) {
    return row.Name.empty() && row.Value.empty();
}

bool HasFileRows(const params::ExifView &exif) {
    return exif.Rows.size() >= FileRowCount && exif.Rows[0].Name == "FileName";
}

std::string BaseKey(const Field &field) {
    return field.Group == RowGroup::Iptc ? CompactName(field.Name) : field.Name;
}

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string_view GroupName(RowGroup group) {
    switch (group) {
        case RowGroup::File:
            return "File";
        case RowGroup::MakerNote:
            return "MakerNote";
        case RowGroup::Iptc:
            return "IPTC";
        case RowGroup::Exif:
            break;
    }
    return "EXIF";
}

std::vector<Field> FieldsOf(const params::ImageView &view) {
    std::vector<Field> fields;
    const std::vector<params::GridRow> &rows = view.Exif.Rows;
    const bool fileRows = HasFileRows(view.Exif);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (IsPlaceholder(rows[i])) continue;
        RowGroup group = RowGroup::Exif;
        if (fileRows && i < FileRowCount)
            group = RowGroup::File;
        else if (rows[i].MakerNote)
            group = RowGroup::MakerNote;
        fields.push_back({group, rows[i].Name, {}, rows[i].Value});
    }
    if (fileRows) fields.push_back({RowGroup::Exif, "UserComment", {}, view.Exif.Comment});
    if (view.Iptc.Visible)
        for (const params::GridRow &row : view.Iptc.Rows)
            if (!IsPlaceholder(row)) fields.push_back({RowGroup::Iptc, row.Name, {}, row.Value});
    AssignKeys(fields);
    return fields;
}

std::string CompactName(std::string_view description) {
    std::string out;
    bool wordStart = true;
    for (const char c : description) {
        if (!IsAsciiAlnum(c) && static_cast<unsigned char>(c) < 0x80) {
            wordStart = true;
            continue;
        }
        out += wordStart ? UpperAscii(c) : c;
        wordStart = false;
    }
    return out;
}

void AssignKeys(std::vector<Field> &fields) {
    std::map<std::string, int> total;
    for (const Field &f : fields) ++total[BaseKey(f)];
    std::map<std::pair<RowGroup, std::string>, int> inGroup;
    for (Field &f : fields) {
        const std::string base = BaseKey(f);
        const int ordinal = ++inGroup[{f.Group, base}];
        const bool prefixed = total[base] > 1 && f.Group != RowGroup::Exif;
        f.Key = prefixed ? std::string(GroupName(f.Group)) + ":" + base : base;
        if (ordinal > 1) f.Key += "-" + exif::IntText(ordinal);
    }
}

bool Selected(const Field &field, const std::vector<std::string> &tags) {
    if (tags.empty()) return true;
    for (const std::string &tag : tags)
        if (exif::SameTextAscii(tag, field.Name) || exif::SameTextAscii(tag, field.Key) ||
            exif::SameTextAscii(tag, BaseKey(field)))
            return true;
    return false;
}

}  // namespace cli
