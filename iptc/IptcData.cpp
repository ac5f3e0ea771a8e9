#include "iptc/IptcData.h"

#include "exif/ImgData.h"

namespace iptc {

TIPTCdata::TIPTCdata(exif::TimgData *owner) : Owner(owner) {}
void TIPTCdata::SetEntryCount(int32_t n) { Count = n; }
TTagEntry TIPTCdata::EntryAt(int32_t index) const { return Entries[static_cast<size_t>(index)]; }
void TIPTCdata::Clear() { Count = 0; }
int32_t TIPTCdata::AppendEntry(const TTagEntry &) { return Count - 1; }
int32_t TIPTCdata::DatasetRowOf(std::string_view) { return -1; }
void TIPTCdata::ParseSegment(const std::string &) {}
void TIPTCdata::ParseOwnerSegment() {}
int32_t TIPTCdata::IndexOfName(std::string_view) const { return -1; }
void TIPTCdata::RemoveEntry(std::string_view) {}
int32_t TIPTCdata::SetValue(std::string_view, const std::string &) { return -1; }
int32_t TIPTCdata::AppendValue(std::string_view, const std::string &) { return -1; }
int32_t TIPTCdata::SetOrAppendValue(std::string_view, const std::string &) { return -1; }
std::string TIPTCdata::ValueOf(std::string_view, const std::string &d) const { return d; }
bool TIPTCdata::ReadFile(const std::string &) { return false; }

}  // namespace iptc
