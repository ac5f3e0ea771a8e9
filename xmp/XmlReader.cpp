// The reader works on the whole document as UTF-8 in one pass: a first
// sweep checks that every byte belongs to a valid UTF-8 sequence of a
// character XML allows, so the parse itself can take code points for
// granted. Text that is one run of the document is handed over as a view of
// it; other text and attribute values are decoded into buffers kept from one
// construct to the next (no allocation per character), namespace prefixes
// are looked up among the last bindings, else in a hash map of their
// innermost binding, and duplicate attributes are found by sorting, so the
// work stays linear in the input whatever its shape. Long runs of bytes
// (the check, text, attribute values, whitespace) are scanned many bytes at
// a time (bytes/ByteScan.h).
#include "xmp/XmlReader.h"

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "bytes/ByteScan.h"
#include "xmp/TextEncoding.h"

namespace xmp {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view XmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view XmlnsNamespace = "http://www.w3.org/2000/xmlns/";

struct TEntity {
    std::string_view Name;
    char Text;
};

constexpr std::array<TEntity, 5> PredefinedEntities = {{
    {"lt", '<'},
    {"gt", '>'},
    {"amp", '&'},
    {"apos", '\''},
    {"quot", '"'},
}};

struct TRange {
    char32_t First;
    char32_t Last;
};

// The characters a name may start with (the colon aside: it only separates
// a prefix from the local part here).
constexpr std::array<TRange, 15> NameStartRanges = {{
    {U'A', U'Z'},
    {U'_', U'_'},
    {U'a', U'z'},
    {0xC0, 0xD6},
    {0xD8, 0xF6},
    {0xF8, 0x2FF},
    {0x370, 0x37D},
    {0x37F, 0x1FFF},
    {0x200C, 0x200D},
    {0x2070, 0x218F},
    {0x2C00, 0x2FEF},
    {0x3001, 0xD7FF},
    {0xF900, 0xFDCF},
    {0xFDF0, 0xFFFD},
    {0x10000, 0xEFFFF},
}};

// The characters a name may hold beyond those it may start with.
constexpr std::array<TRange, 5> NameMoreRanges = {{
    {U'-', U'.'},
    {U'0', U'9'},
    {0xB7, 0xB7},
    {0x300, 0x36F},
    {0x203F, 0x2040},
}};

bool InRanges(std::span<const TRange> ranges, char32_t c) {
    return std::any_of(ranges.begin(), ranges.end(), [c](const TRange &r) { return c >= r.First && c <= r.Last; });
}

// What an ASCII byte is to the reader's scans, one bit a role: the scans
// over a document's bytes (the character check, names, whitespace, runs of
// text) take one look-up a byte. Bytes from 0x80 on have no role: they
// start multi-byte characters, decided by the range tables.
enum : uint8_t {
    XmlChar = 1,    // a character XML allows
    NameStart = 2,  // may start a name (the colon aside)
    NameChar = 4,   // may continue one
    Space = 8,
    EndsTextRun = 16,  // ends a run of character data taken as it is
    EndsValueRun = 32,  // ends a run of an attribute value taken as it is (so does its quote)
};

constexpr std::array<uint8_t, 256> ByteRoles = [] {
    std::array<uint8_t, 256> roles{};
    for (size_t c = 0x20; c < 0x80; ++c) roles[c] = XmlChar;
    for (const size_t c : {size_t{'\t'}, size_t{'\n'}, size_t{'\r'}, size_t{' '}}) roles[c] = XmlChar | Space;
    for (size_t c = 'a'; c <= 'z'; ++c) roles[c] |= NameStart | NameChar;
    for (size_t c = 'A'; c <= 'Z'; ++c) roles[c] |= NameStart | NameChar;
    roles['_'] |= NameStart | NameChar;
    for (size_t c = '0'; c <= '9'; ++c) roles[c] |= NameChar;
    roles['-'] |= NameChar;
    roles['.'] |= NameChar;
    for (const size_t c : {size_t{'<'}, size_t{'&'}, size_t{'\r'}, size_t{']'}}) roles[c] |= EndsTextRun;
    for (const size_t c : {size_t{'<'}, size_t{'&'}, size_t{'\t'}, size_t{'\n'}, size_t{'\r'}}) roles[c] |= EndsValueRun;
    return roles;
}();

bool Has(char c, uint8_t role) { return (ByteRoles[static_cast<unsigned char>(c)] & role) != 0; }

using namespace exif::scan;

// The bytes of a word outside 0x20..0x7F.
uint64_t NotPlainAscii(uint64_t w) { return (w | (w - 0x20 * Ones)) & Tops; }

#ifdef EXIF_BLOCK_SCANS
unsigned Spaces(const TBlock &b) { return b.Equal(' ') | b.Equal('\t') | b.Equal('\n') | b.Equal('\r'); }
#endif

// The end of the run from `at` of ASCII characters XML allows: most of a
// packet, broken only by its line ends, which are let through; the bytes
// after the last whole block go eight at a time, a word with a line end in
// it byte by byte.
std::size_t XmlAsciiEnd(std::string_view doc, std::size_t at) {
#ifdef EXIF_BLOCK_SCANS
    for (; doc.size() - at >= TBlock::Size; at += TBlock::Size) {
        const TBlock b(doc, at);
        const unsigned odd = b.NotPlainAscii();
        if (odd == 0) continue;
        const unsigned bad = odd & ~(b.Equal('\t') | b.Equal('\n') | b.Equal('\r'));
        if (bad != 0) return at + FirstMarked(bad);
    }
#endif
    for (;;) {
        if (WordScans && doc.size() - at >= 8 && NotPlainAscii(WordAt(doc, at)) == 0) {
            at += 8;
            continue;
        }
        for (const std::size_t stop = std::min(doc.size(), at + 8); at < stop; ++at)
            if (!Has(doc[at], XmlChar)) return at;
        if (at == doc.size()) return at;
    }
}

// The first byte from `at` that ends a run of character data taken as it
// is (see EndsTextRun), or the document's end.
std::size_t TextRunEnd(std::string_view doc, std::size_t at) {
#ifdef EXIF_BLOCK_SCANS
    for (; doc.size() - at >= TBlock::Size; at += TBlock::Size) {
        const TBlock b(doc, at);
        const unsigned stops = b.Equal('<') | b.Equal('&') | b.Equal('\r') | b.Equal(']');
        if (stops != 0) return at + FirstMarked(stops);
    }
#endif
    if constexpr (WordScans) {
        for (; doc.size() - at >= 8; at += 8) {
            const uint64_t w = WordAt(doc, at);
            const uint64_t marks = BytesEqual(w, '<') | BytesEqual(w, '&') | BytesEqual(w, '\r') | BytesEqual(w, ']');
            if (marks != 0) return at + FirstMarkedByte(marks);
        }
    }
    while (at < doc.size() && !Has(doc[at], EndsTextRun)) ++at;
    return at;
}

// The first byte from `at` that ends a run of an attribute value taken as
// it is (see EndsValueRun), or the document's end.
std::size_t ValueRunEnd(std::string_view doc, std::size_t at, char quote) {
#ifdef EXIF_BLOCK_SCANS
    for (; doc.size() - at >= TBlock::Size; at += TBlock::Size) {
        const TBlock b(doc, at);
        const unsigned stops = b.Equal(quote) | b.Equal('<') | b.Equal('&') | b.Equal('\t') | b.Equal('\n') | b.Equal('\r');
        if (stops != 0) return at + FirstMarked(stops);
    }
#endif
    while (at < doc.size() && doc[at] != quote && !Has(doc[at], EndsValueRun)) ++at;
    return at;
}

bool IsNameStart(char32_t c) { return c < 0x80 ? (ByteRoles[c] & NameStart) != 0 : InRanges(NameStartRanges, c); }
bool IsNameChar(char32_t c) {
    return c < 0x80 ? (ByteRoles[c] & NameChar) != 0 : InRanges(NameStartRanges, c) || InRanges(NameMoreRanges, c);
}
bool IsSpace(char c) { return Has(c, Space); }

// A character XML allows in a document (the surrogates are ruled out by the
// UTF-8 check already).
bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xFFFD) || c >= 0x10000;
}


