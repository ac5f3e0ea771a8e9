#include "cli/Run.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cli/Condition.h"
#include "cli/ExiftoolFields.h"
#include "cli/FolderWalk.h"
#include "cli/Formats.h"
#include "cli/Output.h"
#include "cli/Platform.h"
#include "cli/Record.h"
#include "cli/SafeExport.h"
#include "cli/Selection.h"
#include "cli/TextCodec.h"
#include "cli/Writers.h"
#include "dialog/CompositeRows.h"
#include "dialog/ParamsRows.h"
#include "exif/TextFormat.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

// Below this many files a progress line would only flicker.
constexpr size_t ProgressFromFiles = 200;
constexpr size_t ProgressEvery = 50;

// Where a file name ends and its name part starts: a Linux name may hold "\"
// and ":"; Windows takes all three.
#ifdef _WIN32
constexpr std::string_view NameSeparators = "\\/:";
#else
constexpr std::string_view NameSeparators = "/";
#endif

int Rank(int status) {
    switch (status) {
        case ExitOk:
            return 0;
        case ExitNoMetadata:
            return 1;
        case ExitUnreadable:
            return 2;
        default:
            return 3;
    }
}

int Worse(int a, int b) {
    return Rank(a) >= Rank(b) ? a : b;
}

// The kinds of file the reader reads, as a note names them.
constexpr std::string_view KnownKinds = "JPEG, TIFF, HEIF/HEIC, AVIF, PNG, WebP, JPEG XL, PSD, CR3, RAF, ORF, RW2";

// A file of a folder that no reader knows: counted, not a failure.
constexpr int ExitSkipped = -1;

// Set while a progress line stands on the terminal: a note first clears it.
bool ProgressShown = false;

void Complain(const std::string &message) {
    std::fputs(((ProgressShown ? "\r\x1b[K" : "") + std::string("exifinfo: ") + message + "\n").c_str(), stderr);
}

void Note(const std::string &name, const std::string &message) {
    Complain(EscapeUtf8Controls(name) + ": " + message);
}

// Gives the reader the decimal separator: the one asked for, or the
// locale's (UTF-8; more than one byte in some locales).
void ApplyDecimal(const Options &o) {
    exif::SetDecimalSeparator(o.DecimalFromLocale ? LocaleDecimalSeparator() : std::string(1, o.Decimal));
}

// Whether the export file, written in Windows-1252, can hold the separator.
bool ExportHoldsSeparator() {
    const std::string_view separator = exif::DecimalSeparator();
    return exif::Utf8ToWindows1252(separator).find('?') == std::string::npos || separator == "?";
}

bool IsFolder(const std::string &name) {
    std::error_code error;
    return fs::is_directory(FsPath(name), error);
}

// The reason a named file cannot be read, or empty when it may be.
std::string NotAFileReason(const std::string &name) {
    std::error_code error;
    const fs::file_status status = fs::status(FsPath(name), error);
    if (!fs::exists(status)) return "no such file";
    if (fs::is_directory(status)) return "is a folder (-r reads the files in it)";
    if (!fs::is_regular_file(status)) return "not a regular file";
    return {};
}

// Whether the output may show a computed row: they are computed only then.
// A -p format or an -if condition may name any tag.
bool ShowsComposites(const Options &o) {
    if (!o.ExportPath.empty() || o.Listing) return false;
    if (o.Tags.empty() || o.Format == OutputFormat::Print || !o.Condition.empty()) return true;
    return std::ranges::any_of(o.Tags, [](const std::string &tag) {
        if (IsPattern(tag) || exif::SameTextAscii(tag.substr(0, tag.find(':')), "Composite")) return true;
        const std::string_view name = std::string_view(tag).substr(tag.rfind(':') + 1);
        return std::ranges::any_of(params::CompositeNames,
                                   [&](std::string_view composite) { return exif::SameTextAscii(composite, name); });
    });
}

params::ViewRequest RequestFor(const Options &o, const std::string &name) {
    params::ViewRequest request;
    request.ImageWidth = o.Width;
    request.ImageHeight = o.Height;
    request.SizeFromFile = !o.HasSize;
    request.Separators = NameSeparators;
    request.DisplayName = params::NamePart(name, NameSeparators);
    request.WithListing = o.Listing;
    request.WithNumbers = o.Numeric;
    request.WithUnknownTags = o.Groups || o.UnknownTags;
    request.WithThumbnail = !o.ThumbnailPath.empty();
    request.WithComposites = ShowsComposites(o);
    request.WithFileFacts = o.Format != OutputFormat::Text && !o.DialogNames;
    return request;
}

