// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/verdict.h"

#include <algorithm>
#include <string>

#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

// The counts that say a disk is losing sectors, and the one that says its
// cable is: counted, but never a warning.
struct CountedDefect {
  TableSource Source;
  std::uint8_t Id;
  const char* Counted;
  bool Warns;
};
constexpr CountedDefect kCountedDefects[] = {
    {TableSource::Ata, 5, "reallocated sectors", true},
    {TableSource::Ata, 187, "reported uncorrectable errors", true},
    {TableSource::Ata, 197, "pending sectors", true},
    {TableSource::Ata, 198, "offline uncorrectable sectors", true},
    {TableSource::Ata, 199, "UDMA CRC errors (check the cable)", false},
    {TableSource::Nvme, kNvmeMediaErrorsId, "media errors", true},
};

std::string Named(const TableAttribute& attribute) {
  std::string name(attribute.Name);
  name.erase(name.find_last_not_of(' ') + 1);
  const bool unnamed = name.empty() || name.front() == '(';  // "(Unknown attribute)"
  return unnamed ? "Attribute " + std::to_string(attribute.Id) : name;
}

}  // namespace

void JudgeTables(const std::vector<TableAttribute>& attributes, TableSource source,
                 DriveSummary& summary) {
  std::vector<std::string> bad;
  std::vector<std::string> warn;
  std::vector<std::string> noted;
  summary.Counts.clear();
  for (const TableAttribute& attribute : attributes) {
    if (attribute.State == Status::Bad) {
      bad.push_back(Named(attribute) + " failing now");
      continue;
    }
    const auto counted = std::find_if(
        std::begin(kCountedDefects), std::end(kCountedDefects),
        [&](const CountedDefect& d) { return d.Source == source && d.Id == attribute.Id; });
    if (counted != std::end(kCountedDefects) && counted->Warns) {
      summary.Counts[attribute.Id] = attribute.Raw;
    }
    if (counted != std::end(kCountedDefects) && attribute.Raw > 0) {
      (counted->Warns ? warn : noted)
          .push_back(std::to_string(attribute.Raw) + " " + counted->Counted);
    }
    const bool failedBefore = source == TableSource::Ata && attribute.Threshold > 0 &&
                              attribute.Worst <= attribute.Threshold;
    if (failedBefore) warn.push_back(Named(attribute) + " failed in the past");
  }
  summary.Health = !bad.empty() ? Status::Bad : !warn.empty() ? Status::Warn : Status::Ok;
  summary.Reasons = std::move(bad);
  summary.Reasons.insert(summary.Reasons.end(), warn.begin(), warn.end());
  summary.Reasons.insert(summary.Reasons.end(), noted.begin(), noted.end());
}

std::optional<bool> DriveSaysFailing(const RegisterAnswer& answer) {
  if (answer.CylinderLow == kSmartCylinderLow && answer.CylinderHigh == kSmartCylinderHigh) {
    return false;
  }
  if (answer.CylinderLow == kSmartFailingCylinderLow &&
      answer.CylinderHigh == kSmartFailingCylinderHigh) {
    return true;
  }
  return std::nullopt;
}

void JudgeDrive(bool tablesRead, std::optional<bool> driveSaysFailing, DriveSummary& summary) {
  summary.DriveFailing = driveSaysFailing;
  if (driveSaysFailing == true) {
    summary.Health = Status::Bad;
    summary.Reasons.insert(summary.Reasons.begin(), "the drive says it is failing");
  } else if (!tablesRead) {
    summary.Health = Status::Unknown;
    summary.Reasons.clear();
  }
}

void JudgeLastSelfTest(std::optional<bool> latestPassed, DriveSummary& summary) {
  if (latestPassed != false) return;
  if (summary.Health != Status::Ok && summary.Health != Status::Warn) return;
  summary.Health = Status::Warn;
  summary.Reasons.push_back("last self-test failed");
}

}  // namespace halvoric
