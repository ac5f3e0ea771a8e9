// Hostile files: what bounds the reader's work is the bytes present. Each
// test counts the work done and fails when its bound is taken away.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ByteBuilders.h"
#include "dialog/ParamsRows.h"
#include "exif/ImageInfo.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"

using namespace testbytes;

namespace {

std::unique_ptr<exif::TimgData> Open(const std::string &name, const std::string &bytes) {
    auto img = std::make_unique<exif::TimgData>(exif::BuildAll, params::ReaderParts());
    img->OpenImageFile(WriteTempFile(name, bytes));
    return img;
}

// A TIFF structure of one directory written by hand: `entries` (12 bytes
// each, little-endian) at offset 8, then `tail` at offset 8 + 2 + 12n + 4.
std::string TiffOf(const std::vector<std::string> &entries, const std::string &tail) {
    ByteWriter w{false, "II"};
    w.U16(42);
    w.U32(8);
    w.U16(static_cast<unsigned>(entries.size()));
    for (const std::string &e : entries) w.Str(e);
    w.U32(0);
    return w.out + tail;
}

std::string EntryBytes(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    ByteWriter w{false, {}};
    w.U16(tag);
    w.U16(type);
    w.U32(count);
    w.U32(value);
    return w.out;
}

int CountOf(const std::string &text, const std::string &piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(WalkBounds, SkippedEntriesOfOverlappingDirectoriesAreChargedToABudgetSizedByTheSegment) {
    // 1000 pointers to directories starting two bytes apart in 50,000 bytes
    // of 0x0F: each claims 3855 entries of an invalid type. Unbounded, that
    // is 3.9 million entries looked at for a 62 KB segment.
    constexpr uint32_t pointers = 1000;
    const uint32_t region = 8 + 2 + 12 * pointers + 4;
    std::vector<std::string> entries;
    for (uint32_t k = 0; k < pointers; ++k) entries.push_back(EntryBytes(0x8769, 4, 1, region + 2 * k));
    const auto img = Open("bounds_fanout.jpg", Jpeg().Exif(TiffOf(entries, std::string(50000, '\x0F'))).Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_GT(info.EntriesLookedAt(), int64_t{pointers});
    EXPECT_LE(info.EntriesLookedAt(), info.Budget().Entries);
    EXPECT_LT(info.Budget().Entries, 30000);  // sized from the segment, far below 500,000
}

TEST(WalkBounds, ValueBytesKeptAreBoundedByABudgetSizedByTheSegment) {
    // 2000 entries sharing one 40,000-byte value: 160 MB if each were kept.
    constexpr uint32_t count = 2000;
    const uint32_t value = 8 + 2 + 12 * count + 4;
    std::vector<std::string> entries(count, EntryBytes(0x010E, 7, 40000, value));
    const auto img = Open("bounds_shared_value.jpg", Jpeg().Exif(TiffOf(entries, std::string(40000, 'v'))).Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_GT(info.EntryCount(), 0);
    EXPECT_LE(info.BytesKept(), info.Budget().Bytes);
    EXPECT_LT(info.Budget().Bytes, 4 * 1024 * 1024);
    EXPECT_LT(info.EntryCount(), 100);  // the fixed 64 MiB would have kept 838
}

TEST(WalkBounds, MakerNoteWalkEndsAtTheFirstEntryWhollyPastTheNote) {
    // A Canon note that claims 60,000 entries and holds two: the rest would
    // be phantom "Unknown" lines read from zeros.
    Tiff t;
    const int exifDir =
        t.Dir({Tiff::Undefined(0x927C, std::string("\x60\xEA", 2) + EntryBytes(0x0006, 2, 4, 0x00544F48) +
                                           EntryBytes(0x0008, 4, 1, 7) + std::string(4, '\0'))});
    t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Pointer(0x8769, exifDir)});
    const auto img = Open("bounds_note_count.jpg", Jpeg().Exif(t.Build()).Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(ValueOf(info, "ImageType"), "\"HOT\"");
    EXPECT_EQ(ValueOf(info, "ImageNumber"), "7");
    EXPECT_EQ(CountOf(info.MakerDumpText, "\r\n"), 2);
    EXPECT_EQ(CountOf(info.MakerDumpText, "Unknown"), 0);
    EXPECT_LT(info.EntriesLookedAt(), 10);
}

TEST(WalkBounds, ManyMakerNoteTagsAtOneNoteShareTheBudget) {
    // 256 MakerNote entries pointing at one note of 2000 entries.
    std::string note = std::string("\xD0\x07", 2);
    for (int i = 0; i < 2000; ++i) note += EntryBytes(0x0008, 4, 1, static_cast<uint32_t>(i));
    note += std::string(4, '\0');
    const uint32_t make = 8 + 2 + 12 * 257 + 4;
    std::vector<std::string> entries{EntryBytes(0x010F, 2, 6, make)};
    for (int i = 0; i < 256; ++i)
        entries.push_back(EntryBytes(0x927C, 7, static_cast<uint32_t>(note.size()), make + 6));
    const auto img =
        Open("bounds_note_fanout.jpg", Jpeg().Exif(TiffOf(entries, std::string("Canon\0", 6) + note)).Build());
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_GT(info.EntriesLookedAt(), 2000);
    EXPECT_LE(info.EntriesLookedAt(), info.Budget().Entries);
    EXPECT_LT(info.Budget().Entries, 20000);
}

TEST(WalkBounds, FillBytesBeforeAMarkerAreBoundedLikeTheEndOfTheFile) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon")});
    const std::string exif = Jpeg().Exif(t.Build()).Build(false).substr(2);
    const auto withFill = [&](size_t fill) {
        return Jpeg().Comment("c").Raw(std::string(fill, '\xFF')).Raw(exif).Build();
    };
    const auto some = Open("bounds_fill_some.jpg", withFill(exif::TimgData::FillAllowance));
    EXPECT_EQ(some->ExifSection, 2);
    EXPECT_EQ(some->ExifInfo()->CameraMake, "Canon");
    // Past the allowance the scan ends as at the end of the file.
    const auto lots = Open("bounds_fill_lots.jpg", withFill(exif::TimgData::FillAllowance + 2));
    EXPECT_EQ(lots->ExifSection, 0);
    EXPECT_EQ(lots->CommentSection, 1);
}

TEST(WalkBounds, AMetadataBlockOfSeveralMegabytesIsHeldToTheFixedMaxima) {
    // A 9 MB TIFF: sized from its bytes, the budgets would allow 1.5 million
    // entries and 73 MB of kept values; the fixed maxima hold below that.
    // 70 maker notes sharing one 1 MB value (kept whole: 70 MB if each were
    // kept), then 2000 pointers to overlapping directories of 3855 invalid
    // entries each (7.7 million entries unbounded).
    constexpr uint32_t shared = 70, pointers = 2000, valueSize = 1000000;
    const uint32_t region = 8 + 2 + 12 * (shared + pointers) + 4;
    std::vector<std::string> entries(shared, EntryBytes(0x927C, 7, valueSize, region));
    for (uint32_t k = 0; k < pointers; ++k) entries.push_back(EntryBytes(0x8769, 4, 1, region + 2 * k));
    const auto img = Open("bounds_maxima.tif", TiffOf(entries, std::string(9000000, '\x0F')));
    ASSERT_NE(img->ExifInfo(), nullptr);
    const exif::TImageInfo &info = *img->ExifInfo();
    EXPECT_EQ(info.Budget().Entries, exif::TImageInfo::MaxEntriesWalked);
    EXPECT_EQ(info.EntriesLookedAt(), exif::TImageInfo::MaxEntriesWalked);
    EXPECT_EQ(info.Budget().Bytes, exif::TImageInfo::MaxBytesKept);
    EXPECT_GT(info.BytesKept(), exif::TImageInfo::MaxBytesKept - 2 * int64_t{valueSize});
    EXPECT_LE(info.BytesKept(), exif::TImageInfo::MaxBytesKept);
}

TEST(WalkBounds, AValueLongerThanCanBeShownIsReadAndShownUpToTheBoundWithTheCutMarked) {
    constexpr uint32_t size = 1000000;
    const uint32_t region = 8 + 2 + 12 * 2 + 4;
    const auto img = Open("bounds_long_value.tif",
                          TiffOf({EntryBytes(0x010F, 2, 4, 0x004B494E), EntryBytes(0x9286, 7, size, region)},
                                 std::string("ASCII\0\0\0", 8) + std::string(size, 'd')));
    const exif::TImageInfo &info = *img->ExifInfo();
    const std::string shown = ValueOf(info, "UserComment");
    EXPECT_EQ(shown, std::string(exif::MaxShownValue, 'd') + "\xE2\x80\xA6");
    EXPECT_LT(info.BytesKept(), 3 * int64_t{exif::MaxShownValue});
    EXPECT_EQ(info.CameraMake, "NIK");
}
