// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "settings/xml_doc.h"

namespace halvoric {
namespace {

const std::string kDeclaration = "<?xml version='1.0' encoding='ISO-8859-1' ?>\r\n";

// Every case is a whole source and the document it must give, written back.
struct ParseCase {
  std::string name;
  std::string source;
  std::string tree;   // ToText of the result, without the declaration line
  std::string error;  // LastError up to the partial tree it ends with
};

class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, BuildsTheTreeAndRecordsTheError) {
  TXmlDoc doc;
  ASSERT_TRUE(doc.LoadFromText(GetParam().source).Ok());
  EXPECT_EQ(doc.ToText(), kDeclaration + GetParam().tree);
  EXPECT_EQ(doc.LastError,
            GetParam().error.empty() ? "" : GetParam().error + "\r\n" + doc.ToText());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Parse,
    ::testing::Values(
        ParseCase{"AttributeQuotes", "<r a='say \"hi\"' b=\"it's\" c ='x'/>",
                  "<r a='say \"hi\"' b='it's' c='x'/>", ""},
        ParseCase{"RepeatedAttributeReplaced", "<r a='1' b='2' a='3'/>", "<r a='3' b='2'/>", ""},
        ParseCase{"TabAfterNameJoinsName", "<r><a\tb='1'>x</a></r>",
                  "<r>\r\n  <a\tb='1'>x\r\n  </a\tb='1'>\r\n</r>", ""},
        ParseCase{"MismatchedEndTags", "<a><b></a></b>", "<a>\r\n  <b/>\r\n</a>", ""},
        ParseCase{"OnlyFirstTextKept", "<r> t1 <a/> t2 <b><![CDATA[y]]> z</b></r>",
                  "<r>t1\r\n  <a/>\r\n  <b>y\r\n  </b>\r\n</r>", ""},
        ParseCase{"TextBeforeCDataDropped", "<r>x<![CDATA[y]]> z</r>", "<r>y\r\n</r>", ""},
        ParseCase{"EntitiesStayAsWritten", "<r>&lt;&#65;</r>", "<r>&lt;&#65;\r\n</r>", ""},
        ParseCase{"ContentAfterRootIgnored", "<r/><s/>", "<r/>", ""},
        ParseCase{"UnclosedRoot", "<r><a>1</a>", "<r>\r\n  <a>1\r\n  </a>\r\n</r>",
                  "Missing < near <r><a>1</a>\r\nError position=0"},
        ParseCase{"QuotesTwentyBytesBack", "<r>" + std::string(30, ' ') + "<a b>",
                  "<r>\r\n  <a/>\r\n</r>",
                  "missing = when parsing attributes near " + std::string(15, ' ') +
                      "<a b>\r\nError position=39"},
        ParseCase{"GreaterThanInValueEndsTag", "<r a='>'/>", "<r/>",
                  "Expected closing ' when parsing attributes near <r a='>'/>\r\nError position=8"},
        ParseCase{"NoValueDelimiter", "<r a=1/>", "<r/>",
                  "missing value delimiter when parsing attributes near <r a=1/>\r\n"
                  "Error position=9"},
        ParseCase{"MissingGreaterThan", "<r><a", "<r/>",
                  "Missing > near <r><a\r\nError position=4"},
        ParseCase{"TextWithoutLessThan", "<r>abc", "<r/>",
                  "Expected < when parsing text near <r>abc\r\nError position=4"},
        ParseCase{
            "UnclosedCData", "<r><![CDATA[x", "<r/>",
            "Expected ]]> when parsing CDATA section near <r><![CDATA[x\r\nError position=13"},
        ParseCase{"EndTagFirst", "</a><r/>", "</>",
                  "End tag without an open element near </a><r/>\r\nError position=1"},
        ParseCase{"EmptyFile", "", "</>", "Missing < near \r\nError position=0"}),
    [](const auto& info) { return info.param.name; });

TEST(XmlReader, DeclarationAttributesAreKept) {
  TXmlDoc doc;
  ASSERT_TRUE(doc.LoadFromText("<?xml version=\"1.1\" encoding='UTF-8'?><r/>").Ok());
  EXPECT_EQ(doc.Declaration.GetAttribute("version"), "1.1");
  EXPECT_EQ(doc.Declaration.GetAttribute(1), "UTF-8");
  EXPECT_EQ(doc.Declaration.GetAttribute(2), "");
  EXPECT_EQ(doc.ToText(), "<?xml version='1.1' encoding='UTF-8' ?>\r\n<r/>");
}

TEST(XmlReader, BrokenDeclarationLeavesAnEmptyRoot) {
  TXmlDoc doc;
  const Result<> broken = doc.LoadFromText("<?xml version ?><r/>");
  EXPECT_FALSE(broken.Ok());
  EXPECT_EQ(broken.Message, "missing = when parsing attributes");
  EXPECT_EQ(doc.Name, "");
  ASSERT_TRUE(doc.LoadFromText("<?xml version='1.0' <r/>").Ok());
  EXPECT_EQ(doc.LastError, "Missing ?> in xml declaration.");
  EXPECT_EQ(doc.Name, "");
}

TEST(XmlReader, MillionTagsInARowOrNested) {
  std::string flat = "<r>";
  for (int i = 0; i < 1'000'000; ++i) flat += "<a/>";
  TXmlDoc doc;
  ASSERT_TRUE(doc.LoadFromText(flat + "</r>").Ok());
  EXPECT_EQ(doc.LastError, "");
  EXPECT_EQ(doc.Children.size(), 1'000'000u);

  std::string nested;
  for (int i = 0; i < 1'000'000; ++i) nested += "<a>";
  ASSERT_TRUE(doc.LoadFromText(nested + "<b/>").Ok());
  EXPECT_EQ(doc.LastError.rfind("Missing < near <a><a>", 0), 0u);
  EXPECT_LT(doc.LastError.size(), 2'000'000u);
}

}  // namespace
}  // namespace halvoric
