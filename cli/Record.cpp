#include "cli/Record.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <span>
#include <utility>

#include "cli/Selection.h"
#include "exif/TextFormat.h"

namespace cli {

namespace {

// The dialog's own rows before the stored entries: four, and the JPEG
// comment's when the file has one.
constexpr size_t FileRowCount = 4;
const std::string CommentRowName = "Comment";
constexpr size_t GroupCount = 6;  // RowGroup's values

bool IsPlaceholder(const params::GridRow &row) {
    return row.Name.empty() && row.Value.empty();
}

bool HasFileRows(const params::ExifView &exif) {
    return exif.Rows.size() >= FileRowCount && exif.Rows[0].Name == "FileName";
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
        case RowGroup::Xmp:
            return "XMP";
        case RowGroup::Composite:
            return "Composite";
        case RowGroup::Exif:
            break;
    }
    return "EXIF";
}

namespace {

const std::string UserCommentName = "UserComment";

// A row of the view with its group, before any text is copied out of it.
struct RowRef {
    RowGroup Group;
    const std::string *Name;
    const std::string *Value;
    const params::GridRow *Row = nullptr;  // the grid's row (none for UserComment)
};

// The group -G names a row by.
std::string OriginOf(const RowRef &row) {
    switch (row.Group) {
        case RowGroup::File:
            return row.Row && !row.Row->Group.empty() ? row.Row->Group : "File";
        case RowGroup::Iptc:
            return "IPTC";
        case RowGroup::Xmp: {
            const size_t colon = row.Name->find(':');
            return "XMP-" + (colon == std::string::npos ? std::string("x") : row.Name->substr(0, colon));
        }
        case RowGroup::Composite:
            return "Composite";
        case RowGroup::Exif:
        case RowGroup::MakerNote:
            break;
    }
    if (!row.Row) return "ExifIFD";  // UserComment
    return row.Row->Group.empty() ? "Composite" : row.Row->Group;
}

Field FieldOf(const RowRef &row, std::string key) {
    Field f{row.Group, *row.Name, std::move(key), *row.Value};
    if (row.Row && row.Row->IsList) {
        f.IsList = true;
        f.Items = row.Row->Items;
    }
    f.Origin = OriginOf(row);
    if (row.Row) f.Numbers = row.Row->Numbers;
    return f;
}

std::vector<RowRef> RowsOf(const params::ImageView &view) {
    std::vector<RowRef> refs;
    const std::vector<params::GridRow> &rows = view.Exif.Rows;
    refs.reserve(rows.size() + 1 + view.FileFacts.size() + (view.Iptc.Visible ? view.Iptc.Rows.size() : 0) +
                 (view.Xmp.Visible ? view.Xmp.Rows.size() : 0) + view.Composites.size());
    const bool fileRows = HasFileRows(view.Exif);
    const size_t fileRowCount =
        FileRowCount + (fileRows && rows.size() > FileRowCount && rows[FileRowCount].Group.empty() &&
                        rows[FileRowCount].Name == CommentRowName);
    for (size_t i = 0; i < rows.size(); ++i) {
        // exiftool's File facts follow the dialog's file rows.
        if (i == fileRowCount)
            for (const params::GridRow &fact : view.FileFacts)
                refs.push_back({RowGroup::File, &fact.Name, &fact.Value, &fact});
        if (IsPlaceholder(rows[i])) continue;
        RowGroup group = RowGroup::Exif;
        if (fileRows && i < fileRowCount)
            group = RowGroup::File;
        else if (rows[i].MakerNote)
            group = RowGroup::MakerNote;
        refs.push_back({group, &rows[i].Name, &rows[i].Value, &rows[i]});
    }
    if (rows.size() <= fileRowCount)
        for (const params::GridRow &fact : view.FileFacts)
            refs.push_back({RowGroup::File, &fact.Name, &fact.Value, &fact});
    if (fileRows) refs.push_back({RowGroup::Exif, &UserCommentName, &view.Exif.Comment});
    if (view.Iptc.Visible)
        for (const params::GridRow &row : view.Iptc.Rows)
            if (!IsPlaceholder(row)) refs.push_back({RowGroup::Iptc, &row.Name, &row.Value, &row});
    if (view.Xmp.Visible)
        for (const params::GridRow &row : view.Xmp.Rows)
            if (!IsPlaceholder(row)) refs.push_back({RowGroup::Xmp, &row.Name, &row.Value, &row});
    for (const params::GridRow &row : view.Composites)
        refs.push_back({RowGroup::Composite, &row.Name, &row.Value, &row});
    return refs;
}

// An EXIF name is its own base key; an IPTC description's compact form is
// kept in `compact`, which must not move its strings (a deque).
std::string_view BaseKeyOf(const RowRef &row, std::deque<std::string> &compact) {
    if (row.Group != RowGroup::Iptc) return *row.Name;
    return compact.emplace_back(CompactName(*row.Name));
}

// The key of a row whose base key occurs `total` times in its file, the
// `ordinal`-th time within its group (see AssignKeys).
std::string KeyOf(RowGroup group, std::string base, size_t total, int ordinal) {
    std::string key =
        total > 1 && group != RowGroup::Exif ? std::string(GroupName(group)) + ":" + base : std::move(base);
    if (ordinal > 1) key += "-" + exif::IntText(ordinal);
    return key;
}

bool ContainsAscii(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (size_t at = 0; at + part.size() <= text.size(); ++at)
        if (exif::SameTextAscii(text.substr(at, part.size()), part)) return true;
    return false;
}

// Whether a row may be selected: its key holds its base key, so a tag that
// names it holds its name or its base key.
bool MayBeSelected(const RowRef &row, std::string_view base, const std::vector<std::string> &tags) {
    for (const std::string &tag : tags)
        if (exif::SameTextAscii(tag, *row.Name) || ContainsAscii(tag, base)) return true;
    return false;
}

}  // namespace

std::vector<Field> UnkeyedFieldsOf(const params::ImageView &view) {
    std::vector<Field> fields;
    const std::vector<RowRef> rows = RowsOf(view);
    fields.reserve(rows.size());
    for (const RowRef &row : rows) fields.push_back(FieldOf(row, {}));
    return fields;
}

std::vector<Field> FieldsOf(const params::ImageView &view, KeyStyle style) {
    std::vector<Field> fields = UnkeyedFieldsOf(view);
    if (style == KeyStyle::Grouped)
        AssignGroupedKeys(fields);
    else
        AssignKeys(fields);
    return fields;
}

// Only the few rows a tag may name get a key: counting their base key over
// the file costs far less than keying every row.
std::vector<Field> SelectedFieldsOf(const params::ImageView &view, const std::vector<std::string> &tags,
                                    KeyStyle style) {
    if (tags.empty() || style == KeyStyle::Grouped || std::ranges::any_of(tags, IsPattern)) {
        std::vector<Field> fields = FieldsOf(view, style);
        std::erase_if(fields, [&](const Field &f) { return !Selected(f, tags); });
        return fields;
    }
    const std::vector<RowRef> rows = RowsOf(view);
    std::deque<std::string> compact;
    std::vector<std::string_view> bases;
    bases.reserve(rows.size());
    for (const RowRef &row : rows) bases.push_back(BaseKeyOf(row, compact));
    std::vector<Field> fields;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!MayBeSelected(rows[i], bases[i], tags)) continue;
        size_t total = 0;
        int ordinal = 0;
        for (size_t j = 0; j < rows.size(); ++j) {
            if (bases[j] != bases[i]) continue;
            ++total;
            if (j <= i && rows[j].Group == rows[i].Group) ++ordinal;
        }
        Field f = FieldOf(rows[i], KeyOf(rows[i].Group, std::string(bases[i]), total, ordinal));
        if (Selected(f, tags)) fields.push_back(std::move(f));
    }
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

