#include "cli/Formats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "cli/ExiftoolFields.h"
#include "cli/ExiftoolNames.h"
#include "cli/RowSpool.h"
#include "cli/TextCodec.h"
#include "cli/Writers.h"
#include "exif/TextFormat.h"

namespace cli {

namespace {

// A number as scripts read it: an integer's digits, a decimal in the
// fewest digits that give it back, "." as separator whatever the locale;
// `none` ("undef", or JSON's null) for a rational over 0, "inf" and "-inf"
// (null in JSON) for the infinities.
void AppendNumber(std::string &out, const exif::TComponent &component, std::string_view none, bool json) {
    std::array<char, 32> buffer{};
    std::to_chars_result result{};
    if (const int64_t *i = std::get_if<int64_t>(&component)) {
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *i);
    } else {
        const double d = std::get<double>(component);
        if (std::isnan(d)) {
            out += none;
            return;
        }
        if (std::isinf(d)) {
            out += json ? std::string_view("null") : d > 0 ? std::string_view("inf") : std::string_view("-inf");
            return;
        }
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), d);
    }
    out.append(buffer.data(), result.ptr);
}

// Several components as exiftool prints them: separated by blanks.
std::string NumbersText(std::span<const exif::TComponent> numbers) {
    std::string out;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0) out += ' ';
        AppendNumber(out, numbers[i], "undef", false);
    }
    return out;
}

void AppendJsonNumber(std::string &out, const exif::TComponent &component) {
    AppendNumber(out, component, "null", true);
}

// The items exiftool gives as one list, as its CSV joins them.
std::string JoinedItems(const std::vector<std::string> &items) {
    std::string out;
    for (const std::string &item : items) {
        if (!out.empty()) out += ", ";
        out += item;
    }
    return out;
}

// The value a row shows: its numbers with -n when it has any, else its text.
std::string_view ShownValue(std::string_view value, std::span<const exif::TComponent> numbers, bool numeric,
                            std::string &scratch) {
    if (!numeric || numbers.empty()) return value;
    scratch = NumbersText(numbers);
    return scratch;
}

void AddRows(std::string &out, const std::vector<params::GridRow> &rows, bool numeric) {
    std::string scratch;
    for (const params::GridRow &row : rows) {
        AppendTerminalValue(out, row.Name);
        out += '=';
        AppendTerminalValue(out, ShownValue(row.Value, row.Numbers, numeric, scratch));
        out += '\n';
    }
}

// Bytes of a file's text block before escapes and UTF-8 make it longer.
size_t ExportSize(const params::ImageView &view) {
    size_t size = view.Exif.Comment.size() + 32;
    for (const params::GridRow &row : view.Exif.Rows) size += row.Name.size() + row.Value.size() + 2;
    for (const params::GridRow &row : view.Iptc.Rows) size += row.Name.size() + row.Value.size() + 2;
    for (const params::GridRow &row : view.Xmp.Rows) size += row.Name.size() + row.Value.size() + 2;
    for (const params::GridRow &row : view.Composites) size += row.Name.size() + row.Value.size() + 2;
    return size;
}

// The lines of the export file (see params::ExportText) for a terminal, with
// LF line ends and every value escaped (one line a row whatever the values
// hold), in UTF-8.
void AddExportLines(std::string &out, const params::ImageView &view, bool numeric) {
    out.reserve(out.size() + ExportSize(view) + ExportSize(view) / 8);
    out += "EXIF\n";
    AddRows(out, view.Exif.Rows, numeric);
    out += "UserComment=";
    AppendTerminalValue(out, view.Exif.Comment);
    out += '\n';
    if (view.Iptc.Visible) {
        out += "\nIPTC\n";
        AddRows(out, view.Iptc.Rows, numeric);
    }
    if (view.Xmp.Visible) {
        out += "\nXMP\n";
        AddRows(out, view.Xmp.Rows, numeric);
    }
    // The computed rows, which the export file does not hold.
    if (!view.Composites.empty()) {
        out += "\nComposite\n";
        AddRows(out, view.Composites, numeric);
    }
}

