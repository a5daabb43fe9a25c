// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sim/sim_nvme.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

#include "base/text_split.h"

namespace halvoric::sim {
namespace {

constexpr int kKelvinOffset = 273;
constexpr int kHighestCelsius = 255;
constexpr std::size_t kSelfTestEntries = 4;  // first entry's offset
constexpr std::size_t kSelfTestEntrySize = 28;
constexpr std::uint8_t kEntryUnused = 0x0F;

// The health log's fields a scenario may set: name, offset, width in
// bytes, and the figure from the start when the scenario names none.
struct HealthField {
  const char* Name;
  std::size_t Offset;
  std::size_t Width;
  std::uint64_t Default;
};
constexpr HealthField kFields[] = {
    {"critical-warning", kNvmeCriticalWarning, 1, 0},
    {"available-spare", kNvmeAvailableSpare, 1, 100},
    {"spare-threshold", kNvmeSpareThreshold, 1, 10},
    {"percentage-used", kNvmePercentageUsed, 1, 0},
    {"data-units-read", kNvmeDataUnitsRead, 6, 0},
    {"data-units-written", kNvmeDataUnitsWritten, 6, 0},
    {"power-cycles", kNvmePowerCycles, 6, 0},
    {"power-on-hours", kNvmePowerOnHours, 6, 0},
    {"unsafe-shutdowns", kNvmeUnsafeShutdowns, 6, 0},
    {"media-errors", kNvmeMediaErrors, 6, 0},
    {"error-log-entries", kNvmeErrorLogEntries, 6, 0},
    {"warning-temperature-minutes", kNvmeWarningTempTime, 4, 0},
    {"critical-temperature-minutes", kNvmeCriticalTempTime, 4, 0},
};

template <typename T>
bool Number(const std::string& text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && ptr == end;
}

std::string FieldList() {
  std::string list;
  for (const HealthField& field : kFields)
    list += std::string(list.empty() ? "" : ", ") + field.Name;
  return list;
}

// `name=N` into the field table, N within the field's width.
Result<NvmeFieldPoint> ParseField(const std::string& word, double at) {
  const auto equals = word.find('=');
  const std::string name = word.substr(0, equals);
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    if (name != kFields[i].Name) continue;
    NvmeFieldPoint point{at, i, 0};
    const std::uint64_t largest = (std::uint64_t{1} << (8 * kFields[i].Width)) - 1;
    if (equals == std::string::npos || !Number(word.substr(equals + 1), point.Value) ||
        point.Value > largest) {
      return Failure{name + " takes a number from 0 to " + std::to_string(largest)};
    }
    return point;
  }
  return Failure{"unknown NVMe health field '" + name + "' (one of " + FieldList() + ")"};
}

Result<> AddFields(const std::vector<std::string>& words, std::size_t first, double at,
                   SimNvme& nvme) {
  if (first >= words.size()) return Failure{"name at least one field: " + FieldList()};
  for (std::size_t i = first; i < words.size(); ++i) {
    Result<NvmeFieldPoint> point = ParseField(words[i], at);
    if (!point.Ok()) return Failure{point.Message};
    for (const NvmeFieldPoint& earlier : nvme.Points) {
      if (earlier.Field == point->Field && earlier.AtSeconds >= at) {
        return Failure{std::string(kFields[point->Field].Name) +
                       ": its figures must be given in increasing time"};
      }
    }
    nvme.Points.push_back(*point);
  }
  return Result<>::Done();
}

void PutLittleEndian(std::uint8_t* at, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutKelvin(NvmeIdentifyData& data, std::size_t offset, std::optional<int> celsius) {
  if (celsius) PutLittleEndian(data.data() + offset, *celsius + kKelvinOffset, 2);
}

void PutText(NvmeIdentifyData& data, std::size_t offset, std::size_t length,
             const std::string& text) {
  std::memset(data.data() + offset, ' ', length);
  std::memcpy(data.data() + offset, text.data(), std::min(length, text.size()));
}

}  // namespace

Result<> ParseNvmeController(const std::string& value, SimNvme& nvme) {
  const auto words = Words(value);
  if (words.empty())
    return Failure{"nvme-controller needs warning=C, critical=C or capacity=BYTES"};
  for (const std::string& word : words) {
    const auto equals = word.find('=');
    const std::string name = word.substr(0, equals);
    const std::string figure = equals == std::string::npos ? "" : word.substr(equals + 1);
    int celsius = 0;
    if (name == "capacity" && Number(figure, nvme.CapacityBytes)) continue;
    if ((name == "warning" || name == "critical") && Number(figure, celsius) &&
        celsius > -kKelvinOffset && celsius <= kHighestCelsius) {
      (name == "warning" ? nvme.WarningCelsius : nvme.CriticalCelsius) = celsius;
      continue;
    }
    return Failure{"bad nvme-controller field '" + word +
                   "': warning=C and critical=C from -272 to 255, capacity=BYTES"};
  }
  return Result<>::Done();
}

Result<> ParseNvmeHealth(const std::string& value, SimNvme& nvme) {
  return AddFields(Words(value), 0, 0, nvme);
}

Result<> ParseNvmeChange(const std::string& value, SimNvme& nvme) {
  const auto words = Words(value);
  double at = 0;
  if (words.size() < 2 || words[0] != "at" || !Number(words[1], at) || at < 0) {
    return Failure{"nvme-change is 'at SECONDS' and then FIELD=N"};
  }
  return AddFields(words, 2, at, nvme);
}

NvmeIdentifyData BuildNvmeIdentify(const SimNvme& nvme, const std::string& model,
                                   const std::string& serial, const std::string& firmware) {
  NvmeIdentifyData data{};
  PutText(data, kNvmeModel, kNvmeModelLength, model);
  PutText(data, kNvmeSerial, kNvmeSerialLength, serial);
  PutText(data, kNvmeFirmware, kNvmeFirmwareLength, firmware);
  PutKelvin(data, kNvmeWarningTemperature, nvme.WarningCelsius);
  PutKelvin(data, kNvmeCriticalTemperature, nvme.CriticalCelsius);
  PutLittleEndian(data.data() + kNvmeTotalCapacity, nvme.CapacityBytes, 8);
  return data;
}

NvmeHealthLog BuildNvmeHealthLog(const SimNvme& nvme, double seconds, int celsius) {
  NvmeHealthLog log{};
  for (const HealthField& field : kFields) {
    PutLittleEndian(log.data() + field.Offset, field.Default, field.Width);
  }
  // Points in file order, each field's in increasing time: the last one due
  // of each field wins.
  for (const NvmeFieldPoint& point : nvme.Points) {
    if (point.AtSeconds > seconds) continue;
    const HealthField& field = kFields[point.Field];
    PutLittleEndian(log.data() + field.Offset, point.Value, field.Width);
  }
  PutLittleEndian(log.data() + kNvmeCompositeTemperature,
                  static_cast<std::uint64_t>(std::max(0, celsius + kKelvinOffset)), 2);
  return log;
}

void BuildEmptyNvmeSelfTestLog(std::uint8_t (&sector)[kSectorSize]) {
  std::memset(sector, 0, kSectorSize);
  for (std::size_t at = kSelfTestEntries; at < kSectorSize; at += kSelfTestEntrySize) {
    sector[at] = kEntryUnused;
  }
}

}  // namespace halvoric::sim
