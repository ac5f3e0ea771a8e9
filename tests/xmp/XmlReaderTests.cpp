// The XML reader: what it delivers for each construct XMP uses, the same
// document in every encoding, refusals and faults with their byte, and the
// bounds hostile documents meet.
#include <gtest/gtest.h>

#include "tests/xmp/XmlEvents.h"

namespace {

using namespace std::string_literals;
using xmptest::Record;
using xmp::TXmlResult;
using Events = std::vector<std::string>;

TEST(XmlReader, EachConstructGivesItsEvents) {
    const std::string doc =
        "<?xml version='1.0' encoding='UTF-8'?>\r\n<?xpacket begin='' id='W5M0'?><!-- before -->\n"
        "<r xmlns='urn:d' xmlns:p=\"urn:p\" a='1' p:b=\"two words\">"
        "<p:c xmlns:p='urn:q' p:x='&lt;&amp;&gt;&apos;&quot;'>x&#233;&#x1D11E;y</p:c>"
        "<e t='\ta\r\nb&#10;c'/><![CDATA[<&>]]>l1\r\nl2\rl3<!-- inside --><?pi data?>z"
        "<f xmlns=''/></r>\n<!-- after -->";
    const auto r = Record(doc);
    ASSERT_EQ(r.Result.Status, TXmlResult::Done) << r.Result.Error;
    const Events expected = {
        "S {urn:d}r", "A {}a=1", "A {urn:p}b=two words",
        "S {urn:q}c", "A {urn:q}x=<&>'\"", "T x\xC3\xA9\xF0\x9D\x84\x9Ey", "E {urn:q}c",
        "S {urn:d}e", "A {}t= a b\nc", "E {urn:d}e",
        "T <&>l1\nl2\nl3z",
        "S {}f", "E {}f",
        "E {urn:d}r",
    };
    EXPECT_EQ(r.Events, expected);
}

// The same characters written as UTF-16 or UTF-32 code units.
template <class TString>
std::string Units(const TString &s, bool big, bool mark) {
    constexpr std::size_t n = sizeof(typename TString::value_type);
    std::string out;
    auto put = [&](uint32_t unit) {
        for (std::size_t k = 0; k < n; ++k) out += static_cast<char>(unit >> (8 * (big ? n - 1 - k : k)));
    };
    if (mark) put(0xFEFF);
    for (const auto unit : s) put(static_cast<uint32_t>(unit));
    return out;
}

TEST(XmlReader, EveryEncodingReadsAsTheSameDocument) {
    const std::string utf8 = "<a x='\xC3\xA9'>\xF0\x9D\x84\x9E</a>";
    const std::u16string utf16 = u"<a x='\u00E9'>\U0001D11E</a>";
    const std::u32string utf32 = U"<a x='\u00E9'>\U0001D11E</a>";
    const Events expected = Record(utf8).Events;
    ASSERT_EQ(expected.size(), 4u);
    for (const std::string &doc : {"\xEF\xBB\xBF"s + utf8, Units(utf16, false, true), Units(utf16, true, true),
                                   Units(utf16, false, false), Units(utf16, true, false), Units(utf32, false, true),
                                   Units(utf32, true, true)})
        EXPECT_EQ(Record(doc).Events, expected);

    // Offsets are the caller's bytes: the mark and two bytes per unit.
    const auto undefined = Record(Units(std::u16string(u"<a>&x;</a>"), false, true));
    EXPECT_EQ(undefined.Result.Offset, 2u + 3 * 2);
    const auto afterBom = Record("\xEF\xBB\xBF<a>&x;</a>");
    EXPECT_EQ(afterBom.Result.Offset, 3u + 3);
    const auto unpaired = Record(Units(std::u16string(u"<a>"), true, true) + "\xDC\x00"s);
    EXPECT_EQ(unpaired.Result.Error, "an unpaired surrogate");
    EXPECT_EQ(unpaired.Result.Offset, 8u);
    EXPECT_EQ(Record("<\0a\0>"s).Result.Error, "a code unit cut short by the end");
    EXPECT_EQ(Record(Units(std::u32string(U"<a/>"), false, true) + "\0\0\x11\0"s).Result.Error, "a code point out of range");
}

TEST(XmlReader, DoctypeAndEntityDeclarationsAreRefused) {
    const std::string laughs =
        "<?xml version='1.0'?>\n<!DOCTYPE r [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;'>]><r>&b;</r>";
    const auto doctype = Record(laughs);
    EXPECT_EQ(doctype.Result.Status, TXmlResult::Failed);
    EXPECT_EQ(doctype.Result.Error, "DOCTYPE refused");
    EXPECT_EQ(doctype.Result.Offset, 22u);
    EXPECT_TRUE(doctype.Events.empty());

    const auto entity = Record("<!ENTITY a 'x'><r>&a;</r>");
    EXPECT_EQ(entity.Result.Error, "entity declaration refused");
    EXPECT_EQ(entity.Result.Offset, 0u);
    EXPECT_EQ(Record("<r/><!DOCTYPE r>").Result.Error, "DOCTYPE refused");
}

TEST(XmlReader, MalformedInputIsRejectedAtItsByte) {
    for (const auto &m : xmptest::MalformedDocuments()) {
        const auto r = Record(m.Document);
        EXPECT_EQ(r.Result.Status, TXmlResult::Failed) << m.Document;
        EXPECT_NE(r.Result.Error.find(m.Says), std::string::npos) << m.Document << ": " << r.Result.Error;
        EXPECT_EQ(r.Result.Offset, m.Offset) << m.Document << ": " << r.Result.Error;
    }
}

// Long runs are scanned many bytes at a time: a character not allowed, a
// line end to let through, markup ending the text and what ends a run of
// an attribute value are each found at any place in a run, and in the
// bytes after its last whole block.
TEST(XmlReader, EachByteOfALongRunIsLookedAt) {
    for (std::size_t at = 0; at < 40; ++at) {
        const std::string before(at, 'x'), after(40 - at, 'y');
        const auto bad = Record("<a>" + before + "\x01" + after + "</a>");
        EXPECT_EQ(bad.Result.Error, "character U+0001 not allowed") << at;
        EXPECT_EQ(bad.Result.Offset, 3 + at);
        EXPECT_EQ(Record("<a>" + before + "\t\n" + after + "</a>").Events,
                  (Events{"S {}a", "T " + before + "\t\n" + after, "E {}a"}));
        Events split = {"S {}a", "T " + before, "S {}b", "E {}b", "T " + after, "E {}a"};
        if (at == 0) split.erase(split.begin() + 1);
        EXPECT_EQ(Record("<a>" + before + "<b/>" + after + "</a>").Events, split) << at;
        // In an attribute value: a reference, a line end, '<' and the quote.
        EXPECT_EQ(Record("<a v='" + before + "&amp;\n" + after + "\"'/>").Events,
                  (Events{"S {}a", "A {}v=" + before + "& " + after + "\"", "E {}a"}));
        EXPECT_EQ(Record("<a v='" + before + "<" + after + "'/>").Result.Offset, 6 + at);
    }
}

// The other bytes that end a run of text (a reference, a carriage return,
// a ']' that might close a CDATA section) and the end of a run of
// whitespace inside a tag, at every place of a run longer than a block.
TEST(XmlReader, EachStopOfALongTextOrSpaceRunIsFoundAtItsPlace) {
    for (std::size_t at = 0; at < 40; ++at) {
        const std::string before(at, 'x'), after(40 - at, 'y');
        EXPECT_EQ(Record("<a>" + before + "&amp;]\r" + after + "</a>").Events,
                  (Events{"S {}a", "T " + before + "&]\n" + after, "E {}a"}))
            << at;
        EXPECT_EQ(Record("<a>" + before + "]]>" + after + "</a>").Result.Offset, 3 + at) << at;
        const std::string spaces = std::string(at + 2, ' ') + "\t\n\r";
        EXPECT_EQ(Record("<a" + spaces + "b='1'" + spaces + "/>").Events, (Events{"S {}a", "A {}b=1", "E {}a"})) << at;
        EXPECT_EQ(Record("<a" + spaces + "\x01/>").Result.Offset, 2 + spaces.size()) << at;
    }
}

TEST(XmlReader, HostileDocumentsStopAtTheirBounds) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    const auto nested = Record(deep);
    EXPECT_EQ(nested.Result.Error, "elements nested deeper than 256");
    EXPECT_EQ(nested.Result.Offset, 256u * 3);
    EXPECT_EQ(nested.Events.size(), 256u);