// A field's JSON value: a string, or for an XMP bag or sequence a list of
// its items; with -n a number, or a list of numbers for several. Appended
// in place: a file has a hundred fields, and a text made for each and for
// each concatenation cost more than the escaping itself.
template <typename Items, typename AppendItem>
void AppendJsonList(std::string &out, const Items &items, AppendItem appendItem) {
    out += '[';
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ", ";
        appendItem(out, items[i]);
    }
    out += ']';
}

// A text as exiftool's JSON writes it (`bare`): a number's text as the
// number, true and false as JSON's; else a JSON string.
void AppendJsonText(std::string &out, std::string_view text, bool bare) {
    if (bare && ExiftoolJsonNumber(text)) {
        out += text;
    } else if (bare && ExiftoolJsonBoolean(text)) {
        out += text.size() == 4 ? "true" : "false";
    } else {
        AppendJsonString(out, text);
    }
}

// A field's value in exiftool's forms: its merged items (a list), its
// ToolValue, numbers under -n, texts that read as numbers bare.
void AppendExiftoolJsonValue(std::string &out, const Field &f, bool numeric) {
    if (!f.MergedItems.empty()) {
        AppendJsonList(out, f.MergedItems,
                       [](std::string &o, std::string_view item) { AppendJsonText(o, item, true); });
    } else if (f.HasToolValue) {
        AppendJsonText(out, f.ToolValue, true);
    } else if (numeric && !f.Numbers.empty()) {
        // Several numbers as exiftool's -n gives them: one text, blank-separated.
        if (f.Numbers.size() == 1)
            AppendJsonNumber(out, f.Numbers.front());
        else
            AppendJsonString(out, NumbersText(f.Numbers));
    } else if (!f.IsList) {
        AppendJsonText(out, f.Value, true);
    } else {
        AppendJsonList(out, f.Items, [](std::string &o, std::string_view item) { AppendJsonText(o, item, true); });
    }
}

void AppendJsonValue(std::string &out, const Field &f, bool numeric) {
    if (numeric && !f.Numbers.empty()) {
        if (f.Numbers.size() == 1)
            AppendJsonNumber(out, f.Numbers.front());
        else
            AppendJsonList(out, f.Numbers, [](std::string &o, const exif::TComponent &n) { AppendJsonNumber(o, n); });
    } else if (!f.IsList) {
        AppendJsonString(out, f.Value);
    } else {
        AppendJsonList(out, f.Items, [](std::string &o, std::string_view item) { AppendJsonString(o, item); });
    }
}

// The export's lines with every value escaped, or only the selected rows.
class TextFormatter : public Formatter {
public:
    TextFormatter(const Options &options, bool withHeaders) : Opts(options), WithHeaders(withHeaders) {}

    void File(const FileResult &r, std::string &out) override {
        if (WithHeaders) {
            out += First ? "== " : "\n== ";
            out += EscapeUtf8Controls(r.Name);
            out += " ==\n";
        }
        First = false;
        if (Opts.Listing) {
            out += TerminalText(r.View.Listing);
            out += '\n';
        } else if (!Opts.Tags.empty() || Opts.Groups) {
            // With -G each row is named by its key, which carries its group.
            std::string scratch;
            for (const Field &f : r.Fields) {
                AppendTerminalValue(out, Opts.Groups ? std::string_view(f.Key) : f.Name);
                out += '=';
                AppendTerminalValue(out, ShownValue(f.Value, f.Numbers, Opts.Numeric, scratch));
                out += '\n';
            }
        } else {
            AddExportLines(out, r.View, Opts.Numeric);
        }
    }

private:
    const Options &Opts;
    bool WithHeaders;
    bool First = true;
};

