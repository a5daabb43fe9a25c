// SPDX-License-Identifier: GPL-3.0-or-later
// halvoric-cli: the drive list and one drive's detail rows on the terminal,
// from this machine's drives or from a scenario of simulated drives.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/staged_file.h"
#include "base/text_trim.h"
#include "base/utf8.h"
#include "disks/access_levels.h"
#include "disks/whole_disks.h"
#include "drive/drive_database_files.h"
#include "drive/drive_logs.h"
#include "drive/drive_number.h"
#include "drive/drive_reader.h"
#include "drive/drive_record.h"
#include "drive/series_deadline.h"
#include "drive/sim/simulated_disks.h"
#include "report/cli_output.h"
#include "report/drive_json.h"
#include "report/drive_logs_report.h"
#include "report/open_failures.h"
#include "report/prometheus_text.h"

namespace halvoric::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoDrive = 2;
constexpr int kExitNotWritten = 3;
constexpr int kExitDriveBad = 4;
constexpr int kExitDriveWarns = 5;
constexpr int kExitSelfTestRefused = 6;

constexpr const char* kUsage =
    R"(Usage: halvoric-cli [--drive N] [--power] [--json] [--scenario FILE]
       halvoric-cli --self-test short|extended|conveyance|abort --drive N
                    [--scenario FILE]
       halvoric-cli --prometheus FILE [--scenario FILE]

Lists every whole disk of this machine (up to 256, drive numbers 0 to 255)
as Halvoric's drive list shows them: ID, model, temperature and S.M.A.R.T.
status.

Options:
  --drive N        print the Disk Info and SMART Info rows of drive N instead,
                   with its self-test (kind and percentage left while one
                   runs), its self-test log and its error log
  --self-test KIND start a self-test of drive N in the drive's background,
                   print how long the drive says it takes, and exit; 'abort'
                   ends the one that runs. Only a test the drive supports,
                   and never while another runs
  --power          print the power mode of each drive (or of drive N) instead:
                   active, standby, sleep or unknown. Only CHECK POWER MODE
                   is sent, so a disk that has spun down stays spun down; a
                   disk the kernel has runtime-suspended reads standby and
                   is not opened
  --json           print JSON, for scripts (docs/cli-json.md)
  --prometheus FILE
                   write every drive's figures to FILE in Prometheus' text
                   format, for node_exporter's textfile collector, replacing
                   FILE whole (docs/fleet.md). A disk in standby or asleep,
                   or one the kernel has runtime-suspended, is not woken:
                   the file says which mode it is in
  --scenario FILE  read the simulated drives of a scenario file (see
                   docs/scenarios.md) instead of this machine's drives
  --help           show this help

Drive N is the Nth whole disk of this machine (docs/drive-order.md).
Exit status: 0 fine, 1 usage error, 2 no drive could be read (none there, or
none that answered), 3 the --prometheus file could not be written, 4 a drive
listed reads BAD, 5 a drive listed reads WARN and none BAD, 6 the self-test
was not started or aborted (the message says why).
)";

struct Options {
  std::optional<DriveNumber> drive;
  bool json = false;
  bool power = false;
  std::optional<std::string> scenario;
  std::optional<std::string> prometheus;
  std::optional<SelfTestAction> selfTest;
};

std::optional<SelfTestAction> ParseSelfTestAction(const std::string& word) {
  for (const SelfTestAction action : {SelfTestAction::Short, SelfTestAction::Extended,
                                      SelfTestAction::Conveyance, SelfTestAction::Abort}) {
    if (word == SelfTestActionWord(action)) return action;
  }
  return std::nullopt;
}