std::string CodePointName(char32_t c) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string s = "U+";
    for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4) s += Hex[(c >> shift) & 0xF];
    return s;
}

// The names an XML declaration may give each encoding the reader knows.
struct TDeclaredEncoding {
    std::string_view Name;
    TEncoding Encoding;
};

constexpr std::array<TDeclaredEncoding, 9> DeclaredEncodings = {{
    {"UTF-8", TEncoding::Utf8},
    {"UTF-16", TEncoding::Utf16LE},
    {"UTF-16", TEncoding::Utf16BE},
    {"UTF-16LE", TEncoding::Utf16LE},
    {"UTF-16BE", TEncoding::Utf16BE},
    {"UTF-32", TEncoding::Utf32LE},
    {"UTF-32", TEncoding::Utf32BE},
    {"UTF-32LE", TEncoding::Utf32LE},
    {"UTF-32BE", TEncoding::Utf32BE},
}};

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'a' && x <= 'z' ? x - 32 : x) == (y >= 'a' && y <= 'z' ? y - 32 : y);
           });
}

// The encoding a declaration names must be the one the bytes are in: a
// document declared in another (ISO-8859-1, say) would be misread.
bool IsDeclaredEncoding(std::string_view name, TEncoding found) {
    return std::any_of(DeclaredEncodings.begin(), DeclaredEncodings.end(),
                       [&](const TDeclaredEncoding &d) { return d.Encoding == found && SameLetters(d.Name, name); });
}

