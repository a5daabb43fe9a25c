// SPDX-License-Identifier: GPL-3.0-or-later
// The families smartctl_exporter writes, with its names, labels and value
// conventions, for every figure a drive's data can fill. A label with
// nothing to say is "", never left out, so that joins on it stay valid.
#include <optional>

#include "base/text_trim.h"
#include "drive/nvme_figures.h"
#include "report/prometheus_exposition.h"

namespace halvoric::exposition {
namespace {

constexpr std::uint8_t kPowerOnHoursId = 9;
constexpr std::uint8_t kPowerCycleCountId = 12;
constexpr std::uint64_t kSecondsPerHour = 3600;
constexpr std::uint16_t kPrefailureFlag = 0x0001;

// Blank padding is how ATA stores strings, not part of the name.
std::string Shown(const std::optional<std::string>& text) {
  return text ? std::string(TrimControls(*text)) : std::string();
}

const AttributeRecord* FindAttribute(const DriveRecord& record, std::uint8_t id) {
  for (const AttributeRecord& attribute : record.Attributes) {
    if (attribute.Id == id) return &attribute;
  }
  return nullptr;
}

bool Nvme(const LabelledRecord& drive) {
  return TableRead(drive) && drive.Record.Source == TableSource::Nvme;
}

// smartctl's exit status as its manual gives the bits, from what this read
// found: 1 the open failed or the drive was left asleep, 2 a SMART command
// failed, 3 the drive says it is failing, 4 a pre-failure attribute is at
// or below its threshold, 5 an attribute was so in the past, 6 the error
// log holds errors, 7 the self-test log holds failed tests.
int ExitStatus(const DriveRecord& record) {
  int status = 0;
  if (record.OpenFailure != OpenError::None || record.LeftAsleep) return 1 << 1;
  if (!record.SmartRead) status |= 1 << 2;
  if (record.Summary.DriveFailing.value_or(false)) status |= 1 << 3;
  for (const AttributeRecord& a : record.Attributes) {
    if (record.Source != TableSource::Ata || !a.Threshold || *a.Threshold == 0) continue;
    if (a.Value && *a.Value <= *a.Threshold && (a.Flags & kPrefailureFlag) != 0) status |= 1 << 4;
    if (a.Worst && *a.Worst <= *a.Threshold) status |= 1 << 5;
  }
  const DriveLogs& logs = record.Logs;
  if ((logs.Errors && logs.Errors->Count > 0) ||
      (logs.ExtendedErrors && logs.ExtendedErrors->Count > 0)) {
    status |= 1 << 6;
  }
  if ((logs.SelfTests && logs.SelfTests->FailedCount() > 0) ||
      (logs.ExtendedSelfTests && logs.ExtendedSelfTests->FailedCount() > 0)) {
    status |= 1 << 7;
  }
  return status;
}

// An NVMe drive's health log figures under smartctl_exporter's names.
struct NvmeFigure {
  const char* Name;
  const char* Help;
  std::uint8_t Id;
  std::uint64_t Scale;
};
constexpr NvmeFigure kNvmeFigures[] = {
    {"smartctl_device_available_spare",
     "Normalized percentage (0 to 100%) of the remaining spare capacity available",
     kNvmeAvailableSpareId, 1},
    {"smartctl_device_percentage_used", "Device write percentage used", kNvmePercentageUsedId, 1},
    {"smartctl_device_critical_warning", "Critical warning bits of the NVMe health log",
     kNvmeCriticalWarningId, 1},
    {"smartctl_device_media_errors", "Media and data integrity errors", kNvmeMediaErrorsId, 1},
    {"smartctl_device_num_err_log_entries", "Error information log entries", kNvmeErrorLogEntriesId,
     1},
    {"smartctl_device_bytes_read", "Bytes read, from the NVMe health log's data units",
     kNvmeDataUnitsReadId, kNvmeDataUnitBytes},
    {"smartctl_device_bytes_written", "Bytes written, from the NVMe health log's data units",
     kNvmeDataUnitsWrittenId, kNvmeDataUnitBytes},
};

// The ATA logs, by the key smartctl's JSON files them under.
std::vector<std::pair<const char*, const SelfTestLog*>> SelfTestLogs(const DriveLogs& logs) {
  std::vector<std::pair<const char*, const SelfTestLog*>> kept;
  if (logs.Source != TableSource::Ata) return kept;
  if (logs.SelfTests) kept.emplace_back("standard", &*logs.SelfTests);
  if (logs.ExtendedSelfTests) kept.emplace_back("extended", &*logs.ExtendedSelfTests);
  return kept;
}

void AddDeviceInfo(Exposition& out, const EachDrive& each) {
  out.Family("smartctl_device", "Device info", "gauge", [&] {
    each([&](const LabelledRecord& drive) {
      if (!Awake(drive)) return;
      const DriveRecord& r = drive.Record;
      const bool nvme = r.Source == TableSource::Nvme;
      out.Sample({{"ata_additional_product_id", r.Facts.AdditionalProduct},
                  {"ata_version", r.Facts.AtaVersion},
                  {"device", drive.Device},
                  {"firmware_version", Shown(r.Firmware)},
                  {"form_factor", r.Facts.FormFactor},
                  {"interface", nvme ? "nvme" : "sat"},
                  {"model_family", r.Family},
                  {"model_name", Shown(r.Model)},
                  {"protocol", nvme ? "NVMe" : "ATA"},
                  {"sata_version", r.Facts.SataVersion},
                  {"serial_number", Shown(r.Serial)}},
                 "1");
    });
  });
}

void AddDeviceFacts(Exposition& out, const EachDrive& each) {
  const auto device = [](const LabelledRecord& d) { return Labels{{"device", d.Device}}; };
  out.Family("smartctl_device_capacity_blocks", "Device capacity in blocks", "gauge", [&] {
    each([&](const LabelledRecord& d) {
      const auto& blocks = d.Record.Facts.CapacityBlocks;
      if (Awake(d) && blocks) out.Sample(device(d), Number(*blocks));
    });
  });
  out.Family("smartctl_device_capacity_bytes", "Device capacity in bytes", "gauge", [&] {
    each([&](const LabelledRecord& d) {
      const auto bytes = d.Record.Facts.CapacityBytes();
      if (Awake(d) && bytes) out.Sample(device(d), Number(*bytes));
    });
  });
  out.Family("smartctl_device_nvme_capacity_bytes", "NVMe device total capacity bytes", "gauge",
             [&] {
               each([&](const LabelledRecord& d) {
                 const auto& bytes = d.Record.Facts.NvmeCapacityBytes;
                 if (Awake(d) && bytes) out.Sample(device(d), Number(*bytes));
               });
             });
  out.Family("smartctl_device_block_size", "Device block size", "gauge", [&] {
    each([&](const LabelledRecord& d) {
      const DeviceFacts& facts = d.Record.Facts;
      if (!Awake(d) || !facts.LogicalBlockSize || !facts.PhysicalBlockSize) return;
      out.Sample({{"blocks_type", "logical"}, {"device", d.Device}},
                 Number(std::uint64_t{*facts.LogicalBlockSize}));
      out.Sample({{"blocks_type", "physical"}, {"device", d.Device}},
                 Number(std::uint64_t{*facts.PhysicalBlockSize}));
    });
  });
  out.Family("smartctl_device_rotation_rate", "Device rotation rate", "gauge", [&] {
    each([&](const LabelledRecord& d) {
      const auto& rpm = d.Record.Facts.RotationRate;
      if (Awake(d) && rpm) out.Sample(device(d), Number(std::uint64_t{*rpm}));
    });
  });
  out.Family(
      "smartctl_device_interface_speed", "Device interface speed, bits per second", "gauge", [&] {
        each([&](const LabelledRecord& d) {
          const DeviceFacts& facts = d.Record.Facts;
          if (!Awake(d)) return;
          if (facts.SpeedCurrent) {
            out.Sample({{"device", d.Device}, {"speed_type", "current"}},
                       Number(*facts.SpeedCurrent));
          }
          if (facts.SpeedMax) {
            out.Sample({{"device", d.Device}, {"speed_type", "max"}}, Number(*facts.SpeedMax));
          }
        });
      });
}

void AddAttributes(Exposition& out, const EachDrive& each) {
  out.Family("smartctl_device_attribute", "Device attributes", "gauge", [&] {
    each([&](const LabelledRecord& drive) {
      if (!TableRead(drive)) return;
      for (const AttributeRecord& attribute : drive.Record.Attributes) {
        const auto add = [&](const char* type, const std::string& value) {
          out.Sample({{"attribute_flags_long", FlagsLongText(attribute.Flags)},
                      {"attribute_flags_short", FlagsText(attribute.Flags)},
                      {"attribute_id", std::to_string(attribute.Id)},
                      {"attribute_name", attribute.SmartctlName},
                      {"attribute_value_type", type},
                      {"device", drive.Device}},
                     value);
        };
        if (attribute.Value) add("value", Number(std::int64_t{*attribute.Value}));
        if (attribute.Worst) add("worst", Number(std::int64_t{*attribute.Worst}));
        if (attribute.Threshold) add("thresh", Number(std::int64_t{*attribute.Threshold}));
        add("raw", Number(attribute.Raw));
      }
    });
  });
}

void AddHealth(Exposition& out, const EachDrive& each) {
  const auto device = [](const LabelledRecord& d) { return Labels{{"device", d.Device}}; };
  out.Family("smartctl_device_smartctl_exit_status",
             "Exit status smartctl would give for what was read, by its manual's bits", "gauge",
             [&] {
               each([&](const LabelledRecord& d) {
                 if (d.Record.OpenFailure == OpenError::NotFound) return;
                 out.Sample(device(d), std::to_string(ExitStatus(d.Record)));
               });
             });
  out.Family("smartctl_device_temperature", "Device temperature celsius", "gauge", [&] {
    each([&](const LabelledRecord& d) {
      if (!TableRead(d) || !d.Record.Temperature) return;
      out.Sample({{"device", d.Device}, {"temperature_type", "current"}},
                 Number(std::int64_t{*d.Record.Temperature}));
    });
  });
  out.Family("smartctl_device_smart_status", "General smart status (1 passed, 0 failed)", "gauge",
             [&] {
               each([&](const LabelledRecord& d) {
                 const std::optional<bool> passed = d.Record.Passed();
                 if (TableRead(d) && passed) out.Sample(device(d), *passed ? "1" : "0");
               });
             });
  // Gauges, as a counter's name would have to end in _total and these keep
  // smartctl_exporter's names.
  out.Family("smartctl_device_power_on_seconds", "Device power on seconds", "gauge", [&] {
    each([&](const LabelledRecord& d) {
      const AttributeRecord* hours =
          TableRead(d) ? FindAttribute(d.Record, kPowerOnHoursId) : nullptr;
      if (hours) out.Sample(device(d), Number(hours->Raw * kSecondsPerHour));
    });
  });
  // Untyped: promtool's lint takes a typed name ending in _count for part of
  // a summary.
  out.Family("smartctl_device_power_cycle_count", "Device power cycle count", "untyped", [&] {
    each([&](const LabelledRecord& d) {
      const AttributeRecord* cycles =
          TableRead(d) ? FindAttribute(d.Record, kPowerCycleCountId) : nullptr;
      if (cycles) out.Sample(device(d), Number(cycles->Raw));
    });
  });
  for (const NvmeFigure& figure : kNvmeFigures) {
    out.Family(figure.Name, figure.Help, "gauge", [&] {
      each([&](const LabelledRecord& d) {
        const AttributeRecord* found = Nvme(d) ? FindAttribute(d.Record, figure.Id) : nullptr;
        if (found) out.Sample(device(d), Number(found->Raw * figure.Scale));
      });
    });
  }
  out.Family("smartctl_device_available_spare_threshold",
             "Spare capacity below which the drive warns, percent", "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 const AttributeRecord* spare =
                     Nvme(d) ? FindAttribute(d.Record, kNvmeAvailableSpareId) : nullptr;
                 if (spare && spare->Threshold) {
                   out.Sample(device(d), Number(std::int64_t{*spare->Threshold}));
                 }
               });
             });
}

