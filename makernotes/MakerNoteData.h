// The maker-note registry: recognises the camera maker from the Make text
// (and, for Nikon, the note's first bytes and the EXIF version) and gives the
// layout the walk follows: that maker's tag table and offset rules.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "exif/ImageInfo.h"
#include "exif/TagEntry.h"

namespace makernotes {

using exif::TImageInfo;
using exif::TRenderOut;
using exif::TTagRow;

// The registry as the walk asks it: the layout of the note the facts
// describe, or none.
std::optional<exif::TMakerNoteLayout> IdentifyMakerNote(const exif::TMakerNoteFacts &facts);

// One note's decoding outside a walk: identifies the note the owner met last
// and has the owner walk it.
class TmsInfo {
public:
    TmsInfo(bool fromTiff, TImageInfo *owner) : FromTiff(fromTiff), Owner(owner) {}
    // True when a maker was recognised and its note walked.
    bool DecodeMakerNote(TImageInfo &owner);

    bool FromTiff;
    TImageInfo *Owner;
    std::string Maker;
};

// The vendor tables.
extern const std::span<const TTagRow> NikonTags1;
extern const std::span<const TTagRow> NikonTags2;
extern const std::span<const TTagRow> OlympusTags;
extern const std::span<const TTagRow> CasioTags;
extern const std::span<const TTagRow> FujiTags;
extern const std::span<const TTagRow> CanonTags;
extern const std::span<const TTagRow> SeikoTags;
extern const std::span<const TTagRow> SanyoTags;
extern const std::span<const TTagRow> MinoltaTags;

// The decoders some vendor rows carry.
std::string NikonColorModeText(const std::string &text, TRenderOut *out = nullptr);
std::string NikonLensText(const std::string &text, TRenderOut *out = nullptr);
std::string CanonCameraSettings(const std::string &text, TRenderOut *out = nullptr);
std::string CanonShotInfo(const std::string &text, TRenderOut *out = nullptr);
std::string CanonCustomFunctions(const std::string &text, TRenderOut *out = nullptr);

// Line helpers of the decoders. Fields are the comma-separated pieces of a
// rendered value, counted from 1; a line is CR LF, label, " = ", value. The
// *Line helpers also give the value as a sub-entry to `out` (when there is
// one), and give an empty text (and no sub-entry) when the value is blank.
std::string DecodedField(std::string_view text, int index, std::string_view valueCodes);
std::string CodedLine(std::string_view label, int32_t number, std::string_view valueCodes, TRenderOut *out = nullptr);
std::string FieldLine(std::string_view text, std::string_view label, int n, TRenderOut *out = nullptr);
std::string CodedFieldLine(std::string_view text, std::string_view label, int index, std::string_view valueCodes,
                           TRenderOut *out = nullptr);

}  // namespace makernotes
