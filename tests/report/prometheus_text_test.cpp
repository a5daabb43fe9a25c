// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/prometheus_text.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "tests/drive/sim_helpers.h"

namespace halvoric {
namespace {

using test::ScenarioFrom;

TEST(EscapeLabelValue, QuotesWhatTheFormatNeedsAndRepairsBrokenUtf8) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"WDC WD20EZRZ", "WDC WD20EZRZ"},
      {R"(a\b)", R"(a\\b)"},
      {R"(say "hi")", R"(say \"hi\")"},
      {"two\nlines", R"(two\nlines)"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"bad\xFF", "bad\xEF\xBF\xBD"},
      {"cut\xE2\x82", "cut\xEF\xBF\xBD\xEF\xBF\xBD"},
      {R"(\")", R"(\\\")"},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeLabelValue(c.in), c.out) << c.in;
}

// The file as node_exporter sees it: sample lines by metric and labels.
struct Parsed {
  std::map<std::string, std::string> samples;  // "name{labels}" -> value
  std::vector<std::string> families;           // in the order of their TYPE lines
};

Parsed Parse(const std::string& text) {
  Parsed parsed;
  std::istringstream lines(text);
  std::string line;
  std::string family;
  std::set<std::string> seen;
  while (std::getline(lines, line)) {
    if (line.starts_with("# HELP ")) continue;
    if (line.starts_with("# TYPE ")) {
      family = line.substr(7, line.find(' ', 7) - 7);
      EXPECT_TRUE(seen.insert(family).second) << "family twice: " << family;
      parsed.families.push_back(family);
      continue;
    }
    const std::size_t space = line.rfind(' ');
    const std::string key = line.substr(0, space);
    // Every sample sits under its own family's header.
    EXPECT_EQ(key.substr(0, key.find('{')), family) << line;
    EXPECT_TRUE(parsed.samples.emplace(key, line.substr(space + 1)).second) << "twice: " << line;
  }
  return parsed;
}

constexpr const char* kDrives = R"(
[drive 0]
model = Quote "Disk" \ 1
serial = S0
firmware = F0
attribute = 5 value=100 worst=99 threshold=36 raw=3 flags=0x33
attribute = 9 value=98 worst=98 threshold=0 raw=10
attribute = 12 value=99 worst=99 threshold=0 raw=7
attribute = 194 value=112 worst=95 threshold=0 raw=38
self-test-log = extended passed 8
self-test-log = short failed 9 4660
error-count = 3
[drive 1]
model = Resting
power = standby
attribute = 194 raw=30
[drive 2]
model = No Data
fail = read-data
attribute = 194 raw=40
[drive 3]
model = Locked
permission = denied
[drive 4]
model = Worn
attribute = 5 value=30 worst=30 threshold=36 raw=2048
)";

TEST(PrometheusText, SaysForEachDriveWhatWasReadAndWhatNot) {
  sim::SimulatedDisks disks{ScenarioFrom(kDrives)};
  DriveReader reader{disks};
  std::vector<LabelledRecord> drives;
  for (DriveNumber n = 0; n < 5; ++n) {
    drives.push_back(
        {SimulatedDeviceName(n), ReadDriveRecord(reader, n, nullptr, SleepingDrive::Leave)});
    DriveRecord& record = drives.back().Record;
    if (record.OpenFailure == OpenError::None && !record.LeftAsleep) {
      record.Logs = ReadDriveLogs(reader, n);
    }
  }
  const Parsed parsed = Parse(PrometheusText(drives));
  const struct {
    std::string key;
    std::optional<std::string> value;  // absent: no such sample
  } cases[] = {
      {R"(smartctl_device{device="sim0",model_family="",model_name="Quote \"Disk\" \\ 1",serial_number="S0",firmware_version="F0"})",
       "1"},
      {R"(smartctl_device_temperature{device="sim0",temperature_type="current"})", "38"},
      {R"(smartctl_device_smart_status{device="sim0"})", "1"},
      {R"(smartctl_device_attribute{device="sim0",attribute_flags_long="prefailure,updated_online,event_count,auto_keep",attribute_flags_short="PO--CK",attribute_id="5",attribute_name="Reallocated_Sector_Ct",attribute_value_type="thresh"})",
       "36"},
      {R"(smartctl_device_attribute{device="sim0",attribute_flags_long="prefailure,updated_online,event_count,auto_keep",attribute_flags_short="PO--CK",attribute_id="5",attribute_name="Reallocated_Sector_Ct",attribute_value_type="raw"})",
       "3"},
      {R"(smartctl_device_attribute{device="sim0",attribute_flags_long="prefailure,updated_online,event_count,auto_keep",attribute_flags_short="PO--CK",attribute_id="5",attribute_name="Reallocated_Sector_Ct",attribute_value_type="worst"})",
       "99"},
      {R"(smartctl_device_power_on_seconds{device="sim0"})", "36000"},
      {R"(smartctl_device_power_cycle_count{device="sim0"})", "7"},
      {R"(smartctl_device_state{device="sim0",state="active"})", "1"},
      {R"(halvoric_drive_read_ok{device="sim0"})", "1"},
      {R"(smartctl_device_self_test_log_count{device="sim0",self_test_log_type="standard"})", "2"},
      {R"(smartctl_device_self_test_log_error_count{device="sim0",self_test_log_type="standard"})",
       "1"},
      {R"(smartctl_device_error_log_count{device="sim0",error_log_type="summary"})", "3"},
      // Asleep: its mode, and no figure a wake-up would have given.
      {R"(smartctl_device_state{device="sim1",state="standby"})", "1"},
      {R"(halvoric_drive_power_mode{device="sim1"})", "1"},
      {R"(halvoric_drive_read_ok{device="sim1"})", "0"},
      {R"(smartctl_device_temperature{device="sim1",temperature_type="current"})", std::nullopt},
      {R"(smartctl_device_error_log_count{device="sim1",error_log_type="summary"})", std::nullopt},
      // Identified but no table: no made-up figures, no verdict.
      {R"(smartctl_device{device="sim2",model_family="",model_name="No Data",serial_number="",firmware_version=""})",
       "1"},
      {R"(halvoric_drive_read_ok{device="sim2"})", "0"},
      {R"(smartctl_device_smart_status{device="sim2"})", std::nullopt},
      {R"(smartctl_device_temperature{device="sim2",temperature_type="current"})", std::nullopt},
      // Closed to this user: only that it could not be read.
      {R"(halvoric_drive_read_ok{device="sim3"})", "0"},
      {R"(halvoric_drive_power_mode{device="sim3"})", std::nullopt},
      {R"(smartctl_device_smart_status{device="sim4"})", "0"},
      {R"(halvoric_drive_attribute_failing{device="sim4",attribute_id="5",attribute_name="Reallocated_Sector_Ct"})",
       "1"},
      {R"(halvoric_drive_attribute_failing{device="sim0",attribute_id="5",attribute_name="Reallocated_Sector_Ct"})",
       "0"},
  };
  for (const auto& c : cases) {
    const auto found = parsed.samples.find(c.key);
    if (c.value) {
      ASSERT_NE(found, parsed.samples.end()) << c.key;
      EXPECT_EQ(found->second, *c.value) << c.key;
    } else {
      EXPECT_EQ(found, parsed.samples.end()) << c.key;
    }
  }
  for (const auto& [key, value] : parsed.samples) {
    EXPECT_EQ(key.find(R"(device="sim1",model_name)"), std::string::npos) << key;
    EXPECT_EQ(key.find(R"(smartctl_device{device="sim3")"), std::string::npos) << key;
  }
  EXPECT_EQ(parsed.families.size(), 19u);
}