    std::string wide = "<a";
    for (int i = 0; i < 100000; ++i) wide += " a" + std::to_string(i) + "=''";
    const auto attributes = Record(wide + "/>");
    EXPECT_EQ(attributes.Result.Error, "more than 1024 attributes");
    EXPECT_EQ(attributes.Result.Offset, wide.find(" a1024=") + 1);

    const auto longName = Record("<" + std::string(5000000, 'n') + "/>");
    EXPECT_EQ(longName.Result.Error, "name longer than 1024 bytes");
    EXPECT_EQ(longName.Result.Offset, 1u);
    EXPECT_EQ(Record("<a xmlns:p='" + std::string(2000, 'u') + "'/>").Result.Error, "namespace name longer than 1024 bytes");

    const std::string big = "<a>" + std::string(8 * 1024 * 1024, 'x') + "</a>";
    EXPECT_EQ(Record(big).Result.Error, "larger than 8388608 bytes");
    const auto allowed = Record(big, {.MaxBytes = big.size()});
    EXPECT_EQ(allowed.Result.Status, TXmlResult::Done);
    EXPECT_EQ(allowed.Events.size(), 3u);

    xmptest::TEventRecorder stopper;
    stopper.StopAfter = 2;
    EXPECT_EQ(xmp::ReadXml("<a><b><c/></b></a>", stopper).Status, TXmlResult::Stopped);
    EXPECT_EQ(stopper.Events, (Events{"S {}a", "S {}b"}));
}