// A version number as XML 1.0 first wrote it (letters, digits, "_.-"; the
// colon that grammar allowed is no name character under namespaces):
// a later 1.x document is read as 1.0.
bool IsVersion(std::string_view v) {
    return !v.empty() && std::all_of(v.begin(), v.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
                      c == '-';
           });
}

bool IsEncodingName(std::string_view e) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return !e.empty() && letter(e[0]) && std::all_of(e.begin(), e.end(), [&](char c) {
               return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
           });
}

class TParser {
public:
    TParser(std::string_view doc, TEncoding encoding, TXmlHandler &handler, const TXmlLimits &limits)
        : Doc(doc), Encoding(encoding), Handler(handler), Limits(limits) {
        Bind(""sv, ""sv);  // no default namespace at the start
        Bind("xml"sv, XmlNamespace);
    }

    TXmlResult Run();

private:
    struct TOpen {
        std::string_view QName;
        TXmlName Name;
        std::size_t Bindings;  // bindings in force before the element's own
        std::size_t Offset;
    };
    struct TBinding {
        std::string_view Prefix;
        std::string_view Uri;
        std::size_t Shadowed;  // the binding of the same prefix it hides, +1; 0 for none
    };
    struct TRawAttribute {
        std::string_view QName;
        std::size_t ValueBegin, ValueEnd;  // in Values
        std::size_t Offset;
    };

    std::string_view Doc;
    TEncoding Encoding;  // the input's, before conversion
    TXmlHandler &Handler;
    const TXmlLimits &Limits;
    std::size_t Pos = 0;
    bool RootSeen = false;
    bool Stopped = false;
    std::optional<TXmlResult> Failure;

    std::vector<TOpen> Open;
    std::vector<TBinding> Bindings;
    std::unordered_map<std::string_view, std::size_t> Innermost;  // prefix -> binding + 1
    std::deque<std::string> Uris;  // decoded namespace names, one per binding; a deque keeps them in place

    // The character data read since the last tag: while it is one run of
    // the document as it stands (most text is), only where that run lies;
    // else decoded into TextBuffer. Once handed to the handler it is kept
    // until more is read, so the handler's view of it stays valid through
    // the tag that follows.
    std::string TextBuffer;
    std::size_t RunBegin = 0, RunEnd = 0;
    bool TextDelivered = false;
    std::string Values;  // the attribute values of the start tag being read
    std::vector<TRawAttribute> RawAttributes;
    std::vector<TXmlAttribute> Attributes;
    std::vector<std::pair<TXmlName, std::size_t>> SortedNames;

    bool Fail(std::string message, std::size_t offset) {
        Failure = TXmlResult{TXmlResult::Failed, std::move(message), offset};
        return false;
    }
    bool Stop() {
        Stopped = true;
        return false;
    }
    bool AtEnd() const { return Pos >= Doc.size(); }
    // Compared byte by byte: `s` is a short constant, the call inlined.
    bool LooksAt(std::string_view s) const {
        if (Pos > Doc.size() || Doc.size() - Pos < s.size()) return false;
        for (std::size_t k = 0; k < s.size(); ++k)
            if (Doc[Pos + k] != s[k]) return false;
        return true;
    }
    void SkipSpace() {
        // Inside a tag there is mostly no space, or one.
        if (AtEnd() || !IsSpace(Doc[Pos])) return;
        ++Pos;
        if (AtEnd() || !IsSpace(Doc[Pos])) return;
#ifdef EXIF_BLOCK_SCANS
        // Runs of whitespace (indentation, a packet's padding) go a block at a time.
        while (!AtEnd() && Doc.size() - Pos >= TBlock::Size) {
            const unsigned spaces = Spaces(TBlock(Doc, Pos));
            if (spaces != 0xFFFF) {
                Pos += FirstMarked(~spaces);
                return;
            }
            Pos += TBlock::Size;
        }
#endif
        while (!AtEnd()) {
            // Runs of spaces (indentation, a packet's padding) go eight at a time.
            if (Doc.size() - Pos >= 8 && Doc.substr(Pos, 8) == "        "sv) {
                Pos += 8;
                continue;
            }
            if (!IsSpace(Doc[Pos])) break;
            ++Pos;
        }
    }