// A file to read. `Listed`: a folder walk has just found it a regular file or
// a link to one, so it is not asked again.
struct InputFile {
    std::string Name;
    bool Listed = false;
};

int ViewStatus(const InputFile &file, const params::ImageView &view);

// The name that stands for standard input, and the most of it read: more
// than any camera's raw file, and copying it stays a small part of a second.
constexpr std::string_view StandardInputName = "-";
constexpr uint64_t MaxStandardInput = 128 * 1024 * 1024;

// Standard input's bytes in a file of their own while they are read (the
// reader reads files by name), copied in chunks, at most
// MaxStandardInput bytes; the file is readable by its owner only and
// removed at the end. Its kind is found from its bytes, as any file's.
class StandardInputFile {
public:
    StandardInputFile() {
        std::error_code error;
        const fs::path folder = fs::temp_directory_path(error);
        if (error) return;
        std::random_device random;
        for (int attempt = 0; attempt < 16 && Path.empty(); ++attempt) {
            const fs::path candidate = folder / ("exifinfo-stdin-" + std::to_string(random()));
            const int fd = CreateNewFile(candidate);
            if (fd < 0) continue;
            fs::permissions(candidate, fs::perms::owner_read | fs::perms::owner_write, error);
            Path = candidate;
            Result = SpoolStandardInput(fd, MaxStandardInput);
        }
    }
    ~StandardInputFile() {
        std::error_code error;
        if (!Path.empty()) fs::remove(Path, error);
    }
    StandardInputFile(const StandardInputFile &) = delete;
    StandardInputFile &operator=(const StandardInputFile &) = delete;

    bool Kept() const { return !Path.empty() && Result != SpoolResult::Failed; }
    bool TooLarge() const { return Result == SpoolResult::TooLarge; }
    std::string Name() const { return Utf8Of(Path); }

private:
    fs::path Path;
    SpoolResult Result = SpoolResult::Failed;
};

// Reads one file; notes on stderr what went wrong. Returns the file's status,
// or ExitSkipped for a file of a folder that no reader knows.
int ReadView(const Options &o, const InputFile &file, params::ImageView &view) {
    const std::string &name = file.Name;
    if (name == StandardInputName && !file.Listed) {
        const StandardInputFile input;
        if (!input.Kept()) {
            Note(name, "standard input could not be kept in a temporary file");
            return ExitUnreadable;
        }
        if (input.TooLarge()) {
            Note(name, "standard input holds more than the " + std::to_string(MaxStandardInput >> 20) +
                           " MiB read of it; not read");
            return ExitUnreadable;
        }
        view = params::BuildImageView(ReaderPath(input.Name()), RequestFor(o, name));
        return ViewStatus(file, view);
    }
    const std::string reason = file.Listed ? std::string() : NotAFileReason(name);
    if (!reason.empty()) {
        Note(name, reason);
        return ExitUnreadable;
    }
    view = params::BuildImageView(ReaderPath(name), RequestFor(o, name));
    return ViewStatus(file, view);
}

// The status of a file read into `view`, its notes written on stderr.
int ViewStatus(const InputFile &file, const params::ImageView &view) {
    const std::string &name = file.Name;
    // Notes may quote the file's own text (an XMP attribute's value): its
    // control characters must not reach the terminal.
    for (const std::string &note : view.Notes) Note(name, EscapeUtf8Controls(note));
    if (view.HasMetadata) return ExitOk;
    switch (view.Failure) {
        case exif::TReadFailure::Missing:
        case exif::TReadFailure::CannotOpen:
            Note(name, "cannot be opened for reading");
            return ExitUnreadable;
        case exif::TReadFailure::UnknownKind:
            // In a folder such files are counted, not named one by one.
            if (file.Listed) return ExitSkipped;
            Note(name, "not a kind of file any reader knows (" + std::string(KnownKinds) + ")");
            return ExitNoMetadata;
        default:
            break;
    }
    Note(name, "no EXIF, IPTC or XMP data" + (view.ErrorText.empty() ? std::string() : " (" + view.ErrorText + ")"));
    return ExitNoMetadata;
}

// Every field of a file under the names scripts use: exiftool's unless
// --names=dialog (a -if condition and a -p format see these).
std::vector<Field> AllFields(const Options &o, const params::ImageView &view) {
    const KeyStyle style = o.Groups ? KeyStyle::Grouped : KeyStyle::Bare;
    return o.DialogNames ? FieldsOf(view, style) : ExiftoolFieldsOf(view, {}, style, o.Numeric);
}

