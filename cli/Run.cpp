#include "cli/Run.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cli/FileKind.h"
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

// Set while a progress line stands on the terminal: a note first clears it.
bool ProgressShown = false;

void Complain(const std::string &message) {
    std::fputs(((ProgressShown ? "\r\x1b[K" : "") + std::string("exifinfo: ") + message + "\n").c_str(), stderr);
}

void Note(const std::string &name, const std::string &message) {
    Complain(EscapeUtf8Controls(name) + ": " + message);
}

void ApplyDecimal(const Options &o) {
    if (o.DecimalFromLocale) {
        std::setlocale(LC_NUMERIC, "");
        exif::TakeDecimalSeparatorFromLocale();
        std::setlocale(LC_NUMERIC, "C");
    } else {
        exif::SetDecimalSeparator(o.Decimal);
    }
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

bool CanBeOpened(const std::string &name) {
    std::ifstream in(FsPath(name), std::ios::binary);
    return static_cast<bool>(in);
}

params::ViewRequest RequestFor(const Options &o, const std::string &name) {
    params::ViewRequest request;
    request.ImageWidth = o.Width;
    request.ImageHeight = o.Height;
    request.SizeFromFile = !o.HasSize;
    request.Separators = NameSeparators;
    request.DisplayName = Utf8ToWindows1252(params::NamePart(name, NameSeparators));
    request.KindByContent = true;
    request.WithListing = o.Listing;
    return request;
}

// A file to read. `Listed`: a folder walk has just found it a regular file or
// a link to one, so it is not asked again.
struct InputFile {
    std::string Name;
    bool Listed = false;
};

// Reads one file; notes on stderr what went wrong. Returns the file's status.
int ReadView(const Options &o, const InputFile &file, params::ImageView &view) {
    const std::string &name = file.Name;
    const std::string reason = file.Listed ? std::string() : NotAFileReason(name);
    if (!reason.empty()) {
        Note(name, reason);
        return ExitUnreadable;
    }
    view = params::BuildImageView(ReaderPath(name), RequestFor(o, name));
    if (view.HasMetadata) return ExitOk;
    // Asked only now: a file the reader could read is one that opens.
    if (!view.Opened && !CanBeOpened(name)) {
        Note(name, "cannot be opened for reading");
        return ExitUnreadable;
    }
    if (KindOfFile(name) == ImageKind::Unknown)
        Note(name, "not a JPEG or TIFF file");
    else
        Note(name, "no EXIF or IPTC data" +
                       (view.ErrorText.empty() ? std::string() : " (" + TerminalValue(view.ErrorText) + ")"));
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
    const int status = ReadView(o, {name, false}, view);
    if (status == ExitUnreadable) return status;
    std::string error;
    switch (WriteReplacing(o.ExportPath, params::ExportText(view.Exif, view.Iptc), error)) {
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

int PrintRun(const Options &o) {
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
            const int fileStatus = ReadView(o, files[i], view);
            status = Worse(status, fileStatus);
            if (fileStatus == ExitUnreadable) continue;
            const std::vector<Field> fields = SelectedFields(o, tags, view);
            block.clear();
            formatter->File({files[i].Name, view, fields}, block);
            out.Write(block);
        }
    }
    out.Write(formatter->End());
    if (!out.Finish()) {
        Complain("cannot write to standard output: " + out.Error());
        return Worse(status, ExitUnreadable);
    }
    return status;
}

}  // namespace

int Run(const Options &o) {
    ApplyDecimal(o);
    return o.ExportPath.empty() ? PrintRun(o) : ExportRun(o);
}

}  // namespace cli
