// Standard output of a shell command and its exit status, for the tests
// that ask exiftool for its reading.
#pragma once

#include <cstdio>
#include <string>

inline std::string CommandOutput(const std::string &command, int &status) {
    std::string out;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return out;
    }
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    status = pclose(pipe);
    return out;
}
