// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/prometheus_text.h"

#include <functional>
#include <optional>
#include <utility>

#include "base/text_trim.h"
#include "base/utf8.h"
#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

constexpr std::uint8_t kPowerOnHoursId = 9;
constexpr std::uint8_t kPowerCycleCountId = 12;
constexpr std::uint64_t kSecondsPerHour = 3600;

using Labels = std::vector<std::pair<std::string, std::string>>;

class Exposition {
 public:
  // One family: its header, then whatever samples `samples` adds.
  void Family(const char* name, const char* help, const char* type,
              const std::function<void()>& samples) {
    name_ = name;
    text_ += std::string("# HELP ") + name + " " + help + "\n";
    text_ += std::string("# TYPE ") + name + " " + type + "\n";
    samples();
  }

  void Sample(const Labels& labels, const std::string& value) {
    text_ += name_;
    if (!labels.empty()) {
      text_ += '{';
      for (std::size_t i = 0; i < labels.size(); ++i) {
        if (i) text_ += ',';
        text_ += labels[i].first + "=\"" + EscapeLabelValue(labels[i].second) + '"';
      }
      text_ += '}';
    }
    text_ += ' ' + value + '\n';
  }

  std::string Take() { return std::move(text_); }

 private:
  std::string name_;
  std::string text_;
};

std::string Number(std::int64_t value) { return std::to_string(value); }
std::string Number(std::uint64_t value) { return std::to_string(value); }

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

// An NVMe drive's health log figures under smartctl_exporter's names.
struct NvmeFigure {
  const char* Name;
  const char* Help;
  std::uint8_t Id;
};
constexpr NvmeFigure kNvmeFigures[] = {
    {"smartctl_device_available_spare",
     "Normalized percentage (0 to 100%) of the remaining spare capacity available",
     kNvmeAvailableSpareId},
    {"smartctl_device_percentage_used", "Device write percentage used", kNvmePercentageUsedId},
    {"smartctl_device_critical_warning", "Critical warning bits of the NVMe health log",
     kNvmeCriticalWarningId},
    {"smartctl_device_media_errors", "Media and data integrity errors", kNvmeMediaErrorsId},
    {"smartctl_device_num_err_log_entries", "Error information log entries",
     kNvmeErrorLogEntriesId},
};

// Judged rows: an ATA row with its value and threshold both reported; every
// row of an NVMe table, which NVMe's own rules judge.
bool Judged(const DriveRecord& record, const AttributeRecord& attribute) {
  return record.Source == TableSource::Nvme || (attribute.Value && attribute.Threshold);
}

}  // namespace

std::string SimulatedDeviceName(DriveNumber n) { return "sim" + std::to_string(n); }

std::string EscapeLabelValue(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (std::size_t at = 0; at < value.size();) {
    const std::size_t length = Utf8SequenceAt(value, at);
    if (length == 0) {
      escaped += "\xEF\xBF\xBD";
      ++at;
      continue;
    }
    const char c = value[at];
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '"') {
      escaped += "\\\"";
    } else if (c == '\n') {
      escaped += "\\n";
    } else {
      escaped.append(value.substr(at, length));
    }
    at += length;
  }
  return escaped;
}

