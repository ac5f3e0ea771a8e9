// Invariants a viewer relies on, checked by every fuzz target after a parse:
// a broken one ends the run like a crash, so the fuzzer keeps the input that
// broke it. They look for wrong results, not only for faults.
#pragma once

#include <span>
#include <string_view>

#include "containers/Container.h"

namespace exif {
class TImageInfo;
}
namespace iptc {
class TIPTCdata;
}

namespace fuzzcheck {

// Reports the broken invariant on stderr and aborts.
[[noreturn]] void Fail(std::string_view what, std::string_view detail);
inline void Expect(bool ok, std::string_view what, std::string_view detail = {}) {
    if (!ok) Fail(what, detail);
}

bool IsWellFormedUtf8(std::string_view text);

// A text of the reader: well-formed UTF-8, as every output takes it.
void CheckTerminalText(std::string_view text, std::string_view what);
// A name the reader makes (tag, dataset and row names): also free of control
// characters but tab, CR and LF. Values are the file's bytes and may hold
// any (tests/data/crashes/README.txt says what that means for a terminal).
void CheckTerminalName(std::string_view text, std::string_view what);
// The export file's bytes (Windows-1252): one line a row, whatever the
// values hold.
void CheckExportBytes(std::string_view exported);

// The entry store: count within the slots, every entry named and tagged,
// name lookups finding the first entry of a name, and every entry read from
// the file holding exactly the bytes at its recorded position.
void CheckEntryStore(const exif::TImageInfo &info);

// The IPTC entries of a segment: records 2 and 8 only, one entry per
// repeatable dataset, lookups consistent, no more entries than datasets fit.
void CheckIptcEntries(const iptc::TIPTCdata &data, std::string_view segment);

// What a container reader is expected to give.
struct TContainerKinds {
    std::span<const containers::TFileType> Reads;  // the kinds it reads
    containers::TFileType Otherwise;               // its Type for any other bytes
    bool ExifOpensTiff;                            // its Exif blocks start with a TIFF header
};

// A container reader's result over `input`: its Type what FileTypeOfContent
// says when that is a kind the reader reads; every block a view over the
// input (its FileOffset where it starts) or over bytes the result owns
// (FileOffset 0), no owned bytes past MaxOwnedBlock, no view of the input
// larger than its kind's limit (MaxBlockBytes); every note one line of
// printable ASCII, as the command-line tool prints it.
void CheckContainerRead(const containers::TContainerRead &read, std::string_view input, const TContainerKinds &kinds);
// Two reads of the same input give the same Type, blocks and notes.
void CheckSameRead(const containers::TContainerRead &a, const containers::TContainerRead &b, std::string_view input);

}  // namespace fuzzcheck
