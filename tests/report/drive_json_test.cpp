// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/drive_json.h"

#include <gtest/gtest.h>

#include <sstream>

namespace halvoric::cli {
namespace {

std::string Printed(const JsonValue& value) {
  std::ostringstream out;
  value.Print(out);
  return out.str();
}

// The value of `key` in the record's members, printed on one line.
std::string Member(const JsonMembers& members, const std::string& key) {
  for (const auto& [name, value] : members) {
    if (name == key) return Printed(value);
  }
  return "<missing>";
}

DriveRecord ReadRecord() {
  DriveRecord record;
  record.Number = 1;
  record.Level = AccessLevel::Ata;
  record.Power = PowerMode::Standby;
  record.Model =
      "Disk \xE2\x80\xAE"
      "1   ";
  record.Serial = "   ";
  record.Firmware = "\tF1\n";
  record.SmartRead = true;
  record.ThresholdsRead = true;
  record.Attributes.push_back({194, "Temperature             ", 40, 38, 0, 0x2A00280026, Status::Ok,
                               "Temperature_Celsius", 0x22, "38 (Min/Max 40/42)"});
  record.Attributes.push_back({5, "Reallocated Sector Count", 10, std::nullopt, 36, 9, Status::Bad,
                               "Reallocated_Sector_Ct", 0x33, "9"});
  record.Temperature = 38;
  record.Summary.Temperature = 38;
  record.Summary.Health = Status::Bad;
  record.Summary.TemperatureFrom = TemperatureSource::Attribute194;
  record.Summary.Reasons = {"Reallocated Sector Count failing now"};
  return record;
}

// Each key as a script receives it: absent is null, drive strings lose
// their padding but keep their escaping.
TEST(DriveRecordMembers, ReadDrive) {
  const JsonMembers members = DriveRecordMembers(ReadRecord(), "/dev/sdb");
  const std::pair<const char*, const char*> cases[] = {
      {"drive_number", "1"},
      {"device_path", "\"/dev/sdb\""},
      {"data_source", "\"ata\""},
      {"power_mode", "\"standby\""},
      {"model_name", "\"Disk \\u202e1\""},
      {"serial_number", "null"},  // left blank by the drive
      {"firmware_version", "\"F1\""},
      {"smart_read", "true"},
      {"smart_read_error", "null"},
      {"smart_status", "{\"passed\": false}"},
      {"temperature",
       "{\"current\": 38, \"drive_warning\": null, \"drive_critical\": null, "
       "\"source\": \"attribute 194\"}"},
      {"drive_list_status", "\"BAD\""},
      {"halvoric_verdict",
       "{\"state\": \"bad\", \"reasons\": [\"Reallocated Sector Count failing now\"]}"},
  };
  for (const auto& [key, json] : cases) EXPECT_EQ(Member(members, key), json) << key;
  EXPECT_EQ(Member(members, "ata_smart_attributes"),
            "{\n  \"table\": [\n"
            "    {\"id\": 194, \"name\": \"Temperature_Celsius\", \"display_name\": "
            "\"Temperature\", \"value\": 40, \"worst\": 38, \"thresh\": 0, \"flags\": "
            "{\"value\": 34, \"string\": \"-O---K \", \"prefailure\": false, "
            "\"updated_online\": true, \"performance\": false, \"error_rate\": false, "
            "\"event_count\": false, \"auto_keep\": true}, \"raw\": {\"value\": 180391247910, "
            "\"string\": \"38 (Min/Max 40/42)\"}, \"smart_info_status\": \"OK\"},\n"
            "    {\"id\": 5, \"name\": \"Reallocated_Sector_Ct\", \"display_name\": "
            "\"Reallocated Sector Count\", \"value\": 10, \"worst\": null, \"thresh\": 36, "
            "\"flags\": {\"value\": 51, \"string\": \"PO--CK \", \"prefailure\": true, "
            "\"updated_online\": true, \"performance\": false, \"error_rate\": false, "
            "\"event_count\": true, \"auto_keep\": true}, \"raw\": {\"value\": 9, \"string\": "
            "\"9\"}, \"smart_info_status\": \"BAD\"}\n  ]\n}");
}

// Only a drive that opened has a data source; either says why it is unread.
TEST(DriveRecordMembers, UnreadDrives) {
  DriveRecord mute;
  mute.Level = AccessLevel::Ata;
  mute.ReadError = "the drive did not answer SMART READ DATA";
  DriveRecord locked;
  locked.OpenFailure = OpenError::PermissionDenied;
  locked.ReadError = "cannot be opened: Permission denied";
  const JsonMembers muteMembers = DriveRecordMembers(mute, std::nullopt);
  const JsonMembers lockedMembers = DriveRecordMembers(locked, std::nullopt);
  EXPECT_EQ(Member(muteMembers, "data_source"), "\"ata\"");
  EXPECT_EQ(Member(lockedMembers, "data_source"), "null");
  EXPECT_EQ(Member(lockedMembers, "smart_read_error"), "\"" + locked.ReadError + "\"");
  EXPECT_EQ(Member(muteMembers, "drive_list_status"), "null");
}

TEST(JsonDocuments, StartWithTheFormatVersionAndPrintEmptyListsWhole) {
  const std::pair<std::string, std::string> cases[] = {
      {Printed(DriveListDocument({})),
       "{\n  \"json_format_version\": [1, 2],\n  \"drives\": []\n}"},
      {Printed(PowerModesDocument({{2, "/dev/sdc", PowerMode::Sleep}})),
       "{\n  \"json_format_version\": [1, 2],\n  \"drives\": [\n"
       "    {\"drive_number\": 2, \"device_path\": \"/dev/sdc\", \"power_mode\": \"sleep\"}\n  "
       "]\n}"},
      {Printed(DriveDetailsDocument({DriveRecord{}, std::nullopt}, {{"Heads", "16"}, {"IDE", {}}}))
           .substr(0, 39),
       "{\n  \"json_format_version\": [1, 2],\n  \"d"},
  };
  for (const auto& [printed, expected] : cases) EXPECT_EQ(printed, expected);
  const std::string details =
      Printed(DriveDetailsDocument({DriveRecord{}, std::nullopt}, {{"Heads", "16"}, {"IDE", {}}}));
  EXPECT_NE(details.find("\"disk_info\": [\n    {\"name\": \"Heads\", \"value\": \"16\"},\n"
                         "    {\"name\": \"IDE\", \"value\": null}\n  ]\n}"),
            std::string::npos)
      << details;
}

}  // namespace
}  // namespace halvoric::cli
