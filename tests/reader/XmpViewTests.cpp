// The XMP tab of the view model: a file's packet as rows in the grids'
// Windows-1252, its place in the export and in the metadata verdict, and the
// row of a TIFF file's XMP entry.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ByteBuilders.h"
#include "bytes/Unicode.h"
#include "dialog/ParamsRows.h"
#include "dialog/XmpRows.h"

using namespace testbytes;
using params::GridRow;

namespace {

const std::string XmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);

std::string XmpFile(const std::string &name) {
    std::ifstream in(std::string(EXIFVIEW_TEST_DATA) + "/xmp/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first row of a name, or null.
const GridRow *FindRow(const std::vector<GridRow> &rows, const std::string &name) {
    for (const GridRow &row : rows)
        if (row.Name == name) return &row;
    return nullptr;
}

// The value of the first row of a name; a text no row holds when none has it.
std::string ValueOf(const std::vector<GridRow> &rows, const std::string &name) {
    const GridRow *row = FindRow(rows, name);
    return row ? row->Value : "<no row " + name + ">";
}

params::ImageView ViewOf(const std::string &name, const std::string &bytes) {
    return params::BuildImageView(WriteTempFile(name, bytes), {});
}

params::ImageView JpegWithXmp(const std::string &name, const std::string &packet) {
    return ViewOf(name, Jpeg().Segment(0xE1, XmpSignature + packet).Build());
}

}  // namespace

TEST(ExportText, Utf8BecomesWindows1252WithAQuestionMarkForWhatItCannotHold) {
    const auto Windows1252OfUtf8 = [](std::string_view utf8) { return exif::Utf8ToWindows1252(utf8); };
    EXPECT_EQ(Windows1252OfUtf8("caf\xC3\xA9 \xE2\x82\xAC \xC5\x93"), "caf\xE9 \x80 \x9C");
    EXPECT_EQ(Windows1252OfUtf8("\xE6\x97\xA5 \xF0\x9D\x84\x9E"), "? ?");  // CJK, and past the 16-bit plane
    // Each byte of a malformed sequence is one "?": a cut sequence, an
    // overlong "/", a surrogate, a stray continuation byte.
    EXPECT_EQ(Windows1252OfUtf8("a\xC3"), "a?");
    EXPECT_EQ(Windows1252OfUtf8("\xC0\xAF"), "??");
    EXPECT_EQ(Windows1252OfUtf8("\xED\xA0\x80"), "???");
    EXPECT_EQ(Windows1252OfUtf8("\x80x"), "?x");
}

TEST(XmpView, PropertiesAreRowsOfTheirUtf8TextAndBagsKeepTheirItems) {
    const params::ImageView view = JpegWithXmp("xmp_structures.jpg", XmpFile("structures.xmp"));
    ASSERT_TRUE(view.Xmp.Visible);
    const std::vector<GridRow> &rows = view.Xmp.Rows;
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1].Name, "Iptc4xmpExt:LocationShown[1]/City");
    // A language alternative: the x-default value, then each other language.
    EXPECT_EQ(ValueOf(rows, "dc:title"), "Caf\xC3\xA9 & <Tea>");
    EXPECT_EQ(ValueOf(rows, "dc:title[fr-FR]"), "Le caf\xC3\xA9");
    EXPECT_FALSE(FindRow(rows, "dc:title")->IsList);
    // Past the 16-bit plane too (the G clef); the export has "?" for it.
    EXPECT_EQ(ValueOf(rows, "exif:UserComment"), "\xC3\xBC\xE2\x82\xAC\xF0\x9D\x84\x9E");
    EXPECT_NE(params::ExportText(view).find("exif:UserComment=\xFC\x80?\r\n"), std::string::npos);
    EXPECT_TRUE(view.HasMetadata);  // XMP is the file's only metadata

    const params::ImageView basic = JpegWithXmp("xmp_basic.jpg", XmpFile("basic.xmp"));
    const GridRow *subject = FindRow(basic.Xmp.Rows, "dc:subject");
    ASSERT_TRUE(subject);
    EXPECT_TRUE(subject->IsList);
    EXPECT_EQ(subject->Items, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(subject->Value, "a, b");
}