// A handler may keep the view of the text until the tag after it (the XMP
// reader takes an element's value at its end): the text read as one run
// of the document and the text put together from pieces alike.
TEST(XmlReader, TextStaysValidThroughTheTagAfterIt) {
    struct TKeeper final : xmp::TXmlHandler {
        std::string_view Kept;
        Events AtEnds;
        bool StartElement(const xmp::TXmlName &, std::span<const xmp::TXmlAttribute>) override {
            Kept = {};
            return true;
        }
        bool EndElement(const xmp::TXmlName &name) override {
            AtEnds.push_back(std::string(name.Local) + "=" + std::string(Kept));
            Kept = {};
            return true;
        }
        bool Text(std::string_view text) override {
            Kept = text;
            return true;
        }
    } keeper;
    const auto r = xmp::ReadXml("<r><a>plain</a><b>x&amp;y</b><c>l1\r\nl2</c><d><![CDATA[c]]>d</d><e>t<f/>u</e></r>", keeper);
    ASSERT_EQ(r.Status, TXmlResult::Done) << r.Error;
    EXPECT_EQ(keeper.AtEnds, (Events{"a=plain", "b=x&y", "c=l1\nl2", "d=cd", "f=", "e=u", "r="}));
}

// Names whose ASCII start goes on in other characters, and a prefix bound
// far out, then again among many bindings nearer in: each name resolves to
// its innermost binding, and once the inner one ends, to the outer again
// (found in the map of bindings, being too far out for the look-up over
// the last few).
TEST(XmlReader, NamesResolveToTheirInnermostBinding) {
    std::string many;
    for (int i = 0; i < 20; ++i) many += " xmlns:q" + std::to_string(i) + "='urn:q" + std::to_string(i) + "'";
    const std::string doc = "<r xmlns:p='urn:outer'><s" + many + "><p:a/><t xmlns:p='urn:inner'" + many +
                            "><p:b q3:x='1'/></t><p:c/><ab\xC3\xA9 x\xC3\xA9='2'/></s></r>";
    const auto r = Record(doc);
    ASSERT_EQ(r.Result.Status, TXmlResult::Done) << r.Result.Error;
    const Events expected = {
        "S {}r", "S {}s", "S {urn:outer}a", "E {urn:outer}a",
        "S {}t", "S {urn:inner}b", "A {urn:q3}x=1", "E {urn:inner}b", "E {}t",
        "S {urn:outer}c", "E {urn:outer}c",
        "S {}ab\xC3\xA9", "A {}x\xC3\xA9=2", "E {}ab\xC3\xA9", "E {}s", "E {}r",
    };
    EXPECT_EQ(r.Events, expected);
}

}  // namespace
