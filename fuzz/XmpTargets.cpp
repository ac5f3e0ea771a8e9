// The XMP targets: the XML reader alone, and the whole XMP path from a
// packet (with Extended XMP parts) to the rows the XMP tab shows.
#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/XmpRows.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzTargets.h"
#include "xmp/ExtendedXmp.h"
#include "xmp/XmlReader.h"
#include "xmp/XmpPacket.h"

namespace fuzz {

using fuzzcheck::Expect;
using fuzzcheck::IsWellFormedUtf8;

namespace {

std::string_view View(const uint8_t *data, size_t size) {
    return {reinterpret_cast<const char *>(data), size};
}

// Follows the reader's events: every element that starts ends, with the
// same name, no deeper than the limit; every name and text well-formed
// UTF-8, names not empty. Stops the read at a point the input chooses, so
// that a handler's refusal is checked too.
class TCheckingHandler final : public xmp::TXmlHandler {
public:
    TCheckingHandler(const xmp::TXmlLimits &limits, size_t stopAfter) : Limits(limits), StopAfter(stopAfter) {}

    bool StartElement(const xmp::TXmlName &name, std::span<const xmp::TXmlAttribute> attributes) override {
        CheckName(name, "element");
        Expect(attributes.size() <= Limits.MaxAttributes, "attributes within the limit");
        for (const xmp::TXmlAttribute &a : attributes) {
            CheckName(a.Name, "attribute");
            Expect(IsWellFormedUtf8(a.Value), "an attribute value is UTF-8");
            Expect(a.Value.find_first_of("\t\r") == std::string_view::npos || HasReference,
                   "literal whitespace in an attribute value read as spaces");
        }
        Open.push_back(std::string(name.Uri) + '\n' + std::string(name.Local));
        Expect(Open.size() <= Limits.MaxDepth, "open elements within the depth limit");
        return Next();
    }

    bool EndElement(const xmp::TXmlName &name) override {
        Expect(!Open.empty(), "an end follows a start");
        Expect(Open.back() == std::string(name.Uri) + '\n' + std::string(name.Local), "an end names its start");
        Open.pop_back();
        return Next();
    }

    bool Text(std::string_view text) override {
        Expect(!Open.empty(), "text only inside the root element");
        Expect(IsWellFormedUtf8(text), "text is UTF-8");
        Expect(text.find('\r') == std::string_view::npos || HasReference, "line ends read as LF");
        return Next();
    }

    std::vector<std::string> Open;
    bool HasReference = false;  // a character reference may write a tab or a CR
    bool Stopped = false;

private:
    void CheckName(const xmp::TXmlName &name, std::string_view what) {
        Expect(!name.Local.empty(), "a name has a local part", what);
        Expect(IsWellFormedUtf8(name.Local) && IsWellFormedUtf8(name.Prefix) && IsWellFormedUtf8(name.Uri),
               "a name is UTF-8", what);
        const size_t qualified = (name.Prefix.empty() ? 0 : name.Prefix.size() + 1) + name.Local.size();
        Expect(qualified <= Limits.MaxNameLength && name.Uri.size() <= Limits.MaxNameLength,
               "a name within the limit", what);
    }

    bool Next() {
        if (++Events != StopAfter) return true;
        Stopped = true;
        return false;
    }

