#include "bytes/FileSource.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace exif {

namespace {
std::atomic<uint64_t> g_opened{0};
}

uint64_t TFileSource::OpenCount() {
    return g_opened.load();
}

#ifdef _WIN32

namespace {

// The UTF-16 name of a UTF-8 one. Bytes that are not UTF-8 are no name of
// this program's; they are taken in the ANSI code page, as the A calls take
// a name.
std::wstring WideName(const std::string &fileName) {
    if (fileName.empty() || fileName.size() > 32767) return {};
    const int n = static_cast<int>(fileName.size());
    UINT codePage = CP_UTF8;
    int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, fileName.data(), n, nullptr, 0);
    if (size <= 0) {
        codePage = CP_ACP;
        size = MultiByteToWideChar(codePage, 0, fileName.data(), n, nullptr, 0);
    }
    if (size <= 0) return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, fileName.data(), n, wide.data(), size);
    return wide;
}

HANDLE OpenForReading(const std::string &fileName) {
    const std::wstring name = WideName(fileName);
    // A zero inside the name would cut it short: no such file.
    if (name.empty() || name.find(L'\0') != std::wstring::npos) return INVALID_HANDLE_VALUE;
    return CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool TFileSource::SizeOf(const std::string &fileName, uint64_t &size) {
    const HANDLE h = OpenForReading(fileName);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER bytes{};
    const bool regular = GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &bytes);
    CloseHandle(h);
    if (regular) size = static_cast<uint64_t>(bytes.QuadPart);
    return regular;
}

TFileSource::~TFileSource() {
    if (File) CloseHandle(File);
}

bool TFileSource::IsOpen() const {
    return File != nullptr;
}

bool TFileSource::Open(const std::string &fileName) {
    const HANDLE h = OpenForReading(fileName);
    if (h == INVALID_HANDLE_VALUE) return false;
    ++g_opened;
    File = h;
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) return false;
    FileSize = static_cast<uint64_t>(size.QuadPart);
    return true;
}

