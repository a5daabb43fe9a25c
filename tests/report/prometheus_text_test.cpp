// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/prometheus_text.h"

#include <gtest/gtest.h>

#include <algorithm>
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
hardware = blocks=27344764928 physical=4096 link=6.0/3.0 form=3.5
rotation = 7200
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
[drive 5]
type = nvme
model = Fast NVMe
serial = N5
firmware = NF5
temperature = 47
nvme-controller = warning=70 critical=80 capacity=2000398934016
nvme-health = percentage-used=7 data-units-read=34799035 data-units-written=172337425 media-errors=1
nvme-health = power-on-hours=24871 power-cycles=643 error-log-entries=41345
)";

// The drives of kDrives, read as the timer's run reads them.
std::string FixtureText() {
  sim::SimulatedDisks disks{ScenarioFrom(kDrives)};
  DriveReader reader{disks};
  std::vector<LabelledRecord> drives;
  for (DriveNumber n = 0; n < 6; ++n) {
    drives.push_back({SimulatedDeviceName(n),
                      ReadDriveRecord(reader, n, nullptr, SleepingDrive::Leave, RecordLogs::Read)});
  }
  return PrometheusText(drives);
}

TEST(PrometheusText, SaysForEachDriveWhatWasReadAndWhatNot) {
  const Parsed parsed = Parse(FixtureText());
  const struct {
    std::string key;
    std::optional<std::string> value;  // absent: no such sample
  } cases[] = {
      {R"x(smartctl_device{ata_additional_product_id="",ata_version="ACS-3 (minor revision not indicated)",device="sim0",firmware_version="F0",form_factor="3.5 inches",interface="sat",model_family="",model_name="Quote \"Disk\" \\ 1",protocol="ATA",sata_version="SATA 3.2",serial_number="S0"})x",
       "1"},
      {R"(smartctl_device_capacity_blocks{device="sim0"})", "27344764928"},
      {R"(smartctl_device_capacity_bytes{device="sim0"})", "14000519643136"},
      {R"(smartctl_device_block_size{blocks_type="logical",device="sim0"})", "512"},
      {R"(smartctl_device_block_size{blocks_type="physical",device="sim0"})", "4096"},
      {R"(smartctl_device_rotation_rate{device="sim0"})", "7200"},
      {R"(smartctl_device_interface_speed{device="sim0",speed_type="max"})", "6000000000"},
      {R"(smartctl_device_interface_speed{device="sim0",speed_type="current"})", "3000000000"},
      // Bits 6 and 7: errors logged, a self-test failed.
      {R"(smartctl_device_smartctl_exit_status{device="sim0"})", "192"},
      // Three reallocated sectors warn.
      {R"(halvoric_drive_verdict{device="sim0"})", "1"},
      {R"(smartctl_devices)", "6"},
      {R"(smartctl_device_temperature{device="sim0",temperature_type="current"})", "38"},
      {R"(smartctl_device_smart_status{device="sim0"})", "1"},
      {R"(smartctl_device_attribute{attribute_flags_long="prefailure,updated_online,event_count,auto_keep",attribute_flags_short="PO--CK",attribute_id="5",attribute_name="Reallocated_Sector_Ct",attribute_value_type="thresh",device="sim0"})",
       "36"},
      {R"(smartctl_device_attribute{attribute_flags_long="prefailure,updated_online,event_count,auto_keep",attribute_flags_short="PO--CK",attribute_id="5",attribute_name="Reallocated_Sector_Ct",attribute_value_type="raw",device="sim0"})",
       "3"},
      {R"(smartctl_device_attribute{attribute_flags_long="prefailure,updated_online,event_count,auto_keep",attribute_flags_short="PO--CK",attribute_id="5",attribute_name="Reallocated_Sector_Ct",attribute_value_type="worst",device="sim0"})",
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
      {R"(smartctl_device_smartctl_exit_status{device="sim1"})", "2"},
      {R"(smartctl_device_temperature{device="sim1",temperature_type="current"})", std::nullopt},
      {R"(smartctl_device_error_log_count{device="sim1",error_log_type="summary"})", std::nullopt},
      // Identified but no table: no made-up figures, no verdict.
      {R"(smartctl_device{ata_additional_product_id="",ata_version="",device="sim2",firmware_version="",form_factor="",interface="sat",model_family="",model_name="No Data",protocol="ATA",sata_version="",serial_number=""})",
       "1"},
      {R"(halvoric_drive_verdict{device="sim2"})", "3"},
      {R"(smartctl_device_smartctl_exit_status{device="sim2"})", "4"},
      {R"(halvoric_drive_read_ok{device="sim2"})", "0"},
      {R"(smartctl_device_smart_status{device="sim2"})", std::nullopt},
      {R"(smartctl_device_temperature{device="sim2",temperature_type="current"})", std::nullopt},
      // Closed to this user: only that it could not be read.
      {R"(halvoric_drive_read_ok{device="sim3"})", "0"},
      {R"(halvoric_drive_power_mode{device="sim3"})", std::nullopt},
      {R"(smartctl_device_smart_status{device="sim4"})", "0"},
      {R"(halvoric_drive_attribute_failing{attribute_id="5",attribute_name="Reallocated_Sector_Ct",device="sim4"})",
       "1"},
      {R"(halvoric_drive_attribute_failing{attribute_id="5",attribute_name="Reallocated_Sector_Ct",device="sim0"})",
       "0"},
      {R"(halvoric_drive_verdict{device="sim4"})", "2"},
      // Bits 3, 4 and 5: it says it fails, a pre-failure attribute at its
      // threshold now and in the past.
      {R"(smartctl_device_smartctl_exit_status{device="sim4"})", "56"},
      // An NVMe drive from a scenario, through the NVMe translation.
      {R"(smartctl_device{ata_additional_product_id="",ata_version="",device="sim5",firmware_version="NF5",form_factor="",interface="nvme",model_family="",model_name="Fast NVMe",protocol="NVMe",sata_version="",serial_number="N5"})",
       "1"},
      {R"(smartctl_device_temperature{device="sim5",temperature_type="current"})", "47"},
      {R"(smartctl_device_capacity_bytes{device="sim5"})", "2000398934016"},
      {R"(smartctl_device_nvme_capacity_bytes{device="sim5"})", "2000398934016"},
      {R"(smartctl_device_capacity_blocks{device="sim5"})", std::nullopt},
      {R"(smartctl_device_bytes_read{device="sim5"})", "17817105920000"},
      {R"(smartctl_device_bytes_written{device="sim5"})", "88236761600000"},
      {R"(smartctl_device_percentage_used{device="sim5"})", "7"},
      {R"(smartctl_device_available_spare{device="sim5"})", "100"},
      {R"(smartctl_device_available_spare_threshold{device="sim5"})", "10"},
      {R"(smartctl_device_media_errors{device="sim5"})", "1"},
      {R"(smartctl_device_num_err_log_entries{device="sim5"})", "41345"},
      {R"(smartctl_device_power_on_seconds{device="sim5"})", "89535600"},
      {R"(smartctl_device_power_cycle_count{device="sim5"})", "643"},
      {R"(smartctl_device_smart_status{device="sim5"})", "1"},
      {R"(smartctl_device_rotation_rate{device="sim5"})", std::nullopt},
      {R"(halvoric_drive_temperature_limit_celsius{device="sim5",limit="warning"})", "70"},
      {R"(halvoric_drive_temperature_limit_celsius{device="sim5",limit="critical"})", "80"},
      // A media error warns: the drive still works.
      {R"(halvoric_drive_verdict{device="sim5"})", "1"},
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
  EXPECT_EQ(parsed.families.size(), 35u);
  // Reasons as the drive list gives them, one sample each.
  const auto reasons = std::count_if(parsed.samples.begin(), parsed.samples.end(), [](auto& s) {
    return s.first.starts_with(R"(halvoric_drive_verdict_reason{device="sim5",order="0",)");
  });
  EXPECT_EQ(reasons, 1);
}

