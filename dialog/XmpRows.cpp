#include "dialog/XmpRows.h"

#include <iterator>
#include <utility>

#include "exif/TextFormat.h"
#include "xmp/TextEncoding.h"
#include "xmp/XmpPacket.h"

namespace params {

std::string Windows1252OfUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        if (xmp::Utf8SequenceLength(utf8, at) == 0) {
            out += '?';
            ++at;
            continue;
        }
        out += exif::Windows1252Byte(xmp::NextCodePoint(utf8, at));
    }
    return out;
}

namespace {

GridRow RowOf(const xmp::TXmpRow &property) {
    GridRow row;
    row.Name = Windows1252OfUtf8(property.Name);
    row.Value = Windows1252OfUtf8(property.Value);
    // An alternative's items are its languages, each shown as a row of its
    // own already: only bags and sequences are lists.
    row.IsList = property.Kind == xmp::TXmpRow::Bag || property.Kind == xmp::TXmpRow::Seq;
    if (!row.IsList) return row;
    row.Items.reserve(property.Items.size());
    for (const std::string &item : property.Items) row.Items.push_back(Windows1252OfUtf8(item));
    return row;
}

}  // namespace

XmpView XmpViewOf(std::string_view packet, std::span<const std::string_view> extendedParts,
                  std::vector<std::string> &notes) {
    XmpView view;
    if (packet.empty()) return view;
    view.Visible = true;
    xmp::TXmpRead read = xmp::ReadXmp(packet, extendedParts);
    view.Rows.reserve(read.Rows.size());
    for (const xmp::TXmpRow &property : read.Rows) view.Rows.push_back(RowOf(property));
    if (view.Rows.empty()) view.Rows.resize(1);
    notes.insert(notes.end(), std::make_move_iterator(read.Notes.begin()), std::make_move_iterator(read.Notes.end()));
    return view;
}

bool HasProperties(const XmpView &view) {
    // Property names are never empty: an empty name is the placeholder row.
    return view.Visible && !view.Rows.empty() && !view.Rows.front().Name.empty();
}

}  // namespace params
