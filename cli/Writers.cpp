#include "cli/Writers.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <optional>
#include <string_view>

#include "cli/ExiftoolFields.h"
#include "cli/Selection.h"
#include "cli/TextCodec.h"
#include "exif/TextFormat.h"

namespace cli {

namespace {

const Field *FirstSelected(std::string_view tag, const std::vector<Field> &fields) {
    for (const Field &f : fields)
        if (TagSelects(tag, f)) return &f;
    return nullptr;
}

class TableFormatter : public Formatter {
public:
    explicit TableFormatter(const Options &options) : Opts(options) {}

    void File(const FileResult &r, std::string &out) override {
        bool first = true;
        const auto cell = [&](std::string_view text) {
            if (!first) out += '\t';
            first = false;
            AppendTerminalValue(out, text);
        };
        if (Opts.Tags.empty())
            for (const Field &f : r.Fields) cell(FieldText(f, Opts.Numeric));
        for (const std::string &tag : Opts.Tags) {
            if (!IsPattern(tag)) {
                const Field *f = FirstSelected(tag, r.Fields);
                cell(f ? FieldText(*f, Opts.Numeric) : "-");
                continue;
            }
            for (const Field &f : r.Fields)
                if (TagSelects(tag, f)) cell(FieldText(f, Opts.Numeric));
        }
        out += '\n';
    }

private:
    const Options &Opts;
};

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == ':';
}

std::string DirectoryOf(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// One line of a format with its tags put in; none when a tag is missing.
std::optional<std::string> Substituted(std::string_view line, const FileResult &r, bool numeric) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '$' || i + 1 >= line.size()) {
            out += line[i];
            continue;
        }
        const char next = line[i + 1];
        if (next == '$' || next == '/') {
            out += next == '$' ? '$' : '\n';
            ++i;
            continue;
        }
        std::string_view name;
        size_t end = i + 1;
        if (next == '{') {
            const size_t close = line.find('}', i + 2);
            if (close == std::string_view::npos) {
                out += line[i];
                continue;
            }
            name = line.substr(i + 2, close - i - 2);
            end = close + 1;
        } else {
            while (end < line.size() && IsNameCharacter(line[end])) ++end;
            name = line.substr(i + 1, end - i - 1);
        }
        if (name.empty()) {
            out += line[i];
            continue;
        }
        bool asNumbers = numeric;
        if (name.ends_with('#')) {
            name.remove_suffix(1);
            asNumbers = true;
        } else if (end < line.size() && line[end] == '#') {
            ++end;
            asNumbers = true;
        }
        i = end - 1;
        if (exif::SameTextAscii(name, "SourceFile")) {
            out += r.Name;
        } else if (exif::SameTextAscii(name, "Directory")) {
            out += DirectoryOf(r.Name);
        } else if (const Field *f = FirstSelected(name, r.Fields)) {
            out += FieldText(*f, asNumbers);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

class PrintFormatter : public Formatter {
public:
    explicit PrintFormatter(const Options &options) : Numeric(options.Numeric) {
        for (const std::string &format : options.PrintFormats) SplitLines(format);
    }

    std::string Begin() override { return Fixed(Head); }

    void File(const FileResult &r, std::string &out) override {
        for (const std::string &line : Conditions)
            if (!Substituted(line, r, Numeric)) return;
        for (const std::string &line : Body)
            if (const std::optional<std::string> text = Substituted(line, r, Numeric)) {
                out += TerminalText(*text);
                out += '\n';
            }
    }

    bool End(Output &out, std::string &) override { return out.Write(Fixed(Tail)); }

private:
    bool Numeric;
    std::vector<std::string> Head, Body, Tail, Conditions;

    void SplitLines(std::string_view text) {
        while (!text.empty()) {
            size_t end = text.find('\n');
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            if (line.ends_with('\r')) line.remove_suffix(1);
            if (line.starts_with("#[HEAD]"))
                Head.emplace_back(line.substr(7));
            else if (line.starts_with("#[TAIL]"))
                Tail.emplace_back(line.substr(7));
            else if (line.starts_with("#[BODY]"))
                Body.emplace_back(line.substr(7));
            else if (line.starts_with("#[IF]"))
                Conditions.emplace_back(line.substr(5));
            else if (!line.starts_with('#'))
                Body.emplace_back(line);
        }
    }

    // Head and tail lines name no file: "$$" and "$/" only.
    static std::string Fixed(const std::vector<std::string> &lines) {
        std::string out;
        for (const std::string &line : lines) {
            for (size_t i = 0; i < line.size(); ++i) {
                if (line[i] == '$' && i + 1 < line.size() && (line[i + 1] == '$' || line[i + 1] == '/')) {
                    out += line[++i] == '$' ? '$' : '\n';
                    continue;
                }
                out += line[i];
            }
            out += '\n';
        }
        return TerminalText(out);
    }
};

bool Digits(std::string_view text, size_t at, size_t n, int &value) {
    if (at + n > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

std::unique_ptr<Formatter> MakeTableFormatter(const Options &options) {
    return std::make_unique<TableFormatter>(options);
}

std::unique_ptr<Formatter> MakePrintFormatter(const Options &options) {
    return std::make_unique<PrintFormatter>(options);
}

std::string DateText(const std::string &value, const std::string &format) {
    const std::string_view v = value;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    constexpr size_t SecondsEnd = 19;
    if (!Digits(v, 0, 4, year) || !Digits(v, 5, 2, month) || !Digits(v, 8, 2, day) || !Digits(v, 11, 2, hour) ||
        !Digits(v, 14, 2, minute) || !Digits(v, 17, 2, second))
        return value;
    const bool separators =
        (v[4] == ':' || v[4] == '-') && v[7] == v[4] && (v[10] == ' ' || v[10] == 'T') && v[13] == ':' && v[16] == ':';
    if (!separators || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return value;
    size_t at = SecondsEnd;
    std::string fraction;
    if (at < v.size() && v[at] == '.') {
        while (++at < v.size() && v[at] >= '0' && v[at] <= '9') fraction += v[at];
    }
    std::string zone;
    if (at < v.size()) {
        int zh = 0, zm = 0;
        if (v.substr(at) == "Z") {
            zone = "+0000";
        } else if ((v[at] == '+' || v[at] == '-') && v.size() == at + 6 && Digits(v, at + 1, 2, zh) &&
                   v[at + 3] == ':' && Digits(v, at + 4, 2, zm)) {
            zone = std::string(1, v[at]) + std::string(v.substr(at + 1, 2)) + std::string(v.substr(at + 4, 2));
        } else {
            return value;
        }
    }
    // %f and %z are put in here: strftime knows no %f, and its %z is the
    // machine's zone, not the one recorded.
    std::string own;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char c = format[++i];
            if (c == 'f')
                own += fraction;
            else if (c == 'z')
                own += zone;
            else
                own.append(1, '%').append(1, c);
            continue;
        }
        own += format[i];
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    const int64_t days = DaysFromCivil(year, month, day);
    tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    tm.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
    tm.tm_isdst = -1;
    std::array<char, 512> buffer{};
    // A leading blank tells an empty result from a format too long for the buffer.
    const std::string shown = " " + own;
    const size_t n = std::strftime(buffer.data(), buffer.size(), shown.c_str(), &tm);
    if (n == 0) return value;
    return std::string(buffer.data() + 1, n - 1);
}

void ApplyDateFormat(params::ImageView &view, const std::string &format) {
    for (std::vector<params::GridRow> *rows : {&view.Exif.Rows, &view.Iptc.Rows, &view.Xmp.Rows, &view.Composites})
        for (params::GridRow &row : *rows)
            if (row.Value.size() >= 19 && row.Value[0] >= '0' && row.Value[0] <= '9')
                row.Value = DateText(row.Value, format);
}

}  // namespace cli
