// The tool's allocator (cli/SmallBlocks.cpp), which this test program runs
// on as exifinfo does: blocks of every size are aligned, keep their bytes
// while others are made and freed, and come back for the next request of
// their size; blocks too large for a class go to the C library and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct TBlock {
    unsigned char *Bytes;
    std::size_t Size;
};

TEST(SmallBlocks, BlocksOfEverySizeAreAlignedAndKeepTheirBytes) {
    std::vector<TBlock> blocks;
    std::vector<std::size_t> sizes;
    for (std::size_t size = 0; size <= 600; ++size) sizes.push_back(size);
    for (std::size_t size = 4080; size <= 4112; ++size) sizes.push_back(size);  // the largest classes and past them
    for (const std::size_t size : sizes) {
        auto *p = static_cast<unsigned char *>(::operator new(size));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u) << size;
        std::memset(p, static_cast<int>(size & 0xFF), size);
        blocks.push_back({p, size});
    }
    // Every other block freed, the unsized way and the sized way in turn,
    // then asked for again: the rest must not move.
    for (std::size_t i = 0; i < blocks.size(); i += 2) {
        if (i % 4 == 0) ::operator delete(blocks[i].Bytes);
        else ::operator delete(blocks[i].Bytes, blocks[i].Size);
    }
    for (std::size_t i = 0; i < blocks.size(); i += 2) {
        blocks[i].Bytes = static_cast<unsigned char *>(::operator new(blocks[i].Size));
        std::memset(blocks[i].Bytes, static_cast<int>(blocks[i].Size & 0xFF), blocks[i].Size);
    }
    for (const TBlock &b : blocks) {
        for (std::size_t k = 0; k < b.Size; ++k) ASSERT_EQ(b.Bytes[k], b.Size & 0xFF) << b.Size;
        ::operator delete(b.Bytes);
    }
}

TEST(SmallBlocks, AFreedBlockServesTheNextRequestOfItsClass) {
    void *first = ::operator new(40);
    ::operator delete(first);
    void *again = ::operator new(33);  // 33 to 48 bytes share a class
    EXPECT_EQ(again, first);
    ::operator delete(again);
    const auto array = std::make_unique<char[]>(100000);
    array[99999] = 'x';
    EXPECT_EQ(array[99999], 'x');
    // Too large for any block, the header included: refused, never a small one.
    for (const std::size_t size : {SIZE_MAX, SIZE_MAX - 15, SIZE_MAX / 2}) {
        EXPECT_THROW(::operator delete(::operator new(size)), std::bad_alloc) << size;
    }
}

}  // namespace

#ifdef __GLIBC__
#include <malloc.h>

namespace {

// Bytes the C library has handed out: the allocator's slabs and large blocks.
std::size_t InUse() {
    return mallinfo2().uordblks;
}

// Files that each fill another size class: what the first (largest) file's
// blocks took is lent to the later ones', so the peak stays the largest
// file's (and a slab kept per class), not the sum of them all.
TEST(SmallBlocks, MemoryFreedInOneClassServesAnother) {
    const std::size_t before = InUse();
    std::vector<std::size_t> used;
    for (const std::size_t size : {3000, 1000, 300, 100, 24}) {
        std::vector<void *> blocks(2000);
        for (void *&b : blocks) b = ::operator new(size);
        used.push_back(InUse() - before);
        for (void *b : blocks) ::operator delete(b);
    }
    const std::size_t slab = 64 * 1024;
    for (std::size_t k = 1; k < used.size(); ++k) EXPECT_LE(used[k], used[0] + used.size() * slab) << k;
    // All freed: at most one slab kept per class.
    EXPECT_LE(InUse() - before, used.size() * (slab + 64));
}

}  // namespace
#endif
