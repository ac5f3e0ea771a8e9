// The option parser run over a command line written as a list, for the
// tests of the tool's own options and of exiftool's.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "cli/Options.h"

namespace cli {

struct Parsed {
    Request Result;
    Options Opts;
    std::string Err;
};

inline Parsed Parse(std::initializer_list<const char *> arguments) {
    std::vector<std::string> storage{"exifinfo"};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    Parsed p;
    std::string out;
    p.Result = ParseOptions(static_cast<int>(storage.size()), argv.data(), p.Opts, out, p.Err);
    return p;
}

}  // namespace cli
