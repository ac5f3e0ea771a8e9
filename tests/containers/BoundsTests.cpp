// The limits of the container layer that no file of the tests reaches by
// the readers' own paths.
#include <gtest/gtest.h>

#include <string>

#include "ChunkFiles.h"
#include "containers/IsoBoxes.h"

namespace {

using namespace containers;

// A box at every level: each box's payload is the next box.
std::string NestedBoxes(int levels) {
    std::string box;
    for (int k = 0; k < levels; ++k) box = chunkfiles::BigEndian(8 + box.size(), 4) + "nest" + box;
    return box;
}

// A walk that went deeper by what the boxes hold stops at MaxBoxDepth, with
// a note, and sees none of the boxes below.
TEST(BoxWalkBounds, AWalkThatDescendsByWhatBoxesHoldStopsAtTheDepthLimit) {
    const std::string bytes = NestedBoxes(MaxBoxDepth + 4);
    exif::tEndInd view;
    view.SetBuffer(bytes);
    const TByteReader file(view);
    TContainerRead result;
    iso::TBoxWalk walk(file, result);
    int deepest = -1;
    std::function<void(uint64_t, uint64_t, int)> descend = [&](uint64_t begin, uint64_t end, int depth) {
        walk.ForEach(begin, end, depth, [&](const iso::TBox &box) {
            deepest = std::max(deepest, depth);
            descend(box.Payload, box.End, depth + 1);
            return true;
        });
    };
    descend(0, file.Size(), 0);
    EXPECT_EQ(deepest, MaxBoxDepth);
    ASSERT_EQ(result.Notes.size(), 1u);
    EXPECT_NE(result.Notes[0].find("boxes nested more than 16 deep"), std::string::npos);
}

}  // namespace
