// TIPTCdata: the IPTC datasets (records 2 and 8) of a Photoshop 3.0 APP13
// segment, named from a fixed table of 49 datasets.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exif/TagEntry.h"

namespace exif {
class TimgData;
}

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

class TIPTCdata {
public:
    explicit TIPTCdata(exif::TimgData *owner);
    virtual ~TIPTCdata() = default;

    int32_t EntryCount() const { return Count; }
    void SetEntryCount(int32_t n);
    int32_t Capacity() const { return static_cast<int32_t>(Entries.size()); }
    TTagEntry EntryAt(int32_t index) const;
    bool HasEntries() const { return Count > 0; }
    void Clear();
    int32_t AppendEntry(const TTagEntry &entry);
    static int32_t DatasetRowOf(std::string_view name);

    void ParseSegment(const std::string &segment);
    void ParseOwnerSegment();

    virtual int32_t IndexOfName(std::string_view name) const;
    virtual void RemoveEntry(std::string_view name);
    virtual int32_t SetValue(std::string_view name, const std::string &value);
    virtual int32_t AppendValue(std::string_view name, const std::string &value);
    virtual int32_t SetOrAppendValue(std::string_view name, const std::string &value);
    virtual std::string ValueOf(std::string_view name, const std::string &defaultText) const;
    virtual bool ReadFile(const std::string &fileName);

private:
    exif::TimgData *Owner;
    std::vector<TTagEntry> Entries;  // size() is the capacity
    int32_t Count = 0;
};

}  // namespace iptc
