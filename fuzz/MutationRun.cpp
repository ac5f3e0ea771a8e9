// A deterministic mutation run for machines without libFuzzer: every file
// given (or every file in a folder given) is fed as is, then in many mutated
// forms (flipped bytes, overwritten words, cut tails, spliced copies) to all
// parsers. Run under AddressSanitizer and UndefinedBehaviorSanitizer it finds
// reads outside buffers and runaway walks; a crash sample that once failed
// belongs in tests/data/crashes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"

namespace {

std::vector<std::string> Inputs(int argc, char **argv, int first) {
    std::vector<std::string> files;
    for (int i = first; i < argc; ++i) {
        const std::filesystem::path p = argv[i];
        if (std::filesystem::is_directory(p)) {
            for (const auto &e : std::filesystem::directory_iterator(p))
                if (e.is_regular_file()) files.push_back(e.path().string());
        } else {
            files.push_back(p.string());
        }
    }
    return files;
}

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Run(const std::string &bytes) {
    FuzzOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

// Interesting values for offsets, counts and lengths.
constexpr uint32_t Specials[] = {0,      1,      2,       7,          8,          0xFF,       0x100,     0x7FFF,
                                 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF7};

std::string Mutate(std::string s, std::mt19937 &rng) {
    if (s.empty()) return s;
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    const int edits = 1 + static_cast<int>(pick(8));
    for (int k = 0; k < edits && !s.empty(); ++k) {
        const size_t at = pick(s.size());
        switch (pick(5)) {
            case 0:
                s[at] = static_cast<char>(s[at] ^ (1 << pick(8)));
                break;
            case 1:
                s[at] = static_cast<char>(rng());
                break;
            case 2: {
                const uint32_t v = Specials[pick(std::size(Specials))];
                for (size_t b = 0; b < 4 && at + b < s.size(); ++b) s[at + b] = static_cast<char>(v >> (8 * b));
                break;
            }
            case 3:
                s.resize(at);
                break;
            default: {
                const size_t from = pick(s.size()), len = pick(64);
                s.insert(at, s.substr(from, len));
                break;
            }
        }
    }
    return s;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::cerr << "usage: mutation-run ROUNDS FILE_OR_FOLDER...\n";
        return 2;
    }
    const long rounds = std::strtol(argv[1], nullptr, 10);
    const std::vector<std::string> files = Inputs(argc, argv, 2);
    std::mt19937 rng(20261207);
    size_t runs = 0;
    for (const std::string &file : files) {
        const std::string bytes = ReadAll(file);
        Run(bytes);
        ++runs;
        for (long r = 0; r < rounds; ++r, ++runs) Run(Mutate(bytes, rng));
    }
    std::cout << runs << " inputs from " << files.size() << " files read without fault\n";
    return 0;
}
