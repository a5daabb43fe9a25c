// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/xml_reader.h"

#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "base/text_trim.h"
#include "settings/xml_writer.h"

namespace halvoric {
namespace {

constexpr std::string_view kCDataStart = "<![CDATA[";
constexpr std::string_view kCDataEnd = "]]>";

// How much of the partial tree a syntax error quotes.
constexpr std::size_t kPartialTreeLimit = 1 << 20;

// Reads an attribute text such as `version='1.0' encoding="x"` into `element`.
// A later attribute of the same name replaces the earlier one's value. The
// names are looked up in an index rather than along the list, so that a
// hand-made file with a hundred thousand attributes costs no more than
// their number.
Result<> ReadAttributes(std::string_view text, TXmlNode& element) {
  std::unordered_map<std::string_view, TXmlAttribute*> byName;
  for (const auto& attribute : element.Attributes)
    byName.try_emplace(attribute->Name, attribute.get());
  text = TrimControls(text);
  while (!text.empty()) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return Failure{"missing = when parsing attributes"};
    const std::size_t open = equals + 1;
    if (open >= text.size() || (text[open] != '"' && text[open] != '\'')) {
      return Failure{"missing value delimiter when parsing attributes"};
    }
    const char quote = text[open];
    const std::size_t close = text.find(quote, open + 1);
    if (close == std::string_view::npos) {
      return Failure{std::string("Expected closing ") + quote + " when parsing attributes"};
    }
    const std::string_view name = TrimControls(text.substr(0, equals));
    std::string value(text.substr(open + 1, close - open - 1));
    if (const auto known = byName.find(name); known != byName.end()) {
      known->second->Value = std::move(value);
    } else {
      auto attribute = std::make_unique<TXmlAttribute>();
      attribute->Name = std::string(name);
      attribute->Value = std::move(value);
      byName.emplace(attribute->Name, attribute.get());
      element.Attributes.push_back(std::move(attribute));
    }
    text.remove_prefix(close + 1);
  }
  return Result<>::Done();
}

struct SyntaxError {
  std::string message;
  std::size_t position;  // 1-based; 0 when the scan ran off the end
};

class XmlReader {
 public:
  explicit XmlReader(TXmlDoc& doc) : doc_(doc), source_(doc.Source) {}

  Result<> Parse() {
    doc_.ClearChildren();
    doc_.Attributes.clear();
    doc_.Name.clear();
    doc_.Text.clear();
    doc_.LastError.clear();
    pos_ = 0;

    const std::size_t lt = source_.find('<');
    if (lt != std::string_view::npos && source_.substr(lt).starts_with("<?xml")) {
      const std::size_t end = source_.find("?>", lt + 5);
      if (end == std::string_view::npos) {
        doc_.LastError = "Missing ?> in xml declaration.";
        return Result<>::Done();
      }
      pos_ = end + 2;
      // The byte after "<?xml" is skipped unread, as the blank it should be.
      const std::size_t begin = lt + 6;
      if (begin < end) {
        Result<> read = ReadAttributes(source_.substr(begin, end - begin), doc_.Declaration);
        if (!read.Ok()) return read;
      }
    }
    if (auto error = ScanElements()) doc_.LastError = Describe(*error);
    return Result<>::Done();
  }

 private:
  SyntaxError At(std::string message) const { return {std::move(message), pos_ + 1}; }

  bool StartsAt(std::size_t pos, std::string_view prefix) const {
    return pos <= source_.size() && source_.substr(pos).starts_with(prefix);
  }

  // A loop rather than a call per tag: the number of tags in a file cannot
  // exhaust the stack.
  std::optional<SyntaxError> ScanElements() {
    TXmlNode* parent = nullptr;
    for (;;) {
      const std::size_t lt = source_.find('<', pos_);
      if (lt == std::string_view::npos) return SyntaxError{"Missing <", 0};
      pos_ = lt;
      const std::size_t gt = source_.find('>', lt);
      if (gt == std::string_view::npos) return At("Missing >");
      std::string_view content = source_.substr(lt + 1, gt - lt - 1);

      if (content.starts_with('/')) {
        // The name is not compared: an end tag closes the innermost element.
        if (parent == nullptr) return At("End tag without an open element");
        pos_ = gt + 1;
        parent = parent->Parent;
        if (parent == nullptr) return std::nullopt;
        continue;
      }

      pos_ = gt + 1;
      const bool isEmpty = content.ends_with('/');
      if (isEmpty) content = TrimControls(content.substr(0, content.size() - 1));
      const std::size_t blank = content.find(' ');
      const std::string_view attributes =
          blank == std::string_view::npos ? std::string_view() : content.substr(blank + 1);

      TXmlNode* element = &doc_;
      if (parent != nullptr) {
        auto child = std::make_unique<TXmlNode>();
        child->Document = &doc_;
        element = &parent->AddChild(std::move(child));
      }
      element->Name = std::string(content.substr(0, blank));
      if (Result<> read = ReadAttributes(attributes, *element); !read.Ok()) {
        return At(std::move(read.Message));
      }

      if (isEmpty) {
        if (parent == nullptr) return std::nullopt;
        continue;
      }
      if (auto error = ReadText(*element)) return error;
      parent = element;
    }
  }

  // Keeps only the run of text right after the start tag. Adjacent CDATA
  // sections are joined: that is how the writer stores a text with "]]>".
  std::optional<SyntaxError> ReadText(TXmlNode& element) {
    const std::size_t lt = source_.find('<', pos_);
    if (lt == std::string_view::npos) return At("Expected < when parsing text");
    if (!StartsAt(lt, kCDataStart)) {
      element.Text = std::string(TrimControls(source_.substr(pos_, lt - pos_)));
      pos_ = lt;
      return std::nullopt;
    }
    std::string text;
    pos_ = lt + kCDataStart.size();
    for (;;) {
      const std::size_t end = source_.find(kCDataEnd, pos_);
      if (end == std::string_view::npos) return At("Expected ]]> when parsing CDATA section");
      text.append(source_.substr(pos_, end - pos_));
      pos_ = end + kCDataEnd.size();
      if (!StartsAt(pos_, kCDataStart)) break;
      pos_ += kCDataStart.size();
    }
    element.Text = std::string(TrimControls(text));
    return std::nullopt;
  }

  std::string Describe(const SyntaxError& error) const {
    const std::size_t from = error.position > 20 ? error.position - 21 : 0;
    std::string message = error.message;
    message += " near ";
    message += source_.substr(from, 50);
    message += "\r\nError position=";
    message += std::to_string(error.position);
    message += "\r\n";
    message += WriteXml(doc_, kPartialTreeLimit);
    return message;
  }

  TXmlDoc& doc_;
  std::string_view source_;
  std::size_t pos_ = 0;  // 0-based index of the scan position
};

}  // namespace

Result<> ParseXml(TXmlDoc& doc) { return XmlReader(doc).Parse(); }

}  // namespace halvoric
