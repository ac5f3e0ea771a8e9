// The tool's allocation functions. A folder run reads thousands of files in
// one process, and each makes and drops some hundreds of small strings and
// vectors (names, values, rows); the C library's allocator keeps only a few
// freed blocks of a size at hand, so most of them went through its bins, at
// several times the cost of the work they serve (over 520 mixed files,
// 114 M instructions here against 131 M with the C library's alone).
//
// A request of up to 4 KiB takes a block of its size class (16-byte steps)
// from a slab of that class: 64 KiB, aligned to its size, so that a block
// finds its slab from its address. A freed block goes back to its slab's
// list; a slab whose blocks are all free (but one per class, kept for the
// next file) waits among the spare slabs, which serve a new slab of any
// class, up to 4 MiB of them; past that it is given back to the C library.
// So a run's peak is bounded by what the file that needed most needed at
// once, whatever classes the files before it filled. Larger requests go to
// the C library as before.
//
// Each block starts with a 16-byte header holding its class, so that a
// delete without the size finds it, and the block stays aligned as
// operator new's must be. Slabs belong to the thread that made them; a
// block another thread frees is handed to the owner through a lock-free
// stack the owner empties at its next request (exifinfo itself runs in one
// thread).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef _WIN32
#include <malloc.h>
#endif

namespace {

constexpr std::size_t Header = 16;
constexpr std::size_t Granule = 16;
constexpr std::size_t MaxSmall = 4096;  // payload bytes of the largest class
constexpr std::size_t ClassCount = MaxSmall / Granule + 1;
constexpr std::size_t SlabBytes = 64 * 1024;
constexpr std::size_t SlabHeader = 64;
constexpr std::size_t MaxSpareSlabs = 64;
constexpr std::uint64_t Large = ~std::uint64_t{0};  // the header of a block from the C library

struct TFree {
    TFree *Next;
};

struct TLists;

// At the start of its 64 KiB; its blocks follow.
struct TSlab {
    TLists *Owner;
    TSlab *Prev;  // in the owner's list of slabs of this class with a free block
    TSlab *Next;
    TFree *Free;   // blocks given back
    char *Fresh;   // the first byte never handed out
    std::uint32_t Live;  // blocks handed out and not given back
    std::uint32_t Class;
    bool Listed;
};
static_assert(sizeof(TSlab) <= SlabHeader);

struct TLists {
    TSlab *Open[ClassCount] = {};  // per class, the slabs with a free block
    TSlab *Spare = nullptr;        // empty slabs, for any class (linked by Next)
    std::size_t SpareCount = 0;
    std::atomic<TFree *> Foreign{nullptr};  // blocks of these slabs freed by other threads
};

thread_local TLists Lists;

// Memory aligned to its size, so that a block finds its slab.
void *SlabMemory() {
#ifdef _WIN32
    return _aligned_malloc(SlabBytes, SlabBytes);
#else
    return std::aligned_alloc(SlabBytes, SlabBytes);
#endif
}

void FreeSlabMemory(void *memory) {
#ifdef _WIN32
    _aligned_free(memory);
#else
    std::free(memory);
#endif
}

std::size_t ClassOf(std::size_t size) {
    return (size + Granule - 1) / Granule;
}

std::size_t BlockBytes(std::size_t cls) {
    return Header + cls * Granule;
}

void *Mark(void *block, std::uint64_t cls) {
    *static_cast<std::uint64_t *>(block) = cls;
    return static_cast<char *>(block) + Header;
}

TSlab *SlabOf(void *block) {
    return reinterpret_cast<TSlab *>(reinterpret_cast<std::uintptr_t>(block) & ~(std::uintptr_t{SlabBytes} - 1));
}

bool HasFresh(const TSlab *s) {
    return reinterpret_cast<const char *>(s) + SlabBytes - s->Fresh >= static_cast<std::ptrdiff_t>(BlockBytes(s->Class));
}

void List(TLists &l, TSlab *s) {
    s->Prev = nullptr;
    s->Next = l.Open[s->Class];
    if (s->Next) s->Next->Prev = s;
    l.Open[s->Class] = s;
    s->Listed = true;
}

void Unlist(TLists &l, TSlab *s) {
    if (s->Prev) s->Prev->Next = s->Next;
    else l.Open[s->Class] = s->Next;
    if (s->Next) s->Next->Prev = s->Prev;
    s->Listed = false;
}

TSlab *NewSlab(TLists &l, std::size_t cls) {
    void *memory = l.Spare;
    if (memory) {
        l.Spare = l.Spare->Next;
        --l.SpareCount;
    } else {
        memory = SlabMemory();
    }
    if (!memory) throw std::bad_alloc();
    auto *s = static_cast<TSlab *>(memory);
    *s = TSlab{&l, nullptr, nullptr, nullptr, static_cast<char *>(memory) + SlabHeader, 0,
               static_cast<std::uint32_t>(cls), false};
    List(l, s);
    return s;
}

// A block back in its slab, in the owner's thread. An empty slab is spared
// (or given back) unless it is the only one of its class with room.
void GiveBack(TLists &l, TSlab *s, void *block) {
    auto *node = static_cast<TFree *>(block);
    node->Next = s->Free;
    s->Free = node;
    --s->Live;
    if (!s->Listed) List(l, s);
    if (s->Live == 0 && (s->Prev || s->Next)) {
        Unlist(l, s);
        if (l.SpareCount == MaxSpareSlabs) return FreeSlabMemory(s);
        s->Next = l.Spare;
        l.Spare = s;
        ++l.SpareCount;
    }
}

void TakeForeignBlocks(TLists &l) {
    if (!l.Foreign.load(std::memory_order_relaxed)) return;
    for (TFree *node = l.Foreign.exchange(nullptr, std::memory_order_acquire); node;) {
        TFree *next = node->Next;
        GiveBack(l, SlabOf(node), node);
        node = next;
    }
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
    TLists &l = Lists;
    TakeForeignBlocks(l);
    TSlab *s = l.Open[cls];
    if (!s) s = NewSlab(l, cls);
    void *block = nullptr;
    if (s->Free) {
        block = s->Free;
        s->Free = s->Free->Next;
    } else {
        block = s->Fresh;
        s->Fresh += BlockBytes(cls);
    }
    ++s->Live;
    if (!s->Free && !HasFresh(s)) Unlist(l, s);
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
    TSlab *s = SlabOf(block);
    TLists &l = Lists;
    if (s->Owner == &l) return GiveBack(l, s, block);
    auto *node = reinterpret_cast<TFree *>(block);
    std::atomic<TFree *> &foreign = s->Owner->Foreign;
    node->Next = foreign.load(std::memory_order_relaxed);
    while (!foreign.compare_exchange_weak(node->Next, node, std::memory_order_release, std::memory_order_relaxed)) {
    }
}

}  // namespace

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void *p) noexcept { Release(p); }
void operator delete[](void *p) noexcept { Release(p); }
void operator delete(void *p, std::size_t) noexcept { Release(p); }
void operator delete[](void *p, std::size_t) noexcept { Release(p); }
