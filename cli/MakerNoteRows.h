// Which rows of the EXIF tab come from the camera maker's note. The view's
// rows carry names and values only, so this reads the file's entries again;
// the tool asks only when a name repeats, where the answer changes a key.
#pragma once

#include <string>
#include <vector>

namespace cli {

// One flag per row of the EXIF tab (the four file rows first, UserComment
// left out as the tab leaves it out); empty when the file gives no entries.
std::vector<bool> MakerNoteRows(const std::string &readerPath);

}  // namespace cli
