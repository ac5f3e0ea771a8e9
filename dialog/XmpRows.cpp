#include "dialog/XmpRows.h"

#include <iterator>
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

}  // namespace

XmpView XmpViewOf(std::string_view packet, std::span<const std::string_view> extendedParts,
                  std::vector<std::string> &notes) {
    XmpView view;
    if (packet.empty()) return view;
    view.Visible = true;
    xmp::TXmpRead read = xmp::ReadXmp(packet, extendedParts);
    view.Rows.reserve(read.Rows.size());
    for (xmp::TXmpRow &property : read.Rows) TakeRow(property, view.Rows.emplace_back());
    if (view.Rows.empty()) view.Rows.resize(1);
    notes.insert(notes.end(), std::make_move_iterator(read.Notes.begin()), std::make_move_iterator(read.Notes.end()));
    return view;
}

bool HasProperties(const XmpView &view) {
    // Property names are never empty: an empty name is the placeholder row.
    return view.Visible && !view.Rows.empty() && !view.Rows.front().Name.empty();
}

}  // namespace params
