#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "settings/xml_doc.h"
#include "temp_dir.h"

namespace halvoric {
namespace {

const std::string kDeclaration = "<?xml version='1.0' encoding='ISO-8859-1' ?>\r\n";

class TextRoundTrip : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(TextRoundTrip, ReadsBackWhatWasWritten) {
  TXmlDoc written;
  written.Name = "r";
  auto child = std::make_unique<TXmlNode>();
  child->Name = "a";
  child->Text = GetParam().first;
  written.AddChild(std::move(child));

  TXmlDoc read;
  ASSERT_EQ(read.LoadFromText(written.ToText()), std::nullopt);
  EXPECT_EQ(read.LastError, "");
  ASSERT_EQ(read.Children.size(), 1u);
  EXPECT_EQ(read.Children[0]->Text, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextRoundTrip,
                         ::testing::Values(std::pair{"1", "1"}, std::pair{"", ""},
                                           std::pair{"a<b", "a<b"}, std::pair{"x & y", "x & y"},
                                           std::pair{" \t pad \r\n", "pad"},
                                           std::pair{"  <in cdata>  ", "<in cdata>"},
                                           std::pair{"a]]>b", "a]]>b"},
                                           std::pair{"]]>]]>", "]]>]]>"}, std::pair{" ]]> ", "]]>"},
                                           std::pair{"\xC3\xA9\xB0", "\xC3\xA9\xB0"}));

// Every case is a whole source and the document it must give, written back.
struct ParseCase {
  std::string name;
  std::string source;
  std::string tree;  // ToText of the result, without the declaration line
  std::string lastError;
};

class Parse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parse, BuildsTheTreeAndRecordsTheError) {
  TXmlDoc doc;
  ASSERT_EQ(doc.LoadFromText(GetParam().source), std::nullopt);
  EXPECT_EQ(doc.ToText(), kDeclaration + GetParam().tree);
  EXPECT_EQ(doc.LastError, GetParam().lastError);
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
                  "Missing < near <r><a>1</a>\r\nError position=0\r\n" + kDeclaration +
                      "<r>\r\n  <a>1\r\n  </a>\r\n</r>"},
        ParseCase{"QuotesTwentyBytesBack", "<r>" + std::string(30, ' ') + "<a b>",
                  "<r>\r\n  <a/>\r\n</r>",
                  "missing = when parsing attributes near " + std::string(15, ' ') +
                      "<a b>\r\nError position=39\r\n" + kDeclaration + "<r>\r\n  <a/>\r\n</r>"},
        ParseCase{"GreaterThanInValueEndsTag", "<r a='>'/>", "<r/>",
                  "Expected closing ' when parsing attributes near <r a='>'/>\r\n"
                  "Error position=8\r\n" +
                      kDeclaration + "<r/>"},
        ParseCase{"NoValueDelimiter", "<r a=1/>", "<r/>",
                  "missing value delimiter when parsing attributes near <r a=1/>\r\n"
                  "Error position=9\r\n" +
                      kDeclaration + "<r/>"},
        ParseCase{"MissingGreaterThan", "<r><a", "<r/>",
                  "Missing > near <r><a\r\nError position=4\r\n" + kDeclaration + "<r/>"},
        ParseCase{"TextWithoutLessThan", "<r>abc", "<r/>",
                  "Expected < when parsing text near <r>abc\r\nError position=4\r\n" +
                      kDeclaration + "<r/>"},
        ParseCase{"UnclosedCData", "<r><![CDATA[x", "<r/>",
                  "Expected ]]> when parsing CDATA section near <r><![CDATA[x\r\n"
                  "Error position=13\r\n" +
                      kDeclaration + "<r/>"},
        ParseCase{"EndTagFirst", "</a><r/>", "</>",
                  "End tag without an open element near </a><r/>\r\nError position=1\r\n" +
                      kDeclaration + "</>"},
        ParseCase{"EmptyFile", "", "</>",
                  "Missing < near \r\nError position=0\r\n" + kDeclaration + "</>"},
        ParseCase{"UnclosedDeclaration", "<?xml version='1.0' <r/>", "</>",
                  "Missing ?> in xml declaration."}),
    [](const auto& info) { return info.param.name; });

TEST(XmlReader, DeclarationAttributesAreKept) {
  TXmlDoc doc;
  ASSERT_EQ(doc.LoadFromText("<?xml version=\"1.1\" encoding='UTF-8'?><r/>"), std::nullopt);
  EXPECT_EQ(doc.Declaration.GetAttribute("version"), "1.1");
  EXPECT_EQ(doc.Declaration.GetAttribute(1), "UTF-8");
  EXPECT_EQ(doc.Declaration.GetAttribute(2), "");
  EXPECT_EQ(doc.ToText(), "<?xml version='1.1' encoding='UTF-8' ?>\r\n<r/>");
}

TEST(XmlReader, BadDeclarationAttributeStopsTheLoad) {
  TXmlDoc doc;
  EXPECT_EQ(doc.LoadFromText("<?xml version ?><r/>"), "missing = when parsing attributes");
  EXPECT_EQ(doc.Name, "");
}

TEST(XmlReader, MillionTagsInARowOrNested) {
  std::string flat = "<r>";
  for (int i = 0; i < 1'000'000; ++i) flat += "<a/>";
  TXmlDoc doc;
  ASSERT_EQ(doc.LoadFromText(flat + "</r>"), std::nullopt);
  EXPECT_EQ(doc.LastError, "");
  EXPECT_EQ(doc.Children.size(), 1'000'000u);

  std::string nested;
  for (int i = 0; i < 1'000'000; ++i) nested += "<a>";
  ASSERT_EQ(doc.LoadFromText(nested + "<b/>"), std::nullopt);
  EXPECT_EQ(doc.LastError.rfind("Missing < near <a><a>", 0), 0u);
  EXPECT_LT(doc.LastError.size(), 2'000'000u);
}

TEST(XmlReader, FileThatCannotBeOpened) {
  testing::TempDir dir;
  TXmlDoc doc;
  EXPECT_EQ(doc.LoadFromFile(dir.File("none.xml")),
            "Cannot open file \"" + dir.File("none.xml") + "\". No such file or directory");
  std::ofstream(dir.File("x.xml"), std::ios::binary) << "<r>1</r>";
  EXPECT_EQ(doc.LoadFromFile(dir.File("x.xml")), std::nullopt);
  EXPECT_EQ(doc.Text, "1");
}

TEST(XmlNode, AttributesByNameAndIndex) {
  TXmlNode node;
  node.SetAttribute("a", "1");
  node.SetAttribute("b", "2");
  node.SetAttribute(std::size_t{0}, "3");
  node.SetAttribute(std::size_t{5}, "ignored");
  EXPECT_EQ(node.IndexOfAttribute("b"), 1);
  EXPECT_EQ(node.IndexOfAttribute("B"), -1);
  EXPECT_EQ(node.GetAttribute("a"), "3");
  EXPECT_EQ(node.GetAttribute("missing"), "");
  EXPECT_EQ(node.Attributes.size(), 2u);
}

}  // namespace
}  // namespace halvoric
