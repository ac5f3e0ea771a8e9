// A strict, bounded XML reader for what XMP packets use: elements,
// attributes, namespaces, character data and CDATA sections. Comments and
// processing instructions (the <?xpacket ...?> wrapper) are read and
// skipped. Document type declarations are refused outright, and with them
// entity declarations: only the five predefined entities and character
// references are known, so no text can expand beyond the document.
//
// The reader calls a handler for each element start, element end and run of
// character data, in document order; names come resolved against the
// namespace declarations in scope. The first fault ends the read with a
// plain-words message and the byte offset in the caller's bytes.
//
// Input: UTF-8 (a byte-order mark is skipped), or UTF-16 / UTF-32 in either
// byte order, known by a byte-order mark or by the first character '<';
// those are converted to UTF-8 first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace xmp {

// A name as the document wrote it, with its namespace resolved. Local and
// Prefix are views of the document, valid for the whole read; Uri stays
// valid until the element declaring that namespace ends, so the URI of an
// element may be kept while its descendants are read.
struct TXmlName {
    std::string_view Uri;     // the namespace; empty for none
    std::string_view Local;   // the part after the prefix
    std::string_view Prefix;  // as written; empty for none
};

struct TXmlAttribute {
    TXmlName Name;
    // Entity and character references replaced, line ends and literal
    // whitespace characters turned into spaces (there is no DTD, so every
    // attribute is of type CDATA).
    std::string_view Value;
};

// Called in document order. A call returning false stops the read (the
// result is then Stopped, not an error). Namespace declarations (xmlns,
// xmlns:p) are not reported as attributes.
class TXmlHandler {
public:
    virtual ~TXmlHandler() = default;
    virtual bool StartElement(const TXmlName &name, std::span<const TXmlAttribute> attributes) = 0;
    virtual bool EndElement(const TXmlName &name) = 0;
    // The character data between two tags, references replaced, CDATA
    // sections included, CR LF and lone CR read as LF. Whitespace is kept;
    // character data outside the root element is never reported. The text
    // stays valid until the reader reads more character data: through the
    // StartElement or EndElement call that follows it.
    virtual bool Text(std::string_view text) = 0;
};

// Limits whatever a document claims; XMP packets stay far below them.
struct TXmlLimits {
    std::size_t MaxBytes = 8 * 1024 * 1024;  // the input, and its UTF-8 form
    std::size_t MaxDepth = 256;               // open elements
    std::size_t MaxAttributes = 1024;         // per element, xmlns included
    std::size_t MaxNameLength = 1024;         // bytes of a qualified name, and of a namespace name
};

struct TXmlResult {
    enum TStatus { Done, Stopped, Failed };
    TStatus Status = Done;
    std::string Error;    // when Failed, what was wrong ("DOCTYPE refused")
    uint64_t Offset = 0;  // when Failed, the byte in the caller's input
};

TXmlResult ReadXml(std::string_view bytes, TXmlHandler &handler, const TXmlLimits &limits = {});

}  // namespace xmp