// `help` is set when --help comes before any mistake.
Result<Options> ParseOptions(int argc, char** argv, bool& help) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--power") {
      options.power = true;
    } else if (arg == "--drive" && hasValue) {
      options.drive = ParseDriveNumberText(argv[++i]);
      if (!options.drive) return Failure{"--drive takes a drive number from 0 to 255"};
    } else if (arg == "--self-test" && hasValue) {
      options.selfTest = ParseSelfTestAction(argv[++i]);
      if (!options.selfTest) {
        return Failure{"--self-test takes short, extended, conveyance or abort"};
      }
    } else if (arg == "--scenario" && hasValue) {
      options.scenario = argv[++i];
    } else if (arg == "--prometheus" && hasValue) {
      options.prometheus = argv[++i];
      if (options.prometheus->empty()) return Failure{"--prometheus takes a file name"};
    } else {
      return Failure{"unknown or incomplete option '" + arg + "'"};
    }
  }
  if (options.prometheus && (options.drive || options.json || options.power)) {
    return Failure{"--prometheus writes every drive's figures and goes with --scenario alone"};
  }
  if (options.selfTest && (!options.drive || options.json || options.power)) {
    return Failure{"--self-test needs --drive N and goes with --scenario alone"};
  }
  return options;
}

void ExplainFailure(const OpenFailures& disks, DriveNumber drive) {
  const OpenResult* failure = disks.FailureOf(DevicePath(drive));
  if (!failure || failure->Kind == OpenError::NotFound) return;
  std::cerr << "halvoric-cli: drive " << int(drive) << " cannot be opened: " << failure->Message
            << "\n";
  if (failure->Kind == OpenError::PermissionDenied) {
    std::cerr << "halvoric-cli: reading S.M.A.R.T. data needs the right to send ATA commands "
                 "(root, or halvoric-ata installed by the install step; docs/access-levels.md)\n";
  }
}

// What the disks backend knows about rights and disk nodes; absent for
// simulated drives.
struct SystemAccess {
  TieredDiskControl* tiers = nullptr;
  std::vector<std::string> disks;  // kernel names in drive-number order

  DeviceNode NodeOf(DriveNumber n) const {
    if (n >= disks.size()) return std::nullopt;
    return "/dev/" + disks[n];
  }

  std::string DeviceLabel(DriveNumber n) const {
    if (!tiers) return SimulatedDeviceName(n);
    return WholeDiskName(disks, n);
  }

  void ReportAtStart() const {
    if (!tiers) return;
    const AccessReport report = tiers->Report();
    if (!report.Message.empty()) std::cerr << "halvoric-cli: " << report.Message << "\n";
  }
};

// Every drive number there may be a drive at; says once on stderr which
// disks lie beyond the numbers.
std::vector<DriveNumber> ScannedDrives(const DiskControl& disks) {
  const std::string unnumbered = UnnumberedDisksText(disks.DriveCount());
  if (!unnumbered.empty()) std::cerr << "halvoric-cli: " << unnumbered << "\n";
  std::vector<DriveNumber> numbers(ScannedDriveCount(disks));
  for (std::size_t n = 0; n < numbers.size(); ++n) numbers[n] = static_cast<DriveNumber>(n);
  return numbers;
}

void PrintJson(const JsonValue& document) {
  document.Print(std::cout);
  std::cout << "\n";
}

int ListDrives(DriveReader& reader, OpenFailures& disks, const SystemAccess& access, bool json) {
  CollectingSinks rows;
  std::vector<RecordedDrive> recorded;
  bool anyRead = false;
  for (const DriveNumber n : ScannedDrives(disks)) {
    DriveRecord record = ReadDriveRecord(reader, n, access.tiers);
    if (record.OpenFailure != OpenError::None) {
      ExplainFailure(disks, n);
      // A drive there but closed to this user is listed, unread.
      if (record.OpenFailure != OpenError::NotFound) {
        AddDriveRow(rows, n, record.Model.value_or(""), record.Summary);
        recorded.push_back({std::move(record), access.NodeOf(n)});
      }
      continue;
    }
    const std::string model = record.Model.value_or("");
    const bool identified = !TrimControls(model).empty();
    AddDriveRow(rows, n, model, record.Summary);
    if (!identified) {
      std::cerr << "halvoric-cli: drive " << int(n) << " did not answer IDENTIFY\n";
    }
    anyRead = anyRead || identified || record.SmartRead;
    recorded.push_back({std::move(record), access.NodeOf(n)});
  }
  access.ReportAtStart();
  if (json) {
    PrintJson(DriveListDocument(recorded));
  } else {
    PrintDriveList(std::cout, rows.drives);
  }
  // A drive that is there but answers nothing is no drive read: a script
  // must not take its row for a healthy disk.
  if (!anyRead) {
    std::cerr << "halvoric-cli: no drive could be read\n";
    return kExitNoDrive;
  }
  const auto reads = [&rows](Status state) {
    return std::any_of(rows.drives.begin(), rows.drives.end(),
                       [state](const DriveListRow& row) { return row.State == state; });
  };
  if (reads(Status::Bad)) return kExitDriveBad;
  return reads(Status::Warn) ? kExitDriveWarns : kExitOk;
}

