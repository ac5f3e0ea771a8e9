// The RDF of an XMP packet read as the XML reader delivers it, with one
// stack of frames, one per open element, and one path buffer that each
// property appends its name to and gives back when it ends; nothing of the
// document is kept but the rows. A row appears when its value is known: a
// simple property at its end, an array at its start (its items are added
// as they come), so rows come in document order.
#include "xmp/XmpPacket.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "xmp/ExtendedXmp.h"
#include "xmp/TextEncoding.h"
#include "xmp/XmlReader.h"

namespace xmp {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view RdfNamespace = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view XmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view XmpNoteNamespace = "http://ns.adobe.com/xmp/note/";
constexpr std::string_view Ellipsis = "\xE2\x80\xA6";  // U+2026, marking a value cut short
constexpr std::size_t MaxNotes = 20;

struct TArrayName {
    std::string_view Local;
    TXmpRow::TKind Kind;
};

constexpr std::array<TArrayName, 3> ArrayNames = {{
    {"Bag", TXmpRow::Bag},
    {"Seq", TXmpRow::Seq},
    {"Alt", TXmpRow::Alt},
}};

// The local name first: it tells most names apart at once.
bool IsRdf(const TXmlName &name, std::string_view local) { return name.Local == local && name.Uri == RdfNamespace; }

bool IsDefaultLanguage(std::string_view lang) {
    constexpr std::string_view Default = "x-default";
    return lang.size() == Default.size() &&
           std::equal(lang.begin(), lang.end(), Default.begin(), [](char a, char b) { return (a | 0x20) == b; });
}

// Where a value longer than `max` bytes is cut: on a character boundary.
std::size_t CutAt(std::string_view value, std::size_t max) {
    std::size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

// `value` into `to`, cut at `max` bytes and marked when longer. Assigned in
// place: a row's strings are made once.
void AssignCapped(std::string &to, std::string_view value, std::size_t max) {
    if (value.size() <= max) {
        to.assign(value);
        return;
    }
    to.assign(value.substr(0, CutAt(value, max)));
    to += Ellipsis;
}

void AssignJoined(std::string &to, const std::vector<std::string> &items, std::size_t max) {
    to.clear();
    for (const std::string &item : items) {
        if (!to.empty()) to += ", ";
        to += item;
        if (to.size() > max) break;
    }
    if (to.size() <= max) return;
    to.resize(CutAt(to, max));
    to += Ellipsis;
}

enum class TFrameKind {
    Outside,   // around rdf:RDF (x:xmpmeta), or before it
    Rdf,       // rdf:RDF: its children are descriptions
    TopNode,   // a description of rdf:RDF: its children and attributes are properties
    Property,  // a property element (a field, an array item, an rdf:value)
    Struct,    // a description inside a property: its children and attributes are fields
    Array,     // rdf:Bag, rdf:Seq or rdf:Alt: its children are rdf:li items
    Skip,      // an element left out, with everything in it
};

// What a property element holds, as far as its start tag and first child
// have told.
enum class TContent {
    Pending,    // text, or one node element (an array or a structure), may come
    Fields,     // rdf:parseType="Resource" or fields as attributes: its children are fields
    Reference,  // rdf:resource: the URI is the value
    Node,       // its one node element came
};

struct TFrame {
    // Every member has its initializer: a constructor of its own spares the
    // zero-filling of the whole frame that value-initialization would do
    // first (a frame is made for every element).
    TFrame() {}

    TFrameKind Kind = TFrameKind::Skip;
    std::size_t PathStart = 0;  // the path's length before the frame's own part
    // For a property, a structure and an array: the namespace fields are
    // named relative to. Valid while the frame is open (see TXmlName).
    std::string_view Uri;
    // For a property.
    std::string_view Local;
    bool ToArray = false;       // its value is an item of the array frame ArrayFrame, else a row
    std::size_t ArrayFrame = 0;
    std::size_t Owner = 0;      // the property whose value it is (itself, or the one of an rdf:value)
    std::string Lang;           // xml:lang: which alternative it is
    TContent Content = TContent::Pending;
    std::string Reference;
    std::size_t RowsAtStart = 0;
    bool Delivered = false;     // its value was given (by an rdf:value)
    // For an array.
    TXmpRow::TKind ArrayKind = TXmpRow::Bag;
    std::size_t Row = 0;
    std::size_t ItemCount = 0;
    std::vector<std::string> Langs;  // of an alternative: the languages of Rows[Row].Items
};

class TRdfReader final : public TXmlHandler {
public:
    // Room for the rows a packet of its size holds as a rule (one in some
    // hundred bytes), so that they are not moved as they come.
    TRdfReader(const TXmpLimits &limits, std::size_t packetBytes) : Limits(limits) {
        Rows.reserve(std::min<std::size_t>(packetBytes / 128, 4096));
    }

    bool StartElement(const TXmlName &name, std::span<const TXmlAttribute> attributes) override;
    bool EndElement(const TXmlName &name) override;
    bool Text(std::string_view text) override {
        PendingText = text;
        return true;
    }
    TXmpPacket Finish(const TXmlResult &xml, std::string_view what);

private:
    const TXmpLimits &Limits;
    std::vector<TFrame> Frames;
    std::string Path;
    std::string_view PendingText;  // the text since the last tag (valid until the next tag is read)
    std::vector<TXmpRow> Rows;
    std::vector<std::size_t> Dropped;  // rows of arrays that held only structures
    std::vector<std::string> Notes;
    std::string ExtendedGuid;
    std::size_t TotalBytes = 0;
    bool SawRdf = false;

    void Note(std::string text);
    bool Charge(std::size_t bytes);
    bool Refuse();
    bool AddRow(std::string_view value, TXmpRow::TKind kind);
    bool AppendName(const TXmlName &name, bool field);
    bool AppendItemIndex(std::size_t n);
    void PushFrame(TFrameKind kind, std::size_t pathStart, std::string_view uri = {});
    bool SkipElement(std::string note);
    std::size_t OwningProperty() const;

    bool StartTopNode(const TXmlName &name, std::span<const TXmlAttribute> attributes);
    bool StartField(const TXmlName &name, std::span<const TXmlAttribute> attributes);
    bool StartValue();
    bool StartItem(const TXmlName &name, std::span<const TXmlAttribute> attributes);
    bool StartNode(const TXmlName &name, std::span<const TXmlAttribute> attributes);
    bool StartProperty(const TXmlName &name, std::span<const TXmlAttribute> attributes, std::size_t pathStart,
                       std::optional<std::size_t> arrayFrame = std::nullopt);
    bool ReadPropertyAttributes(std::span<const TXmlAttribute> attributes);
    bool AddAttributeFields(std::span<const TXmlAttribute> attributes, bool field);
    bool Deliver(std::size_t property, std::string_view value);
    bool FinishProperty(std::size_t property);
    bool FinishArray(TFrame &array);
    bool AddLanguageRows(const TFrame &array, std::size_t chosen);
};

void TRdfReader::Note(std::string text) {
    if (Notes.size() < MaxNotes && std::find(Notes.begin(), Notes.end(), text) == Notes.end())
        Notes.push_back(std::move(text));
}

// Every row and item is charged to the bounds before it is kept.
bool TRdfReader::Charge(std::size_t bytes) {
    if (Rows.size() >= Limits.MaxRows || bytes > Limits.MaxTotalBytes - TotalBytes) return Refuse();
    TotalBytes += bytes;
    return true;
}

// Apart from Charge, which every row and item passes through.
bool TRdfReader::Refuse() {
    Note("more than " + std::to_string(Limits.MaxRows) + " properties or " + std::to_string(Limits.MaxTotalBytes) +
         " bytes; the rest not read");
    return false;
}

bool TRdfReader::AddRow(std::string_view value, TXmpRow::TKind kind) {
    if (!Charge(Path.size() + std::min(value.size(), Limits.MaxValueBytes))) return false;
    TXmpRow &row = Rows.emplace_back();
    row.Name = Path;
    AssignCapped(row.Value, value, Limits.MaxValueBytes);
    row.Kind = kind;
    return true;
}

// A property's name after its parent's: `prefix:Name` at the top, a field
// `/Name` in its structure's namespace and `/prefix:Name` in another. False
// (the path as it was) when the name grows past its bound.
bool TRdfReader::AppendName(const TXmlName &name, bool field) {
    const std::size_t start = Path.size();
    if (field) Path += '/';
    if (!field || name.Uri != Frames.back().Uri) {
        if (!name.Prefix.empty()) (Path += name.Prefix) += ':';
    }
    Path += name.Local;
    if (Path.size() <= Limits.MaxNameBytes) return true;
    Path.resize(start);
    return false;
}

bool TRdfReader::AppendItemIndex(std::size_t n) {
    if (Path.size() + 22 > Limits.MaxNameBytes) return false;
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), n).ptr;
    ((Path += '[') += std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data()))) += ']';
    return true;
}