namespace {

// The indexes of `keys` ordered so that equal keys stand together, each run
// in the file's order. Sorted by a hash of the key first, so that most
// comparisons are of two numbers, not of strings, and with no map: a file
// has about a hundred fields, most of them unique.
std::vector<size_t> EqualKeysTogether(const std::vector<std::string_view> &keys) {
    struct TSlot {
        size_t Hash;
        size_t Index;
    };
    std::vector<TSlot> slots(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) slots[i] = {std::hash<std::string_view>{}(keys[i]), i};
    std::sort(slots.begin(), slots.end(), [&](const TSlot &a, const TSlot &b) {
        if (a.Hash != b.Hash) return a.Hash < b.Hash;
        if (const int c = keys[a.Index].compare(keys[b.Index]); c != 0) return c < 0;
        return a.Index < b.Index;
    });
    std::vector<size_t> order(keys.size());
    for (size_t i = 0; i < slots.size(); ++i) order[i] = slots[i].Index;
    return order;
}

// Calls `take(run)` for each run of equal keys in `order`.
template <typename Take>
void ForEachRun(const std::vector<std::string_view> &keys, std::span<const size_t> order, Take take) {
    for (size_t run = 0; run < order.size();) {
        size_t end = run + 1;
        while (end < order.size() && keys[order[end]] == keys[order[run]]) ++end;
        take(order.subspan(run, end - run));
        run = end;
    }
}

}  // namespace