    bool CheckCharacters();
    bool Step();
    bool ReadMarkup();
    bool ReadText();
    bool ReadOutsideText();
    bool ReadReference(std::string &out);
    std::optional<char32_t> CharacterReference(std::string_view digits, bool hex) const;
    bool ReadComment();
    bool ReadProcessingInstruction();
    std::optional<std::string_view> ReadPseudoAttribute(std::string_view name);
    bool ReadXmlDeclaration();
    bool ReadCData();
    bool ReadDeclaration();
    bool ReadStartTag();
    bool ReadAttribute();
    bool ReadAttributeValue(char quote);
    bool ReadEndTag();
    std::optional<std::string_view> ReadQName();
    std::size_t ScanNcName(std::size_t from) const;
    std::size_t AsciiQNameEnd(std::size_t from) const;
    bool FlushText();
    void StartText();
    void AddTextRun(std::size_t from, std::size_t to);
    std::string &TextOut();

    void Bind(std::string_view prefix, std::string_view uri);
    void Unbind(std::size_t keep);
    bool DeclareNamespaces();
    bool DeclareNamespace(std::string_view prefix, std::string_view uri, std::size_t offset);
    bool Resolve(std::string_view qname, bool isAttribute, std::size_t offset, TXmlName &name);
    bool ResolveAttributes();
    bool CheckDuplicates();
    bool OpenElement(std::string_view qname, std::size_t offset, bool empty);
    bool CloseElement();
};

TXmlResult TParser::Run() {
    bool going = CheckCharacters();
    while (going && !AtEnd()) going = Step();
    if (going && !Open.empty()) Fail("element <" + std::string(Open.back().QName) + "> not closed", Open.back().Offset);
    else if (going && !RootSeen) Fail("no root element", Doc.size());
    if (Failure) return *Failure;
    return {Stopped ? TXmlResult::Stopped : TXmlResult::Done, {}, 0};
}

bool TParser::CheckCharacters() {
    for (std::size_t i = 0; i < Doc.size();) {
        i = XmlAsciiEnd(Doc, i);
        if (i == Doc.size()) break;
        const std::size_t n = Utf8SequenceLength(Doc, i);
        if (n == 0) return Fail("invalid UTF-8", i);
        std::size_t next = i;
        const char32_t c = NextCodePoint(Doc, next);
        if (!IsXmlChar(c)) return Fail("character " + CodePointName(c) + " not allowed", i);
        i += n;
    }
    return true;
}

bool TParser::Step() {
    if (Doc[Pos] == '<') return ReadMarkup();
    if (Open.empty()) return ReadOutsideText();
    if (Doc[Pos] == '&') return ReadReference(TextOut());
    return ReadText();
}

// The byte after '<' tells the markup; tags, by far the most, are told first.
bool TParser::ReadMarkup() {
    const char next = Doc.size() - Pos > 1 ? Doc[Pos + 1] : '\0';
    if (next != '!' && next != '?') return FlushText() && (next == '/' ? ReadEndTag() : ReadStartTag());
    if (LooksAt("<!--")) return ReadComment();
    if (LooksAt("<?")) return ReadProcessingInstruction();
    if (LooksAt("<![CDATA[")) return ReadCData();
    return ReadDeclaration();
}

// Character data up to the next markup or reference, line ends read as LF.
bool TParser::ReadText() {
    while (!AtEnd()) {
        const std::size_t stop = TextRunEnd(Doc, Pos);
        AddTextRun(Pos, stop);
        Pos = stop;
        if (AtEnd() || Doc[Pos] == '<' || Doc[Pos] == '&') return true;
        if (Doc[Pos] == '\r') {
            TextOut() += '\n';
            Pos += LooksAt("\r\n") ? 2 : 1;
        } else {
            if (LooksAt("]]>")) return Fail("']]>' in character data", Pos);
            TextOut() += ']';
            ++Pos;
        }
    }
    return true;
}

// Before and after the root element only whitespace may stand between
// markup.
bool TParser::ReadOutsideText() {
    const std::size_t start = Pos;
    SkipSpace();
    if (Pos == start) return Fail(RootSeen ? "text after the root element" : "text before the root element", Pos);
    return true;
}

