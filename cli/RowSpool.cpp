#include "cli/RowSpool.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace cli {

namespace {

// Each record follows its length, eight bytes, least significant first.
constexpr size_t LengthBytes = 8;

std::array<char, LengthBytes> LengthOf(uint64_t n) {
    std::array<char, LengthBytes> bytes{};
    for (size_t i = 0; i < LengthBytes; ++i) bytes[i] = static_cast<char>((n >> (8 * i)) & 0xFFu);
    return bytes;
}

uint64_t LengthFrom(const std::array<char, LengthBytes> &bytes) {
    uint64_t n = 0;
    for (size_t i = 0; i < LengthBytes; ++i) n |= uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return n;
}

// The buffer of the file's stream: fewer, larger reads and writes.
constexpr size_t StreamBuffer = 1 << 16;

}  // namespace

RowSpool::RowSpool() : File(std::tmpfile()) {
    if (File) std::setvbuf(File, nullptr, _IOFBF, StreamBuffer);
}

RowSpool::~RowSpool() {
    if (File) std::fclose(File);
}

bool RowSpool::Fail(const char *what) {
    if (Reason.empty()) Reason = std::string(what) + ": " + (errno != 0 ? std::strerror(errno) : "failed");
    return false;
}

bool RowSpool::Add(std::string_view record) {
    if (!Ok()) return false;
    const std::array<char, LengthBytes> length = LengthOf(record.size());
    if (!File) {
        Memory.append(length.data(), length.size());
        Memory.append(record);
        return true;
    }
    errno = 0;
    if (std::fwrite(length.data(), 1, length.size(), File) != length.size() ||
        std::fwrite(record.data(), 1, record.size(), File) != record.size())
        return Fail("cannot write to a temporary file");
    return true;
}

bool RowSpool::StartReading() {
    if (!Ok()) return false;
    errno = 0;
    if (File && (std::fflush(File) != 0 || std::fseek(File, 0, SEEK_SET) != 0))
        return Fail("cannot read back a temporary file");
    ReadAt = 0;
    return true;
}

bool RowSpool::Next(std::string &record) {
    if (!Ok()) return false;
    std::array<char, LengthBytes> length{};
    if (!File) {
        if (Memory.size() - ReadAt < LengthBytes) return false;
        std::memcpy(length.data(), Memory.data() + ReadAt, LengthBytes);
        const uint64_t n = LengthFrom(length);
        if (n > Memory.size() - ReadAt - LengthBytes) return false;
        record.assign(Memory, ReadAt + LengthBytes, static_cast<size_t>(n));
        ReadAt += LengthBytes + static_cast<size_t>(n);
        return true;
    }
    errno = 0;
    const size_t got = std::fread(length.data(), 1, LengthBytes, File);
    if (got == 0 && std::feof(File)) return false;
    const uint64_t n = got == LengthBytes ? LengthFrom(length) : 0;
    record.resize(static_cast<size_t>(n));
    if (got != LengthBytes || std::fread(record.data(), 1, record.size(), File) != record.size())
        return Fail("cannot read back a temporary file");
    return true;
}

}  // namespace cli