// smartctl_exporter's families and the label names of each, as its
// documentation and example output give them. Every family of ours under
// its prefix must be one of these with exactly these labels, and the
// fixture's drives fill every one of them.
TEST(PrometheusText, LabelSetsAreSmartctlExportersOwn) {
  using Set = std::set<std::string>;
  const Set device{"device"};
  const std::map<std::string, Set> documented = {
      {"smartctl_version",
       {"build_info", "json_format_version", "smartctl_version", "svn_revision"}},
      {"smartctl_devices", {}},
      {"smartctl_device",
       {"ata_additional_product_id", "ata_version", "device", "firmware_version", "form_factor",
        "interface", "model_family", "model_name", "protocol", "sata_version", "serial_number"}},
      {"smartctl_device_attribute",
       {"attribute_flags_long", "attribute_flags_short", "attribute_id", "attribute_name",
        "attribute_value_type", "device"}},
      {"smartctl_device_available_spare", device},
      {"smartctl_device_available_spare_threshold", device},
      {"smartctl_device_block_size", {"blocks_type", "device"}},
      {"smartctl_device_bytes_read", device},
      {"smartctl_device_bytes_written", device},
      {"smartctl_device_capacity_blocks", device},
      {"smartctl_device_capacity_bytes", device},
      {"smartctl_device_critical_warning", device},
      {"smartctl_device_error_log_count", {"device", "error_log_type"}},
      {"smartctl_device_interface_speed", {"device", "speed_type"}},
      {"smartctl_device_media_errors", device},
      {"smartctl_device_num_err_log_entries", device},
      {"smartctl_device_nvme_capacity_bytes", device},
      {"smartctl_device_percentage_used", device},
      {"smartctl_device_power_cycle_count", device},
      {"smartctl_device_power_on_seconds", device},
      {"smartctl_device_rotation_rate", device},
      {"smartctl_device_self_test_log_count", {"device", "self_test_log_type"}},
      {"smartctl_device_self_test_log_error_count", {"device", "self_test_log_type"}},
      {"smartctl_device_smart_status", device},
      {"smartctl_device_smartctl_exit_status", device},
      {"smartctl_device_temperature", {"device", "temperature_type"}},
  };
  // Ours under smartctl's prefix, from before the exporter's list was followed.
  const Set ours{"smartctl_device_state"};
  std::map<std::string, std::set<Set>> written;  // family -> the label sets of its samples
  for (const auto& [key, value] : Parse(FixtureText()).samples) {
    const std::size_t brace = key.find('{');
    Set labels;
    for (std::size_t at = brace; at != std::string::npos && at + 1 < key.size();) {
      const std::size_t equals = key.find('=', at);
      labels.insert(key.substr(at + 1, equals - at - 1));
      at = key.find("\",", equals);
      if (at != std::string::npos) ++at;
    }
    written[key.substr(0, brace)].insert(labels);
    // A number, as smartctl_exporter writes one: never NaN or empty.
    EXPECT_FALSE(value.empty() || value.find_first_not_of("0123456789-") != std::string::npos)
        << key << " " << value;
  }
  for (const auto& [family, sets] : written) {
    if (!family.starts_with("smartctl_") || ours.count(family)) continue;
    const auto found = documented.find(family);
    ASSERT_NE(found, documented.end()) << family << " is not smartctl_exporter's";
    EXPECT_EQ(sets, std::set<Set>{found->second}) << family;
  }
  for (const auto& [family, labels] : documented) {
    EXPECT_TRUE(written.count(family)) << family << " is not written for any drive";
  }
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
      {R"(halvoric_drive_attribute_failing{attribute_id="99",attribute_name="Media Errors",device="nvme0n1"})",
       "1"},
      {R"(halvoric_drive_attribute_failing{attribute_id="97",attribute_name="Percentage Used",device="nvme0n1"})",
       "0"},
      {R"(smartctl_device_available_spare{device="sda"})", std::nullopt},
      {R"(smartctl_device_media_errors{device="sda"})", std::nullopt},
      {R"(halvoric_drive_attribute_failing{attribute_id="99",attribute_name="Media Errors",device="sda"})",
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