std::optional<char32_t> TParser::CharacterReference(std::string_view digits, bool hex) const {
    if (digits.empty()) return std::nullopt;
    uint32_t value = 0;
    for (const char d : digits) {
        const int v = d >= '0' && d <= '9' ? d - '0'
                    : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                    : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10 : -1;
        if (v < 0) return std::nullopt;
        value = value * (hex ? 16u : 10u) + static_cast<uint32_t>(v);
        if (value > 0x10FFFF) return std::nullopt;
    }
    const auto c = static_cast<char32_t>(value);
    if (!IsXmlChar(c) || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return c;
}

// &name; or &#N; or &#xH;, appended to `out` as UTF-8.
bool TParser::ReadReference(std::string &out) {
    const std::size_t start = Pos;
    const std::size_t semicolon = Doc.find(';', Pos);
    if (semicolon == std::string_view::npos || semicolon - Pos > 16 + Limits.MaxNameLength)
        return Fail("'&' without a reference", start);
    const std::string_view body = Doc.substr(Pos + 1, semicolon - Pos - 1);
    Pos = semicolon + 1;
    if (body.starts_with('#')) {
        const bool hex = body.starts_with("#x");
        const auto c = CharacterReference(body.substr(hex ? 2 : 1), hex);
        if (!c) return Fail("character reference &" + std::string(body) + "; to no allowed character", start);
        AppendUtf8(out, *c);
        return true;
    }
    for (const TEntity &e : PredefinedEntities)
        if (body == e.Name) {
            out += e.Text;
            return true;
        }
    if (body.empty() || ScanNcName(start + 1) != semicolon) return Fail("'&' without a reference", start);
    return Fail("undefined entity &" + std::string(body) + ";", start);
}

bool TParser::ReadComment() {
    const std::size_t start = Pos;
    const std::size_t dashes = Doc.find("--", Pos + 4);
    if (dashes == std::string_view::npos) return Fail("comment not closed", start);
    if (dashes + 2 >= Doc.size() || Doc[dashes + 2] != '>') return Fail("'--' inside a comment", dashes);
    Pos = dashes + 3;
    return true;
}

// A processing instruction, <?target data?>, is skipped; the one named
// "xml" is the XML declaration, allowed as the document's first bytes only.
bool TParser::ReadProcessingInstruction() {
    const std::size_t start = Pos;
    const std::size_t targetEnd = ScanNcName(Pos + 2);
    if (targetEnd == Pos + 2) return Fail("processing instruction without a target", start);
    const std::string_view target = Doc.substr(Pos + 2, targetEnd - Pos - 2);
    if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l') {
        if (target != "xml") return Fail("processing instruction target " + std::string(target) + " reserved", start);
        if (start != 0) return Fail("XML declaration not at the start", start);
        return ReadXmlDeclaration();
    }
    Pos = targetEnd;
    if (!LooksAt("?>") && (AtEnd() || !IsSpace(Doc[Pos]))) return Fail("malformed processing instruction", start);
    const std::size_t end = Doc.find("?>", Pos);
    if (end == std::string_view::npos) return Fail("processing instruction not closed", start);
    Pos = end + 2;
    return true;
}

// ` name = 'value'` at Pos; nothing, and Pos where it was, when the name
// is not there.
std::optional<std::string_view> TParser::ReadPseudoAttribute(std::string_view name) {
    const std::size_t start = Pos;
    SkipSpace();
    if (Pos > start && LooksAt(name)) {
        Pos += name.size();
        SkipSpace();
        if (LooksAt("=")) {
            ++Pos;
            SkipSpace();
            const char quote = AtEnd() ? '\0' : Doc[Pos];
            const std::size_t end = quote == '"' || quote == '\'' ? Doc.find(quote, Pos + 1) : std::string_view::npos;
            if (end != std::string_view::npos) {
                const std::string_view value = Doc.substr(Pos + 1, end - Pos - 1);
                Pos = end + 1;
                return value;
            }
        }
    }
    Pos = start;
    return std::nullopt;
}

// <?xml version='1.x' encoding='name' standalone='yes|no'?>, the last two
// optional. The encoding named is not taken at its word: the bytes decide.
bool TParser::ReadXmlDeclaration() {
    const std::size_t start = Pos;
    Pos += 5;
    const auto version = ReadPseudoAttribute("version");
    const auto encoding = ReadPseudoAttribute("encoding");
    const auto standalone = ReadPseudoAttribute("standalone");
    SkipSpace();
    if (!version || !IsVersion(*version) || (encoding && !IsEncodingName(*encoding)) ||
        (standalone && *standalone != "yes" && *standalone != "no") || !LooksAt("?>"))
        return Fail("malformed XML declaration", start);
    if (encoding && !IsDeclaredEncoding(*encoding, Encoding))
        return Fail("encoding " + std::string(*encoding) + " declared, not the document's", start);
    Pos += 2;
    return true;
}

bool TParser::ReadCData() {
    const std::size_t start = Pos;
    if (Open.empty()) return Fail("CDATA section outside the root element", start);
    const std::size_t end = Doc.find("]]>", Pos + 9);
    if (end == std::string_view::npos) return Fail("CDATA section not closed", start);
    std::string &text = TextOut();
    for (std::size_t i = Pos + 9; i < end; ++i) {
        if (Doc[i] != '\r') text += Doc[i];
        else if (Doc[i + 1] != '\n') text += '\n';
    }
    Pos = end + 3;
    return true;
}