void TRdfReader::PushFrame(TFrameKind kind, std::size_t pathStart, std::string_view uri) {
    TFrame &f = Frames.emplace_back();
    f.Kind = kind;
    f.PathStart = pathStart;
    f.Uri = uri;
}

bool TRdfReader::SkipElement(std::string note) {
    Note(std::move(note));
    PushFrame(TFrameKind::Skip, Path.size());
    return true;
}

std::size_t TRdfReader::OwningProperty() const {
    return Frames.back().Kind == TFrameKind::Property ? Frames.size() - 1 : Frames.size() - 2;
}

bool TRdfReader::StartElement(const TXmlName &name, std::span<const TXmlAttribute> attributes) {
    PendingText = {};
    const TFrameKind parent = Frames.empty() ? TFrameKind::Outside : Frames.back().Kind;
    switch (parent) {
    case TFrameKind::Outside:
        SawRdf = SawRdf || IsRdf(name, "RDF");
        PushFrame(IsRdf(name, "RDF") ? TFrameKind::Rdf : TFrameKind::Outside, Path.size());
        return true;
    case TFrameKind::Rdf:
        return StartTopNode(name, attributes);
    case TFrameKind::TopNode:
    case TFrameKind::Struct:
        return StartField(name, attributes);
    case TFrameKind::Property:
        if (Frames.back().Content == TContent::Fields) return StartField(name, attributes);
        return StartNode(name, attributes);
    case TFrameKind::Array:
        return StartItem(name, attributes);
    case TFrameKind::Skip:
        PushFrame(TFrameKind::Skip, Path.size());
        return true;
    }
    return true;
}

