#include "cli/ExiftoolOptions.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string_view>

#include "cli/Platform.h"

namespace cli {

namespace {

// The tool's own options that take their value as the next argument: the
// value is never read as an option.
constexpr std::string_view OwnWithValue[] = {"-t",     "-e",       "-s",          "-d",       "--tag",
                                             "--size", "--export", "--thumbnail", "--decimal"};

// exiftool's options that change nothing here: -a keeps duplicated tags,
// which the tool always keeps (a repeated key takes "-2"); -s and -S ask for
// tag names, which the tool always prints; -fast and -fast2 skip the image
// data, which the tool never reads.
constexpr std::string_view Accepted[] = {"-a", "-S", "-s1", "-s2", "-fast", "-fast2", "-fast3"};

bool IsOwnWithValue(std::string_view arg) {
    for (const std::string_view own : OwnWithValue)
        if (arg == own) return true;
    return false;
}

bool IsAccepted(std::string_view arg) {
    for (const std::string_view a : Accepted)
        if (arg == a) return true;
    return false;
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsTagCharacter(char c) {
    return (c >= 'a' && c <= 'z') || IsUpper(c) || (c >= '0' && c <= '9') || c == '_' || c == '-' || c == ':' ||
           c == '*' || c == '?';
}

// The tool's short options that take no value: "-Gn" is -G -n, not a tag.
bool AllOwnFlags(std::string_view letters) {
    return letters.find_first_not_of("jcnGrlVh") == std::string_view::npos;
}

// "-Model", "-GPS*", "-EXIF:all", "-XMP-dc:*", "-all": a tag to select. A
// name in lower case only with a group or a wildcard, so that exiftool's
// other options (-ee, -api ...) stay unknown options.
bool IsTagSelection(std::string_view arg) {
    if (arg.size() < 3 || arg[0] != '-' || arg[1] == '-') return false;
    const std::string_view name = arg.substr(1);
    for (const char c : name)
        if (!IsTagCharacter(c)) return false;
    if (name == "all") return true;
    if (IsUpper(name[0])) return !AllOwnFlags(name);
    return name.find_first_of(":*?") != std::string_view::npos && name[0] != '-';
}

// "640x480": the tool's size, not exiftool's -s.
bool LooksLikeSize(std::string_view text) {
    const size_t x = text.find_first_of("xX");
    return x != std::string_view::npos && x > 0 && x + 1 < text.size() &&
           text.find_first_not_of("0123456789xX") == std::string_view::npos;
}

std::string Trimmed(const std::string &line) {
    const size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

std::string ExtensionName(std::string_view ext) {
    if (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
    return std::string(ext);
}

// A -p argument: the text of the file it names, else the argument itself
// followed by a line end, as exiftool takes it.
std::string FormatText(const std::string &arg) {
    std::ifstream file(FsPath(arg), std::ios::binary);
    if (!file || arg.find('\n') != std::string::npos) return arg + "\n";
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

std::string ExpandArgumentFiles(std::vector<std::string> &args) {
    std::vector<std::string> out;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") {
            out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (args[i] != "-@") {
            out.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size()) return "option '-@' wants a file of arguments";
        const std::string &name = args[++i];
        std::ifstream file;
        if (name != "-") {
            file.open(FsPath(name), std::ios::binary);
            if (!file) return "-@ " + name + ": cannot be opened for reading";
        }
        std::istream &in = name == "-" ? std::cin : file;
        for (std::string line; std::getline(in, line);) {
            std::string arg = Trimmed(line);
            if (!arg.empty() && arg[0] != '#') out.push_back(std::move(arg));
        }
    }
    args = std::move(out);
    return {};
}

std::string TakeExiftoolOptions(std::vector<std::string> &args, Options &o) {
    std::vector<std::string> kept;
    if (!args.empty()) kept.push_back(args[0]);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasNext = i + 1 < args.size();
        if (arg == "--") {
            kept.insert(kept.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            break;
        }
        if (arg == "-s" && !(hasNext && LooksLikeSize(args[i + 1]))) continue;  // exiftool's -s
        if (arg == "-d" && hasNext && args[i + 1].find('%') != std::string::npos) {
            o.DateFormat = args[++i];
            continue;
        }
        if (arg.starts_with("-d") && arg.find('%') != std::string::npos) {  // "-d%Y", written together
            o.DateFormat = arg.substr(2);
            continue;
        }
        if (IsOwnWithValue(arg)) {
            kept.push_back(arg);
            if (hasNext) kept.push_back(args[++i]);
            continue;
        }
        if (IsAccepted(arg)) continue;
        if (arg == "-G1") {
            kept.emplace_back("--groups");
        } else if (arg == "-u") {
            o.UnknownTags = true;
        } else if (arg == "-T") {
            o.Table = true;
        } else if (arg == "-p" || arg == "-ext" || arg == "--ext" || arg == "-extension" || arg == "-if") {
            if (!hasNext) return "option '" + arg + "' wants a value";
            const std::string &value = args[++i];
            if (arg == "-p")
                o.PrintFormats.push_back(FormatText(value));
            else if (arg == "-if")
                o.Condition = o.Condition.empty() ? value : "(" + o.Condition + ") and (" + value + ")";
            else
                (arg == "--ext" ? o.SkippedExtensions : o.Extensions).push_back(ExtensionName(value));
        } else if (IsTagSelection(arg)) {
            o.Tags.push_back(arg.substr(1));
        } else {
            kept.push_back(arg);
        }
    }
    args = std::move(kept);
    return {};
}

}  // namespace cli
