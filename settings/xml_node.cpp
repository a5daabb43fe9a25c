// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/xml_node.h"

#include <utility>

namespace halvoric {

TXmlNode::~TXmlNode() { ClearChildren(); }

void TXmlNode::ClearChildren() {
  TXmlNodeList<TXmlNode> pending = std::move(Children);
  Children.clear();
  while (!pending.empty()) {
    std::unique_ptr<TXmlNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->Children) pending.push_back(std::move(child));
    node->Children.clear();
  }
}

TXmlNode& TXmlNode::AddChild(std::unique_ptr<TXmlNode> child) {
  child->Parent = this;
  Children.push_back(std::move(child));
  return *Children.back();
}

const TXmlNode* TXmlNode::FindChild(std::string_view name) const {
  for (const auto& child : Children) {
    if (child->Name == name) return child.get();
  }
  return nullptr;
}

int TXmlNode::IndexOfAttribute(std::string_view name) const {
  for (std::size_t i = 0; i < Attributes.size(); ++i) {
    if (Attributes[i]->Name == name) return static_cast<int>(i);
  }
  return -1;
}

std::string TXmlNode::GetAttribute(std::string_view name) const {
  const int index = IndexOfAttribute(name);
  return index < 0 ? std::string() : Attributes[static_cast<std::size_t>(index)]->Value;
}

std::string TXmlNode::GetAttribute(std::size_t index) const {
  return index < Attributes.size() ? Attributes[index]->Value : std::string();
}

void TXmlNode::SetAttribute(std::string_view name, std::string value) {
  const int index = IndexOfAttribute(name);
  if (index >= 0) {
    Attributes[static_cast<std::size_t>(index)]->Value = std::move(value);
    return;
  }
  auto attribute = std::make_unique<TXmlAttribute>();
  attribute->Value = std::move(value);
  attribute->Name = std::string(name);
  Attributes.push_back(std::move(attribute));
}

void TXmlNode::SetAttribute(std::size_t index, std::string value) {
  if (index < Attributes.size()) Attributes[index]->Value = std::move(value);
}

}  // namespace halvoric