std::string PrometheusText(const std::vector<LabelledRecord>& drives) {
  Exposition out;
  const auto each = [&drives](const std::function<void(const LabelledRecord&)>& add) {
    for (const LabelledRecord& drive : drives) add(drive);
  };
  const auto device = [](const LabelledRecord& drive) { return Labels{{"device", drive.Device}}; };
  const auto read = [](const LabelledRecord& drive) {
    return drive.Record.OpenFailure == OpenError::None && drive.Record.SmartRead;
  };

  out.Family("smartctl_device", "Device info", "gauge", [&] {
    each([&](const LabelledRecord& drive) {
      if (drive.Record.OpenFailure != OpenError::None || drive.Record.LeftAsleep) return;
      out.Sample({{"device", drive.Device},
                  {"model_family", drive.Record.Family},
                  {"model_name", Shown(drive.Record.Model)},
                  {"serial_number", Shown(drive.Record.Serial)},
                  {"firmware_version", Shown(drive.Record.Firmware)}},
                 "1");
    });
  });
  out.Family(
      "smartctl_device_state",
      "Device power state as CHECK POWER MODE reported it (active, standby, sleep or "
      "unknown); a drive in standby or asleep is not woken to be read",
      "gauge", [&] {
        each([&](const LabelledRecord& drive) {
          if (drive.Record.OpenFailure != OpenError::None) return;
          out.Sample({{"device", drive.Device}, {"state", PowerModeName(drive.Record.Power)}}, "1");
        });
      });
  out.Family("smartctl_device_temperature", "Device temperature celsius", "gauge", [&] {
    each([&](const LabelledRecord& drive) {
      if (!read(drive) || !drive.Record.Temperature) return;
      out.Sample({{"device", drive.Device}, {"temperature_type", "current"}},
                 Number(std::int64_t{*drive.Record.Temperature}));
    });
  });
  out.Family("smartctl_device_smart_status", "General smart status (1 passed, 0 failed)", "gauge",
             [&] {
               each([&](const LabelledRecord& drive) {
                 const std::optional<bool> passed = drive.Record.Passed();
                 if (!read(drive) || !passed) return;
                 out.Sample(device(drive), *passed ? "1" : "0");
               });
             });
  out.Family("smartctl_device_attribute", "Device attributes", "gauge", [&] {
    each([&](const LabelledRecord& drive) {
      if (!read(drive)) return;
      for (const AttributeRecord& attribute : drive.Record.Attributes) {
        const auto add = [&](const char* type, const std::string& value) {
          out.Sample({{"device", drive.Device},
                      {"attribute_flags_long", FlagsLongText(attribute.Flags)},
                      {"attribute_flags_short", FlagsText(attribute.Flags)},
                      {"attribute_id", std::to_string(attribute.Id)},
                      {"attribute_name", attribute.SmartctlName},
                      {"attribute_value_type", type}},
                     value);
        };
        if (attribute.Value) add("value", Number(std::int64_t{*attribute.Value}));
        if (attribute.Worst) add("worst", Number(std::int64_t{*attribute.Worst}));
        if (attribute.Threshold) add("thresh", Number(std::int64_t{*attribute.Threshold}));
        add("raw", Number(attribute.Raw));
      }
    });
  });
  // Gauges, as a counter's name would have to end in _total and these keep
  // smartctl_exporter's names.
  out.Family("smartctl_device_power_on_seconds", "Device power on seconds", "gauge", [&] {
    each([&](const LabelledRecord& drive) {
      const AttributeRecord* hours =
          read(drive) ? FindAttribute(drive.Record, kPowerOnHoursId) : nullptr;
      if (hours) out.Sample(device(drive), Number(hours->Raw * kSecondsPerHour));
    });
  });
  // Untyped: promtool's lint takes a typed name ending in _count for part of
  // a summary.
  out.Family("smartctl_device_power_cycle_count", "Device power cycle count", "untyped", [&] {
    each([&](const LabelledRecord& drive) {
      const AttributeRecord* cycles =
          read(drive) ? FindAttribute(drive.Record, kPowerCycleCountId) : nullptr;
      if (cycles) out.Sample(device(drive), Number(cycles->Raw));
    });
  });
  const auto nvme = [&](const LabelledRecord& drive) {
    return read(drive) && drive.Record.Source == TableSource::Nvme;
  };
  for (const NvmeFigure& figure : kNvmeFigures) {
    out.Family(figure.Name, figure.Help, "gauge", [&] {
      each([&](const LabelledRecord& drive) {
        const AttributeRecord* found =
            nvme(drive) ? FindAttribute(drive.Record, figure.Id) : nullptr;
        if (found) out.Sample(device(drive), Number(found->Raw));
      });
    });
  }
  out.Family("smartctl_device_available_spare_threshold",
             "Spare capacity below which the drive warns, percent", "gauge", [&] {
               each([&](const LabelledRecord& drive) {
                 const AttributeRecord* spare =
                     nvme(drive) ? FindAttribute(drive.Record, kNvmeAvailableSpareId) : nullptr;
                 if (spare && spare->Threshold) {
                   out.Sample(device(drive), Number(std::int64_t{*spare->Threshold}));
                 }
               });
             });
  // The ATA logs, by the key smartctl's JSON files them under.
  const auto selfTestLogs = [](const DriveLogs& logs) {
    std::vector<std::pair<const char*, const SelfTestLog*>> kept;
    if (logs.Source != TableSource::Ata) return kept;
    if (logs.SelfTests) kept.emplace_back("standard", &*logs.SelfTests);
    if (logs.ExtendedSelfTests) kept.emplace_back("extended", &*logs.ExtendedSelfTests);
    return kept;
  };
  out.Family("smartctl_device_self_test_log_count", "Device SMART self test log count", "untyped",
             [&] {
               each([&](const LabelledRecord& drive) {
                 for (const auto& [type, log] : selfTestLogs(drive.Record.Logs)) {
                   out.Sample({{"device", drive.Device}, {"self_test_log_type", type}},
                              Number(std::uint64_t{log->Entries.size()}));
                 }
               });
             });
  out.Family("smartctl_device_self_test_log_error_count", "Device SMART self test log error count",
             "untyped", [&] {
               each([&](const LabelledRecord& drive) {
                 for (const auto& [type, log] : selfTestLogs(drive.Record.Logs)) {
                   out.Sample({{"device", drive.Device}, {"self_test_log_type", type}},
                              Number(std::uint64_t{log->FailedCount()}));
                 }
               });
             });
  out.Family("smartctl_device_error_log_count", "Device SMART error log count", "untyped", [&] {
    each([&](const LabelledRecord& drive) {
      const DriveLogs& logs = drive.Record.Logs;
      if (logs.Errors) {
        out.Sample({{"device", drive.Device}, {"error_log_type", "summary"}},
                   Number(std::uint64_t{logs.Errors->Count}));
      }
      if (logs.ExtendedErrors) {
        out.Sample({{"device", drive.Device}, {"error_log_type", "extended"}},
                   Number(std::uint64_t{logs.ExtendedErrors->Count}));
      }
    });
  });
  out.Family("halvoric_drive_power_mode",
             "Power mode as CHECK POWER MODE reported it: 0 active, 1 standby, 2 sleep, 3 unknown",
             "gauge", [&] {
               each([&](const LabelledRecord& drive) {
                 if (drive.Record.OpenFailure != OpenError::None) return;
                 out.Sample(device(drive), std::to_string(PowerModeMetricCode(drive.Record.Power)));
               });
             });
  out.Family("halvoric_drive_read_ok",
             "1 when the attribute table was read this time; 0 when the drive could not be "
             "opened or read, or was left asleep",
             "gauge", [&] {
               each([&](const LabelledRecord& drive) {
                 out.Sample(device(drive), read(drive) ? "1" : "0");
               });
             });
  out.Family("halvoric_drive_attribute_failing",
             "1 when the attribute reads BAD on the SMART Info page: at or below its threshold, "
             "or by NVMe's rules for an NVMe drive",
             "gauge", [&] {
               each([&](const LabelledRecord& drive) {
                 if (!read(drive)) return;
                 for (const AttributeRecord& attribute : drive.Record.Attributes) {
                   if (!Judged(drive.Record, attribute)) continue;
                   out.Sample({{"device", drive.Device},
                               {"attribute_id", std::to_string(attribute.Id)},
                               {"attribute_name", attribute.SmartctlName}},
                              attribute.State == Status::Ok ? "0" : "1");
                 }
               });
             });
  return out.Take();
}

}  // namespace halvoric