// A base key met more than once gets its group in front unless it is EXIF's,
// and an ordinal within its group (see KeyOf).
void AssignKeys(std::vector<Field> &fields) {
    std::deque<std::string> compact;  // the IPTC names' base keys; the others view the names
    std::vector<std::string_view> bases;
    bases.reserve(fields.size());
    for (const Field &f : fields)
        bases.push_back(!f.ToolName.empty()         ? std::string_view(f.ToolName)
                        : f.Group == RowGroup::Iptc ? std::string_view(compact.emplace_back(CompactName(f.Name)))
                                                    : f.Name);
    const std::vector<size_t> order = EqualKeysTogether(bases);
    ForEachRun(bases, order, [&](std::span<const size_t> run) {
        std::array<int, GroupCount> inGroup{};
        for (const size_t i : run) {
            Field &f = fields[i];
            const int ordinal = ++inGroup[static_cast<size_t>(f.Group)];
            f.Key = KeyOf(f.Group, std::string(bases[i]), run.size(), ordinal);
        }
    });
}

void AssignGroupedKeys(std::vector<Field> &fields) {
    for (Field &f : fields) {
        const size_t colon = f.Group == RowGroup::Xmp ? f.Name.find(':') : std::string_view::npos;
        std::string compact;  // an IPTC name's base key
        const std::string_view name = !f.ToolName.empty()               ? std::string_view(f.ToolName)
                                      : colon != std::string_view::npos ? f.Name.substr(colon + 1)
                                      : f.Group == RowGroup::Iptc ? std::string_view(compact = CompactName(f.Name))
                                                                  : f.Name;
        f.Key.reserve(f.Origin.size() + 1 + name.size());
        f.Key.assign(f.Origin).append(1, ':').append(name);
    }
    std::vector<std::string_view> keys;
    keys.reserve(fields.size());
    for (const Field &f : fields) keys.push_back(f.Key);
    const std::vector<size_t> order = EqualKeysTogether(keys);
    // Keys are lengthened only once every run is read, so the views stay valid.
    std::vector<std::pair<size_t, int>> repeats;
    ForEachRun(keys, order, [&](std::span<const size_t> run) {
        for (size_t k = 1; k < run.size(); ++k) repeats.emplace_back(run[k], static_cast<int>(k + 1));
    });
    for (const auto &[i, ordinal] : repeats) fields[i].Key += "-" + exif::IntText(ordinal);
}

bool Selected(const Field &field, const std::vector<std::string> &tags) {
    if (tags.empty()) return true;
    for (const std::string &tag : tags)
        if (TagSelects(tag, field)) return true;
    return false;
}

}  // namespace cli
