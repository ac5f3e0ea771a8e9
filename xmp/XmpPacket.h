// An XMP packet turned into rows a viewer shows: one row per property, in
// document order, named `prefix:Property` with the packet's own prefixes.
//
// What the rows look like:
// - a simple property: its text (an rdf:resource property: the URI);
// - a structure: one row per field, named with "/" after the structure
//   (`Iptc4xmpCore:CreatorContactInfo/CiEmailWork`); a field of the
//   structure's own namespace is named without prefix, another with its
//   prefix (`xmpMM:DerivedFrom/stRef:documentID`); an empty structure is
//   one row of kind Struct;
// - a bag or sequence of simple items: one row, Items the list and Value
//   the items joined with ", "; an item that is itself a structure or an
//   array is named with its 1-based position (`xmpMM:History[2]/stEvt:action`);
// - an alternative: Items the alternatives, Value the one for `x-default`
//   (else the first); each other language is a row of its own
//   (`dc:title[fr-FR]`);
// - a value with qualifiers (rdf:value): the value as the property's, the
//   qualifiers as its fields.
// Properties in several rdf:Description elements, in attribute form or in
// element form, all come out alike.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xmp {

struct TXmpRow {
    enum TKind { Simple, Bag, Seq, Alt, Struct };
    std::string Name;
    std::string Value;
    std::vector<std::string> Items;  // for Bag, Seq, Alt: the simple items in order
    TKind Kind = Simple;
};

struct TXmpRead {
    std::vector<TXmpRow> Rows;
    // What a user may want to know, in plain words: a packet that could not
    // be read and why ("XMP packet: DOCTYPE refused at byte 12"), parts of it
    // left out, an Extended XMP that was incomplete.
    std::vector<std::string> Notes;
};

// Bounds whatever a packet holds; real packets stay far below them.
struct TXmpLimits {
    std::size_t MaxRows = 20000;
    std::size_t MaxValueBytes = 64 * 1024;  // a longer value or item is cut, marked with "…"
    std::size_t MaxNameBytes = 4096;        // a property deeper in structures is left out
    std::size_t MaxTotalBytes = 4 * 1024 * 1024;  // names, values and items of all rows
};

// One packet's rows and notes, each note starting with `what` ("XMP
// packet"). A packet that is not well-formed XML gives the rows read whole
// before its first fault (not an array the fault cut) and a note of the
// fault and where it is. ExtendedGuid is the packet's
// xmpNote:HasExtendedXMP, the GUID of its continuation, when it names one.
struct TXmpPacket {
    TXmpRead Read;
    std::string ExtendedGuid;
};

TXmpPacket ReadXmpPacket(std::string_view packet, std::string_view what = "XMP packet", const TXmpLimits &limits = {});

// The GUID xmpNote:HasExtendedXMP names in a packet; empty when none.
std::string ReadExtendedXmpGuid(std::string_view packet);

// A packet and the Extended XMP parts of its file (each a whole APP1
// payload, signature first, in any order): the packet's rows, then those of
// the extension its GUID names, with the notes of both. Rows are bounded
// together by the limits.
TXmpRead ReadXmp(std::string_view packet, std::span<const std::string_view> extendedParts = {});

}  // namespace xmp
