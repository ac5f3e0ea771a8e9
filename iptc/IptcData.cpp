#include "iptc/IptcData.h"

#include <algorithm>

#include "bytes/EndInd.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"

namespace iptc {

// Record, dataset, short name, description, maximum length in bytes. All but
// the last row belong to the application record (2); the last one to the
// pre-object descriptor record (8). The record version (2:0) is marked SKIP:
// it describes the record rather than the picture.
constexpr std::array<TDatasetRow, DatasetCount> DatasetTable = {{
    {2, 0, "SKIP", "Record Version", 64},
    {2, 3, "ObjectType", "Object Type Ref", 67},
    {2, 4, "ObjectAttr", "Object Attribute Ref", 67},
    {2, 5, "ObjectName", "Object name", 64},
    {2, 7, "EditStatus", "Edit Status", 64},
    {2, 8, "EditorialUpdate", "Editorial Update", 2},
    {2, 10, "Urgency", "Urgency", 1},
    {2, 12, "SubRef", "Subject Reference", 236},
    {2, 15, "Category", "Category", 3},
    {2, 20, "SuppCategory", "Supplemental category", 32},
    {2, 22, "FixtureID", "Fixture ID", 32},
    {2, 25, "Keywords", "Keywords", 64},
    {2, 26, "ContentLocCode", "Content Location Code", 3},
    {2, 27, "ContentLocName", "Content Location Name", 64},
    {2, 30, "ReleaseDate", "Release Date", 8},
    {2, 35, "ReleaseTime", "Release Time", 11},
    {2, 37, "ExpireDate", "Expiration Date", 8},
    {2, 38, "ExpireTime", "Expiration Time", 11},
    {2, 40, "SpecialInstru", "Special Instructions", 256},
    {2, 42, "ActionAdvised", "Action Advised", 2},
    {2, 45, "RefService", "Reference Service", 10},
    {2, 47, "RefDate", "Reference Date", 8},
    {2, 50, "RefNumber", "Reference Number", 8},
    {2, 55, "DateCreated", "Date created", 8},
    {2, 60, "TimeCreated", "Time created", 11},
    {2, 62, "DigitizeDate", "Digital Creation Date", 8},
    {2, 63, "DigitizeTime", "Digital Creation Time", 11},
    {2, 65, "OriginatingProgram", "Originating Program", 32},
    {2, 70, "ProgramVersion", "Program version", 10},
    {2, 75, "ObjectCycle", "Object Cycle", 1},
    {2, 80, "ByLine", "ByLine", 32},
    {2, 85, "ByLineTitle", "ByLine Title", 32},
    {2, 90, "City", "City", 32},
    {2, 92, "SubLocation", "Sublocation", 32},
    {2, 95, "State", "Province/State", 32},
    {2, 100, "LocationCode", "Country/Primary Location Code", 3},
    {2, 101, "LocationName", "Country/Primary Location Name", 64},
    {2, 103, "TransmissionRef", "Original Transmission Reference", 32},
    {2, 105, "ImageHeadline", "Image headline", 256},
    {2, 110, "ImageCredit", "Image credit", 32},
    {2, 115, "Source", "Source", 32},
    {2, 116, "Copyright", "Copyright Notice", 128},
    {2, 118, "Contact", "Contact", 128},
    {2, 120, "ImageCaption", "Image caption", 2000},
    {2, 122, "ImageCaptionWriter", "Image caption writer", 32},
    {2, 130, "ImageType", "Image type", 2},
    {2, 131, "Orientation", "Image Orientation", 1},
    {2, 135, "LangID", "Language ID", 3},
    {8, 10, "Subfile", "Subfile", 2},
}};

// Supplemental categories (2:20) and keywords (2:25) may occur many times.
constexpr std::bitset<256> IPTCRepeatable{(1ULL << 20) | (1ULL << 25)};

namespace {

constexpr uint8_t DatasetMarker = 0x1C;
constexpr uint8_t ApplicationRecord = 2, DescriptorRecord = 8;
// The signature of a Photoshop image-resource APP13 segment. Without it the
// search for the first dataset starts where the resources would begin.
constexpr std::string_view PhotoshopSignature = "Photoshop 3.0";
constexpr int64_t UnsignedScanStart = 12;
// A dataset header: record, dataset number, 16-bit big-endian length.
constexpr int64_t DatasetHeaderSize = 4;
constexpr int32_t CustomMaxLength = 64;

// Segment offsets here are 0-based; the checked reader counts from 1.
uint8_t ByteAtOffset(const exif::Bytes &segment, int64_t offset) {
    return exif::tEndInd::ByteOf(segment, offset + 1);
}

bool IsKnownRecord(uint8_t record) {
    return record == ApplicationRecord || record == DescriptorRecord;
}

bool IsRepeatable(uint16_t dataset) {
    return dataset < IPTCRepeatable.size() && IPTCRepeatable.test(dataset);
}

TTagEntry EntryFromDatasetRow(const TDatasetRow &row, const std::string &value) {
    TTagEntry e;
    e.RecordNumber = row.Record;
    e.Tag = row.Dataset;
    e.Name = std::string(row.Name);
    e.Description = std::string(row.Description);
    e.RawLength = row.MaxLength;
    e.Value = value;
    return e;
}

int32_t DatasetRowOfNumber(uint8_t record, uint8_t dataset) {
    for (size_t i = 0; i < DatasetTable.size(); ++i)
        if (DatasetTable[i].Record == record && DatasetTable[i].Dataset == dataset) return static_cast<int32_t>(i);
    return -1;
}

// A dataset that the table lacks (or marks SKIP) is still shown, under a
// name made from its number.
TTagEntry CustomEntry(uint8_t record, uint8_t dataset, const std::string &value) {
    TTagEntry e;
    e.RecordNumber = record;
    e.Tag = dataset;
    e.Name = "Custom_" + std::to_string(dataset);
    e.Description = e.Name;
    e.RawLength = CustomMaxLength;
    e.Value = value;
    return e;
}

// The entry a dataset becomes; tag number 0 (never stored) for records other
// than the application and pre-object descriptor records.
TTagEntry EntryOfDataset(uint8_t record, uint8_t dataset, const std::string &value) {
    if (!IsKnownRecord(record)) return {};
    const int32_t row = DatasetRowOfNumber(record, dataset);
    if (row >= 0 && DatasetTable[static_cast<size_t>(row)].Name != "SKIP")
        return EntryFromDatasetRow(DatasetTable[static_cast<size_t>(row)], value);
    return CustomEntry(record, dataset, value);
}

struct TDatasetRead {
    TTagEntry Entry;
    int64_t Next = 0;  // offset of the next record byte
};

// One dataset whose record byte is at offset q. Lengths are plain 16-bit
// numbers (extended lengths are not recognised); a value running past the
// end of the segment is cut there. The byte after the value is normally the
// next dataset's 0x1C marker and is stepped over unchecked.
TDatasetRead ReadDataset(const exif::Bytes &segment, int64_t q, bool utf8) {
    const uint8_t record = ByteAtOffset(segment, q);
    const uint8_t dataset = ByteAtOffset(segment, q + 1);
    const int64_t length = ByteAtOffset(segment, q + 2) * 256 + ByteAtOffset(segment, q + 3);
    const std::string_view bytes = exif::tEndInd::RegionOf(segment, q + DatasetHeaderSize + 1, length);
    const std::string value = utf8 ? exif::TextOfUtf8(bytes) : exif::TextOfBytes(bytes);
    return {EntryOfDataset(record, dataset, value), q + DatasetHeaderSize + length + 1};
}

// Dataset 1:90, the coded character set: ESC % G declares the text datasets
// UTF-8. Without it their encoding is unsaid (see exif::TextOfBytes).
bool DeclaresUtf8(std::string_view segment) {
    constexpr std::string_view Header = "\x1C\x01\x5A";
    constexpr std::string_view Utf8Designation = "\x1B%G";
    for (size_t at = segment.find(Header); at != std::string_view::npos; at = segment.find(Header, at + 1)) {
        const std::string_view rest = segment.substr(at + Header.size());  // length (2), then the value
        if (rest.size() > 2 && rest.substr(2).starts_with(Utf8Designation)) return true;
    }
    return false;
}

}  // namespace

TIPTCdata::TIPTCdata(exif::TimgData *owner) : Owner(owner) {}

void TIPTCdata::SetEntryCount(int32_t n) {
    Count = std::clamp(n, 0, std::max(Capacity() - 1, 0));
    IndexNames();
}

void TIPTCdata::IndexNames() {
    FirstIndexOfName.clear();
    for (int32_t i = 0; i < Count; ++i)
        FirstIndexOfName.try_emplace(exif::UpperAscii(Entries[static_cast<size_t>(i)].Name), i);
}

TTagEntry TIPTCdata::EntryAt(int32_t index) const {
    if (index < 0 || index >= Count) return exif::EmptyEntry;
    return Entries[static_cast<size_t>(index)];
}

void TIPTCdata::Clear() {
    SetEntryCount(0);
    Items.clear();
    std::fill(Entries.begin(), Entries.end(), exif::EmptyEntry);
}

// Growth keeps one free slot after the last entry.
int32_t TIPTCdata::AppendEntry(const TTagEntry &entry) {
    if (entry.Tag == 0) return Count - 1;
    if (Count >= Capacity() - 1) Entries.resize(static_cast<size_t>(Capacity() + EntryGrowth));
    Entries[static_cast<size_t>(Count)] = entry;
    const auto [at, added] = FirstIndexOfName.try_emplace(exif::UpperAscii(entry.Name), Count);
    if (added && entry.RecordNumber == ApplicationRecord && IsRepeatable(entry.Tag) && !entry.Value.empty())
        Items[at->first] = {entry.Value};
    ++Count;
    return Count - 1;
}

int32_t TIPTCdata::DatasetRowOf(std::string_view name) {
    for (size_t i = 0; i < DatasetTable.size(); ++i)
        if (exif::SameTextAscii(DatasetTable[i].Name, name)) return static_cast<int32_t>(i);
    return -1;
}

// -------------------------------------------------------------------- parsing

// Offset of the 0x1C that starts the IPTC datasets, or -1. The Photoshop
// image resources ("8BIM" blocks) before it are not interpreted: the first
// 0x1C followed by record 2 or 8 after the signature is taken as the start.
int64_t TIPTCdata::IptcStartOffset() const {
    const size_t signature = Segment.find(PhotoshopSignature);
    return FirstDatasetOffset(signature == std::string::npos
                                  ? UnsignedScanStart
                                  : static_cast<int64_t>(signature + PhotoshopSignature.size()));
}

// The first 0x1C at or after `start` that is followed by record 2 or 8.
int64_t TIPTCdata::FirstDatasetOffset(int64_t start) const {
    for (size_t k = Segment.find(static_cast<char>(DatasetMarker), static_cast<size_t>(start)); k != std::string::npos;
         k = Segment.find(static_cast<char>(DatasetMarker), k + 1))
        if (IsKnownRecord(ByteAtOffset(Segment, static_cast<int64_t>(k) + 1))) return static_cast<int64_t>(k);
    return -1;
}

// Repeatable datasets are merged into one entry, joined by commas; any other
// dataset becomes an entry of its own each time it occurs.
void TIPTCdata::StoreDataset(const TTagEntry &entry) {
    if (IsRepeatable(entry.Tag))
        AppendValue(entry.Name, entry.Value);
    else
        AppendEntry(entry);
}

// Everything after the first dataset is read as datasets until fewer than a
// header's worth of bytes remain; trailing resources thus give entries only
// when their bytes happen to look like record 2 or 8.
void TIPTCdata::ParseSegment(std::string_view segment) {
    Clear();
    Segment = std::string(segment);
    ParseFrom(IptcStartOffset());
}

// IPTC datasets as other containers hold them: the first dataset may start
// at the first byte.
void TIPTCdata::ParseDatasets(std::string_view datasets) {
    Clear();
    Segment = std::string(datasets);
    ParseFrom(FirstDatasetOffset(0));
}

void TIPTCdata::ParseFrom(int64_t start) {
    if (start < 0) return;
    Utf8Declared = DeclaresUtf8(Segment);
    const int64_t n = static_cast<int64_t>(Segment.size());
    for (int64_t q = start + 1; q <= n - DatasetHeaderSize;) {
        TDatasetRead read = ReadDataset(Segment, q, Utf8Declared);
        StoreDataset(read.Entry);
        q = read.Next;
    }
}

void TIPTCdata::ParseOwnerSegment() {
    if (!Owner) return;
    if (const exif::tSection *section = Owner->IptcSectionPtr())
        ParseSegment(section->Bytes);
    else if (!Owner->IptcBlock.empty())
        ParseDatasets(Owner->IptcBlock);
}

// ------------------------------------------------------------ named access

int32_t TIPTCdata::IndexOfName(std::string_view name) const {
    const auto found = FirstIndexOfName.find(exif::UpperAscii(name));
    return found == FirstIndexOfName.end() ? -1 : found->second;
}

void TIPTCdata::RemoveEntry(std::string_view name) {
    const int32_t i = IndexOfName(name);
    if (i < 0) return;
    const auto first = Entries.begin() + i;
    std::move(first + 1, Entries.begin() + Count, first);
    --Count;
    Entries[static_cast<size_t>(Count)] = exif::EmptyEntry;
    Items.erase(exif::UpperAscii(name));
    IndexNames();
}

// An empty text never overwrites a value that is already there.
int32_t TIPTCdata::SetValue(std::string_view name, const std::string &value) {
    const int32_t i = IndexOfName(name);
    if (i >= 0) {
        if (!value.empty()) {
            Entries[static_cast<size_t>(i)].Value = value;
            if (const auto items = Items.find(exif::UpperAscii(name)); items != Items.end()) items->second = {value};
        }
        return i;
    }
    const int32_t row = DatasetRowOf(name);
    if (row < 0) return -1;
    return AppendEntry(EntryFromDatasetRow(DatasetTable[static_cast<size_t>(row)], value));
}

// Appends in place, so merging thousands of keywords stays linear.
int32_t TIPTCdata::AppendValue(std::string_view name, const std::string &value) {
    const int32_t i = IndexOfName(name);
    if (i < 0) return SetValue(name, value);
    if (!value.empty()) {
        std::string &old = Entries[static_cast<size_t>(i)].Value;
        old += ',';
        old += value;
        Items[exif::UpperAscii(name)].push_back(value);
    }
    return i;
}

// A repeatable dataset gains the text as one more occurrence; any other
// dataset holds one value, which the text replaces.
int32_t TIPTCdata::SetOrAppendValue(std::string_view name, const std::string &value) {
    const int32_t row = DatasetRowOf(name);
    if (row < 0) return -1;
    const TDatasetRow &r = DatasetTable[static_cast<size_t>(row)];
    if (r.Record == ApplicationRecord && IsRepeatable(r.Dataset)) return AppendValue(name, value);
    return SetValue(name, value);
}

std::string TIPTCdata::ValueOf(std::string_view name, const std::string &defaultText) const {
    const int32_t i = IndexOfName(name);
    return i < 0 ? defaultText : Entries[static_cast<size_t>(i)].Value;
}

std::vector<std::string> TIPTCdata::ItemsAt(int32_t index) const {
    if (index < 0 || index >= Count) return {};
    const auto items = Items.find(exif::UpperAscii(Entries[static_cast<size_t>(index)].Name));
    return items == Items.end() ? std::vector<std::string>() : items->second;
}

exif::TIptcHandle TIPTCdata::MakeFor(exif::TimgData &owner) {
    return exif::TIptcHandle(new TIPTCdata(&owner), exif::TIptcDeleter{[](TIPTCdata *p) { delete p; }});
}

// OpenImageFile frees the owner's IPTC object, which may be this one: after
// the call only the owner and its new object are used.
bool TIPTCdata::ReadFile(const std::string &fileName) {
    Clear();
    exif::TimgData *const owner = Owner;
    if (!owner) return false;
    owner->OpenImageFile(fileName);
    TIPTCdata *const fresh = owner->IptcInfo();
    if (!fresh) return false;
    fresh->ParseOwnerSegment();
    return fresh->HasEntries();
}

}  // namespace iptc
