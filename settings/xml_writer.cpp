// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/xml_writer.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace halvoric {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// One growing buffer: a piece that does not fit grows it by the larger of the
// growth step and the piece, so a big document is not copied per line.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::size_t limit) : limit_(limit) { text_.reserve(TXmlDoc::GrowthStep); }

  bool Full() const { return text_.size() >= limit_; }

  void Append(std::string_view piece) {
    piece = piece.substr(0, limit_ - std::min(limit_, text_.size()));
    Reserve(piece.size());
    text_.append(piece);
  }

  void AppendBlanks(std::size_t count) {
    count = std::min(count, limit_ - std::min(limit_, text_.size()));
    Reserve(count);
    text_.append(count, ' ');
  }

  std::string Take() { return std::move(text_); }

 private:
  void Reserve(std::size_t pieceSize) {
    if (text_.size() + pieceSize > text_.capacity()) {
      text_.reserve(text_.capacity() + std::max(TXmlDoc::GrowthStep, pieceSize));
    }
  }

  std::size_t limit_;
  std::string text_;
};

bool NeedsCData(std::string_view text) {
  return text.find_first_of("<>") != std::string_view::npos;
}

// A "]]>" inside the text would end the section early, so it is split across
// two adjacent sections; the reader joins them again.
void AppendCData(OutputBuffer& out, std::string_view text) {
  out.Append("<![CDATA[");
  for (std::size_t end = text.find("]]>"); end != std::string_view::npos; end = text.find("]]>")) {
    out.Append(text.substr(0, end + 2));
    out.Append("]]><![CDATA[");
    text.remove_prefix(end + 2);
  }
  out.Append(text);
  out.Append("]]>");
}

struct OpenElement {
  const TXmlNode* node;
  std::size_t depth;
  std::size_t nextChild = 0;
};

// Writes the start tag; the result tells whether the element still needs its
// children and end tag.
bool AppendStartTag(OutputBuffer& out, const TXmlNode& node, std::size_t depth) {
  out.AppendBlanks(2 * depth);
  out.Append("<");
  out.Append(node.Name);
  for (const auto& attribute : node.Attributes) {
    out.Append(" ");
    out.Append(attribute->Name);
    out.Append("='");
    out.Append(attribute->Value);
    out.Append("'");
  }
  if (node.Children.empty() && node.Text.empty()) {
    out.Append("/>");
    return false;
  }
  out.Append(">");
  if (NeedsCData(node.Text)) {
    AppendCData(out, node.Text);
  } else {
    out.Append(node.Text);
  }
  return true;
}

// A loop with its own stack instead of a call per level: any depth that fits
// in memory can be written.
void AppendElement(OutputBuffer& out, const TXmlNode& root) {
  std::vector<OpenElement> open;
  if (AppendStartTag(out, root, 0)) open.push_back({&root, 0});
  while (!open.empty() && !out.Full()) {
    OpenElement& top = open.back();
    if (top.nextChild < top.node->Children.size()) {
      const TXmlNode& child = *top.node->Children[top.nextChild++];
      const std::size_t depth = top.depth + 1;
      out.Append(kLineBreak);
      if (AppendStartTag(out, child, depth)) open.push_back({&child, depth});
    } else {
      out.Append(kLineBreak);
      out.AppendBlanks(2 * top.depth);
      out.Append("</");
      out.Append(top.node->Name);
      out.Append(">");
      open.pop_back();
    }
  }
}

}  // namespace

std::string WriteXml(const TXmlDoc& doc, std::size_t limit) {
  OutputBuffer out(limit);
  std::string version = doc.Declaration.GetAttribute("version");
  std::string encoding = doc.Declaration.GetAttribute("encoding");
  out.Append("<?xml version='");
  out.Append(version.empty() ? "1.0" : version);
  out.Append("' encoding='");
  out.Append(encoding.empty() ? "ISO-8859-1" : encoding);
  out.Append("' ?>");
  out.Append(kLineBreak);
  AppendElement(out, doc);
  return out.Take();
}

}  // namespace halvoric