size_t TFileSource::ReadAt(uint64_t offset, char *dest, size_t n) {
    size_t done = 0;
    while (File && done < n) {
        OVERLAPPED at{};
        const uint64_t where = offset + done;
        at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(where >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
        if (!ReadFile(File, dest + done, want, &got, &at) || got == 0) break;
        done += got;
    }
    return done;
}

TPagedFile::~TPagedFile() {
    if (Base) VirtualFree(Base, 0, MEM_RELEASE);
}

bool TPagedFile::Reserve() {
    if (File.Size() == 0 || File.Size() > SIZE_MAX / 2) return false;
    Size = static_cast<size_t>(File.Size());
    Base = static_cast<char *>(VirtualAlloc(nullptr, Size, MEM_RESERVE, PAGE_NOACCESS));
    return Base != nullptr;
}

// Committed pages read as zeros until the file's bytes are read into them.
static bool CommitPages(char *from, size_t n) {
    return VirtualAlloc(from, n, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

// The addresses of a file are never reused here: pages not yet committed
// hold zeros once committed, and take no memory until written.
static void ZeroPages(char *from, size_t n) {
    if (!CommitPages(from, n)) throw std::bad_alloc();
}

#else

bool TFileSource::SizeOf(const std::string &fileName, uint64_t &size) {
    // Not blocking, for a FIFO as in Open.
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    if (regular) size = static_cast<uint64_t>(st.st_size);
    return regular;
}

TFileSource::~TFileSource() {
    if (File >= 0) close(File);
}

bool TFileSource::IsOpen() const {
    return File >= 0;
}

bool TFileSource::Open(const std::string &fileName) {
    // Not blocking: a FIFO opens at once and is then refused as no regular
    // file, instead of waiting for a writer. Reads of a regular file block
    // whatever the flag says.
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    ++g_opened;
    File = fd;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    FileSize = static_cast<uint64_t>(st.st_size);
    return true;
}

size_t TFileSource::ReadAt(uint64_t offset, char *dest, size_t n) {
    size_t done = 0;
    while (File >= 0 && done < n) {
        const ssize_t got = pread(File, dest + done, n - done, static_cast<off_t>(offset + done));
        if (got > 0) {
            done += static_cast<size_t>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
    }
    return done;
}

namespace {

// The addresses of the last paged file, kept for the next one: a folder run
// reads thousands of files, and mapping each one's pages, faulting them in
// as they are written and unmapping them cost more than reading the bytes.
// The pages keep the bytes of the file before; every byte is written again
// (the file's, or zeros) before it is read (see TPagedFile::LoadGap). A region
// larger than MaxSpareRegion is given back at once.
struct TSpareRegion {
    char *Base = nullptr;
    size_t Size = 0;
};
std::mutex g_spareLock;
TSpareRegion g_spare;
constexpr size_t MaxSpareRegion = 64 * 1024 * 1024;

}  // namespace

TPagedFile::~TPagedFile() {
    if (!Base) return;
    TSpareRegion region{Base, Mapped};
    if (Mapped <= MaxSpareRegion) {
        const std::lock_guard<std::mutex> lock(g_spareLock);
        // The larger of the two is kept.
        if (g_spare.Size < region.Size) std::swap(g_spare, region);
    }
    if (region.Base) munmap(region.Base, region.Size);
}

bool TPagedFile::Reserve() {
    if (File.Size() == 0 || File.Size() > SIZE_MAX / 2) return false;
    Size = static_cast<size_t>(File.Size());
    {
        const std::lock_guard<std::mutex> lock(g_spareLock);
        if (g_spare.Size >= Size) {
            Base = g_spare.Base;
            Mapped = g_spare.Size;
            g_spare = {};
        }
    }
    if (!Base) {
        // Anonymous pages cost nothing until written.
        void *p = mmap(nullptr, Size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED) return false;
        Base = static_cast<char *>(p);
        Mapped = Size;
    }
    return true;
}

static bool CommitPages(char *, size_t) {
    return true;
}

// Whole pages dropped read as zeros with no memory behind them, whatever an
// earlier file left there (see TSpareRegion).
static void ZeroPages(char *from, size_t n) {
    if (madvise(from, n, MADV_DONTNEED) != 0) std::fill_n(from, n, '\0');
}

#endif

// ----------------------------------------------------------------- paged file

// The gaps between the loaded ranges within the sectors or pages around the
// range are loaded, each whole.
void TPagedFile::Load(std::string_view range) const {
    if (range.empty() || !Base) return;
    const auto offset = static_cast<size_t>(range.data() - Base);
    // Most reads fall in the first bytes, loaded first.
    if (offset + range.size() <= LoadedFromStart) return;
    const size_t unit = range.size() <= SmallRead ? SectorSize : PageSize;
    const size_t from = offset / unit * unit;
    const size_t to = std::min(Size, (offset + range.size() + unit - 1) / unit * unit);
    size_t at = from;
    while (at < to) {
        const auto next = Ranges.upper_bound(at);
        if (next != Ranges.begin()) {
            const auto before = std::prev(next);
            if (before->second.End > at) {
                at = before->second.End;
                continue;
            }
        }
        const size_t gapEnd = next == Ranges.end() ? to : std::min(to, next->first);
        LoadGap(at, gapEnd);
        at = gapEnd;
    }
}

void TPagedFile::Preload(std::string_view head) {
    if (!Base || Loaded != 0) return;
    const size_t n = head.size() >= Size ? Size : head.size() / SectorSize * SectorSize;
    if (n == 0) return;
    if (!CommitPages(Base, n)) throw std::bad_alloc();
    std::copy_n(head.begin(), n, Base);
    CommittedBytes = NewPages(0, n) * SystemPage;
    Loaded = n;
    Insert(0, n, true);
}

// A system page holds bytes of a range read from the file (and so has
// memory behind it).
bool TPagedFile::PageWritten(size_t page) const {
    const size_t start = page * SystemPage;
    for (auto r = Ranges.lower_bound(start + SystemPage); r != Ranges.begin();) {
        --r;
        if (r->second.End <= start) return false;
        if (r->second.Read) return true;
    }
    return false;
}

// The pages a gap between loaded ranges would newly commit: all it spans,
// but for a first or last page a range read already wrote.
uint64_t TPagedFile::NewPages(size_t from, size_t to) const {
    const size_t first = from / SystemPage, last = (to - 1) / SystemPage;
    uint64_t pages = last - first + 1;
    if (PageWritten(first)) --pages;
    if (last != first && PageWritten(last)) --pages;
    return pages;
}

// A gap past the limit reads as zeros: its whole pages no range read wrote
// are dropped, and only the part of a page shared with such a range (whose
// memory is there already) is written.
void TPagedFile::ZeroUnwritten(size_t from, size_t to) const {
    const size_t first = from / SystemPage, last = (to - 1) / SystemPage;
    size_t low = first * SystemPage, high = (last + 1) * SystemPage;
    if (PageWritten(first)) {
        std::fill(Base + from, Base + std::min(to, low + SystemPage), '\0');
        low += SystemPage;
    }
    if (last != first && PageWritten(last)) {
        high -= SystemPage;
        std::fill(Base + high, Base + to, '\0');
    }
    if (low < high) ZeroPages(Base + low, high - low);
}

void TPagedFile::LoadGap(size_t from, size_t to) const {
    const size_t n = to - from;
    const uint64_t pages = NewPages(from, to) * SystemPage;
    if (CommittedBytes + pages > MaxCommitted) {
        LimitReached = true;
        ZeroUnwritten(from, to);
        Insert(from, to, false);
        return;
    }
    // Pages that cannot be backed cannot be read: the walk ends there, at
    // one of the points where it catches a failure.
    if (!CommitPages(Base + from, n)) throw std::bad_alloc();
    CommittedBytes += pages;
    Loaded += n;
    const size_t got = File.ReadAt(from, Base + from, n);
    if (got != n) {
        FileShrank = true;
        std::fill_n(Base + from + got, n - got, '\0');
    }
    Insert(from, to, true);
}

// Records a loaded gap, joined to a neighbour of the same kind.
void TPagedFile::Insert(size_t from, size_t to, bool read) const {
    auto next = Ranges.lower_bound(from);
    if (next != Ranges.begin()) {
        const auto before = std::prev(next);
        if (before->second.End == from && before->second.Read == read) {
            from = before->first;
            Ranges.erase(before);
        }
    }
    if (next != Ranges.end() && next->first == to && next->second.Read == read) {
        to = next->second.End;
        next = Ranges.erase(next);
    }
    Ranges.emplace_hint(next, from, TRange{to, read});
    const auto head = Ranges.begin();
    if (head->first == 0) LoadedFromStart = head->second.End;
}

// --------------------------------------------------------------------- input

// One chunk is kept from a read to the next: allocating 64 KiB anew for each
// file of a folder costs more than the rest of its reading (the allocator
// tidies its small free blocks for every large request). A lock-free slot,
// so that reads in several threads each get a chunk of their own.
namespace {
std::atomic<char *> g_spareChunk{nullptr};
}  // namespace

TInput::~TInput() {
    char *spare = nullptr;
    if (Chunk && g_spareChunk.compare_exchange_strong(spare, Chunk.get())) static_cast<void>(Chunk.release());
}

size_t TInput::ReadFile(char *dest, size_t n) {
    const size_t got = File->ReadAt(Next, dest, n);
    Next += got;
    Read += got;
    return got;
}

bool TInput::Refill() {
    if (!Window.empty()) return true;
    if (!File) return false;
    if (!Chunk) {
        char *spare = g_spareChunk.exchange(nullptr);
        Chunk.reset(spare ? spare : new char[ChunkSize]);
    }
    const size_t got = ReadFile(Chunk.get(), ChunkSize);
    Window = std::string_view(Chunk.get(), got);
    return got > 0;
}

size_t TInput::Discard(uint64_t n) {
    const size_t take = static_cast<size_t>(std::min<uint64_t>(n, Window.size()));
    Window.remove_prefix(take);
    if (take == n || !File) return take;
    // The rest lies in the file: step over it, up to the file's end.
    const uint64_t rest = std::min<uint64_t>(n - take, File->Size() > Next ? File->Size() - Next : 0);
    Next += rest;
    return static_cast<size_t>(take + rest);
}

int TInput::Get() {
    if (!Refill()) return -1;
    const int c = static_cast<uint8_t>(Window.front());
    Window.remove_prefix(1);
    return c;
}

std::string_view TInput::Peek() {
    Refill();
    return Window;
}

// What is at hand is taken first; the rest of a request larger than a chunk
// (a segment holding a thumbnail) is read from the file straight into `out`:
// copied once, and no byte after it is read.
size_t TInput::AppendTo(std::string &out, size_t n) {
    const size_t take = std::min(n, Window.size());
    out.append(Window.data(), take);
    Window.remove_prefix(take);
    size_t done = take;
    if (done < n && File && n - done >= ChunkSize) {
        const size_t start = out.size();
        out.resize(start + (n - done));
        const size_t got = ReadFile(out.data() + start, n - done);
        out.resize(start + got);
        done += got;
    }
    while (done < n && Refill()) {
        const size_t more = std::min(n - done, Window.size());
        out.append(Window.data(), more);
        Window.remove_prefix(more);
        done += more;
    }
    return done;
}

size_t TInput::Skip(uint8_t value, size_t limit) {
    size_t done = 0;
    while (done < limit && Refill()) {
        const size_t span = std::min(limit - done, Window.size());
        size_t k = 0;
        while (k < span && static_cast<uint8_t>(Window[k]) == value) ++k;
        Window.remove_prefix(k);
        done += k;
        if (k < span) break;
    }
    return done;
}

}  // namespace exif
