// The container targets: one container reader over the input bytes, as the
// reader calls it for a file of its kind (ReadContainer), read twice.
#include <array>
#include <string_view>

#include "bytes/EndInd.h"
#include "containers/Container.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzTargets.h"

namespace fuzz {

namespace {

using containers::TFileType;
using TReader = containers::TContainerRead (*)(const containers::TByteReader &);

void ReadAndCheck(const uint8_t *data, size_t size, TReader read, const fuzzcheck::TContainerKinds &kinds) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    exif::tEndInd view;
    view.SetBuffer(input);
    const containers::TByteReader bytes(view);
    const containers::TContainerRead first = read(bytes);
    fuzzcheck::CheckContainerRead(first, input, kinds);
    fuzzcheck::CheckSameRead(first, read(bytes), input);
}

constexpr std::array IsoKinds{TFileType::Heif, TFileType::Avif, TFileType::Cr3, TFileType::JpegXl};
constexpr std::array PngKind{TFileType::Png};
constexpr std::array WebPKind{TFileType::WebP};
constexpr std::array PsdKind{TFileType::Psd};
constexpr std::array RafKind{TFileType::Raf};

}  // namespace

void IsoMedia(const uint8_t *data, size_t size) {
    ReadAndCheck(data, size, containers::ReadIsoMedia, {IsoKinds, TFileType::Unknown, true});
}

void Png(const uint8_t *data, size_t size) {
    ReadAndCheck(data, size, containers::ReadPng, {PngKind, TFileType::Png, false});
}

void WebP(const uint8_t *data, size_t size) {
    ReadAndCheck(data, size, containers::ReadWebP, {WebPKind, TFileType::WebP, false});
}

void Psd(const uint8_t *data, size_t size) {
    ReadAndCheck(data, size, containers::ReadPsd, {PsdKind, TFileType::Psd, false});
}

void Raf(const uint8_t *data, size_t size) {
    ReadAndCheck(data, size, containers::ReadRaf, {RafKind, TFileType::Raf, false});
}

}  // namespace fuzz
