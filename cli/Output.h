// Standard output that notices its own failure: a full disk or a closed
// pipe must not end in a silent success.
#pragma once

#include <cstdio>
#include <string>

namespace cli {

class Output {
public:
    explicit Output(std::FILE *stream) : Stream(stream) {}
    // False once any write has failed; later writes are skipped.
    bool Write(const std::string &text);
    bool Ok() const { return !Failed; }
    // Flushes; false when this or any earlier write failed.
    bool Finish();
    // The system's reason for the first failure.
    const std::string &Error() const { return Reason; }

private:
    bool Fail();

    std::FILE *Stream;
    bool Failed = false;
    std::string Reason;
};

}  // namespace cli
