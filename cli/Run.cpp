#include "cli/Run.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/FolderWalk.h"
#include "cli/Formats.h"
#include "cli/Output.h"
#include "cli/Platform.h"
#include "cli/Record.h"
#include "cli/SafeExport.h"
#include "cli/TextCodec.h"
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

// Gives the reader the decimal separator when Windows-1252 holds it, and
// returns the separator (UTF-8) when it does not: numbers then carry a mark
// for it (see MarkedView). Empty when the reader writes it.
std::string ApplyDecimal(const Options &o) {
    exif::SetDecimalSeparator(o.Decimal);
    if (!o.DecimalFromLocale) return {};
    const std::string separator = LocaleDecimalSeparator();
    if (const auto byte = Windows1252CharOf(separator)) {
        exif::SetDecimalSeparator(*byte);
        return {};
    }
    return separator;
}

// The texts of a view that may hold numbers, and the XMP texts, which hold
// none the reader wrote but must not hold the mark either.
std::vector<std::string *> TextsOf(params::ImageView &view) {
    std::vector<std::string *> texts;
    for (std::vector<params::GridRow> *rows : {&view.Exif.Rows, &view.Iptc.Rows, &view.Xmp.Rows})
        for (params::GridRow &row : *rows) {
            texts.insert(texts.end(), {&row.Name, &row.Value});
            for (std::string &item : row.Items) texts.push_back(&item);
        }
    texts.insert(texts.end(), {&view.Exif.Comment, &view.Listing});
    return texts;
}

// A byte that no text of the view holds and that the output conversions do
// not copy as it is (a control byte or one of the upper half), so that they
// meet it as a mark; 0 when the view holds them all.
char UnusedMarkByte(const std::vector<std::string *> &texts) {
    std::array<bool, 256> used{};
    for (const std::string *text : texts)
        for (const char c : *text) used[static_cast<unsigned char>(c)] = true;
    for (unsigned c = 1; c < used.size(); ++c) {
        const bool candidate = (c < 0x20 && c != '\n' && c != '\r') || c >= 0x7F;
        if (candidate && !used[c]) return static_cast<char>(c);
    }
    return 0;
}

// Whether the two reads of a file differ only where the reader wrote the
// decimal separator ("." in the first, "," in the second). Not so when the
// file changed between the reads.
bool DifferOnlyInSeparators(const std::vector<std::string *> &dotted, const std::vector<std::string *> &commaed) {
    if (dotted.size() != commaed.size()) return false;
    for (size_t i = 0; i < dotted.size(); ++i) {
        const std::string &a = *dotted[i], &b = *commaed[i];
        if (a.size() != b.size()) return false;
        for (size_t k = 0; k < a.size(); ++k)
            if (a[k] != b[k] && (a[k] != '.' || b[k] != ',')) return false;
    }
    return true;
}

// The view with `separator` in its numbers, for a separator the reader's
// Windows-1252 text cannot hold. Two reads, one with "." and one with ",",
// differ exactly where the reader wrote the separator (which --decimal=,
// would show); there the first read's text gets a mark byte it holds
// nowhere else, which the output conversions replace (SetDecimalMark). A
// view without such a byte to spare (a hostile file) keeps ".".
params::ImageView MarkedView(const std::string &path, const params::ViewRequest &request,
                             const std::string &separator) {
    exif::SetDecimalSeparator('.');
    params::ImageView view = params::BuildImageView(path, request);
    exif::SetDecimalSeparator(',');
    params::ImageView commaed = params::BuildImageView(path, request);
    exif::SetDecimalSeparator('.');
    const std::vector<std::string *> texts = TextsOf(view), others = TextsOf(commaed);
    const char mark = UnusedMarkByte(texts);
    const bool marked = mark != 0 && DifferOnlyInSeparators(texts, others);
    SetDecimalMark(marked ? mark : '\0', separator);
    if (!marked) return view;
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t k = 0; k < texts[i]->size(); ++k)
            if ((*texts[i])[k] != (*others[i])[k]) (*texts[i])[k] = mark;
    return view;
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

params::ViewRequest RequestFor(const Options &o, const std::string &name) {
    params::ViewRequest request;
    request.ImageWidth = o.Width;
    request.ImageHeight = o.Height;
    request.SizeFromFile = !o.HasSize;
    request.Separators = NameSeparators;
    request.DisplayName = Utf8ToWindows1252(params::NamePart(name, NameSeparators));
    request.WithListing = o.Listing;
    return request;
}

