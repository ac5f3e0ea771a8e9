// TFileSource: one read-only open of an image file, the only place the reader
// opens files. Every read is a positioned one: a reader may jump about the
// file, and a file that shrinks under it only makes reads come back short.
// File names are UTF-8 on every platform (on Windows the file is opened by
// its UTF-16 name, so that any name opens whatever the ANSI code page).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bytes/EndInd.h"

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
    // Reads up to n bytes at a file offset, whatever the current position;
    // the count read, fewer at the end of the file (which may have moved
    // since it was opened).
    size_t ReadAt(uint64_t offset, char *dest, size_t n);

    // Files opened so far by this process: one parse per image opens its
    // file once, and tests check that through this count.
    static uint64_t OpenCount();

    // The size of a regular file that can be opened for reading; false for
    // anything else (a missing file, a folder, a device). Not counted in
    // OpenCount: no byte is read.
    static bool SizeOf(const std::string &fileName, uint64_t &size);

private:
    uint64_t FileSize = 0;
#ifdef _WIN32
    void *File = nullptr;  // HANDLE
#else
    int File = -1;
#endif
};

// A file's bytes read on demand, for the readers that jump about a file (a
// TIFF's directories often lie after the image data). The whole file's range
// of addresses is reserved at once, with no memory behind it; what a reader
// asks for is read into it with positioned reads, so a 100 MiB file whose
// metadata takes a few pages costs a few pages. A small read (a box or chunk
// header) takes only the sectors around it: walking the headers of a PNG's
// thousands of image-data chunks reads their headers, not the image.
//
// What it costs follows what is read, never what the file claims: the ranges
// loaded are kept as a sorted set (a sparse 1 TiB file whose header is read
// keeps one range), and the memory the reads commit (every system page a
// read writes) is at most MaxCommitted. A range that would pass it is not
// read: it reads as zeros with no memory behind it, and ReachedLimit() says
// so. A range is read whole or not at all, and once loaded stays as it is.
//
// Not a mapping of the file: a mapped file that shrinks under the reader (a
// program rewriting it in place) faults the process at the first read past
// its new end. Here the read comes back short, the missing bytes stay zeros,
// and Shrank() says so.
class TPagedFile final : public TByteLoader {
public:
    explicit TPagedFile(TFileSource &file) : File(file) {}
    ~TPagedFile();
    TPagedFile(const TPagedFile &) = delete;
    TPagedFile &operator=(const TPagedFile &) = delete;

    // Reserves the file's size in addresses; false when they cannot be had
    // (an empty file, or a huge one in a 32-bit process).
    bool Reserve();
    // The whole file's bytes, to be read only through a view that has this
    // object as its loader.
    std::string_view Bytes() const { return {Base, Size}; }
    void Load(std::string_view range) const override;
    // Takes the file's first bytes, already read by whoever told the file's
    // kind, so that they are not read again: the whole sectors of them (all
    // of them when they are the whole file).
    void Preload(std::string_view head);

    // The file ended before its size at open: it changed while being read.
    bool Shrank() const { return FileShrank; }
    // Bytes read from the file so far.
    uint64_t BytesRead() const { return Loaded; }
    // Memory the reads have committed: the system pages they wrote.
    uint64_t Committed() const { return CommittedBytes; }
    // Loaded ranges kept (the reader's bookkeeping).
    size_t RangesKept() const { return Ranges.size(); }
    static constexpr size_t PageSize = 16 * 1024;
    static constexpr size_t SectorSize = 64;
    static constexpr size_t SystemPage = 4096;
    static constexpr size_t SmallRead = 32;  // bytes; a larger read takes whole pages
    // No real file's metadata comes near it.
    static constexpr uint64_t MaxCommitted = 32 * 1024 * 1024;
    bool ReachedLimit() const { return LimitReached; }

private:
    // A loaded range's end, and whether it holds the file's bytes or the
    // zeros of a range past the limit (which commit no memory).
    struct TRange {
        size_t End = 0;
        bool Read = true;
    };
    TFileSource &File;
    char *Base = nullptr;
    size_t Size = 0;
    size_t Mapped = 0;  // the addresses reserved: Size, or more for a region kept from a larger file
    mutable std::map<size_t, TRange> Ranges;  // by start; disjoint
    mutable uint64_t Loaded = 0;
    mutable uint64_t CommittedBytes = 0;
    mutable size_t LoadedFromStart = 0;  // the bytes from the first on that are all loaded
    mutable bool FileShrank = false;
    mutable bool LimitReached = false;

    void LoadGap(size_t from, size_t to) const;
    void Insert(size_t from, size_t to, bool read) const;
    bool PageWritten(size_t page) const;
    uint64_t NewPages(size_t from, size_t to) const;
    void ZeroUnwritten(size_t from, size_t to) const;
};

// Sequential reads over a file source or over bytes in memory, through one
// buffer of the file's bytes; nothing is zero-filled ahead of a read. Bytes
// a reader does not want are passed over without being read.
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
    // Passes over n bytes; the count passed over, fewer at the end.
    size_t Discard(uint64_t n);
    // Bytes read from the file so far.
    uint64_t BytesRead() const { return Read; }

private:
    static constexpr size_t ChunkSize = 16 * 1024;
    TFileSource *File = nullptr;
    uint64_t Next = 0;  // the file offset of the byte after the window
    uint64_t Read = 0;
    std::string_view Window;  // unread bytes already at hand
    std::unique_ptr<char[]> Chunk;

    bool Refill();
    size_t ReadFile(char *dest, size_t n);
};

}  // namespace exif
