#include "cli/FolderWalk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "cli/FileKind.h"
#include "cli/Platform.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

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
        std::vector<std::string> names;
        for (fs::directory_iterator it(FsPath(folder), error), end; !error && it != end; it.increment(error)) {
            const std::string name = Utf8Of(it->path().filename());
            if (!name.empty() && name[0] != '.') names.push_back(name);
        }
        if (error) Report(folder + ": " + error.message());
        std::sort(names.begin(), names.end());
        const bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
        for (const std::string &name : names) Entry(separated ? folder + name : folder + "/" + name, depth);
    }

    void Entry(const std::string &name, int depth) {
        std::error_code error;
        const fs::path path = FsPath(name);
        const fs::file_status own = fs::symlink_status(path, error);
        if (fs::is_directory(own)) {
            Folder(name, depth + 1);
            return;
        }
        // A link is read when it leads to a regular file.
        if (fs::is_symlink(own) && !fs::is_regular_file(fs::status(path, error))) return;
        if (!fs::is_symlink(own) && !fs::is_regular_file(own)) return;
        if (KindOfFile(name) != ImageKind::Unknown) Files.push_back(name);
    }
};

}  // namespace

void CollectImageFiles(const std::string &folder, std::vector<std::string> &files,
                       const std::function<void(const std::string &)> &report) {
    Walk{files, report}.Folder(folder, 0);
}

}  // namespace cli
