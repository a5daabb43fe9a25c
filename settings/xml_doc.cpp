#include "settings/xml_doc.h"

#include <utility>

#include "base/staged_file.h"
#include "base/whole_file.h"
#include "settings/xml_reader.h"
#include "settings/xml_writer.h"

namespace halvoric {

TXmlDoc::TXmlDoc() { Document = this; }

std::optional<std::string> TXmlDoc::LoadFromFile(const std::string& fileName) {
  FileContent content = ReadWholeFile(fileName);
  if (content.error) {
    return "Cannot open file \"" + fileName + "\". " + content.error.message();
  }
  return LoadFromText(std::move(content.bytes));
}

std::optional<std::string> TXmlDoc::LoadFromText(std::string source) {
  Source = std::move(source);
  return ParseXml(*this);
}

std::string TXmlDoc::ToText() const { return WriteXml(*this); }

std::optional<std::string> TXmlDoc::SaveToFile(const std::string& fileName) const {
  if (std::error_code error = ReplaceFile(fileName, ToText())) {
    return "Cannot create file \"" + fileName + "\". " + error.message();
  }
  return std::nullopt;
}

}  // namespace halvoric
