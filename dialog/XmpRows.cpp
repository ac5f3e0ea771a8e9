#include "dialog/XmpRows.h"

#include <iterator>
#include <string>
#include <unordered_map>
#include <utility>

#include "exif/TextFormat.h"
#include "xmp/TextEncoding.h"
#include "xmp/XmpPacket.h"

namespace params {

namespace {

// The row takes the property's texts: the read is not kept.
void TakeRow(xmp::TXmpRow &property, GridRow &row) {
    row.Name = std::move(property.Name);
    row.Value = std::move(property.Value);
    // An alternative's items are its languages, each shown as a row of its
    // own already: only bags and sequences are lists.
    row.IsList = property.Kind == xmp::TXmpRow::Bag || property.Kind == xmp::TXmpRow::Seq;
    if (row.IsList) row.Items = std::move(property.Items);
}

void TakeNotes(xmp::TXmpRead &read, std::vector<std::string> &notes) {
    notes.insert(notes.end(), std::make_move_iterator(read.Notes.begin()), std::make_move_iterator(read.Notes.end()));
}

// A later packet's rows: each replaces the row of its name, or is added.
void MergeRows(xmp::TXmpRead &later, std::vector<GridRow> &rows) {
    std::unordered_map<std::string, size_t> byName;
    for (size_t i = 0; i < rows.size(); ++i) byName.emplace(rows[i].Name, i);
    for (xmp::TXmpRow &property : later.Rows) {
        const auto found = byName.find(property.Name);
        if (found == byName.end()) {
            TakeRow(property, rows.emplace_back());
            continue;
        }
        GridRow &row = rows[found->second];
        row.Items.clear();
        TakeRow(property, row);
    }
}

}  // namespace

XmpView XmpViewOf(std::string_view packet, std::span<const std::string_view> extendedParts,
                  std::vector<std::string> &notes, std::span<const std::string_view> laterPackets) {
    XmpView view;
    if (packet.empty()) return view;
    view.Visible = true;
    xmp::TXmpRead read = xmp::ReadXmp(packet, extendedParts);
    view.Rows.reserve(read.Rows.size());
    for (xmp::TXmpRow &property : read.Rows) TakeRow(property, view.Rows.emplace_back());
    TakeNotes(read, notes);
    for (size_t i = 0; i < laterPackets.size(); ++i) {
        xmp::TXmpRead later = xmp::ReadXmpPacket(laterPackets[i], "XMP packet " + std::to_string(i + 2)).Read;
        MergeRows(later, view.Rows);
        TakeNotes(later, notes);
    }
    if (view.Rows.empty()) view.Rows.resize(1);
    return view;
}

bool HasProperties(const XmpView &view) {
    // Property names are never empty: an empty name is the placeholder row.
    return view.Visible && !view.Rows.empty() && !view.Rows.front().Name.empty();
}

}  // namespace params