// An NVMe drive's health log under smartctl_exporter's NVMe names, judged by
// NVMe's rules (a media error is BAD with no threshold at all); an ATA drive
// using the same IDs gets none of them.
TEST(PrometheusText, NvmeHealthFiguresUnderTheirOwnNames) {
  const auto row = [](std::uint8_t id, const char* name, std::uint64_t raw,
                      std::optional<std::int32_t> threshold = std::nullopt,
                      Status state = Status::Ok) {
    AttributeRecord attribute;
    attribute.Id = id;
    attribute.Name = name;
    attribute.SmartctlName = name;
    attribute.Raw = raw;
    attribute.Threshold = threshold;
    attribute.State = state;
    return attribute;
  };
  const auto table = [&row](TableSource source) {
    DriveRecord record;
    record.Source = source;
    record.SmartRead = true;
    record.Attributes = {
        row(0x60, "Available Spare", 97, 10),
        row(0x61, "Percentage Used", 3),
        row(0x63, "Media Errors", 2, std::nullopt, Status::Bad),
        row(0x64, "Critical Warning", 0),
        row(0x65, "Error Log Entries", 14),
    };
    return record;
  };
  const Parsed parsed = Parse(
      PrometheusText({{"nvme0n1", table(TableSource::Nvme)}, {"sda", table(TableSource::Ata)}}));
  const struct {
    std::string key;
    std::optional<std::string> value;
  } cases[] = {
      {R"(smartctl_device_available_spare{device="nvme0n1"})", "97"},
      {R"(smartctl_device_available_spare_threshold{device="nvme0n1"})", "10"},
      {R"(smartctl_device_percentage_used{device="nvme0n1"})", "3"},
      {R"(smartctl_device_media_errors{device="nvme0n1"})", "2"},
      {R"(smartctl_device_critical_warning{device="nvme0n1"})", "0"},
      {R"(smartctl_device_num_err_log_entries{device="nvme0n1"})", "14"},
      {R"(halvoric_drive_attribute_failing{device="nvme0n1",attribute_id="99",attribute_name="Media Errors"})",
       "1"},
      {R"(halvoric_drive_attribute_failing{device="nvme0n1",attribute_id="97",attribute_name="Percentage Used"})",
       "0"},
      {R"(smartctl_device_available_spare{device="sda"})", std::nullopt},
      {R"(smartctl_device_media_errors{device="sda"})", std::nullopt},
      {R"(halvoric_drive_attribute_failing{device="sda",attribute_id="99",attribute_name="Media Errors"})",
       std::nullopt},
  };
  for (const auto& c : cases) {
    const auto found = parsed.samples.find(c.key);
    if (c.value) {
      ASSERT_NE(found, parsed.samples.end()) << c.key;
      EXPECT_EQ(found->second, *c.value) << c.key;
    } else {
      EXPECT_EQ(found, parsed.samples.end()) << c.key;
    }
  }
}

}  // namespace
}  // namespace halvoric