std::vector<Field> SelectedFields(const Options &o, const std::vector<std::string> &tags,
                                  const params::ImageView &view) {
    if (o.Format == OutputFormat::Print) return AllFields(o, view);
    if (o.Format == OutputFormat::Text && tags.empty() && !o.Groups) return {};
    if (o.Format != OutputFormat::Text && !o.DialogNames)
        return ExiftoolFieldsOf(view, tags, o.Groups ? KeyStyle::Grouped : KeyStyle::Bare, o.Numeric);
    return SelectedFieldsOf(view, tags, o.Groups ? KeyStyle::Grouped : KeyStyle::Bare);
}

// -ext and --ext: a folder's file by its extension, without the dot, in any
// case; "*" any extension or none.
bool ExtensionWanted(const Options &o, const std::string &name) {
    const std::string part = params::NamePart(name, NameSeparators);
    const size_t dot = part.rfind('.');
    const std::string extension = dot == std::string::npos || dot == 0 ? std::string() : part.substr(dot + 1);
    const auto named = [&](const std::string &wanted) {
        return wanted == "*" || exif::SameTextAscii(wanted, extension);
    };
    if (std::ranges::any_of(o.SkippedExtensions, named)) return false;
    return o.Extensions.empty() || std::ranges::any_of(o.Extensions, named);
}

// The named files, folders replaced by the image files under them.
int ExpandFolders(const Options &o, std::vector<InputFile> &files) {
    int status = ExitOk;
    for (const std::string &name : o.Files) {
        if (!o.Recursive || !IsFolder(name)) {
            files.push_back({name, false});
            continue;
        }
        std::vector<std::string> found;
        CollectImageFiles(
            name, found,
            [&](const std::string &message) {
                Complain(EscapeUtf8Controls(message));
                status = ExitUnreadable;
            },
            [](const std::string &message) { Complain(EscapeUtf8Controls(message)); });
        for (std::string &f : found)
            if (ExtensionWanted(o, f)) files.push_back({std::move(f), true});
    }
    return status;
}

// Files of a folder that no reader knows: the first of each extension is
// named, and the run ends with a count per extension.
class SkippedFiles {
public:
    void Add(const std::string &name) {
        const std::string extension = ExtensionOf(name);
        if (Counts[extension]++ == 0)
            Note(name, "skipped: no reader knows this kind of file (" + std::string(KnownKinds) + ")");
    }
    void Report() const {
        if (Counts.empty()) return;
        size_t total = 0;
        std::string each;
        for (const auto &[extension, count] : Counts) {
            total += count;
            each += (each.empty() ? "" : ", ") + std::to_string(count) + " " +
                    (extension.empty() ? std::string("without extension") : EscapeUtf8Controls(extension));
        }
        Complain("skipped " + std::to_string(total) + (total == 1 ? " file" : " files") +
                 " that no reader knows: " + each);
    }

private:
    std::map<std::string, size_t> Counts;

    static std::string ExtensionOf(const std::string &name) {
        const std::string part = params::NamePart(name, NameSeparators);
        const size_t dot = part.rfind('.');
        return dot == std::string::npos || dot == 0 ? std::string() : part.substr(dot);
    }
};

class Progress {
public:
    explicit Progress(size_t total) : Total(total), Shown(total >= ProgressFromFiles && IsTerminal(stderr)) {}
    ~Progress() {
        if (Shown) std::fputs("\r\x1b[K", stderr);
        ProgressShown = false;
    }
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    void Step(size_t done) const {
        if (!Shown || done % ProgressEvery != 0) return;
        std::fprintf(stderr, "\rexifinfo: %zu of %zu files", done, Total);
        ProgressShown = true;
    }

private:
    size_t Total;
    bool Shown;
};

// Writes `bytes` over `path` (see WriteReplacing) and gives the run's
// status: the read's on success, else why the write failed.
int WriteFileOf(const std::string &path, const std::string &bytes, int readStatus) {
    std::string error;
    switch (WriteReplacing(path, bytes, error)) {
        case ExportResult::Written:
            return readStatus;
        case ExportResult::Refused:
            Complain(EscapeUtf8Controls(error));
            return ExitUsage;
        case ExportResult::Failed:
            break;
    }
    Complain(EscapeUtf8Controls(error));
    return ExitUnreadable;
}

int ExportRun(const Options &o) {
    const std::string &name = o.Files.front();
    if (IsOneOfTheInputs(o.ExportPath, o.Files)) {
        Note(o.ExportPath, "is the input file; the export would destroy it");
        return ExitUsage;
    }
    params::ImageView view;
    const int status = ReadView(o, {name, false}, view);
    if (status == ExitUnreadable) return status;
    return WriteFileOf(o.ExportPath, params::ExportText(view), status);
}

