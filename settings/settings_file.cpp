#include "settings/settings_file.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "base/text_trim.h"
#include "settings/setting_fields.h"
#include "settings/text_forms.h"
#include "settings/xml_doc.h"

namespace halvoric {

SettingsLoad ReadSettings(const TXmlNode& root) {
  SettingsLoad load;
  for (const SettingField& field : SettingFields) {
    const TXmlNode* element = root.FindChild(field.Name);
    if (element == nullptr) continue;
    if (const auto* flag = std::get_if<bool Settings::*>(&field.Member)) {
      if (const std::optional<bool> value = BoolFromText(element->Text)) {
        load.Values.*(*flag) = *value;
      } else {
        load.Errors.push_back("'" + element->Text + "' is not a valid boolean value");
      }
    } else if (const auto* minutes = std::get_if<MinutesField>(&field.Member)) {
      if (const std::optional<std::uint32_t> value =
              WholeNumberIn(TrimControls(element->Text), minutes->Least, minutes->Most)) {
        load.Values.*(minutes->Member) = *value;
      } else {
        load.Errors.push_back("'" + element->Text + "' is not a valid number of minutes for " +
                              std::string(field.Name) + " (" + std::to_string(minutes->Least) +
                              " to " + std::to_string(minutes->Most) + ")");
      }
    } else {
      load.Values.*std::get<std::string Settings::*>(field.Member) = element->Text;
    }
  }
  load.Values.CritTempValue = CritTempFromText(load.Values.Temp);
  return load;
}

SettingsLoad LoadSettingsFile(const std::string& path) {
  std::error_code statError;
  if (!std::filesystem::exists(path, statError) && !statError) return {};
  TXmlDoc doc;
  if (const Result<> loaded = doc.LoadFromFile(path); !loaded.Ok()) {
    return {Settings{}, {loaded.Message}, {}};
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
    if (const auto* flag = std::get_if<bool Settings::*>(&field.Member)) {
      element->Text = BoolToText(settings.*(*flag));
    } else if (const auto* minutes = std::get_if<MinutesField>(&field.Member)) {
      element->Text = std::to_string(settings.*(minutes->Member));
    } else {
      element->Text = settings.*std::get<std::string Settings::*>(field.Member);
    }
    doc.AddChild(std::move(element));
  }
  return doc.SaveToFile(path);
}

}  // namespace halvoric
