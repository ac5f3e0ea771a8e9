// The checked reader at the ends of its view: a read that runs past the
// view's last byte takes none of the bytes behind it, though they are in
// memory (the view is a part of a larger buffer, as a file's segment is).
#include <gtest/gtest.h>

#include <string>

#include "bytes/EndInd.h"

namespace {

// Four bytes viewed, and behind them bytes a read must never take.
const std::string Bytes = "\x01\x02\x03\x04\xFF\xFF\xFF\xFF";

exif::tEndInd ViewOfFour(bool bigEndian) {
    exif::tEndInd view;
    view.BigEndian = bigEndian;
    view.SetBuffer(std::string_view(Bytes).substr(0, 4));
    return view;
}

TEST(CheckedReader, AReadThatEndsAtTheLastByteTakesItsBytes) {
    EXPECT_EQ(ViewOfFour(false).ReadLong(1), 0x04030201);
    EXPECT_EQ(ViewOfFour(true).ReadLong(1), 0x01020304);
    EXPECT_EQ(ViewOfFour(false).ReadWord(3), 0x0403);
    EXPECT_EQ(ViewOfFour(true).ReadWord(3), 0x0304);
}

TEST(CheckedReader, AReadThatRunsPastTheViewReadsZeroForTheBytesBeyondIt) {
    for (const bool big : {false, true}) {
        const exif::tEndInd view = ViewOfFour(big);
        EXPECT_EQ(view.ReadLong(2), big ? 0x02030400 : 0x00040302) << big;
        EXPECT_EQ(view.ReadLong(3), big ? 0x03040000 : 0x00000403) << big;
        EXPECT_EQ(view.ReadLong(4), big ? 0x04000000 : 0x00000004) << big;
        EXPECT_EQ(view.ReadLong(5), 0) << big;
        EXPECT_EQ(view.ReadWord(4), big ? 0x0400 : 0x0004) << big;
        EXPECT_EQ(view.ReadWord(5), 0) << big;
        EXPECT_EQ(view.ByteAt(5), 0) << big;
        EXPECT_EQ(view.Region(3, 4), "\x03\x04") << big;
        EXPECT_EQ(view.Region(5, 1), "") << big;
    }
}

TEST(CheckedReader, PositionsBeforeTheFirstByteOrFarPastTheEndReadAsZero) {
    const exif::tEndInd view = ViewOfFour(true);
    EXPECT_EQ(view.ReadLong(0), 0x00010203);
    EXPECT_EQ(view.ReadLong(-2), 0x00000001);
    EXPECT_EQ(view.ReadWord(0), 0x0001);
    EXPECT_EQ(view.ReadLong(INT64_MIN), 0);
    EXPECT_EQ(view.ReadLong(INT64_MAX), 0);
    EXPECT_EQ(view.ReadWord(INT64_MAX), 0);
    EXPECT_EQ(view.Region(INT64_MAX, 8), "");
}

}  // namespace
