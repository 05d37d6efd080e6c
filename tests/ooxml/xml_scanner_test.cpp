// The own scanner behind XmlReader::scanning against libxml2's reader on the same parts: the
// same events, attribute values and texts (references, line ends, CDATA, chunk boundaries
// inside references and UTF-8 sequences), and an error wherever libxml2 gives one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package_builder.h"
#include "xls/ooxml/package.h"
#include "xls/ooxml/xml_reader.h"

namespace zel::xls::ooxml {
namespace {

// Every event as a line; the texts of <t> and <f> elements read through text().
std::vector<std::string> events(XmlReader& xml) {
  std::vector<std::string> out;
  try {
    while (xml.next()) {
      std::string line = (xml.isStart() ? "S " : "E ") + std::string(xml.localName()) + " " + std::to_string(xml.depth());
      if (xml.isStart()) {
        if (xml.isEmptyElement()) line += "/";
        xml.forEachAttribute([&](std::string_view n, std::string_view v) { line += " " + std::string(n) + "=" + std::string(v); });
        if (xml.localName() == "t" || xml.localName() == "f") line += " T[" + xml.text() + "]";
        else if (xml.localName() == "skipped") xml.skip();
      }
      out.push_back(line);
    }
  } catch (const XmlError&) {
    out.push_back("error");
  }
  return out;
}

std::vector<std::string> scanned(const std::string& part) {
  Package package = Package::openMemory(test::zipImage({{"p.xml", part}}));
  try {
    XmlReader xml = XmlReader::scanning(*package.stream("p.xml"));
    return events(xml);
  } catch (const XmlError&) {
    return {"error"};
  }
}

std::vector<std::string> byLibxml2(const std::string& part) {
  try {
    XmlReader xml{std::string(part)};
    return events(xml);
  } catch (const XmlError&) {
    return {"error"};
  }
}

TEST(XmlScanner, SameEventsAndTextsAsLibxml2) {
  const std::vector<std::string> parts = {
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<!-- a > b --><w><?pi x?>"
      "<c r=\"A1\" s = '3' t=\"a&amp;b&lt;&#65;&#x263A;&quot;\"><f>SUM(\"x\r\ny\")&gt;1</f><e/></c>"
      "<x:c xmlns:x=\"u\" x:r=\"B1\" v=\"tab\tline\r\nend&#10;\"/><t xml:space=\"preserve\"> a<![CDATA[<b>&amp;\r\n]]>c\r</t>"
      "<skipped><t>inside</t><deeper><t/></deeper></skipped><t><r>run</r><r>two &#x1F600; é</r></t></w>",
      "\xEF\xBB\xBF<w><t>after a byte-order mark</t></w>\n",
  };
  for (const std::string& part : parts) EXPECT_EQ(scanned(part), byLibxml2(part)) << part;

  // Long texts whose references, CR LF pairs and multi-byte characters fall across every
  // offset of the scanner's chunk boundaries.
  std::string period = "ab&amp;c\r\nd&#x1F600;\xC3\xA9z&lt;";
  std::string body;
  while (body.size() < 600'000) body += period;
  for (size_t pad = 0; pad < period.size(); ++pad) {
    std::string part = "<w><t>" + std::string(pad, 'p') + body + "</t><c v=\"1\"/></w>";
    ASSERT_EQ(scanned(part), byLibxml2(part)) << "padding " << pad;
  }

  // Another encoding goes to libxml2 whole, read-ahead bytes included.
  std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><w><t>caf\xE9</t></w>";
  std::vector<std::string> fellBack = scanned(latin1);
  EXPECT_EQ(fellBack, byLibxml2(latin1));
  ASSERT_EQ(fellBack.size(), 3u);
  EXPECT_EQ(fellBack[1], "S t 1 T[caf\xC3\xA9]");
}

TEST(XmlScanner, MalformedAndHostilePartsAreErrorsAsWithLibxml2) {
  std::string deep = "<w>";
  for (int i = 0; i < 200; ++i) deep += "<x>";
  const std::vector<std::string> bad = {
      "<!DOCTYPE w [<!ENTITY a \"aaaa\">]><w><t>&a;</t></w>",
      "<w><t>&unknown;</t></w>",
      "<w><t>&#1;</t></w>",
      "<w><t>&#x110000;</t></w>",
      "<w><t>&amp</t></w>",
      "<w><c></w>",
      "<w><c/></w><w/>",
      "<w><c r=A1/></w>",
      "<w><c r=\"1\" r=\"2\"/></w>",
      "<w><c r=\"a<b\"/></w>",
      "<w><t>\x01</t></w>",
      "<w><t>\xC3(</t></w>",
      "<w><t>\xED\xA0\x80</t></w>",
      "<w><c r=\"1\"/>",
      "text<w/>",
      "",
      deep,
  };
  for (const std::string& part : bad) {
    std::vector<std::string> ours = scanned(part);
    ASSERT_FALSE(ours.empty()) << part;
    EXPECT_EQ(ours.back(), "error") << part;
    EXPECT_EQ(byLibxml2(part).back(), "error") << part;
  }
}

}  // namespace
}  // namespace zel::xls::ooxml