// A document type declaration could declare entities that expand to any
// size, and defaults that change attributes: none is accepted.
bool TParser::ReadDeclaration() {
    if (LooksAt("<!DOCTYPE")) return Fail("DOCTYPE refused", Pos);
    if (LooksAt("<!ENTITY")) return Fail("entity declaration refused", Pos);
    return Fail("malformed markup", Pos);
}

// The end of the NCName starting at `from`; `from` itself when none does.
std::size_t TParser::ScanNcName(std::size_t from) const {
    const std::size_t limit = std::min(Doc.size(), from + Limits.MaxNameLength + 1);
    std::size_t i = from;
    while (i < limit) {
        const auto b = static_cast<unsigned char>(Doc[i]);
        if (b < 0x80) {
            if (!Has(Doc[i], i == from ? NameStart : NameChar)) break;
            // The ASCII characters that follow, most often the rest of the name.
            for (++i; i < limit && Has(Doc[i], NameChar);) ++i;
            continue;
        }
        std::size_t next = i;
        const char32_t c = NextCodePoint(Doc, next);
        if (!(i == from ? IsNameStart(c) : IsNameChar(c))) break;
        i = next;
    }
    return i;
}

// The end of an ASCII name at `from` (prefix:local or local) followed by an
// ASCII byte that is no name character, within the length bound; `from`
// for any other (a name with other characters, a colon not followed by a
// local part, a name too long), which ReadQName then reads in full.
std::size_t TParser::AsciiQNameEnd(std::size_t from) const {
    const auto nameEnd = [&](std::size_t i) {
        while (i < Doc.size() && Has(Doc[i], NameChar)) ++i;
        return i;
    };
    if (from >= Doc.size() || !Has(Doc[from], NameStart)) return from;
    std::size_t end = nameEnd(from + 1);
    if (end + 1 < Doc.size() && Doc[end] == ':' && Has(Doc[end + 1], NameStart)) end = nameEnd(end + 2);
    const bool ends = end < Doc.size() && Doc[end] != ':' && static_cast<unsigned char>(Doc[end]) < 0x80;
    return ends && end - from <= Limits.MaxNameLength ? end : from;
}

// prefix:local or local at Pos, moving Pos past it.
std::optional<std::string_view> TParser::ReadQName() {
    const std::size_t start = Pos;
    if (const std::size_t ascii = AsciiQNameEnd(start); ascii != start) {
        Pos = ascii;
        return Doc.substr(start, ascii - start);
    }
    std::size_t end = ScanNcName(start);
    if (end > start && end < Doc.size() && Doc[end] == ':') {
        const std::size_t localEnd = ScanNcName(end + 1);
        end = localEnd > end + 1 ? localEnd : start;  // a prefix needs a local part
    }
    if (end == start) {
        Fail("name expected", start);
        return std::nullopt;
    }
    if (end - start > Limits.MaxNameLength) {
        Fail("name longer than " + std::to_string(Limits.MaxNameLength) + " bytes", start);
        return std::nullopt;
    }
    Pos = end;
    return Doc.substr(start, end - start);
}

bool TParser::ReadStartTag() {
    const std::size_t start = Pos;
    if (RootSeen && Open.empty()) return Fail("a second root element", start);
    ++Pos;
    const auto qname = ReadQName();
    if (!qname) return false;
    Values.clear();
    RawAttributes.clear();
    for (;;) {
        const std::size_t beforeSpace = Pos;
        SkipSpace();
        if (AtEnd()) return Fail("start tag not closed", start);
        if (LooksAt("/>") || LooksAt(">")) break;
        if (Pos == beforeSpace) return Fail("whitespace expected between attributes", Pos);
        if (!ReadAttribute()) return false;
    }
    const bool empty = LooksAt("/>");
    Pos += empty ? 2 : 1;
    return OpenElement(*qname, start, empty);
}

bool TParser::ReadAttribute() {
    const std::size_t start = Pos;
    if (RawAttributes.size() >= Limits.MaxAttributes)
        return Fail("more than " + std::to_string(Limits.MaxAttributes) + " attributes", start);
    const auto qname = ReadQName();
    if (!qname) return false;
    SkipSpace();
    if (!LooksAt("=")) return Fail("'=' expected after an attribute name", Pos);
    ++Pos;
    SkipSpace();
    if (AtEnd() || (Doc[Pos] != '"' && Doc[Pos] != '\'')) return Fail("quoted attribute value expected", Pos);
    const std::size_t valueBegin = Values.size();
    if (!ReadAttributeValue(Doc[Pos])) return false;
    RawAttributes.push_back({*qname, valueBegin, Values.size(), start});
    return true;
}

