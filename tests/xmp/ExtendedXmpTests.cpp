// Extended XMP: exiftool's JPEG with a packet split over two extension
// segments, and parts built here in every order, with other GUIDs, gaps,
// duplicates and lengths out of bounds.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/xmp/XmlEvents.h"
#include "xmp/ExtendedXmp.h"
#include "xmp/XmpPacket.h"

namespace {

using namespace std::string_literals;
using xmp::ReadXmp;

constexpr std::string_view MainSignature{"http://ns.adobe.com/xap/1.0/\0", 29};
const std::string Guid = "0123456789ABCDEF0123456789ABCDEF";

// The APP1 payloads of a JPEG up to its first scan.
std::vector<std::string> App1Payloads(const std::string &jpeg) {
    std::vector<std::string> payloads;
    for (std::size_t i = 2; i + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[i + 1]) != 0xDA;) {
        const std::size_t length = static_cast<unsigned char>(jpeg[i + 2]) * 256u + static_cast<unsigned char>(jpeg[i + 3]);
        if (static_cast<unsigned char>(jpeg[i + 1]) == 0xE1) payloads.push_back(jpeg.substr(i + 4, length - 2));
        i += 2 + length;
    }
    return payloads;
}

std::string BigEndian(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string ExtensionSegment(const std::string &guid, uint32_t fullLength, uint32_t offset, const std::string &bytes) {
    return std::string(xmp::ExtendedXmpSignature) + guid + BigEndian(fullLength) + BigEndian(offset) + bytes;
}

std::string PacketOf(const std::string &properties) {
    return "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
           "<rdf:Description xmlns:xmpNote='http://ns.adobe.com/xmp/note/' xmlns:dc='http://purl.org/dc/elements/1.1/' " +
           properties + "/></rdf:RDF></x:xmpmeta>";
}

const std::string Main = PacketOf("dc:format='image/jpeg' xmpNote:HasExtendedXMP='" + Guid + "'");
const std::string Extension = PacketOf("dc:source='the rest'");

TEST(ExtendedXmp, ExiftoolFileIsReassembledFromPartsInAnyOrder) {
    const auto payloads = App1Payloads(xmptest::ReadFile(xmptest::XmpData("extended.jpg")));
    ASSERT_EQ(payloads.size(), 3u);
    ASSERT_TRUE(payloads[0].starts_with(MainSignature));
    const std::vector<std::string_view> parts = {payloads[2], payloads[1]};
    const auto read = ReadXmp(std::string_view(payloads[0]).substr(MainSignature.size()), parts);
    EXPECT_TRUE(read.Notes.empty());
    ASSERT_EQ(read.Rows.size(), 4u);
    EXPECT_EQ(read.Rows[0].Name, "xmpNote:HasExtendedXMP");
    EXPECT_EQ(read.Rows[1].Value, "5");
    EXPECT_EQ(read.Rows[2].Value, "ext");
    // exiftool moved the 66 KB description into the extension; it is shown cut.
    EXPECT_EQ(read.Rows[3].Name, "dc:description");
    EXPECT_TRUE(read.Rows[3].Value.starts_with("w00000 w00001 "));
    EXPECT_TRUE(read.Rows[3].Value.ends_with("\xE2\x80\xA6"));
}

TEST(ExtendedXmp, PartsOfTheNamedGuidOnlyAreJoinedByOffset) {
    const auto n = static_cast<uint32_t>(Extension.size());
    const std::string a = ExtensionSegment(Guid, n, 0, Extension.substr(0, 40)), b = ExtensionSegment(Guid, n, 40, Extension.substr(40, 60)),
                      c = ExtensionSegment(Guid, n, 100, Extension.substr(100));
    const std::string other = ExtensionSegment("FEDCBA9876543210FEDCBA9876543210", n, 0, Extension);
    const std::vector<std::string_view> shuffled = {c, other, a, b, a, "junk"};
    auto read = ReadXmp(Main, shuffled);
    ASSERT_EQ(read.Rows.size(), 3u);
    EXPECT_EQ(read.Rows[2].Name, "dc:source");
    EXPECT_EQ(read.Notes, (std::vector<std::string>{"Extended XMP: 1 part too short for an Extended XMP header left out",
                                                    "Extended XMP: 1 part of another extension (another GUID) left out"}));

    const std::vector<std::string_view> onlyOther = {other};
    read = ReadXmp(Main, onlyOther);
    EXPECT_EQ(read.Rows.size(), 2u);
    EXPECT_EQ(read.Notes.back(), "Extended XMP: no part of the extension " + Guid + " present");

    const std::vector<std::string_view> gap = {a, c};
    read = ReadXmp(Main, gap);
    EXPECT_EQ(read.Rows.size(), 2u);
    EXPECT_EQ(read.Notes.back(), "Extended XMP: incomplete: " + std::to_string(n - 60) + " of " + std::to_string(n) +
                                     " bytes present; not read");

    const std::vector<std::string_view> unnamed = {a, b, c};
    read = ReadXmp(Extension, unnamed);
    EXPECT_EQ(read.Notes.back(), "Extended XMP: 3 parts present but the XMP packet names no extension GUID; not read");
}

TEST(ExtendedXmp, DisagreeingAndOutOfBoundsPartsAreLeftOut) {
    const std::string text = "0123456789";
    const std::string first = ExtensionSegment(Guid, 10, 0, text), changed = ExtensionSegment(Guid, 10, 5, "XXXXX");
    const std::string longer = ExtensionSegment(Guid, 20, 0, text), past = ExtensionSegment(Guid, 10, 8, "abc");
    const std::vector<std::string_view> parts = {first, changed, longer, past};
    auto r = xmp::ReassembleExtendedXmp(parts, Guid);
    EXPECT_TRUE(r.Complete);
    EXPECT_EQ(r.Packet, text);
    EXPECT_EQ(r.Notes, (std::vector<std::string>{"1 part giving another full length than the first left out",
                                                 "1 part running past the full length left out",
                                                 "1 part differing from an earlier part at the same offset; the earlier kept"}));

    const std::string huge = ExtensionSegment(Guid, xmp::MaxExtendedXmpBytes + 1, 0, text);
    const std::vector<std::string_view> tooLarge = {huge};
    r = xmp::ReassembleExtendedXmp(tooLarge, Guid);
    EXPECT_FALSE(r.Complete);
    EXPECT_EQ(r.Notes, std::vector<std::string>{"an extension of 8388609 bytes refused (more than 8388608)"});
}

}  // namespace