TEST(XmpView, TheExportEndsWithTheXmpRowsAndAFileWithoutXmpExportsAsBefore) {
    Tiff t;
    t.Dir({Tiff::Ascii(0x010F, "Canon")});
    const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                               "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
                               "xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmp:Rating='3' xmp:Label='Red'/>"
                               "</rdf:RDF></x:xmpmeta>";
    Jpeg without;
    without.Exif(t.Build()).Iptc(Dataset(2, 5, "Sunset"));
    Jpeg with = without;
    with.Segment(0xE1, XmpSignature + packet);
    const params::ImageView plain = ViewOf("xmp_export_without.jpg", without.Build());
    const params::ImageView full = ViewOf("xmp_export_with.jpg", with.Build());

    EXPECT_FALSE(plain.Xmp.Visible);
    EXPECT_EQ(params::ExportText(plain), params::ExportText(plain.Exif, plain.Iptc));
    ASSERT_TRUE(full.Xmp.Visible);
    const std::string exifAndIptc = params::ExportText(full.Exif, full.Iptc);
    EXPECT_EQ(params::ExportText(full), exifAndIptc + "\r\nXMP\r\nxmp:Rating=3\r\nxmp:Label=Red\r\n");
    EXPECT_EQ(exifAndIptc.substr(exifAndIptc.find("\r\nIPTC\r\n")), "\r\nIPTC\r\nObject name=Sunset\r\n");
}

TEST(XmpView, APacketWithoutPropertiesShowsOneEmptyRowAndCountsAsNoMetadata) {
    const params::ImageView broken = JpegWithXmp("xmp_broken.jpg", "<!DOCTYPE x [<!ENTITY e 'e'>]><x/>");
    ASSERT_TRUE(broken.Xmp.Visible);
    ASSERT_EQ(broken.Xmp.Rows.size(), 1u);
    EXPECT_EQ(broken.Xmp.Rows[0].Name, "");
    EXPECT_EQ(broken.Xmp.Rows[0].Value, "");
    EXPECT_FALSE(broken.HasMetadata);
    ASSERT_EQ(broken.Notes.size(), 1u);
    EXPECT_EQ(broken.Notes[0].rfind("XMP packet: DOCTYPE", 0), 0u) << broken.Notes[0];
    EXPECT_TRUE(params::ExportText(broken).ends_with("\r\nXMP\r\n=\r\n"));

    const params::ImageView empty = JpegWithXmp("xmp_empty.jpg", "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>");
    EXPECT_TRUE(empty.Xmp.Visible);
    EXPECT_FALSE(params::HasProperties(empty.Xmp));
    EXPECT_FALSE(empty.HasMetadata);
}

namespace {

// A PNG chunk: length, type, data, then the CRC-32 of type and data.
std::string PngChunk(const std::string &type, const std::string &data) {
    const std::string covered = type + data;
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : covered) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    const auto be32 = [](uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    };
    return be32(static_cast<uint32_t>(data.size())) + covered + be32(crc);
}

}  // namespace

// A PNG whose only metadata is its XMP packet (an iTXt chunk before or after
// the image data) is a file with metadata, its packet on the XMP tab.
TEST(XmpView, AnXmpOnlyPngIsReadWhereverItsPacketLies) {
    const std::string packet = XmpFile("basic.xmp");
    const std::string itxt = PngChunk("iTXt", std::string("XML:com.adobe.xmp\0\0\0\0\0", 22) + packet);
    const std::string head = "\x89PNG\r\n\x1A\n" + PngChunk("IHDR", std::string("\0\0\0\x01\0\0\0\x01\x08\0\0\0\0", 13));
    const std::string idat = PngChunk("IDAT", "x"), iend = PngChunk("IEND", "");
    for (const std::string &file : {head + itxt + idat + iend, head + idat + itxt + iend}) {
        const params::ImageView view = ViewOf("xmp_only.png", file);
        EXPECT_TRUE(view.HasMetadata);
        ASSERT_TRUE(view.Xmp.Visible);
        EXPECT_TRUE(params::HasProperties(view.Xmp));
    }
}