    const xmp::TXmlLimits &Limits;
    size_t StopAfter;
    size_t Events = 0;
};

// The bytes as the JPEG scan gives them: a packet, then, from each
// Extended XMP signature on, one part.
struct TPacketParts {
    std::string_view Packet;
    std::vector<std::string_view> Parts;
};

TPacketParts SplitAtSignatures(std::string_view bytes) {
    TPacketParts split;
    size_t at = bytes.find(xmp::ExtendedXmpSignature);
    split.Packet = bytes.substr(0, at);
    while (at != std::string_view::npos) {
        const size_t next = bytes.find(xmp::ExtendedXmpSignature, at + 1);
        split.Parts.push_back(bytes.substr(at, next == std::string_view::npos ? next : next - at));
        at = next;
    }
    return split;
}

constexpr std::string_view Ellipsis = "\xE2\x80\xA6";

void CheckRow(const xmp::TXmpRow &row, const xmp::TXmpLimits &limits) {
    Expect(!row.Name.empty(), "a row is named");
    Expect(row.Name.find_first_of("\r\n") == std::string::npos, "a row's name is one line", row.Name);
    Expect(row.Name.size() <= limits.MaxNameBytes, "a row's name within the limit", row.Name);
    Expect(IsWellFormedUtf8(row.Name) && IsWellFormedUtf8(row.Value), "a row is UTF-8", row.Name);
    Expect(row.Value.size() <= limits.MaxValueBytes + Ellipsis.size(), "a value within the limit", row.Name);
    for (const std::string &item : row.Items) {
        Expect(item.size() <= limits.MaxValueBytes + Ellipsis.size(), "an item within the limit", row.Name);
        Expect(IsWellFormedUtf8(item), "an item is UTF-8", row.Name);
    }
    const bool array = row.Kind == xmp::TXmpRow::Bag || row.Kind == xmp::TXmpRow::Seq || row.Kind == xmp::TXmpRow::Alt;
    Expect(array || row.Items.empty(), "only arrays have items", row.Name);
    if (row.Kind == xmp::TXmpRow::Alt && !row.Items.empty())
        Expect(std::find(row.Items.begin(), row.Items.end(), row.Value) != row.Items.end(),
               "an alternative shows one of its items", row.Name);
}

}  // namespace

void XmlReader(const uint8_t *data, size_t size) {
    const std::string_view bytes = View(data, size);
    const xmp::TXmlLimits limits;
    // Every 16th input is stopped after a number of events its length gives.
    TCheckingHandler handler(limits, size % 16 == 0 ? size % 61 + 1 : 0);
    // '#' in any encoding the reader takes (a UTF-16 "&#" is not those bytes).
    handler.HasReference = bytes.find('#') != std::string_view::npos;
    const xmp::TXmlResult result = xmp::ReadXml(bytes, handler, limits);
    switch (result.Status) {
        case xmp::TXmlResult::Done:
            Expect(!handler.Stopped, "a stopped read says so");
            Expect(handler.Open.empty(), "a whole document closes every element");
            break;
        case xmp::TXmlResult::Stopped:
            Expect(handler.Stopped, "only the handler stops a read");
            break;
        case xmp::TXmlResult::Failed:
            Expect(!handler.Stopped, "a stopped read is no fault");
            Expect(!result.Error.empty(), "a fault says what it was");
            Expect(result.Offset <= size, "a fault's byte lies in the input");
            break;
    }
}

void XmpPacket(const uint8_t *data, size_t size) {
    const TPacketParts input = SplitAtSignatures(View(data, size));
    const xmp::TXmpLimits limits;
    const xmp::TXmpRead read = xmp::ReadXmp(input.Packet, input.Parts);
    Expect(read.Rows.size() <= limits.MaxRows, "rows within the limit");
    for (const xmp::TXmpRow &row : read.Rows) CheckRow(row, limits);
    for (const std::string &note : read.Notes) Expect(IsWellFormedUtf8(note), "a note is UTF-8", note);

    // The same rows as the XMP tab shows them.
    std::vector<std::string> notes;
    const params::XmpView view = params::XmpViewOf(input.Packet, input.Parts, notes);
    Expect(view.Visible == !input.Packet.empty(), "the tab shows when there is a packet");
    if (!view.Visible) return;
    Expect(view.Rows.size() == std::max<size_t>(read.Rows.size(), 1), "one grid row per property");
    Expect(notes == read.Notes, "the view keeps the reader's notes");
    for (const params::GridRow &row : view.Rows) {
        Expect(row.Name.find_first_of("\r\n") == std::string::npos, "a grid name is one line", row.Name);
        fuzzcheck::CheckTerminalName(row.Name, "XMP grid name");
        fuzzcheck::CheckTerminalText(row.Value, "XMP grid value");
    }
}

}  // namespace fuzz