// The value between the quotes: references replaced, each literal
// whitespace character a space (CR LF counts as one).
bool TParser::ReadAttributeValue(char quote) {
    const std::size_t start = Pos++;
    while (!AtEnd() && Doc[Pos] != quote) {
        // A run of bytes taken as they are, up to one that is not.
        const std::size_t end = ValueRunEnd(Doc, Pos, quote);
        Values.append(Doc.substr(Pos, end - Pos));
        Pos = end;
        if (AtEnd() || Doc[Pos] == quote) break;
        const char c = Doc[Pos];
        if (c == '<') return Fail("'<' in an attribute value", Pos);
        if (c == '&') {
            if (!ReadReference(Values)) return false;
            continue;
        }
        Values += IsSpace(c) ? ' ' : c;
        Pos += LooksAt("\r\n") ? 2 : 1;
    }
    if (AtEnd()) return Fail("attribute value not closed", start);
    ++Pos;
    return true;
}

bool TParser::ReadEndTag() {
    const std::size_t start = Pos;
    Pos += 2;
    // Most often the end tag names the open element and '>' follows at
    // once: then the name ReadQName would find is the start tag's.
    if (!Open.empty()) {
        const std::string_view open = Open.back().QName;
        if (Doc.substr(Pos, open.size()) == open && Doc.substr(Pos + open.size(), 1) == ">") {
            Pos += open.size() + 1;
            return CloseElement();
        }
    }
    const auto qname = ReadQName();
    if (!qname) return false;
    SkipSpace();
    if (!LooksAt(">")) return Fail("end tag not closed", start);
    ++Pos;
    if (Open.empty()) return Fail("end tag </" + std::string(*qname) + "> without a start tag", start);
    if (*qname != Open.back().QName)
        return Fail("end tag </" + std::string(*qname) + "> does not match <" + std::string(Open.back().QName) + ">", start);
    return CloseElement();
}

bool TParser::FlushText() {
    if (TextDelivered) return true;
    const std::string_view text = RunEnd > RunBegin ? Doc.substr(RunBegin, RunEnd - RunBegin) : std::string_view(TextBuffer);
    if (text.empty()) return true;
    TextDelivered = true;
    return Handler.Text(text) || Stop();
}

// Text read after the handler was given the text before it starts anew.
void TParser::StartText() {
    if (!TextDelivered) return;
    TextDelivered = false;
    TextBuffer.clear();
    RunBegin = RunEnd = 0;
}

void TParser::AddTextRun(std::size_t from, std::size_t to) {
    StartText();
    if (from == to) return;
    if (TextBuffer.empty() && RunEnd == RunBegin) {
        RunBegin = from;
        RunEnd = to;
        return;
    }
    TextOut().append(Doc.substr(from, to - from));
}

// The text buffer, for text that is not the document's bytes as they
// stand: the run read so far goes into it first.
std::string &TParser::TextOut() {
    StartText();
    if (RunEnd > RunBegin) {
        TextBuffer.append(Doc.substr(RunBegin, RunEnd - RunBegin));
        RunBegin = RunEnd = 0;
    }
    return TextBuffer;
}

void TParser::Bind(std::string_view prefix, std::string_view uri) {
    const std::string_view kept = Uris.emplace_back(uri);
    std::size_t &slot = Innermost[prefix];
    Bindings.push_back({prefix, kept, slot});
    slot = Bindings.size();
}

void TParser::Unbind(std::size_t keep) {
    while (Bindings.size() > keep) {
        const TBinding &b = Bindings.back();
        if (b.Shadowed) Innermost[b.Prefix] = b.Shadowed;
        else Innermost.erase(b.Prefix);
        Bindings.pop_back();
        Uris.pop_back();
    }
}

// xmlns:p="uri", or xmlns="uri" (the empty prefix) for the default
// namespace, which an empty URI undeclares.
bool TParser::DeclareNamespace(std::string_view prefix, std::string_view uri, std::size_t offset) {
    if (prefix == "xmlns") return Fail("the prefix xmlns cannot be declared", offset);
    if ((prefix == "xml") != (uri == XmlNamespace)) return Fail("the prefix xml and its namespace go only together", offset);
    if (uri == XmlnsNamespace) return Fail("the xmlns namespace cannot be declared", offset);
    if (!prefix.empty() && uri.empty()) return Fail("prefix " + std::string(prefix) + " declared with an empty namespace", offset);
    if (uri.size() > Limits.MaxNameLength)
        return Fail("namespace name longer than " + std::to_string(Limits.MaxNameLength) + " bytes", offset);
    Bind(prefix, uri);
    return true;
}

bool TParser::DeclareNamespaces() {
    for (const TRawAttribute &a : RawAttributes) {
        const std::string_view value = std::string_view(Values).substr(a.ValueBegin, a.ValueEnd - a.ValueBegin);
        const bool isDefault = a.QName == "xmlns";
        if ((isDefault || a.QName.starts_with("xmlns:")) && !DeclareNamespace(isDefault ? ""sv : a.QName.substr(6), value, a.Offset))
            return false;
    }
    return true;
}

