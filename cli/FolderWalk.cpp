#include "cli/FolderWalk.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#endif

#include "cli/Platform.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

// What a folder entry is, as the folder listing tells it: most file systems
// give the type with the name, so a walk needs no call per entry to learn it.
enum class EntryType { Folder, File, Link, Other };

struct Found {
    std::string Name;
    EntryType Type;
    bool operator<(const Found &other) const { return Name < other.Name; }
};

bool IsHidden(std::string_view name) {
    return name.empty() || name[0] == '.';
}

#ifdef _WIN32

EntryType TypeOf(const fs::directory_entry &entry, std::error_code &error) {
    if (entry.is_symlink(error)) return EntryType::Link;
    if (entry.is_directory(error)) return EntryType::Folder;
    return entry.is_regular_file(error) ? EntryType::File : EntryType::Other;
}

// The folder's entries but the hidden ones; the error that ended the listing.
std::error_code List(const std::string &folder, std::vector<Found> &found) {
    std::error_code error;
    for (fs::directory_iterator it(FsPath(folder), error), end; !error && it != end; it.increment(error)) {
        std::string name = Utf8Of(it->path().filename());
        if (IsHidden(name)) continue;
        std::error_code typeError;
        found.push_back({std::move(name), TypeOf(*it, typeError)});
    }
    return error;
}

#else

// The type the listing gave, else the entry's own (not its link's).
EntryType TypeOf(const std::string &folder, const dirent &entry) {
    switch (entry.d_type) {
        case DT_LNK:
            return EntryType::Link;
        case DT_DIR:
            return EntryType::Folder;
        case DT_REG:
            return EntryType::File;
        case DT_UNKNOWN:
            break;
        default:
            return EntryType::Other;
    }
    struct stat st {};
    if (lstat((folder + "/" + entry.d_name).c_str(), &st) != 0) return EntryType::Other;
    return S_ISLNK(st.st_mode) ? EntryType::Link
           : S_ISDIR(st.st_mode) ? EntryType::Folder
           : S_ISREG(st.st_mode) ? EntryType::File
                                 : EntryType::Other;
}

// The folder's entries but the hidden ones, by the C library's listing: a
// directory iterator makes and parses a path for each entry, which cost a
// folder run more than reading some of the files; the error that ended it.
std::error_code List(const std::string &folder, std::vector<Found> &found) {
    DIR *dir = opendir(folder.c_str());
    if (!dir) return {errno, std::system_category()};
    std::error_code error;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (!entry) {
            if (errno != 0) error = {errno, std::system_category()};
            break;
        }
        const std::string_view name = entry->d_name;
        if (!IsHidden(name)) found.push_back({std::string(name), TypeOf(folder, *entry)});
    }
    closedir(dir);
    return error;
}

#endif

// Why an entry that is no folder and no regular file is not read, when a
// user may have meant it to be; empty for a link to a folder (links to
// folders are never followed, as documented).
std::string SkipReason(const std::string &name) {
    std::error_code error;
    const fs::file_status linked = fs::status(FsPath(name), error);
    if (linked.type() == fs::file_type::not_found) return "a symbolic link that leads nowhere";
    if (linked.type() == fs::file_type::directory) return {};
    switch (TypeAt(FsPath(name))) {
        case FileType::Fifo: return "a FIFO";
        case FileType::Socket: return "a socket";
        case FileType::Device: return "a device";
        default: return "not a regular file";
    }
}

struct Walk {
    std::vector<std::string> &Files;
    const std::function<void(const std::string &)> &Report;
    const std::function<void(const std::string &)> &Skipped;

    // Names are joined with "/" on every platform, so that the Windows build
    // names files as the Linux build does.
    void Folder(const std::string &folder, int depth) {
        if (depth > MaxFolderDepth) {
            Report(folder + ": deeper than " + std::to_string(MaxFolderDepth) + " folders, not entered");
            return;
        }
        std::vector<Found> found;
        if (const std::error_code error = List(folder, found)) Report(folder + ": " + error.message());
        std::sort(found.begin(), found.end());
        const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
        for (const Found &f : found) Entry(separated ? folder + f.Name : folder + "/" + f.Name, f.Type, depth);
    }

    void Entry(const std::string &name, EntryType type, int depth) {
        if (type == EntryType::Folder) {
            Folder(name, depth + 1);
            return;
        }
        // A link is read when it leads to a regular file.
        std::error_code error;
        if (type == EntryType::Other || (type == EntryType::Link && !fs::is_regular_file(fs::status(FsPath(name), error)))) {
            if (const std::string reason = SkipReason(name); !reason.empty()) Skipped(name + ": skipped: " + reason);
            return;
        }
        // Every file is read: its first bytes, not its name, say what it is.
        Files.push_back(name);
    }
};

}  // namespace

void CollectImageFiles(const std::string &folder, std::vector<std::string> &files,
                       const std::function<void(const std::string &)> &report,
                       const std::function<void(const std::string &)> &skipped) {
    Walk{files, report, skipped}.Folder(folder, 0);
}

}  // namespace cli
