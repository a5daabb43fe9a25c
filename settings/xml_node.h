// SPDX-License-Identifier: GPL-3.0-or-later
// The element of the small XML document model behind config.xml.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace halvoric {

class TXmlDoc;

class TXmlAttribute {
 public:
  std::string Value;
  std::string Name;
};

// Items are owned: clearing or destroying the list destroys them.
template <typename T>
using TXmlNodeList = std::vector<std::unique_ptr<T>>;

class TXmlNode {
 public:
  TXmlNode() = default;
  TXmlNode(const TXmlNode&) = delete;
  TXmlNode& operator=(const TXmlNode&) = delete;
  virtual ~TXmlNode();

  std::string Name;
  std::string Text;
  TXmlDoc* Document = nullptr;  // not owned
  TXmlNode* Parent = nullptr;   // not owned; none for the root
  TXmlNodeList<TXmlNode> Children;
  TXmlNodeList<TXmlAttribute> Attributes;

  // Takes ownership of `child` and makes this element its parent.
  TXmlNode& AddChild(std::unique_ptr<TXmlNode> child);

  // The first direct child named exactly `name`, or none.
  const TXmlNode* FindChild(std::string_view name) const;

  // -1 when there is no attribute of that name.
  int IndexOfAttribute(std::string_view name) const;

  // Empty when there is no such attribute.
  std::string GetAttribute(std::string_view name) const;
  std::string GetAttribute(std::size_t index) const;

  // Replaces the value in place, or appends a new attribute.
  void SetAttribute(std::string_view name, std::string value);
  // Does nothing when `index` is at or past the end.
  void SetAttribute(std::size_t index, std::string value);

  // Destroys every child without nesting a call per level, so a document
  // nested a million deep cannot overflow the stack.
  void ClearChildren();
};

}  // namespace halvoric