// A description of the packet: rdf:Description, or a typed node (its type
// is not shown).
bool TRdfReader::StartTopNode(const TXmlName &name, std::span<const TXmlAttribute> attributes) {
    if (name.Uri == RdfNamespace && name.Local != "Description")
        return SkipElement("rdf:" + std::string(name.Local) + " where a description belongs; left out");
    PushFrame(TFrameKind::TopNode, Path.size());
    return AddAttributeFields(attributes, false);
}

// Properties given as attributes: the RDF syntax attributes (rdf:about, ...),
// xml:lang and attributes in no namespace are not properties.
bool TRdfReader::AddAttributeFields(std::span<const TXmlAttribute> attributes, bool field) {
    for (const TXmlAttribute &a : attributes) {
        if (a.Name.Uri.empty() || a.Name.Uri == RdfNamespace || a.Name.Uri == XmlNamespace) continue;
        const std::size_t start = Path.size();
        if (!AppendName(a.Name, field)) {
            Note("a property named with more than " + std::to_string(Limits.MaxNameBytes) + " bytes left out");
            continue;
        }
        if (!field && a.Name.Uri == XmpNoteNamespace && a.Name.Local == "HasExtendedXMP") ExtendedGuid = a.Value;
        const bool kept = AddRow(a.Value, TXmpRow::Simple);
        Path.resize(start);
        if (!kept) return false;
    }
    return true;
}

