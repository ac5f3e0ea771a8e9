// Damaged and hostile image files, built from bytes: broken JPEG segment
// runs, TIFF directories that loop, nest or lie about their sizes, maker
// notes of every maker with wild counts and offsets, IPTC segments whose
// datasets run past their end, and cut or bit-flipped real samples.
#pragma once

#include <string>
#include <vector>

namespace hostile {

struct THostileFile {
    std::string Name;  // file name, with the extension that decides how it is read
    std::string Bytes;
};

std::vector<THostileFile> JpegStructureFiles();
std::vector<THostileFile> TiffStructureFiles();
std::vector<THostileFile> MakerNoteFiles();
std::vector<THostileFile> IptcFiles();
// Cuts and deterministic mutations of a real sample's bytes.
std::vector<THostileFile> DamagedSampleFiles(const std::string &name, const std::string &bytes);

}  // namespace hostile