// A file to read. `Listed`: a folder walk has just found it a regular file or
// a link to one, so it is not asked again.
struct InputFile {
    std::string Name;
    bool Listed = false;
};

// Reads one file; notes on stderr what went wrong. Returns the file's status,
// or ExitSkipped for a file of a folder that no reader knows.
// `markedSeparator`: see ApplyDecimal.
int ReadView(const Options &o, const InputFile &file, const std::string &markedSeparator, params::ImageView &view) {
    const std::string &name = file.Name;
    const std::string reason = file.Listed ? std::string() : NotAFileReason(name);
    if (!reason.empty()) {
        Note(name, reason);
        return ExitUnreadable;
    }
    view = markedSeparator.empty() ? params::BuildImageView(ReaderPath(name), RequestFor(o, name))
                                   : MarkedView(ReaderPath(name), RequestFor(o, name), markedSeparator);
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

// The tags as the rows name them (Windows-1252), converted once per run.
std::vector<std::string> TagNames(const Options &o) {
    std::vector<std::string> tags;
    tags.reserve(o.Tags.size());
    for (const std::string &tag : o.Tags) tags.push_back(Utf8ToWindows1252(tag));
    return tags;
}

std::vector<Field> SelectedFields(const Options &o, const std::vector<std::string> &tags,
                                  const params::ImageView &view) {
    if (o.Format == OutputFormat::Text && tags.empty()) return {};
    return SelectedFieldsOf(view, tags);
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
        CollectImageFiles(name, found, [&](const std::string &message) {
            Complain(EscapeUtf8Controls(message));
            status = ExitUnreadable;
        });
        for (std::string &f : found) files.push_back({std::move(f), true});
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

int ExportRun(const Options &o) {
    const std::string &name = o.Files.front();
    if (IsOneOfTheInputs(o.ExportPath, o.Files)) {
        Note(o.ExportPath, "is the input file; the export would destroy it");
        return ExitUsage;
    }
    params::ImageView view;
    const int status = ReadView(o, {name, false}, {}, view);
    if (status == ExitUnreadable) return status;
    std::string error;
    switch (WriteReplacing(o.ExportPath, params::ExportText(view), error)) {
        case ExportResult::Written:
            return status;
        case ExportResult::Refused:
            Complain(EscapeUtf8Controls(error));
            return ExitUsage;
        case ExportResult::Failed:
            break;
    }
    Complain(EscapeUtf8Controls(error));
    return ExitUnreadable;
}

int PrintRun(const Options &o, const std::string &markedSeparator) {
    SkippedFiles skipped;
    std::vector<InputFile> files;
    int status = ExpandFolders(o, files);
    Output out(stdout);
    const std::unique_ptr<Formatter> formatter = MakeFormatter(o, files.size() > 1 || o.Recursive);
    const std::vector<std::string> tags = TagNames(o);
    // One file's text, written at once; its buffer serves every file.
    std::string block;
    out.Write(formatter->Begin());
    {
        const Progress progress(files.size());
        for (size_t i = 0; i < files.size() && out.Ok(); ++i) {
            progress.Step(i);
            params::ImageView view;
            const int fileStatus = ReadView(o, files[i], markedSeparator, view);
            if (fileStatus == ExitSkipped) {
                skipped.Add(files[i].Name);
                continue;
            }
            status = Worse(status, fileStatus);
            if (fileStatus == ExitUnreadable) continue;
            const std::vector<Field> fields = SelectedFields(o, tags, view);
            block.clear();
            formatter->File({files[i].Name, view, fields}, block);
            out.Write(block);
        }
    }
    out.Write(formatter->End());
    skipped.Report();
    if (!out.Finish()) {
        Complain("cannot write to standard output: " + out.Error());
        return Worse(status, ExitUnreadable);
    }
    return status;
}

}  // namespace

int Run(const Options &o) {
    const std::string markedSeparator = ApplyDecimal(o);
    if (o.ExportPath.empty()) return PrintRun(o, markedSeparator);
    if (!markedSeparator.empty()) {
        Complain("--decimal locale: the locale's separator " + EscapeUtf8Controls(markedSeparator) +
                 " has no Windows-1252 character, which the export file is written in");
        return ExitUsage;
    }
    return ExportRun(o);
}

}  // namespace cli
