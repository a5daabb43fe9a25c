// halvoric-cli: the drive list and one drive's detail rows on the terminal,
// from this machine's drives or from a scenario of simulated drives.
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "drive/drive_number.h"
#include "drive/drive_reader.h"
#include "drive/sim/simulated_disks.h"
#include "platform/access_levels.h"
#include "tools/cli_output.h"
#include "tools/open_failures.h"

namespace halvoric::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoDrive = 2;

constexpr const char* kUsage = R"(Usage: halvoric-cli [--drive N] [--power] [--json] [--scenario FILE]

Lists the drives 0 to 3 as Halvoric's drive list shows them: ID, model,
temperature and S.M.A.R.T. status.

Options:
  --drive N        print the Disk Info and SMART Info rows of drive N instead
  --power          print the power mode of each drive (or of drive N) instead:
                   active, standby, sleep or unknown. Only CHECK POWER MODE
                   is sent, so a disk that has spun down stays spun down
  --json           print JSON, for scripts
  --scenario FILE  read the simulated drives of a scenario file (see
                   docs/scenarios.md) instead of this machine's drives
  --help           show this help

Drive N is the Nth whole disk of this machine (docs/drive-order.md).
Exit status: 0 fine, 1 usage error, 2 no drive could be read (none there, or
none that answered).
)";

struct Options {
  std::optional<DriveNumber> drive;
  bool json = false;
  bool power = false;
  std::optional<std::string> scenario;
};

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
    } else if (arg == "--scenario" && hasValue) {
      options.scenario = argv[++i];
    } else {
      return Failure{"unknown or incomplete option '" + arg + "'"};
    }
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

// What the disks backend knows about rights; absent for simulated drives.
struct SystemAccess {
  TieredDiskControl* tiers = nullptr;

  void ReportAtStart() const {
    if (!tiers) return;
    const AccessReport report = tiers->Report();
    if (!report.Message.empty()) std::cerr << "halvoric-cli: " << report.Message << "\n";
  }
};

int ListDrives(DriveReader& reader, OpenFailures& disks, const SystemAccess& access, bool json) {
  CollectingSinks rows;
  std::vector<ListedDrive> listed;
  bool anyAnswered = false;
  for (DriveNumber n = 0; n < kScannedDrives; ++n) {
    if (!reader.DriveExists(n)) {
      ExplainFailure(disks, n);
      continue;
    }
    DriveSummary summary;
    reader.GetDriveSummary(n, summary);
    const std::string model = reader.GetDriveModel(n);
    AddDriveRow(rows, n, model, summary);
    listed.push_back({rows.drives.back(), summary});
    if (model.empty()) {
      std::cerr << "halvoric-cli: drive " << int(n) << " did not answer IDENTIFY\n";
    } else {
      anyAnswered = true;
    }
  }
  access.ReportAtStart();
  PrintDriveList(std::cout, listed, json);
  // A drive that is there but answers nothing is no drive read: a script
  // must not take its "OK" for a healthy disk.
  return anyAnswered ? kExitOk : kExitNoDrive;
}

int ShowDrive(DriveReader& reader, OpenFailures& disks, const SystemAccess& access,
              DriveNumber drive, bool json) {
  CollectingSinks rows;
  const OpenResult probe = disks.Open(DevicePath(drive));
  if (!probe.Ok()) {
    ExplainFailure(disks, drive);
    std::cerr << "halvoric-cli: drive " << int(drive) << " could not be read\n";
    return kExitNoDrive;
  }
  disks.Close(*probe);
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
  access.ReportAtStart();
  PrintDetails(std::cout, drive, rows, json);
  if (!answered) {
    std::cerr << "halvoric-cli: drive " << int(drive) << " answered none of the commands\n";
    return kExitNoDrive;
  }
  return kExitOk;
}

// Asks each drive only its power mode: a drive that is there but cannot
// tell still counts as there.
int ShowPowerModes(DriveReader& reader, OpenFailures& disks, std::optional<DriveNumber> only,
                   bool json) {
  std::vector<DrivePower> listed;
  const unsigned first = only.value_or(0);
  const unsigned end = only ? first + 1 : kScannedDrives;
  for (unsigned number = first; number < end; ++number) {
    const auto n = static_cast<DriveNumber>(number);
    if (!reader.DriveExists(n)) {
      ExplainFailure(disks, n);
      continue;
    }
    listed.push_back({std::to_string(n), reader.CheckPowerMode(n)});
  }
  PrintPowerModes(std::cout, listed, json);
  if (only && listed.empty()) {
    std::cerr << "halvoric-cli: drive " << first << " could not be read\n";
  }
  return listed.empty() ? kExitNoDrive : kExitOk;
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
    backend = std::move(system);
  }
  OpenFailures disks(*backend);
  DriveReader reader(disks);
  if (options->power) return ShowPowerModes(reader, disks, options->drive, options->json);
  return options->drive ? ShowDrive(reader, disks, access, *options->drive, options->json)
                        : ListDrives(reader, disks, access, options->json);
}

}  // namespace
}  // namespace halvoric::cli

int main(int argc, char** argv) { return halvoric::cli::Run(argc, argv); }
