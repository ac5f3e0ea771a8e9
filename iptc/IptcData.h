// TIPTCdata: the IPTC datasets (records 2 and 8) of a Photoshop 3.0 APP13
// segment, named from a fixed table of 49 datasets.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "exif/TagEntry.h"

#include "exif/ImgData.h"

namespace iptc {

using exif::TTagEntry;

// One row of the dataset table: record, dataset, short name, description,
// maximum length in bytes.
struct TDatasetRow {
    uint16_t Record;
    uint16_t Dataset;
    std::string_view Name;
    std::string_view Description;
    int32_t MaxLength;
};

constexpr int DatasetCount = 49;
extern const std::array<TDatasetRow, DatasetCount> DatasetTable;

// Datasets whose occurrences are merged into one entry (supplemental
// categories and keywords), indexed by dataset number.
extern const std::bitset<256> IPTCRepeatable;

// Entry slots are added this many at a time.
constexpr int32_t EntryGrowth = 25;

// Short names are compared ignoring ASCII letter case throughout.
class TIPTCdata {
public:
    explicit TIPTCdata(exif::TimgData *owner);
    virtual ~TIPTCdata() = default;

    int32_t EntryCount() const { return Count; }
    // Kept within the slots that exist, leaving the one free slot after the
    // last entry, so no later access can leave the array.
    void SetEntryCount(int32_t n);
    int32_t Capacity() const { return static_cast<int32_t>(Entries.size()); }
    // A copy of entry `index`; an empty entry for an index outside 0..count-1.
    TTagEntry EntryAt(int32_t index) const;
    bool HasEntries() const { return Count > 0; }
    void Clear();
    int32_t AppendEntry(const TTagEntry &entry);
    static int32_t DatasetRowOf(std::string_view name);

    void ParseSegment(std::string_view segment);
    // Datasets with no segment around them (a TIFF's, a PSD's, a PNG's).
    void ParseDatasets(std::string_view datasets);
    // Parses the owner's first APP13 segment; nothing when it has none.
    void ParseOwnerSegment();

    virtual int32_t IndexOfName(std::string_view name) const;
    virtual void RemoveEntry(std::string_view name);
    virtual int32_t SetValue(std::string_view name, const std::string &value);
    virtual int32_t AppendValue(std::string_view name, const std::string &value);
    virtual int32_t SetOrAppendValue(std::string_view name, const std::string &value);
    virtual std::string ValueOf(std::string_view name, const std::string &defaultText) const;
    // The occurrences of a repeatable dataset's entry, each as the file gave
    // it (the entry's value joins them with commas, so an item holding a
    // comma cannot be told apart there); empty for any other entry.
    std::vector<std::string> ItemsAt(int32_t index) const;
    // Has the owner open the file. Opening a file frees the owner's current
    // IPTC object, possibly this one, so the answer comes from the owner's
    // new object: true when the file's IPTC segment yields entries.
    virtual bool ReadFile(const std::string &fileName);

    // The container's hook: a new object reading that container's segment.
    static exif::TIptcHandle MakeFor(exif::TimgData &owner);

private:
    exif::TimgData *Owner;
    std::vector<TTagEntry> Entries;  // size() is the capacity
    int32_t Count = 0;
    // This object's copy of the segment last parsed; every dataset is read
    // from it, so the caller's bytes may change or go away meanwhile.
    exif::Bytes Segment;
    bool Utf8Declared = false;  // the segment's dataset 1:90 says UTF-8
    // Upper-case short name -> index of the first entry of that name. Keeps
    // name lookups constant-time, so a segment of thousands of datasets
    // parses in linear time.
    std::unordered_map<std::string, int32_t> FirstIndexOfName;
    // Upper-case short name of a repeatable dataset's entry -> its items.
    std::unordered_map<std::string, std::vector<std::string>> Items;

    void IndexNames();
    int64_t IptcStartOffset() const;
    int64_t FirstDatasetOffset(int64_t start) const;
    void ParseFrom(int64_t start);
    void StoreDataset(const TTagEntry &entry);
};

}  // namespace iptc
