// SPDX-License-Identifier: GPL-3.0-or-later
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

TEST(XmlText, IsWrittenExactlyAndReadBack) {
  const struct {
    std::string text;
    std::string written;  // the child's lines
    std::string readBack;
  } rows[] = {
      {"1", "  <a>1\r\n  </a>", "1"},
      {"", "  <a/>", ""},
      {"a<b", "  <a><![CDATA[a<b]]>\r\n  </a>", "a<b"},
      {"x & y \"q\"", "  <a>x & y \"q\"\r\n  </a>", "x & y \"q\""},
      {" \t pad \r\n", "  <a> \t pad \r\n\r\n  </a>", "pad"},
      {" <in cdata> ", "  <a><![CDATA[ <in cdata> ]]>\r\n  </a>", "<in cdata>"},
      {"a]]>b", "  <a><![CDATA[a]]]]><![CDATA[>b]]>\r\n  </a>", "a]]>b"},
      {" ]]>]]>", "  <a><![CDATA[ ]]]]><![CDATA[>]]]]><![CDATA[>]]>\r\n  </a>", "]]>]]>"},
      {"\xC3\xA9\xB0", "  <a>\xC3\xA9\xB0\r\n  </a>", "\xC3\xA9\xB0"},
  };
  for (const auto& row : rows) {
    TXmlDoc written;
    written.Name = "r";
    Add(written, "a", row.text);
    const std::string text = written.ToText();
    EXPECT_EQ(text,
              "<?xml version='1.0' encoding='ISO-8859-1' ?>\r\n<r>\r\n" + row.written + "\r\n</r>");

    TXmlDoc read;
    ASSERT_TRUE(read.LoadFromText(text).Ok());
    EXPECT_EQ(read.LastError, "");
    ASSERT_EQ(read.Children.size(), 1u);
    EXPECT_EQ(read.Children[0]->Text, row.readBack);
  }
}

TEST(XmlText, NestsAttributesAndDeclaration) {
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
