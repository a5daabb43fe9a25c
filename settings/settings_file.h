// SPDX-License-Identifier: GPL-3.0-or-later
// config.xml: reading the settings from it and writing them to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "settings/settings.h"
#include "settings/xml_node.h"

namespace halvoric {

inline constexpr char ConfigFileName[] = "config.xml";
inline constexpr char ConfigRootName[] = "Tessivar";

// A stored text that its control would not accept; the setting keeps its
// default.
struct RefusedSetting {
  std::string Name;  // the element's
  std::string Text;
  bool operator==(const RefusedSetting&) const = default;
};

// What a load found. The window applies Values field by field in their order
// and shows Errors afterwards; a setting with an error keeps its default.
struct SettingsLoad {
  Settings Values;
  std::vector<std::string> Errors;
  // Every value refused, whether or not Errors tells the user about it.
  std::vector<RefusedSetting> Refused;
  // The reader's LastError when a syntax error stopped it before the end.
  std::string SyntaxError;
  // No file was there: the program's first start in this folder.
  bool Absent = false;
};

// Each setting comes from the first direct child of `root` with its exact
// name; unknown elements are ignored and an absent one keeps its default.
SettingsLoad ReadSettings(const TXmlNode& root);

// An absent file gives the defaults without error. A syntax error is no
// error of the load: the elements read before it count, and SyntaxError
// says where it stopped.
SettingsLoad LoadSettingsFile(const std::string& path);

// Replaces the file whole, or leaves it as it was and returns the error.
Result<> SaveSettings(const Settings& settings, const std::string& path);

}  // namespace halvoric
