#include "cli/SafeExport.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "cli/Platform.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

constexpr int TemporaryNameAttempts = 16;

std::string RandomSuffix(std::mt19937 &random) {
    constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<size_t> pick(0, sizeof Letters - 2);
    std::string suffix;
    for (int i = 0; i < 8; ++i) suffix += Letters[pick(random)];
    return suffix;
}

// A new, hidden file beside the target: the rename stays within one file
// system. Returns its descriptor, or -1.
int CreateTemporaryBeside(const fs::path &target, fs::path &temporary) {
    std::mt19937 random(std::random_device{}());
    const fs::path folder = target.parent_path();
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        temporary = folder / FsPath("." + Utf8Of(target.filename()) + "." + RandomSuffix(random) + ".tmp");
        const int fd = CreateNewFile(temporary);
        if (fd >= 0) return fd;
    }
    return -1;
}

}  // namespace

bool IsOneOfTheInputs(const std::string &target, const std::vector<std::string> &inputs) {
    for (const std::string &input : inputs) {
        std::error_code error;
        if (fs::equivalent(FsPath(target), FsPath(input), error) && !error) return true;
    }
    return false;
}

bool WriteReplacing(const std::string &target, const std::string &bytes, std::string &error) {
    const fs::path path = FsPath(target);
    fs::path temporary;
    const int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0) {
        error = "cannot create a file in the folder of " + target;
        return false;
    }
    std::error_code failure;
    if (!WriteAndClose(fd, bytes)) {
        error = "cannot write " + target;
    } else {
        fs::rename(temporary, path, failure);
        if (!failure) return true;
        error = "cannot replace " + target + ": " + failure.message();
    }
    fs::remove(temporary, failure);
    return false;
}

}  // namespace cli
