// The event stream of an XML read as lines of text, so that two readers
// (ours and the reference parser) can be compared line by line:
//   S {uri}local            an element start
//   A {uri}local=value      each of its attributes, in document order
//   E {uri}local            an element end
//   T text                  the character data between two tags
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "xmp/XmlReader.h"

namespace xmptest {

inline std::string Expanded(const xmp::TXmlName &n) { return "{" + std::string(n.Uri) + "}" + std::string(n.Local); }

struct TEventRecorder final : xmp::TXmlHandler {
    std::vector<std::string> Events;
    std::size_t StopAfter = SIZE_MAX;  // stop the read after this many element starts

    bool StartElement(const xmp::TXmlName &name, std::span<const xmp::TXmlAttribute> attributes) override {
        Events.push_back("S " + Expanded(name));
        for (const auto &a : attributes) Events.push_back("A " + Expanded(a.Name) + "=" + std::string(a.Value));
        return --StopAfter > 0;
    }
    bool EndElement(const xmp::TXmlName &name) override {
        Events.push_back("E " + Expanded(name));
        return true;
    }
    bool Text(std::string_view text) override {
        Events.push_back("T " + std::string(text));
        return true;
    }
};

struct TRecorded {
    xmp::TXmlResult Result;
    std::vector<std::string> Events;
};

inline TRecorded Record(std::string_view bytes, const xmp::TXmlLimits &limits = {}) {
    TEventRecorder recorder;
    xmp::TXmlResult r = xmp::ReadXml(bytes, recorder, limits);
    return {std::move(r), std::move(recorder.Events)};
}

inline std::string ReadFile(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::filesystem::path XmpData(const std::string &name) {
    return std::filesystem::path(EXIFVIEW_TEST_DATA) / "xmp" / name;
}

inline const std::vector<std::string> &SampleFiles() {
    static const std::vector<std::string> files = {"basic.xmp", "structures.xmp", "shorthand.xmp"};
    return files;
}

}  // namespace xmptest

namespace xmptest {

// Documents no reader may accept, with the byte our reader names and a
// word of its message. The differential test checks that the reference
// parser refuses each of them too.
struct TMalformed {
    std::string Document;
    uint64_t Offset;
    std::string Says;
};

inline const std::vector<TMalformed> &MalformedDocuments() {
    using namespace std::string_literals;
    static const std::vector<TMalformed> documents = {
        {"<a></b>", 3, "does not match <a>"},
        {"<a><b></a></b>", 6, "does not match <b>"},
        {"<a>", 0, "<a> not closed"},
        {"", 0, "no root element"},
        {"<1a/>", 1, "name expected"},
        {"<a b='1' b='2'/>", 9, "given twice"},
        {"<a xmlns:p='u' xmlns:q='u' p:b='1' q:b='2'/>", 35, "given twice"},
        {"<a b=1/>", 5, "quoted attribute value"},
        {"<a b='<'/>", 6, "'<' in an attribute value"},
        {"<a b='1'c='2'/>", 8, "whitespace expected"},
        {"<a>&#0;</a>", 3, "no allowed character"},
        {"<a>&#xD800;</a>", 3, "no allowed character"},
        {"<a>&#x110000;</a>", 3, "no allowed character"},
        {"<a>&amp</a>", 3, "without a reference"},
        {"<a>&nbsp;</a>", 3, "undefined entity &nbsp;"},
        {"<a>\xC3\x28</a>", 3, "invalid UTF-8"},
        {"<a>\xED\xA0\x80</a>", 3, "invalid UTF-8"},
        {"<a>\xC0\xAF</a>", 3, "invalid UTF-8"},
        {"<a>\x01</a>"s, 3, "U+0001 not allowed"},
        {"<a>\xEF\xBF\xBE</a>", 3, "U+FFFE not allowed"},
        {"<p:a/>", 0, "prefix p not declared"},
        {"<a p:b='1'/>", 3, "prefix p not declared"},
        {"<a xmlns:p=''/>", 3, "empty namespace"},
        {"<xmlns:a/>", 0, "xmlns names no element"},
        {"<a xmlns:xml='u'/>", 3, "prefix xml"},
        {"<a>]]></a>", 3, "']]>' in character data"},
        {"x<a/>", 0, "text before the root"},
        {"<a/>x", 4, "text after the root"},
        {"<a/><b/>", 4, "a second root element"},
        {"</a>", 0, "without a start tag"},
        {"<!-- x -- y --><a/>", 7, "'--' inside a comment"},
        {"<a><!-- x</a>", 3, "comment not closed"},
        {"<a><![CDATA[x</a>", 3, "CDATA section not closed"},
        {"<![CDATA[x]]><a/>", 0, "CDATA section outside"},
        {"<a/><?xml version='1.0'?>", 4, "XML declaration not at the start"},
        {"<a><?pi x</a>", 3, "processing instruction not closed"},
        {"<a b='1'", 0, "start tag not closed"},
        {"<a><!ELEMENT a ANY></a>", 3, "malformed markup"},
    };
    return documents;
}

}  // namespace xmptest