// Two packets in one JPEG (an editor added its own): a property both carry
// shows the later packet's value, in the place the earlier one had; the
// others of both are shown. The later packet's notes name it.
TEST(XmpView, ALaterPacketsPropertyReplacesTheEarlierOneOfItsName) {
    const std::string head = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                             "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
                             "xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmlns:dc='http://purl.org/dc/elements/1.1/' ";
    const std::string tail = "</rdf:Description></rdf:RDF></x:xmpmeta>";
    const std::string first = head + "xmp:Rating='3' xmp:Label='Red'><dc:subject><rdf:Bag><rdf:li>a</rdf:li>"
                                     "<rdf:li>b</rdf:li></rdf:Bag></dc:subject>" + tail;
    const std::string second = head + "xmp:Rating='5'><dc:subject><rdf:Bag><rdf:li>c</rdf:li></rdf:Bag></dc:subject>"
                                      "<dc:creator><rdf:Seq><rdf:li>X</rdf:li></rdf:Seq></dc:creator><dc:x>" + tail;
    const params::ImageView view = ViewOf(
        "xmp_two_packets.jpg",
        Jpeg().Segment(0xE1, XmpSignature + first).Segment(0xE1, XmpSignature + second).Build());
    std::vector<std::string> rows;
    for (const GridRow &row : view.Xmp.Rows) rows.push_back(row.Name + "=" + row.Value);
    EXPECT_EQ(rows, (std::vector<std::string>{"xmp:Rating=5", "xmp:Label=Red", "dc:subject=c", "dc:creator=X"}));
    EXPECT_EQ(FindRow(view.Xmp.Rows, "dc:subject")->Items, std::vector<std::string>{"c"});
    ASSERT_EQ(view.Notes.size(), 1u);
    EXPECT_EQ(view.Notes[0].rfind("XMP packet 2: ", 0), 0u) << view.Notes[0];
}

TEST(XmpView, AJpegsExtendedXmpIsReadWithItsPacket) {
    const params::ImageView view = params::BuildImageView(std::string(EXIFVIEW_TEST_DATA) + "/xmp/extended.jpg", {});
    EXPECT_EQ(ValueOf(view.Xmp.Rows, "xmp:Rating"), "5");
    // The description lies wholly in the two extension segments; it is longer
    // than a value is shown, cut and marked with the ellipsis.
    const std::string description = ValueOf(view.Xmp.Rows, "dc:description");
    EXPECT_EQ(description.rfind("w00000 w00001 ", 0), 0u);
    EXPECT_TRUE(description.ends_with("\xE2\x80\xA6"));
    EXPECT_TRUE(view.Notes.empty());
}

TEST(XmpView, ATiffKeepsItsPacketInTag700WhoseRowGivesTheSize) {
    const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                               "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
                               "xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:subject><rdf:Bag>"
                               "<rdf:li>sea</rdf:li><rdf:li>sky</rdf:li></rdf:Bag></dc:subject>"
                               "</rdf:Description></rdf:RDF></x:xmpmeta>";
    for (uint16_t type : {1, 7}) {  // BYTE, as the TIFF/EP files have it, or UNDEFINED
        Tiff t;
        t.Dir({Tiff::Ascii(0x010F, "Canon"), Tiff::Typed(0x02BC, type, static_cast<uint32_t>(packet.size()), packet)});
        const params::ImageView view = ViewOf("xmp_tag700.tif", t.Build());
        EXPECT_EQ(ValueOf(view.Exif.Rows, "ExtensibleMetadataPlatform"),
                  "(XMP packet, " + std::to_string(packet.size()) + " bytes)")
            << type;
        EXPECT_EQ(ValueOf(view.Xmp.Rows, "dc:subject"), "sea, sky") << type;
    }
}
