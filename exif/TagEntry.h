// One metadata record: the row type of every constant tag table and the type
// of every stored entry (EXIF, maker note, IPTC). Plain value with owned texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace exif {

// Texts are UTF-8 (a file's 8-bit text is converted when it is read); byte
// buffers use the same type.
using Bytes = std::string;

// The values of the directory an entry belongs to, for a rendering function
// whose value is read with another's (a block enciphered with the camera's
// serial number): the bytes of the value of `tag` in that directory, empty
// when it has none, and the camera's Model text.
class TDirectoryValues {
public:
    virtual std::string_view ValueBytes(uint16_t tag) const = 0;
    virtual std::string_view Model() const = 0;

protected:
    ~TDirectoryValues() = default;
};

// A value a maker-note rendering function unpacks from its entry's value: its
// name and text, and, when it is a number, its field type and bytes (in the
// entry's byte order), which -n shows; a text's type is ASCII and its bytes
// are the text.
struct TSubEntry {
    TSubEntry(std::string_view name, std::string value, uint16_t type = 2, std::string raw = {})
        : Name(name), Value(std::move(value)), Type(type), Raw(std::move(raw)) {}
    std::string Name;
    std::string Value;
    uint16_t Type;
    std::string Raw;
};

// What a maker-note rendering function is given besides the rendered text,
// and what it gives besides its own text. Given: the value's bytes, their
// byte order and field type and the other values of its directory. Given back: whether that
// text is a block of lines to list before the entry's own line; the
// sub-entries those lines stand for (label, value), which the walk stores;
// whether the entry's stored value is the rendered text (else the value as
// the walk rendered it) and whether the entry is not stored at all (its
// sub-entries stand for it).
struct TRenderOut {
    std::string_view Raw;
    bool BigEndian = false;
    uint16_t Type = 0;  // TIFF field type 1..13; 0 when not from an entry
    const TDirectoryValues *Directory = nullptr;

    bool Block = false;
    std::vector<TSubEntry> SubEntries;
    bool StoreShown = false;
    bool SubEntriesOnly = false;
    // The value as the entry stores it when the row reads the bytes as
    // something else than the field says (an array of signed numbers typed
    // unsigned, a count enciphered or carrying a flag bit): the bytes, in the
    // value's byte order, and their field type. Type 0: the value as stored.
    Bytes StoredRaw;
    uint16_t StoredType = 0;
};

// A row's rendering function: rewrites the text the walk rendered for a value.
using RenderFn = std::string (*)(const std::string &, TRenderOut *);

struct TTagEntry {
    // Every member has its initializer: a constructor of its own spares the
    // zero-filling of the whole entry that value-initialization would do
    // first (an entry is made in place for every value a walk stores).
    TTagEntry() {}

    int32_t MakerNote = 0;      // 1 for maker-note entries, 0 otherwise
    uint16_t DataType = 0;      // TIFF field type 1..12, 0 in table rows
    uint16_t RecordNumber = 0;  // IPTC record number
    uint16_t Tag = 0;           // tag, dataset or marker number; 0 and no name = "no entry"
    std::string Name;           // identifier-like name shown by the dialog
    std::string Description;    // readable label used by the listings (an EXIF or maker-note entry has it only when they are built)
    std::string ValueCodes;     // "n:text,n:text" pairs, often empty
    std::string Value;          // the value as text
    Bytes Raw;                  // the value's bytes as stored in the file
    int32_t ValuePosition = 0;  // 1-based position of the value in its buffer
    std::string FormatPattern;  // one-argument format applied after rendering
    int32_t RawLength = 0;      // raw byte count (IPTC rows: maximum length)
    RenderFn Render = nullptr;  // optional rendering function
    // The directory the entry was read from: "IFD0", "ExifIFD", "GPS",
    // "InteropIFD", "IFD1" (the thumbnail's), "SubIFD", "SubIFD1", ... (a
    // raw's images); a maker-note entry's, its maker ("Canon"). Empty for an
    // entry no walk read (IPTC datasets, computed rows).
    std::string Directory;
    bool BigEndian = false;  // the byte order Raw is in
};

inline const TTagEntry EmptyEntry{};

// Constant table row, declared as literal data and turned into an owning
// TTagEntry only when an entry is made from it.
struct TTagRow {
    uint16_t Tag;
    std::string_view Name;
    std::string_view Description;
    std::string_view ValueCodes;
    std::string_view FormatPattern;
    RenderFn Render;
};

inline TTagEntry EntryFromRow(const TTagRow &row) {
    TTagEntry e;
    e.Tag = row.Tag;
    e.Name = std::string(row.Name);
    e.Description = std::string(row.Description);
    e.ValueCodes = std::string(row.ValueCodes);
    e.FormatPattern = std::string(row.FormatPattern);
    e.Render = row.Render;
    return e;
}

// What an entry the walk stores keeps of its table row. The walk has applied
// the row's value codes and format pattern to the value already and nothing
// reads them from a stored entry, so they are not copied.
inline void TakeRowIdentity(TTagEntry &e, const TTagRow &row) {
    e.Tag = row.Tag;
    e.Name = row.Name;
    e.Render = row.Render;
}

}  // namespace exif
