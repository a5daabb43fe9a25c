// SPDX-License-Identifier: GPL-3.0-or-later
// The XML document: itself the root element, plus the declaration, the text
// last loaded and the message of the last load.
#pragma once

#include <cstddef>
#include <string>

#include "base/result.h"
#include "settings/xml_node.h"

namespace halvoric {

class TXmlDoc : public TXmlNode {
 public:
  static constexpr std::size_t GrowthStep = 65536;

  TXmlDoc();

  TXmlNode Declaration;  // its attributes are those of "<?xml ... ?>"
  std::string Source;
  std::string LastError;  // empty when the last load found no syntax error

  // Syntax errors in the elements are recorded in LastError and keep the tree
  // built up to them. A failure is an error that stopped the load: a file
  // that cannot be read, or a bad attribute in the declaration.
  Result<> LoadFromFile(const std::string& fileName);
  Result<> LoadFromText(std::string source);

  std::string ToText() const;

  // Replaces the file whole or not at all.
  Result<> SaveToFile(const std::string& fileName) const;
};

}  // namespace halvoric