void AddLogs(Exposition& out, const EachDrive& each) {
  out.Family("smartctl_device_self_test_log_count", "Device SMART self test log count", "untyped",
             [&] {
               each([&](const LabelledRecord& d) {
                 for (const auto& [type, log] : SelfTestLogs(d.Record.Logs)) {
                   out.Sample({{"device", d.Device}, {"self_test_log_type", type}},
                              Number(std::uint64_t{log->Entries.size()}));
                 }
               });
             });
  out.Family("smartctl_device_self_test_log_error_count", "Device SMART self test log error count",
             "untyped", [&] {
               each([&](const LabelledRecord& d) {
                 for (const auto& [type, log] : SelfTestLogs(d.Record.Logs)) {
                   out.Sample({{"device", d.Device}, {"self_test_log_type", type}},
                              Number(std::uint64_t{log->FailedCount()}));
                 }
               });
             });
  out.Family("smartctl_device_error_log_count", "Device SMART error log count", "untyped", [&] {
    each([&](const LabelledRecord& d) {
      const DriveLogs& logs = d.Record.Logs;
      if (logs.Errors) {
        out.Sample({{"device", d.Device}, {"error_log_type", "summary"}},
                   Number(std::uint64_t{logs.Errors->Count}));
      }
      if (logs.ExtendedErrors) {
        out.Sample({{"device", d.Device}, {"error_log_type", "extended"}},
                   Number(std::uint64_t{logs.ExtendedErrors->Count}));
      }
    });
  });
}

}  // namespace

void AddSmartctlFamilies(Exposition& out, const EachDrive& each, std::size_t count) {
  // Dashboards list the hosts by this series; we are not smartctl, so its
  // version labels say nothing.
  out.Family("smartctl_version", "smartctl version", "gauge", [&] {
    out.Sample({{"build_info", "halvoric"},
                {"json_format_version", ""},
                {"smartctl_version", ""},
                {"svn_revision", ""}},
               "1");
  });
  out.Family("smartctl_devices", "Number of devices in this file", "gauge",
             [&] { out.Sample({}, Number(std::uint64_t{count})); });
  AddDeviceInfo(out, each);
  out.Family("smartctl_device_state",
             "Device power state as CHECK POWER MODE reported it (active, standby, sleep or "
             "unknown); a drive in standby or asleep is not woken to be read",
             "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 if (d.Record.OpenFailure != OpenError::None) return;
                 out.Sample({{"device", d.Device}, {"state", PowerModeName(d.Record.Power)}}, "1");
               });
             });
  AddDeviceFacts(out, each);
  AddHealth(out, each);
  AddAttributes(out, each);
  AddLogs(out, each);
}

}  // namespace halvoric::exposition