class JsonFormatter : public Formatter {
public:
    // The kind of file is one more key, unless only chosen tags are asked for.
    JsonFormatter(bool withFileType, const Options &options)
        : WithFileType(withFileType),
          Numeric(options.Numeric),
          Exiftool(!options.DialogNames),
          Grouped(options.Groups) {}
    std::string Begin() override { return "["; }

    void File(const FileResult &r, std::string &out) override {
        out += First ? "\n{\n" : ",\n{\n";
        First = false;
        out += "  \"SourceFile\": ";
        AppendJsonString(out, r.Name);
        if (WithFileType && r.View.Kind != exif::TFileKind::Unknown) AddFileType(out, r.View.Kind);
        for (const Field &f : r.Fields) {
            out += ",\n  ";
            AppendJsonString(out, f.Key);
            out += ": ";
            if (Exiftool)
                AppendExiftoolJsonValue(out, f, Numeric);
            else
                AppendJsonValue(out, f, Numeric);
        }
        out += "\n}";
    }

    bool End(Output &out, std::string &) override { return out.Write("\n]\n"); }

private:
    // The kind of file, and with exiftool's names its MIME type and usual
    // extension as exiftool's File group has them.
    void AddFileType(std::string &out, exif::TFileKind kind) const {
        const std::string_view group = Exiftool && Grouped ? "File:" : "";
        AddKey(out, group, "FileType");
        AppendJsonString(out, containers::FileTypeName(kind));
        if (!Exiftool) return;
        const TFileTypeFacts facts = FileTypeFacts(kind);
        if (facts.MimeType.empty()) return;
        AddKey(out, group, "FileTypeExtension");
        AppendJsonString(out, facts.Extension);
        AddKey(out, group, "MIMEType");
        AppendJsonString(out, facts.MimeType);
    }
    static void AddKey(std::string &out, std::string_view group, std::string_view name) {
        out += ",\n  \"";
        out += group;
        out += name;
        out += "\": ";
    }

    bool WithFileType;
    bool Numeric;
    bool Exiftool;
    bool Grouped;
    bool First = true;
};

// Values escaped as in the text format, so that each file is one line of the
// file whatever its values hold (line-oriented tools keep working). A file's
// row waits in a spool, its fields each with the number of its column (in
// order of first appearance), until the header is known; only the keys stay
// in memory.
class CsvFormatter : public Formatter {
public:
    CsvFormatter(bool numeric, const std::vector<std::string> &tags) : Numeric(numeric), Tags(tags) {}

    void File(const FileResult &r, std::string &) override {
        // Record: the name's field, then each field's column and text, each
        // text after its length.
        Record.clear();
        Scratch.clear();
        AppendTerminalValue(Scratch, r.Name);
        AddText(Record, Scratch);
        std::string shown;
        for (const Field &f : r.Fields) {
            auto [at, added] = Columns.try_emplace(f.Key, static_cast<uint32_t>(Header.size()));
            if (added) {
                Header.push_back(&at->first);
                Ranks.push_back(RankOf(f));
            }
            AddNumber(Record, at->second);
            Scratch.clear();
            AppendTerminalValue(Scratch, CsvValue(f, shown));
            AddText(Record, Scratch);
        }
        Spool.Add(Record);
    }

    void Write(Output &out) {
        // The columns in the order the tags were asked, each tag's in the
        // files' order.
        std::vector<uint32_t> order(Header.size());
        for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
        std::ranges::stable_sort(order, [&](uint32_t a, uint32_t b) { return Ranks[a] < Ranks[b]; });
        std::string text = "SourceFile";
        for (const uint32_t column : order) {
            text += ',';
            AppendCsvField(text, *Header[column]);
        }
        text += "\r\n";
        std::vector<std::string_view> cells(Header.size());
        std::vector<uint32_t> filled;
        if (!Spool.StartReading()) return;
        while (Spool.Next(Record)) {
            std::string_view rest = Record;
            std::string_view name;
            if (!TakeText(rest, name)) break;
            while (!rest.empty()) {
                uint32_t column = 0;
                std::string_view value;
                if (!TakeNumber(rest, column) || column >= cells.size() || !TakeText(rest, value)) break;
                cells[column] = value;
                filled.push_back(column);
            }
            AppendCsvField(text, name);
            for (const uint32_t column : order) {
                const std::string_view cell = cells[column];
                text += ',';
                if (!cell.empty()) AppendCsvField(text, cell);
            }
            text += "\r\n";
            for (const uint32_t column : filled) cells[column] = {};
            filled.clear();
            if (!out.Ok()) return;
            if (text.size() >= WriteChunk) {
                out.Write(text);
                text.clear();
            }
        }
        out.Write(text);
    }

