// The tool's allocation functions. A folder run reads thousands of files in
// one process, and each makes and drops some hundreds of small strings and
// vectors (names, values, rows); the C library's allocator keeps only a few
// freed blocks of a size at hand, so most of them went through its bins, at
// several times the cost of the work they serve. Here a freed block of up
// to 4 KiB waits on a list of its size class (16-byte steps) for the next
// request of that class; larger requests go to the C library as before.
//
// Each block starts with a 16-byte header holding its class, so that a
// delete without the size finds it, and the block stays aligned as
// operator new's must be. Blocks are cut from 64 KiB slabs that are never
// given back: a run keeps about what the file that needed most needed at
// once. The lists are the thread's own; a block freed in another thread
// joins that one's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t Header = 16;
constexpr std::size_t Granule = 16;
constexpr std::size_t MaxSmall = 4096;  // payload bytes of the largest class
constexpr std::size_t ClassCount = MaxSmall / Granule + 1;
constexpr std::size_t SlabBytes = 64 * 1024;
constexpr std::uint64_t Large = ~std::uint64_t{0};  // the header of a block from the C library

struct TFree {
    TFree *Next;
};

struct TLists {
    TFree *Heads[ClassCount] = {};
    char *SlabNext = nullptr;
    char *SlabEnd = nullptr;
};

thread_local TLists Lists;

std::size_t ClassOf(std::size_t size) {
    return (size + Granule - 1) / Granule;
}

void *Mark(void *block, std::uint64_t cls) {
    *static_cast<std::uint64_t *>(block) = cls;
    return static_cast<char *>(block) + Header;
}

void *Allocate(std::size_t size) {
    if (size > MaxSmall) {
        // A size the header would carry past the largest size is none a
        // block can have.
        if (size > SIZE_MAX - Header) throw std::bad_alloc();
        void *block = std::malloc(size + Header);
        if (!block) throw std::bad_alloc();
        return Mark(block, Large);
    }
    const std::size_t cls = ClassOf(size);
    TLists &lists = Lists;
    if (TFree *head = lists.Heads[cls]) {
        lists.Heads[cls] = head->Next;
        return Mark(head, cls);
    }
    const std::size_t bytes = Header + cls * Granule;
    if (static_cast<std::size_t>(lists.SlabEnd - lists.SlabNext) < bytes) {
        // What is left of the slab goes unused: less than one block.
        char *slab = static_cast<char *>(std::malloc(SlabBytes));
        if (!slab) throw std::bad_alloc();
        lists.SlabNext = slab;
        lists.SlabEnd = slab + SlabBytes;
    }
    void *block = lists.SlabNext;
    lists.SlabNext += bytes;
    return Mark(block, cls);
}

void Release(void *p) {
    if (!p) return;
    char *block = static_cast<char *>(p) - Header;
    const std::uint64_t cls = *reinterpret_cast<std::uint64_t *>(block);
    if (cls == Large) {
        std::free(block);
        return;
    }
    TFree *node = reinterpret_cast<TFree *>(block);
    node->Next = Lists.Heads[cls];
    Lists.Heads[cls] = node;
}

}  // namespace

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void *p) noexcept { Release(p); }
void operator delete[](void *p) noexcept { Release(p); }
void operator delete(void *p, std::size_t) noexcept { Release(p); }
void operator delete[](void *p, std::size_t) noexcept { Release(p); }
