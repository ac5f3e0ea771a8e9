#include "cli/FolderWalk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

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

EntryType TypeOf(const fs::directory_entry &entry, std::error_code &error) {
    if (entry.is_symlink(error)) return EntryType::Link;
    if (entry.is_directory(error)) return EntryType::Folder;
    return entry.is_regular_file(error) ? EntryType::File : EntryType::Other;
}

struct Walk {
    std::vector<std::string> &Files;
    const std::function<void(const std::string &)> &Report;

    // Names are joined with "/" on every platform, so that the Windows build
    // names files as the Linux build does.
    void Folder(const std::string &folder, int depth) {
        if (depth > MaxFolderDepth) {
            Report(folder + ": deeper than " + std::to_string(MaxFolderDepth) + " folders, not entered");
            return;
        }
        std::error_code error;
        std::vector<Found> found;
        for (fs::directory_iterator it(FsPath(folder), error), end; !error && it != end; it.increment(error)) {
            std::string name = Utf8Of(it->path().filename());
            if (name.empty() || name[0] == '.') continue;
            std::error_code typeError;
            found.push_back({std::move(name), TypeOf(*it, typeError)});
        }
        if (error) Report(folder + ": " + error.message());
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
        if (type == EntryType::Link && !fs::is_regular_file(fs::status(FsPath(name), error))) return;
        if (type == EntryType::Other) return;
        // Every file is read: its first bytes, not its name, say what it is.
        Files.push_back(name);
    }
};

}  // namespace

void CollectImageFiles(const std::string &folder, std::vector<std::string> &files,
                       const std::function<void(const std::string &)> &report) {
    Walk{files, report}.Folder(folder, 0);
}

}  // namespace cli