// The Disk Info and SMART Info pages of an opened drive, with only the
// figures its level reports. False when the drive answered nothing.
bool ReadDetailRows(DriveReader& reader, const SystemAccess& access, DriveNumber drive,
                    CollectingSinks& rows) {
  AccessLevel level = AccessLevel::Unknown;
  if (access.tiers) {
    level = access.tiers->LevelOf(drive);
    ReportedFigureRows shown(level, rows, rows);
    reader.ReadDriveDetails(drive, shown, shown);
  } else {
    reader.ReadDriveDetails(drive, rows, rows);
  }
  const bool answered = !rows.diskInfo.empty() || !rows.smartInfo.empty();
  if (access.tiers) rows.AppendDiskInfoRow(AccessSourceRow(level));
  return answered;
}

int ShowDrive(DriveReader& reader, OpenFailures& disks, const SystemAccess& access,
              DriveNumber drive, bool json) {
  CollectingSinks rows;
  std::optional<RecordedDrive> recorded;
  bool opened = false;
  if (json) {
    // First, so that the power mode is the drive's before this read.
    recorded = RecordedDrive{ReadDriveRecord(reader, drive, access.tiers), access.NodeOf(drive)};
    opened = recorded->Record.OpenFailure == OpenError::None;
  } else {
    opened = DriveExists(disks, drive);
  }
  if (!opened) {
    ExplainFailure(disks, drive);
    std::cerr << "halvoric-cli: drive " << int(drive) << " could not be read\n";
    if (recorded && recorded->Record.OpenFailure != OpenError::NotFound) {
      PrintJson(DriveDetailsDocument(*recorded, {}));
    }
    return kExitNoDrive;
  }
  const bool answered = ReadDetailRows(reader, access, drive, rows);
  const DriveLogs logs = ReadDriveLogs(reader, drive);
  access.ReportAtStart();
  if (recorded) {
    JsonValue::Object document = DriveDetailsDocument(*recorded, rows.diskInfo);
    for (auto& member : DriveLogMembers(logs)) document.Members.push_back(std::move(member));
    PrintJson(document);
  } else {
    PrintDetails(std::cout, drive, rows);
    if (answered) PrintDriveLogs(std::cout, logs);
  }
  if (!answered) {
    std::cerr << "halvoric-cli: drive " << int(drive) << " answered none of the commands\n";
    return kExitNoDrive;
  }
  return kExitOk;
}

// Asks each drive only its power mode: a drive that is there but cannot
// tell still counts as there.
int ShowPowerModes(DriveReader& reader, OpenFailures& disks, const SystemAccess& access,
                   std::optional<DriveNumber> only, bool json) {
  std::vector<PoweredDrive> listed;
  const unsigned first = only.value_or(0);
  const unsigned end = only ? first + 1 : ScannedDriveCount(disks);
  for (unsigned number = first; number < end; ++number) {
    const auto n = static_cast<DriveNumber>(number);
    if (!reader.DriveExists(n)) {
      ExplainFailure(disks, n);
      continue;
    }
    listed.push_back({n, access.NodeOf(n), reader.CheckPowerMode(n)});
  }
  if (json) {
    PrintJson(PowerModesDocument(listed));
  } else {
    std::vector<DrivePower> shown;
    for (const PoweredDrive& drive : listed)
      shown.push_back({std::to_string(drive.Number), drive.Mode});
    PrintPowerModes(std::cout, shown);
  }
  if (only && listed.empty()) {
    std::cerr << "halvoric-cli: drive " << first << " could not be read\n";
  }
  return listed.empty() ? kExitNoDrive : kExitOk;
}

