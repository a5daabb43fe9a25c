// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/nvme_figures.h"

#include <cstdio>
#include <utility>

#include "drive/attribute_catalogue.h"

namespace halvoric {
namespace {

constexpr int kKelvinOffset = 273;
constexpr std::uint8_t kPercentageWornOut = 100;

constexpr std::pair<std::uint8_t, std::string_view> kNames[] = {
    {kNvmeAvailableSpareId, "Available Spare         "},
    {kNvmePercentageUsedId, "Percentage Used         "},
    {kNvmeUnsafeShutdownsId, "Unsafe Shutdowns        "},
    {kNvmeMediaErrorsId, "Media and Data Integrity Errors"},
    {kNvmeCriticalWarningId, "Critical Warning        "},
    {kNvmeErrorLogEntriesId, "Error Information Log Entries"},
    {kNvmeWarningTempTimeId, "Warning Composite Temperature Time"},
    {kNvmeCriticalTempTimeId, "Critical Composite Temperature Time"},
    {kNvmeDataUnitsReadId, "Data Units Read         "},
    {kNvmeDataUnitsWrittenId, "Data Units Written      "},
};

constexpr std::pair<std::uint8_t, const char*> kWarningBits[] = {
    {kNvmeWarnSpare, "spare below threshold"},      {kNvmeWarnTemperature, "temperature"},
    {kNvmeWarnReliability, "reliability degraded"}, {kNvmeWarnReadOnly, "read-only"},
    {kNvmeWarnBackup, "volatile backup failed"},
};

std::optional<int> CelsiusAt(const std::uint8_t (&sector)[kSectorSize], std::size_t offset) {
  const int kelvin = sector[offset] | sector[offset + 1] << 8;
  if (kelvin == 0) return std::nullopt;
  return kelvin - kKelvinOffset;
}

}  // namespace

std::string_view NvmeFigureName(std::uint8_t id) {
  for (const auto& [known, name] : kNames) {
    if (known == id) return name;
  }
  return GetAttributeName(id);
}

Status NvmeStatusOf(std::uint8_t id, std::uint64_t raw, std::int32_t threshold) {
  switch (id) {
    case kNvmeAvailableSpareId:
      return static_cast<std::int64_t>(raw) < threshold ? Status::Bad : Status::Ok;
    case kNvmePercentageUsedId:
      return raw >= kPercentageWornOut ? Status::Bad : Status::Ok;
    // Media errors warn (drive/verdict.cpp): the drive still works.
    case kNvmeCriticalWarningId:
      return raw > 0 ? Status::Bad : Status::Ok;
    default:
      return Status::Ok;
  }
}

TemperatureLimits NvmeLimitsFromSector(const std::uint8_t (&sector)[kSectorSize]) {
  TemperatureLimits limits;
  limits.Warning = CelsiusAt(sector, kNvmeSectorWarningKelvin);
  limits.Critical = CelsiusAt(sector, kNvmeSectorCriticalKelvin);
  return limits;
}

std::string CriticalWarningText(std::uint8_t bits) {
  std::string text;
  std::uint8_t named = 0;
  for (const auto& [bit, name] : kWarningBits) {
    named |= bit;
    if ((bits & bit) == 0) continue;
    if (!text.empty()) text += ", ";
    text += name;
  }
  // Bits later revisions of the standard added still say something is wrong.
  if ((bits & ~named) != 0) {
    if (!text.empty()) text += ", ";
    char other[16];
    std::snprintf(other, sizeof other, "other (0x%02X)", bits);
    text += other;
  }
  return text.empty() ? "none" : text;
}

}  // namespace halvoric