bool TRdfReader::StartField(const TXmlName &name, std::span<const TXmlAttribute> attributes) {
    const bool field = Frames.back().Kind != TFrameKind::TopNode;
    if (field && IsRdf(name, "value")) return StartValue();
    if (name.Uri == RdfNamespace && name.Local != "type")
        return SkipElement("rdf:" + std::string(name.Local) + " where a property belongs; left out");
    const std::size_t start = Path.size();
    if (!AppendName(name, field))
        return SkipElement("a property named with more than " + std::to_string(Limits.MaxNameBytes) + " bytes left out");
    return StartProperty(name, attributes, start);
}

// rdf:value in a structure: the value of the property owning the structure,
// whose other fields are then its qualifiers.
bool TRdfReader::StartValue() {
    const std::size_t owner = OwningProperty();
    const TFrame &o = Frames[owner];
    TFrame v;
    v.Kind = TFrameKind::Property;
    v.PathStart = Path.size();
    v.Uri = o.Uri;
    v.Local = "value";
    v.ToArray = o.ToArray;
    v.ArrayFrame = o.ArrayFrame;
    v.Owner = owner;
    v.Lang = o.Lang;
    v.RowsAtStart = Rows.size();
    Frames.push_back(std::move(v));
    return true;
}

bool TRdfReader::StartItem(const TXmlName &name, std::span<const TXmlAttribute> attributes) {
    if (!IsRdf(name, "li")) return SkipElement("an element other than rdf:li in an array; left out");
    const std::size_t array = Frames.size() - 1;
    const std::size_t start = Path.size();
    if (!AppendItemIndex(++Frames[array].ItemCount))
        return SkipElement("a property named with more than " + std::to_string(Limits.MaxNameBytes) + " bytes left out");
    TXmlName inherited = name;
    inherited.Uri = Frames[array].Uri;  // an item's fields are named like its array's
    return StartProperty(inherited, attributes, start, array);
}

// The one node element of a property: an array or a structure.
bool TRdfReader::StartNode(const TXmlName &name, std::span<const TXmlAttribute> attributes) {
    TFrame &property = Frames.back();
    if (property.Content != TContent::Pending)
        return SkipElement("a property holding more than one value; the rest left out");
    property.Content = TContent::Node;
    for (const TArrayName &a : ArrayNames)
        if (IsRdf(name, a.Local)) {
            const std::string_view uri = property.Uri;
            if (!AddRow({}, a.Kind)) return false;
            PushFrame(TFrameKind::Array, Path.size(), uri);
            Frames.back().ArrayKind = a.Kind;
            Frames.back().Row = Rows.size() - 1;
            return true;
        }
    if (name.Uri == RdfNamespace && name.Local != "Description")
        return SkipElement("rdf:" + std::string(name.Local) + " as a property's value; left out");
    PushFrame(TFrameKind::Struct, Path.size(), property.Uri);
    return AddAttributeFields(attributes, true);
}

bool TRdfReader::StartProperty(const TXmlName &name, std::span<const TXmlAttribute> attributes, std::size_t pathStart,
                               std::optional<std::size_t> arrayFrame) {
    PushFrame(TFrameKind::Property, pathStart, name.Uri);
    TFrame &p = Frames.back();
    p.Local = name.Local;
    p.ToArray = arrayFrame.has_value();
    p.ArrayFrame = arrayFrame.value_or(0);
    p.Owner = Frames.size() - 1;
    p.RowsAtStart = Rows.size();
    return ReadPropertyAttributes(attributes);
}

