#include "cli/SafeExport.h"

#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

#include "cli/Platform.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

constexpr int TemporaryNameAttempts = 16;
// Linux's own limit on a chain of symbolic links.
constexpr int MaxLinkHops = 40;
constexpr size_t RandomLetters = 8;
// What the temporary name adds to the target's: "." before it, "." and the
// random letters and ".tmp" after it.
constexpr size_t TemporaryNameExtra = 1 + 1 + RandomLetters + 4;

std::string RandomSuffix(std::mt19937 &random) {
    constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<size_t> pick(0, sizeof Letters - 2);
    std::string suffix;
    for (size_t i = 0; i < RandomLetters; ++i) suffix += Letters[pick(random)];
    return suffix;
}

// The start of a name that fits in `limit` bytes, not cut within a UTF-8
// sequence (Windows makes the UTF-16 name from it).
std::string Shortened(std::string name, size_t limit) {
    if (name.size() <= limit) return name;
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
    return name;
}

// Hidden, and named after the target so that a listing shows whose it is;
// the target's name is shortened as far as the file system's name limit
// requires (a 250-byte target name would not fit otherwise).
fs::path TemporaryName(const fs::path &target, std::mt19937 &random) {
    const fs::path folder = target.parent_path();
    const size_t limit = NameLimit(folder);
    const size_t room = limit > TemporaryNameExtra ? limit - TemporaryNameExtra : 0;
    return folder / FsPath("." + Shortened(Utf8Of(target.filename()), room) + "." + RandomSuffix(random) + ".tmp");
}

// A new file beside the target: the rename stays within one file system.
// Returns its descriptor, or -1.
int CreateTemporaryBeside(const fs::path &target, fs::path &temporary) {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        temporary = TemporaryName(target, random);
        const int fd = CreateNewFile(temporary);
        if (fd >= 0) return fd;
    }
    return -1;
}

// The file that a write to `path` replaces: a symbolic link, or a chain of
// them, is followed to its end, which may not exist yet. A rename onto the
// link itself would replace the link and leave its file untouched.
bool FollowLinks(fs::path &path, std::string &error) {
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        std::error_code failure;
        if (!fs::is_symlink(fs::symlink_status(path, failure))) return true;
        const fs::path next = fs::read_symlink(path, failure);
        if (failure) {
            error = failure.message();
            return false;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    error = "too many levels of symbolic links";
    return false;
}

// What stands at `path` when it is something a rename must not replace: a
// device (as root, --export /dev/null would replace the system's), a FIFO
// or socket (its reader would get nothing), a folder. Empty otherwise.
std::string SpecialFileAt(const fs::path &path) {
    switch (TypeAt(path)) {
        case FileType::Missing:
        case FileType::Regular:
            return {};
        case FileType::Folder:
            return "a folder";
        case FileType::Device:
            return "a device";
        case FileType::Fifo:
            return "a FIFO";
        case FileType::Socket:
            return "a socket";
        case FileType::Other:
            break;
    }
    return "something other than a regular file";
}

bool WriteThroughTemporary(const fs::path &path, const std::string &target, const std::string &bytes,
                           std::string &error) {
    fs::path temporary;
    std::optional<RemoveOnTermination> cleanup;
    int fd = -1;
    {
        const SignalHold hold;
        fd = CreateTemporaryBeside(path, temporary);
        if (fd >= 0) cleanup.emplace(temporary);
    }
    if (fd < 0) {
        error = "cannot create a file in the folder of " + Utf8Of(path);
        return false;
    }
    // The mode before any byte: an export kept private stays private.
    bool ok = TakeOwnerAndMode(fd, path);
    if (!ok) {
        WriteAndClose(fd, {});
        error = "cannot give the new file the mode of " + target;
    } else if (!WriteAndClose(fd, bytes)) {
        ok = false;
        error = "cannot write " + target;
    }
    const SignalHold hold;
    if (ok) {
        std::error_code failure;
        fs::rename(temporary, path, failure);
        ok = !failure;
        if (!ok) error = "cannot replace " + target + ": " + failure.message();
    }
    std::error_code ignored;
    if (!ok) fs::remove(temporary, ignored);
    cleanup.reset();
    return ok;
}

}  // namespace

bool IsOneOfTheInputs(const std::string &target, const std::vector<std::string> &inputs) {
    for (const std::string &input : inputs) {
        std::error_code error;
        if (fs::equivalent(FsPath(target), FsPath(input), error) && !error) return true;
    }
    return false;
}

ExportResult WriteReplacing(const std::string &target, const std::string &bytes, std::string &error) {
    fs::path path = FsPath(target);
    // What the system reaches through the name comes first: a link whose
    // text names no path (/dev/stdout into a pipe ends at "pipe:[N]") still
    // leads to a FIFO.
    std::error_code failure;
    const bool link = fs::is_symlink(fs::symlink_status(path, failure));
    std::string special = SpecialFileAt(path);
    if (special.empty() && !FollowLinks(path, error)) {
        error = target + ": " + error;
        return ExportResult::Failed;
    }
    if (special.empty()) special = SpecialFileAt(path);
    if (!special.empty()) {
        error = target + (link ? ": leads to " : ": is ") + special +
                "; --export writes only to a regular file or a new name";
        return ExportResult::Refused;
    }
    return WriteThroughTemporary(path, target, bytes, error) ? ExportResult::Written : ExportResult::Failed;
}

}  // namespace cli
