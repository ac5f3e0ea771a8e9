// TFileSource: one read-only open of an image file, the only place the reader
// opens files. It reads sequentially in chunks, or maps the whole file
// read-only; the mapping stays valid while the source lives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace exif {

class TFileSource {
public:
    TFileSource() = default;
    ~TFileSource();
    TFileSource(const TFileSource &) = delete;
    TFileSource &operator=(const TFileSource &) = delete;

    // Opens a regular file for reading; false when it cannot be.
    bool Open(const std::string &fileName);
    bool IsOpen() const;
    uint64_t Size() const { return FileSize; }
    // Reads up to n bytes at the current position; the count read, 0 at the end.
    size_t Read(char *dest, size_t n);
    // The whole file mapped read-only; empty when mapping fails (an empty
    // file, or no address space left in a 32-bit process for a huge one).
    std::string_view MapAll();

    // Files opened so far by this process: one parse per image opens its
    // file once, and tests check that through this count.
    static uint64_t OpenCount();

private:
    uint64_t FileSize = 0;
#ifdef _WIN32
    void *File = nullptr;  // HANDLE
    void *Mapping = nullptr;
#else
    int File = -1;
#endif
    const void *View = nullptr;
    size_t ViewSize = 0;
};

// Sequential reads over a file source or over bytes in memory, through one
// buffer of the file's bytes; nothing is zero-filled ahead of a read.
class TInput {
public:
    explicit TInput(std::string_view bytes) : Window(bytes) {}
    explicit TInput(TFileSource &file) : File(&file) {}
    ~TInput();
    TInput(const TInput &) = delete;
    TInput &operator=(const TInput &) = delete;

    // The next byte, or -1 at the end.
    int Get();
    // The unread bytes at hand (the next chunk's when none are), not consumed.
    std::string_view Peek();
    // Appends up to n bytes to `out`; the count appended.
    size_t AppendTo(std::string &out, size_t n);
    // Skips bytes equal to `value`, at most `limit` of them; the count skipped.
    size_t Skip(uint8_t value, size_t limit);

private:
    static constexpr size_t ChunkSize = 16 * 1024;
    TFileSource *File = nullptr;
    std::string_view Window;  // unread bytes already at hand
    std::unique_ptr<char[]> Chunk;

    bool Refill();
};

}  // namespace exif