// The attributes of a property element tell its form: rdf:parseType,
// rdf:resource, fields given as attributes (with rdf:value among them, a
// value with qualifiers), xml:lang.
bool TRdfReader::ReadPropertyAttributes(std::span<const TXmlAttribute> attributes) {
    const std::size_t self = Frames.size() - 1;
    const TXmlAttribute *value = nullptr;
    bool fields = false;
    for (const TXmlAttribute &a : attributes) {
        TFrame &p = Frames[self];
        if (a.Name.Uri == XmlNamespace && a.Name.Local == "lang") p.Lang = a.Value;
        else if (IsRdf(a.Name, "resource")) {
            p.Content = TContent::Reference;
            p.Reference = a.Value;
        } else if (IsRdf(a.Name, "value")) value = &a;
        else if (IsRdf(a.Name, "parseType") && a.Value == "Resource") p.Content = TContent::Fields;
        else if (IsRdf(a.Name, "parseType")) {
            p.Kind = TFrameKind::Skip;
            Note("rdf:parseType=\"" + std::string(a.Value) + "\" not read");
            return true;
        } else if (!a.Name.Uri.empty() && a.Name.Uri != RdfNamespace) fields = true;
    }
    if (!fields && !value) return true;
    Frames[self].Content = TContent::Fields;
    if (!AddAttributeFields(attributes, true)) return false;
    return !value || Deliver(self, value->Value);
}

// A simple value, given to the row or the array item its property stands for.
bool TRdfReader::Deliver(std::size_t property, std::string_view value) {
    TFrame &p = Frames[property];
    Frames[p.Owner].Delivered = true;
    if (!p.ToArray) {
        const bool topLevel = property > 0 && Frames[property - 1].Kind == TFrameKind::TopNode;
        if (topLevel && p.Uri == XmpNoteNamespace && p.Local == "HasExtendedXMP") ExtendedGuid = value;
        return AddRow(value, TXmpRow::Simple);
    }
    TFrame &array = Frames[p.ArrayFrame];
    if (!Charge(std::min(value.size(), Limits.MaxValueBytes))) return false;
    AssignCapped(Rows[array.Row].Items.emplace_back(), value, Limits.MaxValueBytes);
    if (array.ArrayKind == TXmpRow::Alt) array.Langs.push_back(p.Lang);
    return true;
}

bool TRdfReader::FinishProperty(std::size_t property) {
    TFrame &p = Frames[property];
    switch (p.Content) {
    case TContent::Pending:
        return Deliver(property, PendingText);
    case TContent::Reference:
        return Deliver(property, p.Reference);
    case TContent::Fields:
    case TContent::Node:
        // A structure that gave no field and no value is still shown.
        if (Rows.size() == p.RowsAtStart && !p.Delivered && p.Owner == property) return AddRow({}, TXmpRow::Struct);
        return true;
    }
    return true;
}

// A language alternative's other languages, each a row `name[lang]`.
bool TRdfReader::AddLanguageRows(const TFrame &array, std::size_t chosen) {
    for (std::size_t i = 0; i < array.Langs.size(); ++i) {
        if (array.Langs[i].empty() || (i == chosen && IsDefaultLanguage(array.Langs[i]))) continue;
        const std::size_t start = Path.size();
        ((Path += '[') += array.Langs[i]) += ']';
        const bool named = Path.size() <= Limits.MaxNameBytes;
        const std::string value = Rows[array.Row].Items[i];
        const bool kept = !named || AddRow(value, TXmpRow::Simple);
        Path.resize(start);
        if (!kept) return false;
    }
    return true;
}

bool TRdfReader::FinishArray(TFrame &array) {
    TXmpRow &row = Rows[array.Row];
    if (row.Items.empty() && array.ItemCount > 0) Dropped.push_back(array.Row);
    if (array.ArrayKind != TXmpRow::Alt) {
        AssignJoined(row.Value, row.Items, Limits.MaxValueBytes);
        return true;
    }
    const auto found = std::find_if(array.Langs.begin(), array.Langs.end(), [](const std::string &l) { return IsDefaultLanguage(l); });
    const std::size_t chosen = found == array.Langs.end() ? 0 : static_cast<std::size_t>(found - array.Langs.begin());
    if (!row.Items.empty()) row.Value = row.Items[chosen];
    return AddLanguageRows(array, chosen);
}

bool TRdfReader::EndElement(const TXmlName &) {
    const std::size_t top = Frames.size() - 1;
    bool going = true;
    if (Frames[top].Kind == TFrameKind::Property) going = FinishProperty(top);
    else if (Frames[top].Kind == TFrameKind::Array) going = FinishArray(Frames[top]);
    Path.resize(Frames[top].PathStart);
    Frames.pop_back();
    PendingText = {};
    return going;
}

