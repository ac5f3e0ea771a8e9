// Packets to rows: exiftool's packets in element and attribute form, each
// RDF form on hand-written packets, faults and bounds.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/xmp/XmlEvents.h"
#include "xmp/XmpPacket.h"

namespace {

using xmp::ReadXmp;
using xmp::TXmpRow;
using Row = std::tuple<std::string, std::string, std::vector<std::string>, TXmpRow::TKind>;

std::vector<Row> Rows(const xmp::TXmpRead &read) {
    std::vector<Row> rows;
    for (const TXmpRow &r : read.Rows) rows.emplace_back(r.Name, r.Value, r.Items, r.Kind);
    return rows;
}

std::string Packet(const std::string &descriptions) {
    return "<?xpacket begin='\xEF\xBB\xBF' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
           "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' xmlns:dc='http://purl.org/dc/elements/1.1/' "
           "xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmlns:s='urn:s/' xmlns:t='urn:t/'>" +
           descriptions + "</rdf:RDF></x:xmpmeta><?xpacket end='w'?>";
}

TEST(XmpPacket, ExiftoolPacketGivesItsProperties) {
    const auto read = ReadXmp(xmptest::ReadFile(xmptest::XmpData("basic.xmp")));
    EXPECT_TRUE(read.Notes.empty());
    const std::vector<Row> expected = {
        {"Iptc4xmpCore:CreatorContactInfo/CiEmailWork", "e@x", {}, TXmpRow::Simple},
        {"dc:creator", "X", {"X"}, TXmpRow::Seq},
        {"dc:subject", "a, b", {"a", "b"}, TXmpRow::Bag},
        {"dc:title", "T", {"T"}, TXmpRow::Alt},
        {"lr:hierarchicalSubject", "a|b", {"a|b"}, TXmpRow::Bag},
        {"xmp:Rating", "4", {}, TXmpRow::Simple},
    };
    EXPECT_EQ(Rows(read), expected);
}

// exiftool wrote the same properties once as elements and once in
// attribute form (with xmp:Rating added).
TEST(XmpPacket, AttributeAndElementFormsGiveTheSameRows) {
    auto elements = Rows(ReadXmp(xmptest::ReadFile(xmptest::XmpData("structures.xmp"))));
    auto attributes = Rows(ReadXmp(xmptest::ReadFile(xmptest::XmpData("shorthand.xmp"))));
    std::erase_if(attributes, [](const Row &r) { return std::get<0>(r) == "xmp:Rating"; });
    ASSERT_EQ(elements.size(), 19u);
    const Row title = {"dc:title", "Caf\xC3\xA9 & <Tea>", {"Caf\xC3\xA9 & <Tea>", "Kaffee", "Le caf\xC3\xA9"}, TXmpRow::Alt};
    EXPECT_NE(std::find(elements.begin(), elements.end(), title), elements.end());
    const Row french = {"dc:title[fr-FR]", "Le caf\xC3\xA9", {}, TXmpRow::Simple};
    EXPECT_NE(std::find(elements.begin(), elements.end(), french), elements.end());
    const Row history = {"xmpMM:History[2]/stEvt:when", "2024-01-03T03:04:05", {}, TXmpRow::Simple};
    EXPECT_NE(std::find(elements.begin(), elements.end(), history), elements.end());
    std::sort(elements.begin(), elements.end());
    std::sort(attributes.begin(), attributes.end());
    EXPECT_EQ(elements, attributes);
}

TEST(XmpPacket, EachRdfFormGivesItsRows) {
    const std::string packet = Packet(
        "<rdf:Description rdf:about='' xmp:Rating='5' dc:format='image/jpeg'>"
        " <xmp:Link rdf:resource='http://x/'/>"
        " <s:Struct><rdf:Description s:a='1'><s:b>2</s:b><t:c>3</t:c></rdf:Description></s:Struct>"
        " <s:Qualified rdf:parseType='Resource'><rdf:value>v</rdf:value><t:role>r</t:role></s:Qualified>"
        " <s:Empty rdf:parseType='Resource'/>"
        " <dc:rights><rdf:Alt><rdf:li xml:lang='en'>E</rdf:li><rdf:li xml:lang='x-default'>D</rdf:li></rdf:Alt></dc:rights>"
        " <s:Plain><rdf:Alt><rdf:li>first</rdf:li><rdf:li>second</rdf:li></rdf:Alt></s:Plain>"
        " <s:Nested><rdf:Seq><rdf:li><rdf:Bag><rdf:li>x</rdf:li><rdf:li>y</rdf:li></rdf:Bag></rdf:li>"
        "   <rdf:li rdf:value='z' t:q='w'/></rdf:Seq></s:Nested>"
        " <s:Literal rdf:parseType='Literal'><b>bold</b></s:Literal>"
        "</rdf:Description>"
        "<s:Typed rdf:about=''><xmpNote:HasExtendedXMP xmlns:xmpNote='http://ns.adobe.com/xmp/note/'>"
        "0123456789ABCDEF0123456789ABCDEF</xmpNote:HasExtendedXMP></s:Typed>");
    const auto read = ReadXmp(packet);
    const std::vector<Row> expected = {
        {"xmp:Rating", "5", {}, TXmpRow::Simple},
        {"dc:format", "image/jpeg", {}, TXmpRow::Simple},
        {"xmp:Link", "http://x/", {}, TXmpRow::Simple},
        {"s:Struct/a", "1", {}, TXmpRow::Simple},
        {"s:Struct/b", "2", {}, TXmpRow::Simple},
        {"s:Struct/t:c", "3", {}, TXmpRow::Simple},
        {"s:Qualified", "v", {}, TXmpRow::Simple},
        {"s:Qualified/t:role", "r", {}, TXmpRow::Simple},
        {"s:Empty", "", {}, TXmpRow::Struct},
        {"dc:rights", "D", {"E", "D"}, TXmpRow::Alt},
        {"dc:rights[en]", "E", {}, TXmpRow::Simple},
        {"s:Plain", "first", {"first", "second"}, TXmpRow::Alt},
        {"s:Nested", "z", {"z"}, TXmpRow::Seq},
        {"s:Nested[1]", "x, y", {"x", "y"}, TXmpRow::Bag},
        {"s:Nested[2]/t:q", "w", {}, TXmpRow::Simple},
        {"xmpNote:HasExtendedXMP", "0123456789ABCDEF0123456789ABCDEF", {}, TXmpRow::Simple},
    };
    EXPECT_EQ(Rows(read), expected);
    EXPECT_EQ(read.Notes, std::vector<std::string>{"XMP packet: rdf:parseType=\"Literal\" not read"});
    EXPECT_EQ(xmp::ReadExtendedXmpGuid(packet), "0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(xmp::ReadExtendedXmpGuid(Packet("<rdf:Description s:HasExtendedXMP='0123'/>")), "");
}

TEST(XmpPacket, FaultsGiveANoteAndNoRows) {
    const std::string doctype = "<!DOCTYPE x>" + Packet("<rdf:Description xmp:Rating='5'/>");
    auto read = ReadXmp(doctype);
    EXPECT_TRUE(read.Rows.empty());
    EXPECT_EQ(read.Notes, std::vector<std::string>{"XMP packet: DOCTYPE refused at byte 0"});
    read = ReadXmp(Packet("<rdf:Description><xmp:Rating>5</xmp:rating></rdf:Description>"));
    EXPECT_TRUE(read.Rows.empty());
    ASSERT_EQ(read.Notes.size(), 1u);
    EXPECT_EQ(read.Notes[0].find("XMP packet: end tag </xmp:rating> does not match <xmp:Rating> at byte "), 0u);
    EXPECT_EQ(ReadXmp("<a/>").Notes, std::vector<std::string>{"XMP packet: no rdf:RDF element; nothing read"});
    // Padding NULs after the packet are no fault.
    EXPECT_EQ(ReadXmp(Packet("<rdf:Description xmp:Rating='5'/>") + std::string(8, '\0')).Rows.size(), 1u);
}

// A slip in the middle of a packet (an editor's attribute without its
// blank) keeps the properties read whole before it; a bag the fault cut and
// the properties after it are not read, and the note says where it stopped.
TEST(XmpPacket, AFaultKeepsThePropertiesReadBeforeIt) {
    const std::string before = "<rdf:Description xmp:Rating='5'><dc:title><rdf:Alt><rdf:li xml:lang='x-default'>T"
                               "</rdf:li></rdf:Alt></dc:title><dc:subject><rdf:Bag><rdf:li>a</rdf:li>";
    const std::string packet = Packet(before + "<rdf:li s:x='1't:y='2'>b</rdf:li></rdf:Bag></dc:subject>"
                                      "<xmp:Label>Red</xmp:Label></rdf:Description>");
    const auto read = ReadXmp(packet);
    const std::vector<Row> expected = {
        {"xmp:Rating", "5", {}, TXmpRow::Simple},
        {"dc:title", "T", {"T"}, TXmpRow::Alt},
    };
    EXPECT_EQ(Rows(read), expected);
    const size_t fault = packet.find("t:y=");
    ASSERT_EQ(read.Notes.size(), 1u);
    EXPECT_EQ(read.Notes[0], "XMP packet: whitespace expected between attributes at byte " + std::to_string(fault) +
                                 "; read up to there (2 rows)");
}

TEST(XmpPacket, HostilePacketsAreBounded) {
    std::string many;
    for (int i = 0; i < 30000; ++i) many += "<dc:p>" + std::to_string(i) + "</dc:p>";
    auto read = ReadXmp(Packet("<rdf:Description>" + many + "</rdf:Description>"));
    ASSERT_EQ(read.Rows.size(), 20000u);
    EXPECT_EQ(read.Rows.back().Value, "19999");
    EXPECT_EQ(read.Notes.size(), 1u);

    read = ReadXmp(Packet("<rdf:Description dc:long='" + std::string(100000, 'v') + "'/>"));
    ASSERT_EQ(read.Rows.size(), 1u);
    EXPECT_EQ(read.Rows[0].Value, std::string(65536, 'v') + "\xE2\x80\xA6");

    // Structures 250 deep with 100-byte names: the names past 4096 bytes are left out.
    std::string open, close;
    const std::string name = "s:" + std::string(98, 'n');
    for (int i = 0; i < 250; ++i) {
        open += "<" + name + " rdf:parseType='Resource' s:f='" + std::to_string(i) + "'>";
        close += "</" + name + ">";
    }
    read = ReadXmp(Packet("<rdf:Description>" + open + close + "</rdf:Description>"));
    EXPECT_EQ(read.Rows.size(), 41u);  // 100 bytes, then 99 a level: 41 levels fit
    EXPECT_LE(read.Rows.back().Name.size(), 4096u);
    EXPECT_EQ(read.Notes, std::vector<std::string>{"XMP packet: a property named with more than 4096 bytes left out"});
}

}  // namespace