    bool End(Output &out, std::string &error) override {
        Write(out);
        if (Spool.Ok()) return true;
        error = "the CSV rows could not be kept until the end: " + Spool.Error();
        return false;
    }

private:
    static constexpr size_t WriteChunk = 1 << 16;

    static void AddNumber(std::string &out, uint32_t n) {
        for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFFu);
    }
    static void AddText(std::string &out, std::string_view text) {
        AddNumber(out, static_cast<uint32_t>(text.size()));
        out += text;
    }
    static bool TakeNumber(std::string_view &rest, uint32_t &n) {
        if (rest.size() < 4) return false;
        n = 0;
        for (size_t i = 0; i < 4; ++i) n |= uint32_t{static_cast<unsigned char>(rest[i])} << (8 * i);
        rest.remove_prefix(4);
        return true;
    }
    static bool TakeText(std::string_view &rest, std::string_view &text) {
        uint32_t n = 0;
        if (!TakeNumber(rest, n) || n > rest.size()) return false;
        text = rest.substr(0, n);
        rest.remove_prefix(n);
        return true;
    }

    // The index of the first tag that selects a field: its column's place.
    size_t RankOf(const Field &f) const {
        for (size_t i = 0; i < Tags.size(); ++i)
            if (Selected(f, {Tags[i]})) return i;
        return Tags.size();
    }

    // exiftool's form of the value when the field has one, else the row's.
    std::string_view CsvValue(const Field &f, std::string &scratch) const {
        if (!f.MergedItems.empty()) return scratch = JoinedItems(f.MergedItems);
        if (f.HasToolValue) return f.ToolValue;
        return ShownValue(f.Value, f.Numbers, Numeric, scratch);
    }

    bool Numeric;
    const std::vector<std::string> &Tags;
    std::vector<size_t> Ranks;  // each column's, as Header
    // The columns by key, and the keys in the header's order (the map's own
    // strings, which do not move).
    std::unordered_map<std::string, uint32_t> Columns;
    std::vector<const std::string *> Header;
    RowSpool Spool;
    std::string Record;
    std::string Scratch;
};

}  // namespace

std::string FieldText(const Field &field, bool numeric) {
    std::string scratch;
    if (!field.MergedItems.empty()) return JoinedItems(field.MergedItems);
    if (field.HasToolValue) return field.ToolValue;
    return std::string(ShownValue(field.Value, field.Numbers, numeric, scratch));
}

std::unique_ptr<Formatter> MakeFormatter(const Options &options, bool withHeaders) {
    switch (options.Format) {
        case OutputFormat::Table:
            return MakeTableFormatter(options);
        case OutputFormat::Print:
            return MakePrintFormatter(options);
        case OutputFormat::Json:
            return std::make_unique<JsonFormatter>(options.Tags.empty(), options);
        case OutputFormat::Csv:
            return std::make_unique<CsvFormatter>(options.Numeric, options.Tags);
        case OutputFormat::Text:
            break;
    }
    return std::make_unique<TextFormatter>(options, withHeaders);
}

std::string TerminalText(const std::string &text) {
    std::string out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = text.size();
        size_t lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
        AppendTerminalValue(out, std::string_view(text).substr(start, lineEnd - start));
        if (last) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

std::string TerminalValue(const std::string &text) {
    std::string out;
    AppendTerminalValue(out, text);
    return out;
}

}  // namespace cli