TXmpPacket TRdfReader::Finish(const TXmlResult &xml, std::string_view what) {
    TXmpPacket packet;
    const std::string prefix = std::string(what) + ": ";
    // A fault ends the read where it is: the properties read whole before it
    // are kept, an array the fault left open (some of its items read) is
    // left out, and nothing after the fault is guessed.
    const bool failed = xml.Status == TXmlResult::Failed;
    if (failed)
        for (const TFrame &f : Frames)
            if (f.Kind == TFrameKind::Array) Dropped.push_back(f.Row);
    std::sort(Dropped.begin(), Dropped.end());
    std::size_t kept = 0, next = 0;
    for (std::size_t i = 0; i < Rows.size(); ++i) {
        if (next < Dropped.size() && Dropped[next] == i) {
            ++next;
            continue;
        }
        if (kept != i) Rows[kept] = std::move(Rows[i]);
        ++kept;
    }
    Rows.resize(kept);
    if (failed) {
        std::string note = prefix + xml.Error + " at byte " + std::to_string(xml.Offset);
        if (!Rows.empty())
            note += "; read up to there (" + std::to_string(Rows.size()) + (Rows.size() == 1 ? " row)" : " rows)");
        packet.Read.Notes.push_back(std::move(note));
    } else if (!SawRdf) {
        Note("no rdf:RDF element; nothing read");
    }
    packet.Read.Rows = std::move(Rows);
    for (std::string &n : Notes) packet.Read.Notes.push_back(prefix + n);
    packet.ExtendedGuid = std::move(ExtendedGuid);
    return packet;
}

// A packet's own padding may end in NUL bytes after the closing
// processing instruction; they are no part of the XML.
std::string_view WithoutTrailingNuls(std::string_view packet) {
    if (DetectEncoding(packet).Encoding != TEncoding::Utf8) return packet;
    while (!packet.empty() && packet.back() == '\0') packet.remove_suffix(1);
    return packet;
}

}  // namespace

TXmpPacket ReadXmpPacket(std::string_view packet, std::string_view what, const TXmpLimits &limits) {
    const std::string_view xmlBytes = WithoutTrailingNuls(packet);
    TRdfReader reader(limits, xmlBytes.size());
    const TXmlResult xml = ReadXml(xmlBytes, reader);
    return reader.Finish(xml, what);
}

std::string ReadExtendedXmpGuid(std::string_view packet) { return ReadXmpPacket(packet).ExtendedGuid; }

namespace {

bool IsGuid(std::string_view s) {
    return s.size() == 32 && std::all_of(s.begin(), s.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
           });
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\n' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

void Append(TXmpRead &to, TXmpRead &&from) {
    to.Rows.insert(to.Rows.end(), std::make_move_iterator(from.Rows.begin()), std::make_move_iterator(from.Rows.end()));
    to.Notes.insert(to.Notes.end(), std::make_move_iterator(from.Notes.begin()), std::make_move_iterator(from.Notes.end()));
}

}  // namespace

TXmpRead ReadXmp(std::string_view packet, std::span<const std::string_view> extendedParts) {
    const TXmpLimits limits;
    TXmpPacket main = ReadXmpPacket(packet, "XMP packet", limits);
    TXmpRead read = std::move(main.Read);
    if (extendedParts.empty()) return read;
    const std::string_view guid = Trimmed(main.ExtendedGuid);
    if (!IsGuid(guid)) {
        read.Notes.push_back("Extended XMP: " + std::to_string(extendedParts.size()) +
                             " parts present but the XMP packet names no extension GUID; not read");
        return read;
    }
    TExtendedXmp extended = ReassembleExtendedXmp(extendedParts, guid);
    for (const std::string &n : extended.Notes) read.Notes.push_back("Extended XMP: " + n);
    if (!extended.Complete) return read;
    TXmpLimits rest = limits;
    rest.MaxRows -= std::min(rest.MaxRows, read.Rows.size());
    Append(read, ReadXmpPacket(extended.Packet, "Extended XMP", rest).Read);
    return read;
}

}  // namespace xmp