// The thumbnail's bytes to a file, written as the export is, or to
// standard output.
int ThumbnailRun(const Options &o) {
    const std::string &name = o.Files.front();
    const bool toOutput = o.ThumbnailPath == StandardInputName;
    if (!toOutput && IsOneOfTheInputs(o.ThumbnailPath, o.Files)) {
        Note(o.ThumbnailPath, "is the input file; writing the thumbnail would destroy it");
        return ExitUsage;
    }
    params::ImageView view;
    const int status = ReadView(o, {name, false}, view);
    if (status == ExitUnreadable) return status;
    if (view.Thumbnail.empty()) {
        Note(name, "no JPEG thumbnail (IFD1 points to none that lies wholly inside the file)");
        return ExitNoMetadata;
    }
    if (toOutput) {
        Output out(stdout);
        SetBinaryOutput(stdout);
        out.Write(view.Thumbnail);
        if (out.Finish()) return status;
        Complain("cannot write to standard output: " + out.Error());
        return ExitUnreadable;
    }
    return WriteFileOf(o.ThumbnailPath, view.Thumbnail, status);
}

int PrintRun(const Options &o) {
    std::string conditionError;
    const std::unique_ptr<Condition> condition =
        o.Condition.empty() ? nullptr : Condition::Parse(o.Condition, conditionError);
    if (!conditionError.empty()) {
        Complain("-if: " + EscapeUtf8Controls(conditionError));
        return ExitUsage;
    }
    SkippedFiles skipped;
    std::vector<InputFile> files;
    int status = ExpandFolders(o, files);
    Output out(stdout);
    const std::unique_ptr<Formatter> formatter = MakeFormatter(o, files.size() > 1 || o.Recursive);
    const std::vector<std::string> &tags = o.Tags;
    std::vector<bool> tagMatched(tags.size(), false);
    // One file's text, written at once; its buffer serves every file.
    std::string block;
    out.Write(formatter->Begin());
    {
        const Progress progress(files.size());
        for (size_t i = 0; i < files.size() && out.Ok(); ++i) {
            progress.Step(i);
            params::ImageView view;
            const int fileStatus = ReadView(o, files[i], view);
            if (fileStatus == ExitSkipped) {
                skipped.Add(files[i].Name);
                continue;
            }
            status = Worse(status, fileStatus);
            // A file without metadata has its note on standard error and
            // nothing on standard output: an empty block would read as a
            // file whose values are all empty.
            if (fileStatus == ExitUnreadable || fileStatus == ExitNoMetadata) continue;
            if (o.Format != OutputFormat::Text && !o.DialogNames) AddSystemFacts(files[i].Name, view, o.Numeric);
            if (!o.DateFormat.empty() && !o.Numeric) ApplyDateFormat(view, o.DateFormat);
            if (condition && !condition->Holds(AllFields(o, view), o.Numeric)) continue;
            const std::vector<Field> fields = SelectedFields(o, tags, view);
            for (size_t t = 0; t < tags.size(); ++t)
                for (size_t f = 0; f < fields.size() && !tagMatched[t]; ++f)
                    tagMatched[t] = Selected(fields[f], {tags[t]});
            block.clear();
            formatter->File({files[i].Name, view, fields}, block);
            out.Write(block);
        }
    }
    std::string formatError;
    if (!formatter->End(out, formatError)) {
        Complain(formatError);
        status = Worse(status, ExitUnreadable);
    }
    skipped.Report();
    // A name that matched nothing is most often a misspelling: said, not an error.
    for (size_t t = 0; t < tags.size(); ++t)
        if (!tagMatched[t]) Complain("--tag " + EscapeUtf8Controls(tags[t]) + ": no row of that name in any file");
    if (!out.Finish()) {
        Complain("cannot write to standard output: " + out.Error());
        return Worse(status, ExitUnreadable);
    }
    return status;
}

}  // namespace

int Run(const Options &o) {
    ApplyDecimal(o);
    if (!o.ThumbnailPath.empty()) return ThumbnailRun(o);
    if (o.ExportPath.empty()) return PrintRun(o);
    if (!ExportHoldsSeparator()) {
        Complain("--decimal locale: the locale's separator " + EscapeUtf8Controls(exif::DecimalSeparator()) +
                 " has no Windows-1252 character, which the export file is written in");
        return ExitUsage;
    }
    return ExportRun(o);
}

}  // namespace cli
