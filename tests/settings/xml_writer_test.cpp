#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "settings/xml_doc.h"

namespace halvoric {
namespace {

TXmlNode& Add(TXmlNode& parent, const std::string& name, const std::string& text = "") {
  auto child = std::make_unique<TXmlNode>();
  child->Name = name;
  child->Text = text;
  return parent.AddChild(std::move(child));
}

const std::string kDeclaration = "<?xml version='1.0' encoding='ISO-8859-1' ?>\r\n";

struct LeafCase {
  std::string text;
  std::string written;  // the child's lines
};

class LeafText : public ::testing::TestWithParam<LeafCase> {};

TEST_P(LeafText, IsWrittenExactly) {
  TXmlDoc doc;
  doc.Name = "r";
  Add(doc, "a", GetParam().text);
  EXPECT_EQ(doc.ToText(), kDeclaration + "<r>\r\n" + GetParam().written + "\r\n</r>");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeafText,
    ::testing::Values(LeafCase{"1", "  <a>1\r\n  </a>"}, LeafCase{"", "  <a/>"},
                      LeafCase{"a<b", "  <a><![CDATA[a<b]]>\r\n  </a>"},
                      LeafCase{"x & y \"q\"", "  <a>x & y \"q\"\r\n  </a>"},
                      LeafCase{"a]]>b", "  <a><![CDATA[a]]]]><![CDATA[>b]]>\r\n  </a>"},
                      LeafCase{"]]>]]>",
                               "  <a><![CDATA[]]]]><![CDATA[>]]]]><![CDATA[>]]>\r\n  </a>"}));

TEST(XmlWriter, NestsAttributesAndDeclaration) {
  TXmlDoc doc;
  doc.Declaration.SetAttribute("standalone", "yes");
  doc.Declaration.SetAttribute("encoding", "UTF-8");
  doc.Name = "r";
  doc.Text = "top";
  TXmlNode& a = Add(doc, "a");
  a.SetAttribute("k", "v\"w");
  a.SetAttribute("n", "1");
  Add(a, "b", "2");
  EXPECT_EQ(doc.ToText(),
            "<?xml version='1.0' encoding='UTF-8' ?>\r\n"
            "<r>top\r\n  <a k='v\"w' n='1'>\r\n    <b>2\r\n    </b>\r\n  </a>\r\n</r>");
}

}  // namespace
}  // namespace halvoric
