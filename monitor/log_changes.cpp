// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/log_changes.h"

#include <algorithm>

#include "base/text_trim.h"
#include "base/utf8.h"

namespace halvoric {
namespace {

// The extended test's code in ATA's log (its subcommand, captive or not)
// and in NVMe's alike.
constexpr std::uint8_t kExtendedTest = 2;

bool PassedExtended(const SelfTestEntry& entry) {
  return entry.Passed == true && (entry.Type & 0x7F) == kExtendedTest;
}

bool SameTest(const KnownFailedSelfTest& known, const SelfTestEntry& entry) {
  return known.Hours == entry.LifetimeHours && known.Type == entry.Type &&
         known.Result == entry.Result && known.Lba == entry.FailingLba.value_or(0);
}

std::string FailureText(const SelfTestEntry& entry) {
  std::string text = entry.TypeText + " self-test failed";
  if (entry.FailingLba) text += " at LBA " + std::to_string(*entry.FailingLba);
  return text + " (" + entry.ResultText + ", at " + std::to_string(entry.LifetimeHours) + " hours)";
}

std::optional<std::uint64_t> ErrorCountOf(const DriveLogs& logs) {
  if (logs.Errors) return logs.Errors->Count;
  if (logs.ExtendedErrors) return logs.ExtendedErrors->Count;
  // An NVMe entry carries its number among all the drive's errors.
  if (logs.NvmeErrors) {
    return logs.NvmeErrors->Entries.empty() ? 0 : logs.NvmeErrors->Entries.front().ErrorCount;
  }
  return std::nullopt;
}

void CompareSelfTests(const std::string& drive, const SelfTestLog& log, bool baseline,
                      HealthRecord& record, LogChanges& changes) {
  std::vector<KnownFailedSelfTest> unmatched = std::move(record.FailedSelfTests);
  std::vector<KnownFailedSelfTest> known;
  bool supersededBelow = false;  // a newer entry is a passing extended test
  for (const SelfTestEntry& entry : log.Entries) {
    if (PassedExtended(entry)) supersededBelow = true;
    if (entry.Passed != false) continue;
    const auto seen = std::find_if(unmatched.begin(), unmatched.end(),
                                   [&](const auto& k) { return SameTest(k, entry); });
    KnownFailedSelfTest now{entry.LifetimeHours, entry.Type, entry.Result,
                            entry.FailingLba.value_or(0), supersededBelow};
    const std::string superseded =
        drive + FailureText(entry) + ", superseded by a later passing extended test";
    if (seen != unmatched.end()) {
      // Once said, a supersession is not said again.
      if (supersededBelow && !seen->Superseded) changes.Notes.push_back(superseded);
      unmatched.erase(seen);
    } else if (!baseline) {
      if (supersededBelow) {
        changes.Notes.push_back(superseded);
      } else {
        changes.Alerts.push_back(drive + FailureText(entry));
      }
    }
    known.push_back(now);
  }
  // Entries the log no longer holds are forgotten: it holds the newest.
  record.FailedSelfTests = std::move(known);
}

}  // namespace

std::string DriveNamed(DriveNumber n, const std::string& model, const std::string& serial) {
  return "drive " + std::to_string(n) + " (" + PrintableText(TrimControls(model)) + ", serial " +
         PrintableText(TrimControls(serial)) + ")";
}

LogChanges CompareLogs(const std::string& drive, const DriveLogs& logs, HealthRecord& record) {
  LogChanges changes;
  const SelfTestLog* selfTests = logs.SelfTests           ? &*logs.SelfTests
                                 : logs.ExtendedSelfTests ? &*logs.ExtendedSelfTests
                                                          : nullptr;
  const std::optional<std::uint64_t> errors = ErrorCountOf(logs);
  if (!selfTests && !errors) return changes;
  const bool baseline = !record.LogsRead;
  record.LogsRead = true;
  if (selfTests) CompareSelfTests(drive, *selfTests, baseline, record, changes);
  if (errors) {
    // A count the record lacks is a first reading; one that fell belongs
    // to a drive whose log was cleared, the baseline from now on.
    if (record.ErrorCount && *errors > *record.ErrorCount) {
      changes.Alerts.push_back(drive + "error log count " + std::to_string(*record.ErrorCount) +
                               " -> " + std::to_string(*errors));
    }
    record.ErrorCount = errors;
  }
  return changes;
}

}  // namespace halvoric