// Every drive there, read without waking a spun-down disk, in one file that
// replaces the old one whole: node_exporter may read it at any moment.
int WritePrometheus(DriveReader& reader, OpenFailures& disks, const SystemAccess& access,
                    const std::string& file) {
  std::vector<LabelledRecord> drives;
  bool anyRead = false;
  for (const DriveNumber n : ScannedDrives(disks)) {
    DriveRecord record =
        ReadDriveRecord(reader, n, access.tiers, SleepingDrive::Leave, RecordLogs::Read);
    if (record.OpenFailure == OpenError::NotFound) continue;
    if (record.OpenFailure != OpenError::None) ExplainFailure(disks, n);
    // A disk left asleep was read as far as it should be.
    const bool identified = record.Model && !TrimControls(*record.Model).empty();
    anyRead = anyRead || record.LeftAsleep || record.SmartRead || identified;
    drives.push_back({access.DeviceLabel(n), std::move(record)});
  }
  access.ReportAtStart();
  const Result<> written = ReplaceFile(file, PrometheusText(drives), LinkRule::ReplaceName);
  if (!written.Ok()) {
    std::cerr << "halvoric-cli: cannot write " << file << ": " << written.Message << "\n";
    return kExitNotWritten;
  }
  return anyRead ? kExitOk : kExitNoDrive;
}

int RunSelfTestCommand(DriveReader& reader, OpenFailures& disks, DriveNumber drive,
                       SelfTestAction action) {
  const Result<SelfTestStarted> started = RunSelfTest(reader, drive, action);
  if (!started.Ok()) {
    ExplainFailure(disks, drive);
    std::cerr << "halvoric-cli: " << started.Message << "\n";
    return kExitSelfTestRefused;
  }
  PrintSelfTestStarted(std::cout, drive, *started);
  return kExitOk;
}

int Run(int argc, char** argv) {
  bool help = false;
  const Result<Options> options = ParseOptions(argc, argv, help);
  if (!options.Ok()) std::cerr << "halvoric-cli: " << options.Message << "\n";
  if (help) {
    std::cout << kUsage;
    return kExitOk;
  }
  if (!options.Ok()) {
    std::cerr << "Try 'halvoric-cli --help'.\n";
    return kExitUsage;
  }

  std::unique_ptr<DiskControl> backend;
  SystemAccess access;
  if (options->scenario) {
    Result<sim::Scenario> scenario = sim::LoadScenario(*options->scenario);
    if (!scenario.Ok()) {
      std::cerr << "halvoric-cli: " << scenario.Message << "\n";
      return kExitUsage;
    }
    backend = std::make_unique<sim::SimulatedDisks>(std::move(*scenario));
  } else {
    std::unique_ptr<TieredDiskControl> system = MakeSystemDiskControl();
    access.tiers = system.get();
    access.disks = ListWholeDisks("/sys");
    backend = std::move(system);
  }
  // The timer's run must end, and write the drives that answer, even when
  // one of sixty hangs: its series is cut at the deadline.
  std::optional<SeriesDeadline> deadline;
  DiskControl* control = backend.get();
  if (options->prometheus) {
    control = &deadline.emplace(
        *backend, kSeriesDeadline,
        [said = std::set<DriveNumber>()](DriveNumber n, bool overran) mutable {
          if (overran && said.insert(n).second) {
            std::cerr << "halvoric-cli: drive " << std::to_string(n) << " did not answer within "
                      << kSeriesDeadline.count() / 1000 << " s; its figures are left out\n";
          }
        });
  }
  OpenFailures disks(*control);
  DriveReader reader(disks);
  std::shared_ptr<const DriveDatabase> database = LoadDriveDatabase(DriveDatabasePaths());
  if (database) {
    for (const std::string& why : database->Skipped) {
      std::cerr << "halvoric-cli: drive database entry skipped: " << PrintableText(why) << "\n";
    }
  }
  reader.UseDatabase(std::move(database));
  if (options->prometheus) return WritePrometheus(reader, disks, access, *options->prometheus);
  if (options->selfTest) {
    return RunSelfTestCommand(reader, disks, *options->drive, *options->selfTest);
  }
  if (options->power) return ShowPowerModes(reader, disks, access, options->drive, options->json);
  return options->drive ? ShowDrive(reader, disks, access, *options->drive, options->json)
                        : ListDrives(reader, disks, access, options->json);
}

}  // namespace
}  // namespace halvoric::cli

int main(int argc, char** argv) { return halvoric::cli::Run(argc, argv); }
