// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/drive_json.h"

#include <cctype>

#include "base/text_trim.h"

namespace halvoric::cli {
namespace {

// Raised in its second number when keys are added, in its first when a key
// changes meaning or goes.
constexpr int kJsonFormatMajor = 1;
constexpr int kJsonFormatMinor = 2;

JsonValue FormatVersion() { return JsonItems{kJsonFormatMajor, kJsonFormatMinor}; }

// Drives pad their strings with blanks; scripts compare the text itself.
// A field left blank says no more than one never read.
JsonValue DriveText(const std::optional<std::string>& text) {
  const std::string_view trimmed = text ? TrimControls(*text) : std::string_view();
  return trimmed.empty() ? JsonValue() : JsonValue(std::string(trimmed));
}

JsonValue DataSource(const DriveRecord& record) {
  if (record.OpenFailure != OpenError::None) return {};
  switch (record.Level) {
    case AccessLevel::Ata:
      return "ata";
    case AccessLevel::Nvme:
      return "nvme";
    case AccessLevel::Limited:
      return "sysfs";
    case AccessLevel::Unknown:
      break;
  }
  return {};
}

// smartctl's flags object: the value, its letters and one key per flag.
JsonValue Flags(std::uint16_t flags) {
  JsonMembers members{{"value", flags}, {"string", FlagsText(flags) + (flags >> 6 ? "" : " ")}};
  constexpr const char* kNames[] = {"prefailure", "updated_online", "performance",
                                    "error_rate", "event_count",    "auto_keep"};
  for (std::size_t bit = 0; bit < std::size(kNames); ++bit) {
    members.emplace_back(kNames[bit], (flags & (1u << bit)) != 0);
  }
  return JsonLine(std::move(members));
}

JsonValue OrNull(const std::string& text) { return text.empty() ? JsonValue() : JsonValue(text); }

JsonValue AttributeTable(const DriveRecord& record) {
  if (!record.SmartRead) return {};
  JsonItems table;
  for (const AttributeRecord& attribute : record.Attributes) {
    table.push_back(JsonLine({
        {"id", attribute.Id},
        {"name", attribute.SmartctlName},
        {"display_name", std::string(TrimControls(attribute.Name))},
        {"value", JsonValue::OrNull(attribute.Value)},
        {"worst", JsonValue::OrNull(attribute.Worst)},
        {"thresh", JsonValue::OrNull(attribute.Threshold)},
        {"flags", Flags(attribute.Flags)},
        {"raw", JsonLine({{"value", attribute.Raw}, {"string", attribute.RawText}})},
        {"smart_info_status", StatusText(attribute.State)},
    }));
  }
  return JsonObject({{"table", std::move(table)}});
}

JsonValue NodeOrNull(const DeviceNode& node) { return JsonValue::OrNull(node); }

JsonValue TemperatureSourceOf(const DriveRecord& record) {
  const TemperatureSource source = record.Summary.TemperatureFrom;
  if (!record.Temperature || source == TemperatureSource::None) return {};
  return TemperatureSourceText(source);
}

JsonValue Verdict(const DriveSummary& summary) {
  // "ok", "warn", "bad": the list's words in lower case; null for N/A.
  JsonValue state;
  if (summary.Health != Status::Unknown) {
    std::string word = StatusText(summary.Health);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    state = std::move(word);
  }
  JsonItems reasons;
  for (const std::string& reason : summary.Reasons) reasons.emplace_back(reason);
  return JsonLine({{"state", std::move(state)}, {"reasons", std::move(reasons)}});
}

}  // namespace

JsonMembers DriveRecordMembers(const DriveRecord& record, const DeviceNode& node) {
  const std::optional<bool> passed = record.Passed();
  return {
      {"drive_number", record.Number},
      {"device_path", NodeOrNull(node)},
      {"data_source", DataSource(record)},
      {"power_mode", PowerModeName(record.Power)},
      {"model_family", OrNull(record.Family)},
      {"model_name", DriveText(record.Model)},
      {"serial_number", DriveText(record.Serial)},
      {"firmware_version", DriveText(record.Firmware)},
      {"drive_database_warning", OrNull(record.ModelWarning)},
      {"smart_read", record.SmartRead},
      {"smart_read_error", record.SmartRead ? JsonValue() : JsonValue(record.ReadError)},
      {"smart_status",
       record.SmartRead ? JsonLine({{"passed", JsonValue::OrNull(passed)}}) : JsonValue()},
      {"temperature", JsonLine({{"current", JsonValue::OrNull(record.Temperature)},
                                {"drive_warning", JsonValue::OrNull(record.DriveWarning)},
                                {"drive_critical", JsonValue::OrNull(record.DriveCritical)},
                                {"source", TemperatureSourceOf(record)}})},
      {"ata_smart_attributes", AttributeTable(record)},
      // The list's column reads OK for a drive it could not read; a script
      // must not take that for a healthy disk.
      {"drive_list_status",
       record.SmartRead ? JsonValue(StatusText(record.Summary.Health)) : JsonValue()},
      {"halvoric_verdict", Verdict(record.Summary)},
  };
}

JsonValue DriveListDocument(const std::vector<RecordedDrive>& drives) {
  JsonItems items;
  for (const RecordedDrive& drive : drives) {
    items.push_back(JsonObject(DriveRecordMembers(drive.Record, drive.Node)));
  }
  return JsonObject({{"json_format_version", FormatVersion()}, {"drives", std::move(items)}});
}

JsonValue::Object DriveDetailsDocument(const RecordedDrive& drive,
                                       const std::vector<DiskInfoRow>& rows) {
  JsonMembers members{{"json_format_version", FormatVersion()}};
  for (auto& member : DriveRecordMembers(drive.Record, drive.Node)) {
    members.push_back(std::move(member));
  }
  JsonItems diskInfo;
  for (const DiskInfoRow& row : rows) {
    diskInfo.push_back(JsonLine({{"name", row.Caption}, {"value", JsonValue::OrNull(row.Value)}}));
  }
  members.emplace_back("disk_info", std::move(diskInfo));
  return JsonValue::Object{std::move(members)};
}

JsonValue PowerModesDocument(const std::vector<PoweredDrive>& drives) {
  JsonItems items;
  for (const PoweredDrive& drive : drives) {
    items.push_back(JsonLine({{"drive_number", drive.Number},
                              {"device_path", NodeOrNull(drive.Node)},
                              {"power_mode", PowerModeName(drive.Mode)}}));
  }
  return JsonObject({{"json_format_version", FormatVersion()}, {"drives", std::move(items)}});
}

}  // namespace halvoric::cli
