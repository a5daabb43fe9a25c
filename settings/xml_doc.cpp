#include "settings/xml_doc.h"

#include <utility>

#include "base/staged_file.h"
#include "base/whole_file.h"
#include "settings/xml_reader.h"
#include "settings/xml_writer.h"

namespace halvoric {

TXmlDoc::TXmlDoc() { Document = this; }

std::optional<std::string> TXmlDoc::LoadFromFile(const std::string& fileName) {
  Result<std::string> content = ReadWholeFile(fileName);
  if (!content.Ok()) return "Cannot open file \"" + fileName + "\". " + content.Message;
  return LoadFromText(std::move(*content));
}

std::optional<std::string> TXmlDoc::LoadFromText(std::string source) {
  Source = std::move(source);
  return ParseXml(*this);
}

std::string TXmlDoc::ToText() const { return WriteXml(*this); }

std::optional<std::string> TXmlDoc::SaveToFile(const std::string& fileName) const {
  if (const Result<> saved = ReplaceFile(fileName, ToText()); !saved.Ok()) {
    return "Cannot create file \"" + fileName + "\". " + saved.Message;
  }
  return std::nullopt;
}

}  // namespace halvoric
