// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/nvme_translation.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "drive/nvme_figures.h"
#include "drive/stand_in_figures.h"

namespace halvoric {
namespace {

constexpr int kKelvinOffset = 273;
constexpr std::size_t kCounterBytes = 16;
constexpr std::size_t kRawBytes = 6;
constexpr std::uint8_t kMadeUpCounterValue = 100;

std::string Field(const NvmeIdentifyData& data, std::size_t offset, std::size_t length) {
  return std::string(reinterpret_cast<const char*>(data.data() + offset), length);
}

// The low 48 bits of a 128-bit little-endian counter; a count that does not
// fit stays at the largest raw value rather than wrapping to a small one.
void PutCounter(const NvmeHealthLog& log, std::size_t offset, AttributeEntry& entry) {
  const auto* counter = log.data() + offset;
  if (std::any_of(counter + kRawBytes, counter + kCounterBytes, [](auto b) { return b != 0; })) {
    std::fill(std::begin(entry.Raw), std::end(entry.Raw), 0xFF);
    return;
  }
  std::copy(counter, counter + kRawBytes, entry.Raw);
}

// The 4-byte minute counters fit the raw value whole.
void PutMinutes(const NvmeHealthLog& log, std::size_t offset, AttributeEntry& entry) {
  std::copy(log.data() + offset, log.data() + offset + 4, entry.Raw);
}

// The table's order: the health log's.
constexpr std::uint8_t kTableIds[] = {
    kNvmeCriticalWarningId, kNvmeTemperatureId,      kNvmeAvailableSpareId,  kNvmePercentageUsedId,
    kNvmeDataUnitsReadId,   kNvmeDataUnitsWrittenId, kNvmePowerCyclesId,     kNvmePowerOnHoursId,
    kNvmeUnsafeShutdownsId, kNvmeMediaErrorsId,      kNvmeErrorLogEntriesId, kNvmeWarningTempTimeId,
    kNvmeCriticalTempTimeId};

AttributeEntry EntryFor(std::uint8_t id, const NvmeHealthLog& log) {
  if (id == kNvmeTemperatureId) return StandInTemperatureEntry(NvmeCelsius(log));
  if (id == kNvmeAvailableSpareId) {
    AttributeEntry entry = StandInEntry(id, log[kNvmeAvailableSpare]);
    entry.Raw[0] = log[kNvmeAvailableSpare];
    return entry;
  }
  AttributeEntry entry = StandInEntry(id, kMadeUpCounterValue);
  switch (id) {
    case kNvmeCriticalWarningId:
      entry.Raw[0] = log[kNvmeCriticalWarning];
      break;
    case kNvmePercentageUsedId:
      entry.Raw[0] = log[kNvmePercentageUsed];
      break;
    case kNvmeDataUnitsReadId:
      PutCounter(log, kNvmeDataUnitsRead, entry);
      break;
    case kNvmeDataUnitsWrittenId:
      PutCounter(log, kNvmeDataUnitsWritten, entry);
      break;
    case kNvmePowerCyclesId:
      PutCounter(log, kNvmePowerCycles, entry);
      break;
    case kNvmePowerOnHoursId:
      PutCounter(log, kNvmePowerOnHours, entry);
      break;
    case kNvmeUnsafeShutdownsId:
      PutCounter(log, kNvmeUnsafeShutdowns, entry);
      break;
    case kNvmeMediaErrorsId:
      PutCounter(log, kNvmeMediaErrors, entry);
      break;
    case kNvmeErrorLogEntriesId:
      PutCounter(log, kNvmeErrorLogEntries, entry);
      break;
    case kNvmeWarningTempTimeId:
      PutMinutes(log, kNvmeWarningTempTime, entry);
      break;
    default:
      PutMinutes(log, kNvmeCriticalTempTime, entry);
      break;
  }
  return entry;
}

}  // namespace

void NvmeIdentifyToAta(const NvmeIdentifyData& controller, std::uint8_t (&sector)[kSectorSize]) {
  DriveStrings strings;
  strings.Model = Field(controller, kNvmeModel, kNvmeModelLength);
  strings.Serial = Field(controller, kNvmeSerial, kNvmeSerialLength);
  strings.Firmware = Field(controller, kNvmeFirmware, kNvmeFirmwareLength);
  FillStandInIdentify(strings, sector);
  std::copy_n(controller.data() + kNvmeWarningTemperature, 2, sector + kNvmeSectorWarningKelvin);
  std::copy_n(controller.data() + kNvmeCriticalTemperature, 2, sector + kNvmeSectorCriticalKelvin);
  sector[kNvmeSectorAdminCommands] = controller[kNvmeAdminCommands];
  std::copy_n(controller.data() + kNvmeExtendedTestMinutes, 2,
              sector + kNvmeSectorExtendedTestMinutes);
  // A capacity past 2^64 bytes is no real one; it reads as not given.
  const auto* capacity = controller.data() + kNvmeTotalCapacity;
  if (std::all_of(capacity + 8, capacity + 16, [](auto b) { return b == 0; })) {
    std::copy_n(capacity, 8, sector + kNvmeSectorCapacityBytes);
  }
}

int NvmeCelsius(const NvmeHealthLog& log) {
  const int kelvin = log[kNvmeCompositeTemperature] | log[kNvmeCompositeTemperature + 1] << 8;
  return kelvin - kKelvinOffset;
}

void NvmeHealthToAttributes(const NvmeHealthLog& log, std::uint8_t (&sector)[kSectorSize]) {
  std::memset(sector, 0, sizeof sector);
  for (std::size_t p = 0; p < std::size(kTableIds); ++p) {
    const AttributeEntry entry = EntryFor(kTableIds[p], log);
    std::memcpy(sector + kTableOffset + p * sizeof entry, &entry, sizeof entry);
  }
}

void NvmeHealthToThresholds(const NvmeHealthLog& log, std::uint8_t (&sector)[kSectorSize]) {
  std::memset(sector, 0, sizeof sector);
  for (std::size_t p = 0; p < std::size(kTableIds); ++p) {
    ThresholdEntry entry{};
    entry.Id = kTableIds[p];
    if (entry.Id == kNvmeAvailableSpareId) entry.Threshold = log[kNvmeSpareThreshold];
    std::memcpy(sector + kTableOffset + p * sizeof entry, &entry, sizeof entry);
  }
}

}  // namespace halvoric