bool TParser::Resolve(std::string_view qname, bool isAttribute, std::size_t offset, TXmlName &name) {
    const std::size_t colon = qname.find(':');
    name.Prefix = colon == std::string_view::npos ? ""sv : qname.substr(0, colon);
    name.Local = colon == std::string_view::npos ? qname : qname.substr(colon + 1);
    name.Uri = {};
    if (name.Prefix == "xmlns") return Fail("the prefix xmlns names no element", offset);
    if (isAttribute && name.Prefix.empty()) return true;  // unprefixed attributes are in no namespace
    // The innermost binding is the last of its prefix: the few made last
    // are looked at first (a packet declares its prefixes together), the
    // hash map answers for any other.
    const std::size_t nearby = std::min<std::size_t>(Bindings.size(), 16);
    for (std::size_t k = Bindings.size(); k > Bindings.size() - nearby; --k)
        if (Bindings[k - 1].Prefix == name.Prefix) {
            name.Uri = Bindings[k - 1].Uri;
            return true;
        }
    const auto found = Innermost.find(name.Prefix);
    if (found == Innermost.end()) return Fail("prefix " + std::string(name.Prefix) + " not declared", offset);
    name.Uri = Bindings[found->second - 1].Uri;
    return true;
}

bool TParser::ResolveAttributes() {
    Attributes.clear();
    for (const TRawAttribute &a : RawAttributes) {
        if (a.QName == "xmlns" || a.QName.starts_with("xmlns:")) continue;
        TXmlAttribute attribute;
        if (!Resolve(a.QName, true, a.Offset, attribute.Name)) return false;
        attribute.Value = std::string_view(Values).substr(a.ValueBegin, a.ValueEnd - a.ValueBegin);
        Attributes.push_back(attribute);
    }
    return true;
}

// No two attributes may have the same name, neither as written nor once
// their prefixes are resolved; namespace declarations count by prefix.
bool TParser::CheckDuplicates() {
    SortedNames.clear();
    std::size_t next = 0;
    for (const TRawAttribute &a : RawAttributes) {
        TXmlName n;
        if (a.QName == "xmlns") n = {XmlnsNamespace, ""sv, {}};
        else if (a.QName.starts_with("xmlns:")) n = {XmlnsNamespace, a.QName.substr(6), {}};
        else n = Attributes[next++].Name;
        SortedNames.emplace_back(n, a.Offset);
    }
    if (SortedNames.size() < 2) return true;
    std::sort(SortedNames.begin(), SortedNames.end(), [](const auto &x, const auto &y) {
        return std::tie(x.first.Uri, x.first.Local, x.second) < std::tie(y.first.Uri, y.first.Local, y.second);
    });
    for (std::size_t i = 1; i < SortedNames.size(); ++i) {
        const TXmlName &a = SortedNames[i - 1].first, &b = SortedNames[i].first;
        if (a.Uri == b.Uri && a.Local == b.Local) return Fail("attribute given twice", SortedNames[i].second);
    }
    return true;
}

bool TParser::OpenElement(std::string_view qname, std::size_t offset, bool empty) {
    if (Open.size() >= Limits.MaxDepth)
        return Fail("elements nested deeper than " + std::to_string(Limits.MaxDepth), offset);
    const std::size_t outer = Bindings.size();
    TXmlName name;
    if (!DeclareNamespaces() || !Resolve(qname, false, offset, name) || !ResolveAttributes() || !CheckDuplicates())
        return false;
    RootSeen = true;
    Open.push_back({qname, name, outer, offset});
    if (!Handler.StartElement(name, Attributes)) return Stop();
    return empty ? CloseElement() : true;
}

bool TParser::CloseElement() {
    const TOpen closing = Open.back();
    const bool going = Handler.EndElement(closing.Name);
    Open.pop_back();
    Unbind(closing.Bindings);
    return going || Stop();
}

}  // namespace

TXmlResult ReadXml(std::string_view bytes, TXmlHandler &handler, const TXmlLimits &limits) {
    if (bytes.size() > limits.MaxBytes)
        return {TXmlResult::Failed, "larger than " + std::to_string(limits.MaxBytes) + " bytes", limits.MaxBytes};
    const TUtf8Text text = ToUtf8(bytes, limits.MaxBytes);
    if (!text.Error.empty()) return {TXmlResult::Failed, text.Error, text.ErrorOffset};
    TXmlResult r = TParser(text.Text(bytes), text.Found.Encoding, handler, limits).Run();
    if (r.Status == TXmlResult::Failed) r.Offset = text.InputOffset(bytes, r.Offset);
    return r;
}

}  // namespace xmp
