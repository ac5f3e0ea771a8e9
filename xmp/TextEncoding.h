// The encodings an XMP packet may come in, and their conversion to the
// UTF-8 the rest of the reader works in. A packet is UTF-8 unless a
// byte-order mark, or the way its first character '<' is written, says it
// is UTF-16 or UTF-32 in either byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bytes/Unicode.h"

namespace xmp {

enum class TEncoding { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct TEncodingFound {
    TEncoding Encoding = TEncoding::Utf8;
    std::size_t MarkLength = 0;  // bytes of the byte-order mark, 0 without one
};

TEncodingFound DetectEncoding(std::string_view bytes);

// The bytes as UTF-8 without the byte-order mark: a view of the input when
// it is UTF-8 already, else a converted copy. A fault (an unpaired
// surrogate, a code point past U+10FFFF, a cut code unit, a result over
// maxBytes) leaves `Error` saying what and `ErrorOffset` where in the input.
struct TUtf8Text {
    TEncodingFound Found;
    std::string Converted;  // the text, when the input was not UTF-8
    std::string Error;
    uint64_t ErrorOffset = 0;

    std::string_view Text(std::string_view input) const {
        return Found.Encoding == TEncoding::Utf8 ? input.substr(Found.MarkLength) : std::string_view(Converted);
    }
    // The input offset of a byte of the UTF-8 text (walked from the start
    // for converted text: used on faults only).
    uint64_t InputOffset(std::string_view input, uint64_t textOffset) const;
};

TUtf8Text ToUtf8(std::string_view bytes, std::size_t maxBytes);

// The UTF-8 primitives of the whole reader.
using exif::AppendUtf8;
using exif::NextCodePoint;
using exif::Utf8SequenceLength;

}  // namespace xmp
