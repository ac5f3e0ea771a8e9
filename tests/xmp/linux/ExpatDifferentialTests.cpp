// Our XML reader next to libexpat, the reference parser: the same event
// stream (namespace-resolved names, attributes in order, character data
// between tags) on exiftool's packets, on documents built here and on
// thousands of one-byte mutations of them; the same verdict on malformed
// documents; and, for what we refuse by design and expat accepts, the
// refusal asserted on its own.
#include <expat.h>
#include <gtest/gtest.h>

#include "tests/xmp/XmlEvents.h"

namespace {

using xmptest::Record;

// expat's names with namespace processing: "uri\1local", or "local".
std::string ExpatName(const XML_Char *name) {
    const std::string_view n(name);
    const std::size_t sep = n.find('\1');
    return sep == std::string_view::npos ? "{}" + std::string(n)
                                         : "{" + std::string(n.substr(0, sep)) + "}" + std::string(n.substr(sep + 1));
}

struct TExpatRead {
    bool Accepted = false;
    std::vector<std::string> Events;
    std::string Text;  // expat gives character data in pieces; joined until the next tag

    void Flush() {
        if (!Text.empty()) Events.push_back("T " + std::exchange(Text, {}));
    }
};

TExpatRead ReadWithExpat(std::string_view doc) {
    TExpatRead r;
    XML_Parser p = XML_ParserCreateNS(nullptr, '\1');
    XML_SetUserData(p, &r);
    XML_SetElementHandler(
        p,
        [](void *data, const XML_Char *name, const XML_Char **attributes) {
            auto &e = *static_cast<TExpatRead *>(data);
            e.Flush();
            e.Events.push_back("S " + ExpatName(name));
            for (std::size_t i = 0; attributes[i]; i += 2)
                e.Events.push_back("A " + ExpatName(attributes[i]) + "=" + attributes[i + 1]);
        },
        [](void *data, const XML_Char *name) {
            auto &e = *static_cast<TExpatRead *>(data);
            e.Flush();
            e.Events.push_back("E " + ExpatName(name));
        });
    XML_SetCharacterDataHandler(p, [](void *data, const XML_Char *s, int len) {
        static_cast<TExpatRead *>(data)->Text.append(s, static_cast<std::size_t>(len));
    });
    r.Accepted = XML_Parse(p, doc.data(), static_cast<int>(doc.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(p);
    return r;
}

std::vector<std::string> Documents() {
    std::vector<std::string> docs;
    for (const std::string &f : xmptest::SampleFiles()) docs.push_back(xmptest::ReadFile(xmptest::XmpData(f)));
    docs.push_back("<?xml version='1.0' encoding='UTF-8'?>\r\n<r xmlns='urn:d' xmlns:p=\"urn:p\" a='1' p:b=\"x\">"
                   "<p:c xmlns:p='urn:q' p:x='&lt;&amp;&gt;&apos;&quot;&#9;'>x&#233;&#x1D11E;\ty</p:c>"
                   "<e t='\ta\r\nb&#10;c&#13;'/><![CDATA[<&>]]>l1\r\nl2\rl3<!-- c --><?pi data?>z<f xmlns=''/></r>");
    docs.push_back("\xEF\xBB\xBF<a:r xmlns:a='urn:a'><a:s xmlns:a='urn:b' xmlns='urn:c'><t a:u='1'/></a:s><a:v/></a:r>");
    return docs;
}

TEST(XmlDifferential, EventsMatchExpatOnWellFormedDocuments) {
    for (const std::string &doc : Documents()) {
        const auto ours = Record(doc);
        const auto expat = ReadWithExpat(doc);
        ASSERT_TRUE(expat.Accepted);
        EXPECT_EQ(ours.Result.Status, xmp::TXmlResult::Done) << ours.Result.Error;
        EXPECT_EQ(ours.Events, expat.Events);
    }
}

TEST(XmlDifferential, MalformedDocumentsAreRefusedByBoth) {
    for (const auto &m : xmptest::MalformedDocuments()) {
        EXPECT_FALSE(ReadWithExpat(m.Document).Accepted) << m.Document;
        EXPECT_EQ(Record(m.Document).Result.Status, xmp::TXmlResult::Failed) << m.Document;
    }
}

// What we refuse and expat reads: declarations, and documents past our bounds.
TEST(XmlDifferential, OurRefusalsOfWhatExpatAccepts) {
    std::string deep;
    for (int i = 0; i < 300; ++i) deep = "<a>" + deep + "</a>";
    std::string wide = "<a";
    for (int i = 0; i < 2000; ++i) wide += " a" + std::to_string(i) + "=''";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"<!DOCTYPE r [<!ENTITY e 'x'>]><r>&e;</r>", "DOCTYPE refused"},
        {deep, "elements nested deeper than 256"},
        {wide + "/>", "more than 1024 attributes"},
        {"<" + std::string(2000, 'n') + "/>", "name longer than 1024 bytes"},
    };
    for (const auto &[doc, says] : refused) {
        EXPECT_TRUE(ReadWithExpat(doc).Accepted);
        EXPECT_EQ(Record(doc).Result.Error, says);
    }
}

// Each document with one byte deleted, doubled or replaced by a character
// that matters to XML, at positions from a fixed pseudo-random sequence:
// both readers accept with the same events, or both refuse.
TEST(XmlDifferential, MutatedDocumentsGetTheSameVerdict) {
    static constexpr std::string_view Replacements = "<>&;'\"/=:!?-[] x#\r\n\xC3";
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    std::size_t accepted = 0, refused = 0;
    for (const std::string &doc : Documents()) {
        for (int i = 0; i < 1500; ++i) {
            std::string m = doc;
            const std::size_t at = next() % m.size();
            switch (next() % 3) {
            case 0: m.erase(at, 1); break;
            case 1: m.insert(at, 1, m[at]); break;
            default: m[at] = Replacements[next() % Replacements.size()]; break;
            }
            const auto ours = Record(m);
            const auto expat = ReadWithExpat(m);
            ASSERT_EQ(ours.Result.Status == xmp::TXmlResult::Done, expat.Accepted) << ours.Result.Error << "\n" << m;
            if (expat.Accepted) EXPECT_EQ(ours.Events, expat.Events) << m;
            ++(expat.Accepted ? accepted : refused);
        }
    }
    // Both outcomes are well represented, or the comparison says little.
    EXPECT_GT(accepted, 1000u);
    EXPECT_GT(refused, 1000u);
}

}  // namespace
