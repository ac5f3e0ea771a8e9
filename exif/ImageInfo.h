// TImageInfo: the entries of one file's TIFF directories, with the walks that
// fill them (main directory and its sub-directories, and maker notes).
#pragma once

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exif/EndInd.h"
#include "exif/TagEntry.h"

namespace exif {

class TimgData;

// Set by a maker-note rendering function when its result is a block of lines
// to be listed before the entry's own line; cleared by the walk before each call.
extern bool BlockResult;

// What a walk builds: the text listings, the entry list, or both.
enum BuildModes : int32_t { BuildListing = 2, BuildEntries = 4, BuildAll = 255 };

class TImageInfo : public tEndInd {
public:
    TImageInfo(TimgData *owner, int32_t buildMode, bool fromTiff = false);
    virtual ~TImageInfo();
    TImageInfo(const TImageInfo &) = delete;
    TImageInfo &operator=(const TImageInfo &) = delete;

    // --- entry store ---
    int32_t AddEntry(const TTagEntry &entry);
    void AddMakerValue(const std::string &name, const std::string &value, uint16_t type);
    int32_t EntryCount() const { return Count; }
    int32_t Capacity() const { return static_cast<int32_t>(Entries.size()); }
    TTagEntry EntryAt(int32_t index) const;
    virtual int32_t EntryIndexOf(std::string_view name) const;
    virtual std::string EntryTextOf(std::string_view name) const;
    TTagEntry EntryByName(std::string_view name) const;
    double EntryNumber(std::string_view name) const;
    int32_t EntryInteger(std::string_view name) const;

    // --- walks ---
    // Walks the directory whose entry count is at `start`; stored offsets are
    // turned into positions by adding `base`.
    void WalkDirectory(Pos start, Pos base, int64_t limit, int kind);
    // Walks a maker note's directory (entry count at 0-based offset d of the
    // note); a value offset m designates note position m - b + d + 2, or the
    // owner's buffer at a + m when the value does not lie inside the note.
    void WalkMakerNote(const Bytes &note, std::span<const TTagRow> table, int64_t d, int64_t b, int64_t a);

    bool Builds(int32_t mode) const { return BuildMode == mode || BuildMode == BuildAll; }

    TimgData *Owner;
    std::string ExifVersionText;  // at most 6 bytes
    std::string CameraMake;       // at most 32 characters
    std::string CameraModel;      // at most 40 characters
    int32_t HeightValue = 0;
    int32_t WidthValue = 0;
    int32_t BuildMode;
    Bytes MakerNoteBytes;
    bool FromTiff;
    std::string UserCommentText;
    std::string DumpText;
    std::string MakerDumpText;
    int64_t MakerNotePosition = 0;

    // Directories are nested at most this deep below the first one.
    static constexpr int MaxDirectoryLevel = 16;
    // Safety limits for hostile files; real files stay far below them.
    static constexpr int64_t MaxEntriesWalked = 500000;
    static constexpr int64_t MaxBytesKept = 64 * 1024 * 1024;

private:
    std::vector<TTagEntry> Entries;
    int32_t Count = 0;
    std::set<Pos> Visited;
    int64_t EntriesWalked = 0;
    int64_t BytesKept = 0;

    bool Afford(int64_t valueBytes);

    void WalkDirectoryAt(Pos start, Pos base, int64_t limit, int kind, int level);
    void WalkEntry(Pos entry, Pos base, int64_t limit, int kind, int level);
    void HandleSpecialTag(uint16_t tag, unsigned type, const Bytes &raw, const std::string &text, Pos valuePos,
                          Pos base, int64_t limit, int level);
    void FollowPointer(Pos valuePos, Pos base, int64_t limit, int kind, int level);
    void WalkMakerEntry(std::span<const TTagRow> table, Pos entry, int64_t d, int64_t b, int64_t a);
};

}  // namespace exif
