#include "cli/Output.h"

#include <cerrno>
#include <cstring>

namespace cli {

bool Output::Fail() {
    if (!Failed) Reason = errno != 0 ? std::strerror(errno) : "write error";
    Failed = true;
    return false;
}

bool Output::Write(const std::string &text) {
    if (Failed) return false;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), Stream) != text.size()) return Fail();
    return true;
}

bool Output::Finish() {
    if (Failed) return false;
    errno = 0;
    if (std::fflush(Stream) != 0 || std::ferror(Stream)) return Fail();
    return true;
}

}  // namespace cli
