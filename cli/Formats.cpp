#include "cli/Formats.h"

#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <set>

#include "cli/TextCodec.h"
#include "exif/TextFormat.h"

namespace cli {

namespace {

// A number as scripts read it: an integer's digits, a decimal in the
// fewest digits that give it back, "." as separator whatever the locale;
// "inf", "-inf", or "undef" (a rational over 0) for what no number is.
std::string NumberText(const exif::TComponent &component) {
    if (const int64_t *i = std::get_if<int64_t>(&component)) return exif::IntText(*i);
    const double d = std::get<double>(component);
    if (std::isnan(d)) return "undef";
    if (std::isinf(d)) return d > 0 ? "inf" : "-inf";
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), d);
    return std::string(buffer.data(), result.ptr);
}

// Several components as exiftool prints them: separated by blanks.
std::string NumbersText(const std::vector<exif::TComponent> &numbers) {
    std::string out;
    for (const exif::TComponent &n : numbers) out += (out.empty() ? "" : " ") + NumberText(n);
    return out;
}

std::string JsonNumber(const exif::TComponent &component) {
    const std::string text = NumberText(component);
    return text == "undef" || text == "inf" || text == "-inf" ? "null" : text;
}

// The value a row shows: its numbers with -n when it has any, else its text.
const std::string &ShownValue(const std::string &value, const std::vector<exif::TComponent> &numbers, bool numeric,
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
// its items; with -n a number, or a list of numbers for several.
std::string JsonValue(const Field &f, bool numeric) {
    if (numeric && !f.Numbers.empty()) {
        if (f.Numbers.size() == 1) return JsonNumber(f.Numbers.front());
        std::string out = "[";
        for (const exif::TComponent &n : f.Numbers) out += (out.size() > 1 ? ", " : "") + JsonNumber(n);
        return out + "]";
    }
    if (!f.IsList) return JsonString(f.Value);
    std::string out = "[";
    for (const std::string &item : f.Items) {
        if (out.size() > 1) out += ", ";
        out += JsonString(item);
    }
    return out + "]";
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
            for (const Field &f : r.Fields)
                out += TerminalValue(Opts.Groups ? f.Key : f.Name) + "=" +
                       TerminalValue(ShownValue(f.Value, f.Numbers, Opts.Numeric, scratch)) + "\n";
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
    JsonFormatter(bool withFileType, bool numeric) : WithFileType(withFileType), Numeric(numeric) {}
    std::string Begin() override { return "["; }

    void File(const FileResult &r, std::string &out) override {
        out += First ? "\n{\n" : ",\n{\n";
        First = false;
        out += "  \"SourceFile\": " + JsonString(r.Name);
        if (WithFileType && r.View.Kind != exif::TFileKind::Unknown)
            out += ",\n  \"FileType\": " + JsonString(std::string(containers::FileTypeName(r.View.Kind)));
        for (const Field &f : r.Fields) out += ",\n  " + JsonString(f.Key) + ": " + JsonValue(f, Numeric);
        out += "\n}";
    }

    std::string End() override { return "\n]\n"; }

private:
    bool WithFileType;
    bool Numeric;
    bool First = true;
};

// Values escaped as in the text format, so that each file is one line of the
// file whatever its values hold (line-oriented tools keep working).
class CsvFormatter : public Formatter {
public:
    explicit CsvFormatter(bool numeric) : Numeric(numeric) {}

    void File(const FileResult &r, std::string &) override {
        Row row{r.Name, {}};
        std::string scratch;
        for (const Field &f : r.Fields) {
            const std::string &key = f.Key;
            if (Known.insert(key).second) Header.push_back(key);
            row.Values[key] = TerminalValue(ShownValue(f.Value, f.Numbers, Numeric, scratch));
        }
        Rows.push_back(std::move(row));
    }

    std::string End() override {
        std::string out = "SourceFile";
        for (const std::string &key : Header) out += "," + CsvField(key);
        out += "\r\n";
        for (const Row &row : Rows) out += Line(row);
        return out;
    }

private:
    struct Row {
        std::string Name;
        std::map<std::string, std::string> Values;  // by key
    };

    std::string Line(const Row &row) const {
        std::string out = CsvField(EscapeUtf8Controls(row.Name));
        for (const std::string &key : Header) {
            out += ",";
            const auto value = row.Values.find(key);
            if (value != row.Values.end()) out += CsvField(value->second);
        }
        return out + "\r\n";
    }

    bool Numeric;
    std::vector<std::string> Header;
    std::set<std::string> Known;
    std::vector<Row> Rows;
};

}  // namespace

std::unique_ptr<Formatter> MakeFormatter(const Options &options, bool withHeaders) {
    switch (options.Format) {
        case OutputFormat::Json:
            return std::make_unique<JsonFormatter>(options.Tags.empty(), options.Numeric);
        case OutputFormat::Csv:
            return std::make_unique<CsvFormatter>(options.Numeric);
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
