// fuzz-replay TARGET PATH...: feeds every file given, or every file below a
// folder given, to one fuzz target, as the libFuzzer build would, but with
// any compiler. The test run uses it to read back the regression files; a
// folder that holds no input at all is an error, so a test can never pass by
// reading nothing.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

// Notes such as README.txt describe a folder; they are not inputs.
bool IsInput(const fs::path &p) {
    return fs::is_regular_file(p) && !p.filename().string().starts_with("README");
}

std::vector<fs::path> InputsBelow(const fs::path &p) {
    std::vector<fs::path> files;
    if (fs::is_directory(p)) {
        for (const auto &e : fs::recursive_directory_iterator(p))
            if (IsInput(e.path())) files.push_back(e.path());
    } else if (IsInput(p)) {
        files.push_back(p);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char **argv) {
    const fuzz::TTarget *target = argc >= 3 ? fuzz::FindTarget(argv[1]) : nullptr;
    if (target == nullptr) {
        std::cerr << "usage: fuzz-replay TARGET FILE_OR_FOLDER...\ntargets:";
        for (const fuzz::TTarget &t : fuzz::Targets) std::cerr << ' ' << t.Name;
        std::cerr << '\n';
        return 2;
    }
    size_t replayed = 0;
    for (int i = 2; i < argc; ++i) {
        const std::vector<fs::path> files = InputsBelow(argv[i]);
        if (files.empty()) {
            std::cerr << "fuzz-replay: no input in " << argv[i] << '\n';
            return 1;
        }
        for (const fs::path &file : files) {
            std::cout << "replaying " << file.string() << std::endl;
            const std::string bytes = ReadAll(file);
            target->Run(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    std::cout << target->Name << ": " << replayed << " files replayed without fault\n";
    return 0;
}
