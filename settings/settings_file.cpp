// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_file.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <variant>

#include "base/text_trim.h"
#include "settings/setting_fields.h"
#include "settings/text_forms.h"
#include "settings/xml_doc.h"

namespace halvoric {

namespace {

// A stored text taken into its setting, or refused; Shown is what the user
// is told of a refusal, empty when the journal alone tells.
struct Taking {
  bool Taken = true;
  std::string Shown{};
};

Taking Take(bool Settings::*flag, std::string_view, const std::string& text, Settings& values) {
  const std::optional<bool> value = BoolFromText(text);
  if (!value) return {false, "'" + text + "' is not a valid boolean value"};
  values.*flag = *value;
  return {};
}

Taking Take(std::string Settings::*member, std::string_view, const std::string& text,
            Settings& values) {
  values.*member = text;
  return {};
}

Taking Take(const MinutesField& minutes, std::string_view name, const std::string& text,
            Settings& values) {
  const std::optional<std::uint32_t> value =
      WholeNumberIn(TrimControls(text), minutes.Least, minutes.Most);
  if (!value) {
    return {false, "'" + text + "' is not a valid number of minutes for " + std::string(name) +
                       " (" + std::to_string(minutes.Least) + " to " +
                       std::to_string(minutes.Most) + ")"};
  }
  values.*(minutes.Member) = *value;
  return {};
}

// Left, the field takes an empty text silently and refuses with a box all but
// a whole number 0..100; a file has no one to answer that box.
Taking Take(const CritTempText& temp, std::string_view, const std::string& text, Settings& values) {
  const std::string_view typed = TrimControls(text);
  if (!typed.empty() && !CritTempInRange(typed)) return {false};
  values.*(temp.Member) = text;
  return {};
}

std::string TextOf(bool Settings::*flag, const Settings& values) {
  return BoolToText(values.*flag);
}
std::string TextOf(std::string Settings::*member, const Settings& values) { return values.*member; }
std::string TextOf(const MinutesField& minutes, const Settings& values) {
  return std::to_string(values.*(minutes.Member));
}
std::string TextOf(const CritTempText& temp, const Settings& values) {
  return values.*(temp.Member);
}

}  // namespace

SettingsLoad ReadSettings(const TXmlNode& root) {
  SettingsLoad load;
  for (const SettingField& field : SettingFields) {
    const TXmlNode* element = root.FindChild(field.Name);
    if (element == nullptr) continue;
    const Taking taking = std::visit(
        [&](const auto& member) { return Take(member, field.Name, element->Text, load.Values); },
        field.Member);
    if (taking.Taken) continue;
    load.Refused.push_back({std::string(field.Name), element->Text});
    if (!taking.Shown.empty()) load.Errors.push_back(taking.Shown);
  }
  load.Values.CritTempValue = CritTempFromText(load.Values.Temp);
  return load;
}

SettingsLoad LoadSettingsFile(const std::string& path) {
  std::error_code statError;
  if (!std::filesystem::exists(path, statError) && !statError) {
    SettingsLoad absent;
    absent.Absent = true;
    return absent;
  }
  TXmlDoc doc;
  if (const Result<> loaded = doc.LoadFromFile(path); !loaded.Ok()) {
    return {Settings{}, {loaded.Message}, {}, {}};
  }
  SettingsLoad load = ReadSettings(doc);
  load.SyntaxError = doc.LastError;
  return load;
}

Result<> SaveSettings(const Settings& settings, const std::string& path) {
  TXmlDoc doc;
  // Texts are UTF-8 here, and the declaration says so.
  doc.Declaration.SetAttribute("encoding", "UTF-8");
  doc.Name = ConfigRootName;
  for (const SettingField& field : SettingFields) {
    auto element = std::make_unique<TXmlNode>();
    element->Name = std::string(field.Name);
    element->Text =
        std::visit([&](const auto& member) { return TextOf(member, settings); }, field.Member);
    doc.AddChild(std::move(element));
  }
  return doc.SaveToFile(path);
}

}  // namespace halvoric
