// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/xml_doc.h"

#include <utility>

#include "base/staged_file.h"
#include "base/whole_file.h"
#include "settings/xml_reader.h"
#include "settings/xml_writer.h"

namespace halvoric {

TXmlDoc::TXmlDoc() { Document = this; }

Result<> TXmlDoc::LoadFromFile(const std::string& fileName) {
  Result<std::string> content = ReadWholeFile(fileName);
  if (!content.Ok()) return Failure{"Cannot open file \"" + fileName + "\". " + content.Message};
  return LoadFromText(std::move(*content));
}

Result<> TXmlDoc::LoadFromText(std::string source) {
  Source = std::move(source);
  return ParseXml(*this);
}

std::string TXmlDoc::ToText() const { return WriteXml(*this); }

Result<> TXmlDoc::SaveToFile(const std::string& fileName) const {
  if (const Result<> saved = ReplaceFile(fileName, ToText()); !saved.Ok()) {
    return Failure{"Cannot create file \"" + fileName + "\". " + saved.Message};
  }
  return Result<>::Done();
}

}  // namespace halvoric
