// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/drive_logs_report.h"

#include <iomanip>
#include <sstream>
#include <string>

namespace halvoric::cli {
namespace {

JsonValue Named(unsigned value, const std::string& text) {
  return JsonLine({{"value", value}, {"string", text}});
}

JsonValue AtaSelfTestData(const DriveLogs& logs) {
  const SelfTestState& state = *logs.SelfTest;
  JsonMembers status{{"value", unsigned{state.Value}}, {"string", state.Text}};
  if (state.Passed) status.emplace_back("passed", *state.Passed);
  if (state.PercentLeft) status.emplace_back("remaining_percent", *state.PercentLeft);
  JsonMembers minutes;
  const SelfTestAbilities& can = logs.Abilities;
  if (can.ShortMinutes) minutes.emplace_back("short", *can.ShortMinutes);
  if (can.ExtendedMinutes) minutes.emplace_back("extended", *can.ExtendedMinutes);
  if (can.ConveyanceMinutes) minutes.emplace_back("conveyance", *can.ConveyanceMinutes);
  JsonMembers selfTest{{"status", JsonLine(std::move(status))}};
  if (!minutes.empty()) selfTest.emplace_back("polling_minutes", JsonLine(std::move(minutes)));
  return JsonObject({{"self_test", JsonObject(std::move(selfTest))}});
}

JsonValue AtaSelfTestLogJson(const SelfTestLog& log) {
  JsonItems table;
  for (const SelfTestEntry& e : log.Entries) {
    JsonMembers status{{"value", unsigned{e.Result}}, {"string", e.ResultText}};
    if (e.Passed) status.emplace_back("passed", *e.Passed);
    JsonMembers row{{"type", Named(e.Type, e.TypeText)}, {"status", JsonLine(std::move(status))}};
    if (e.PercentLeft && *e.PercentLeft > 0) row.emplace_back("remaining_percent", *e.PercentLeft);
    row.emplace_back("lifetime_hours", e.LifetimeHours);
    if (e.FailingLba) row.emplace_back("lba", *e.FailingLba);
    table.push_back(JsonObject(std::move(row)));
  }
  return JsonObject({{"revision", unsigned{log.Revision}},
                     {"table", std::move(table)},
                     {"count", std::uint64_t{log.Entries.size()}},
                     {"error_count_total", std::uint64_t{log.FailedCount()}}});
}

JsonValue AtaErrorLogJson(const AtaErrorLog& log) {
  JsonMembers members{{"revision", unsigned{log.Revision}}, {"count", log.Count}};
  if (log.Count == 0) return JsonObject(std::move(members));
  JsonItems table;
  for (const AtaErrorEntry& e : log.Entries) {
    table.push_back(JsonObject({
        {"error_number", e.Number},
        {"lifetime_hours", e.LifetimeHours},
        {"completion_registers", JsonLine({{"error", unsigned{e.Error}},
                                           {"status", unsigned{e.Status}},
                                           {"count", unsigned{e.Count}},
                                           {"lba", e.Lba},
                                           {"device", unsigned{e.Device}}})},
        {"error_description", e.Description},
    }));
  }
  members.emplace_back("logged_count", std::uint64_t{log.Entries.size()});
  members.emplace_back("table", std::move(table));
  return JsonObject(std::move(members));
}

JsonValue NvmeSelfTestLogJson(const DriveLogs& logs) {
  const SelfTestState& state = *logs.SelfTest;
  static const char* const kOperations[] = {
      "No self-test in progress", "Short self-test in progress", "Extended self-test in progress"};
  const std::string operation =
      state.Value < std::size(kOperations) ? kOperations[state.Value] : "Vendor specific";
  JsonMembers members{{"current_self_test_operation", Named(state.Value, operation)}};
  if (state.PercentLeft) {
    members.emplace_back("current_self_test_completion_percent", 100 - *state.PercentLeft);
  }
  JsonItems table;
  for (const SelfTestEntry& e : logs.SelfTests->Entries) {
    JsonMembers row{{"self_test_code", Named(e.Type, e.TypeText)},
                    {"self_test_result", Named(e.Result, e.ResultText)},
                    {"power_on_hours", e.LifetimeHours}};
    if (e.FailingLba) row.emplace_back("lba", *e.FailingLba);
    table.push_back(JsonObject(std::move(row)));
  }
  members.emplace_back("table", std::move(table));
  return JsonObject(std::move(members));
}

JsonValue NvmeErrorLogJson(const NvmeErrorLog& log) {
  JsonItems table;
  for (const NvmeErrorEntry& e : log.Entries) {
    table.push_back(JsonLine({{"error_count", e.ErrorCount},
                              {"submission_queue_id", unsigned{e.SubmissionQueue}},
                              {"command_id", unsigned{e.CommandId}},
                              {"status_field", JsonLine({{"value", unsigned{e.StatusField}}})},
                              {"lba", JsonLine({{"value", e.Lba}})},
                              {"nsid", e.Namespace}}));
  }
  return JsonObject({{"read", std::uint64_t{log.Entries.size()}}, {"table", std::move(table)}});
}

std::string Hex(unsigned value, int digits) {
  std::ostringstream text;
  text << "0x" << std::hex << std::setw(digits) << std::setfill('0') << value;
  return text.str();
}

void PrintSelfTestLog(std::ostream& out, const char* title, const SelfTestLog& log) {
  out << title << (log.ChecksumOk ? "" : " (its checksum is wrong)") << ":\n";
  if (log.Entries.empty()) {
    out << "  no self-tests logged\n";
    return;
  }
  out << "  Num  Test                 Status                             Remaining  "
         "LifeTime(hours)  LBA_of_first_error\n";
  for (const auto& row : SelfTestRows(log)) {
    out << "  #" << std::left << std::setw(3) << row[0] << " " << std::setw(20) << row[1] << " "
        << std::setw(34) << row[2] << " " << std::right << std::setw(9) << row[3] << "  "
        << std::setw(15) << row[4] << "  " << row[5] << "\n";
  }
}

void PrintErrorLog(std::ostream& out, const char* title, const AtaErrorLog& log) {
  out << title << (log.ChecksumOk ? "" : " (its checksum is wrong)") << ": " << log.Count
      << (log.Count == 1 ? " error" : " errors") << "\n";
  for (const auto& row : AtaErrorRows(log)) {
    out << "  Error " << row[0] << " at " << row[1] << " hours: " << row[2] << " (" << row[3]
        << ")\n";
  }
}

}  // namespace

JsonMembers DriveLogMembers(const DriveLogs& logs) {
  JsonMembers members;
  if (logs.Source == TableSource::Nvme) {
    if (logs.SelfTest && logs.SelfTests) {
      members.emplace_back("nvme_self_test_log", NvmeSelfTestLogJson(logs));
    }
    if (logs.NvmeErrors) {
      members.emplace_back("nvme_error_information_log", NvmeErrorLogJson(*logs.NvmeErrors));
    }
    return members;
  }
  if (logs.SelfTest) members.emplace_back("ata_smart_data", AtaSelfTestData(logs));
  JsonMembers selfTests;
  if (logs.SelfTests) selfTests.emplace_back("standard", AtaSelfTestLogJson(*logs.SelfTests));
  if (logs.ExtendedSelfTests) {
    selfTests.emplace_back("extended", AtaSelfTestLogJson(*logs.ExtendedSelfTests));
  }
  if (!selfTests.empty()) {
    members.emplace_back("ata_smart_self_test_log", JsonObject(std::move(selfTests)));
  }
  JsonMembers errors;
  if (logs.Errors) errors.emplace_back("summary", AtaErrorLogJson(*logs.Errors));
  if (logs.ExtendedErrors) errors.emplace_back("extended", AtaErrorLogJson(*logs.ExtendedErrors));
  if (!errors.empty()) members.emplace_back("ata_smart_error_log", JsonObject(std::move(errors)));
  return members;
}

void PrintDriveLogs(std::ostream& out, const DriveLogs& logs) {
  out << "\nSelf-test: " << SelfTestNowText(logs) << "\n";
  if (logs.SelfTests) PrintSelfTestLog(out, "Self-test log", *logs.SelfTests);
  if (logs.ExtendedSelfTests) {
    PrintSelfTestLog(out, "Extended self-test log", *logs.ExtendedSelfTests);
  }
  if (logs.Errors) PrintErrorLog(out, "Error log", *logs.Errors);
  if (logs.ExtendedErrors) PrintErrorLog(out, "Extended error log", *logs.ExtendedErrors);
  if (logs.NvmeErrors) {
    out << "Error information log: " << logs.NvmeErrors->Entries.size() << " entries read\n";
    for (const auto& row : NvmeErrorRows(*logs.NvmeErrors)) {
      out << "  Error " << row[0] << ": queue " << row[1] << ", command " << row[2] << ", status "
          << row[3] << ", LBA " << row[4] << "\n";
    }
  }
}

LogRows SelfTestRows(const SelfTestLog& log) {
  LogRows rows;
  for (std::size_t i = 0; i < log.Entries.size(); ++i) {
    const SelfTestEntry& e = log.Entries[i];
    rows.push_back({std::to_string(i + 1), e.TypeText, e.ResultText,
                    std::to_string(e.PercentLeft.value_or(0)) + "%",
                    std::to_string(e.LifetimeHours),
                    e.FailingLba ? std::to_string(*e.FailingLba) : "-"});
  }
  return rows;
}

LogRows AtaErrorRows(const AtaErrorLog& log) {
  LogRows rows;
  for (const AtaErrorEntry& e : log.Entries) {
    rows.push_back({std::to_string(e.Number), std::to_string(e.LifetimeHours), e.Description,
                    "error " + Hex(e.Error, 2) + ", status " + Hex(e.Status, 2)});
  }
  return rows;
}

LogRows NvmeErrorRows(const NvmeErrorLog& log) {
  LogRows rows;
  for (const NvmeErrorEntry& e : log.Entries) {
    rows.push_back({std::to_string(e.ErrorCount), std::to_string(e.SubmissionQueue),
                    std::to_string(e.CommandId), Hex(e.StatusField, 1), std::to_string(e.Lba)});
  }
  return rows;
}

std::string SelfTestNowText(const DriveLogs& logs) {
  if (!logs.SelfTest) return "not reported";
  const SelfTestState& now = *logs.SelfTest;
  if (!now.Running) return "none running; the last one: " + now.Text;
  return (now.Kind.empty() ? std::string("a") : now.Kind) + " self-test running, " +
         std::to_string(now.PercentLeft.value_or(0)) + "% left";
}

void PrintSelfTestStarted(std::ostream& out, DriveNumber drive, const SelfTestStarted& started) {
  if (started.Action == SelfTestAction::Abort) {
    out << "The self-test on drive " << int(drive) << " was aborted.\n";
    return;
  }
  std::string word = SelfTestActionWord(started.Action);
  word.front() = static_cast<char>(word.front() - 'a' + 'A');
  out << word << " self-test started on drive " << int(drive);
  if (started.Minutes) {
    out << "; it takes about " << *started.Minutes
        << (*started.Minutes == 1 ? " minute" : " minutes");
  }
  out << ". 'halvoric-cli --drive " << int(drive) << "' shows its progress.\n";
}

}  // namespace halvoric::cli
