// The 35 mm equivalent focal length, computed from the entries a walk stored
// when the file does not record it: a value of the whole file, not of one tag.
#pragma once

namespace exif {

class TImageInfo;

// Adds the computed 35 mm equivalent focal length when the file has none.
void AddFocalLength35(TImageInfo &info);

}  // namespace exif
