// SPDX-License-Identifier: GPL-3.0-or-later
// NVMe drives read with rights: the translation of Identify Controller and
// the health log into the series' blocks, the two admin commands that reach
// the kernel, and how the levels show the figures that were filled in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disks/access_levels.h"
#include "disks/linux_disk_control.h"
#include "disks/sysfs_disk_control.h"
#include "drive/attributes.h"
#include "drive/collecting_sinks.h"
#include "drive/drive_reader.h"
#include "drive/drive_record.h"
#include "drive/health_reading.h"
#include "drive/nvme_figures.h"
#include "drive/nvme_translation.h"
#include "helper/helper_session.h"
#include "tests/disks/fake_sysfs.h"

namespace halvoric {
namespace {

void Put(std::uint8_t* at, const std::string& text) { std::memcpy(at, text.data(), text.size()); }

void PutCounter(NvmeHealthLog& log, std::size_t offset, std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i) log[offset + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

void PutKelvin(NvmeIdentifyData& data, std::size_t offset, int kelvin) {
  data[offset] = static_cast<std::uint8_t>(kelvin);
  data[offset + 1] = static_cast<std::uint8_t>(kelvin >> 8);
}

// Odd lengths and mixed case, so that a missing or doubled swap shows.
NvmeIdentifyData Controller() {
  NvmeIdentifyData data{};
  Put(data.data() + kNvmeSerial, "nvSer1al9           ");
  Put(data.data() + kNvmeModel, "HalVoric NVMe Qx7                       ");
  Put(data.data() + kNvmeFirmware, "1.2b    ");
  PutKelvin(data, kNvmeWarningTemperature, 343);   // 70 °C
  PutKelvin(data, kNvmeCriticalTemperature, 358);  // 85 °C
  return data;
}

NvmeHealthLog Health(int kelvin) {
  NvmeHealthLog log{};
  log[kNvmeCompositeTemperature] = static_cast<std::uint8_t>(kelvin);
  log[kNvmeCompositeTemperature + 1] = static_cast<std::uint8_t>(kelvin >> 8);
  log[kNvmeAvailableSpare] = 97;
  log[kNvmeSpareThreshold] = 10;
  log[kNvmePercentageUsed] = 3;
  PutCounter(log, kNvmeDataUnitsRead, 0x010203);  // 66051
  PutCounter(log, kNvmeDataUnitsWritten, 4096);
  PutCounter(log, kNvmePowerCycles, 0x0102);  // 258
  PutCounter(log, kNvmePowerOnHours, 0x030201);
  PutCounter(log, kNvmeUnsafeShutdowns, 7);
  PutCounter(log, kNvmeMediaErrors, 0);
  PutCounter(log, kNvmeErrorLogEntries, 12);
  log[kNvmeWarningTempTime] = 0x2C;  // 300 minutes
  log[kNvmeWarningTempTime + 1] = 0x01;
  log[kNvmeCriticalTempTime] = 5;
  return log;
}

// Answers Identify and Get Log Page from the test's buffers and records
// every command that reached it.
struct FakeNvmeAdmin final : NvmeAdmin {
  int Submit(int, nvme_admin_cmd& command) override {
    seen.push_back(command);
    auto* into = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(command.addr));
    if (command.opcode == 0x06) std::memcpy(into, controller.data(), command.data_len);
    if (command.opcode == 0x02) std::memcpy(into, log.data(), command.data_len);
    return result;
  }
  NvmeIdentifyData controller = Controller();
  NvmeHealthLog log = Health(313);
  int result = 0;
  std::vector<nvme_admin_cmd> seen;
};

struct NoSgIo final : SgIo {
  int Submit(int, sg_io_hdr_t&) override {
    ++calls;
    return -1;
  }
  int calls = 0;
};

class NvmeTest : public ::testing::Test {
 protected:
  NvmeTest() {
    tree.AddDisk("nvme0n1");
    auto admin = std::make_unique<FakeNvmeAdmin>();
    nvme = admin.get();
    auto sgIo = std::make_unique<NoSgIo>();
    sg = sgIo.get();
    control = std::make_unique<LinuxDiskControl>(tree.Sys(), tree.Dev(), std::move(sgIo),
                                                 std::move(admin));
  }

  test::FakeSysfs tree;
  FakeNvmeAdmin* nvme = nullptr;
  NoSgIo* sg = nullptr;
  std::unique_ptr<LinuxDiskControl> control;
};

TEST_F(NvmeTest, DetailReadShowsIdentityAndHealthRows) {
  DriveReader reader(*control);
  CollectingSinks rows;
  ReportedFigureRows shown(AccessLevel::Nvme, rows, rows);
  reader.ReadDriveDetails("0", shown, shown);

  ASSERT_EQ(rows.diskInfo.size(), 16u);
  EXPECT_EQ(rows.diskInfo[0].Value, "S.M.A.R.T supported");
  EXPECT_EQ(rows.diskInfo[1].Value, "-");  // NVMe drives have no geometry
  EXPECT_EQ(rows.diskInfo[10].Value, "HalVoric NVMe Qx7                       ");
  EXPECT_EQ(rows.diskInfo[11].Value, "1.2b    ");
  EXPECT_EQ(rows.diskInfo[12].Value, "nvSer1al9           ");
  const std::pair<const char*, const char*> limits[] = {{"Warning temperature",
                                                         "70\xC2\xB0"
                                                         "C"},
                                                        {"Critical temperature",
                                                         "85\xC2\xB0"
                                                         "C"},
                                                        {"Critical warning", "none"}};
  for (std::size_t i = 0; i < std::size(limits); ++i) {
    EXPECT_EQ(rows.diskInfo[13 + i].Caption, limits[i].first);
    EXPECT_EQ(rows.diskInfo[13 + i].Value, limits[i].second);
  }

  const struct {
    const char* id;
    const char* name;
    const char* threshold;
    const char* value;
    const char* raw;
  } expected[] = {
      {"64", "Critical Warning        ", "-", "-", "0"},
      {"C2", "Temperature             ", "-", "-", "40"},
      {"60", "Available Spare         ", "10", "97", "97"},
      {"61", "Percentage Used         ", "-", "-", "3"},
      {"68", "Data Units Read         ", "-", "-", "66051"},
      {"69", "Data Units Written      ", "-", "-", "4096"},
      {"0C", "Power Cycle Count       ", "-", "-", "258"},
      {"09", "Power On Hours Count    ", "-", "-", "197121"},
      {"62", "Unsafe Shutdowns        ", "-", "-", "7"},
      {"63", "Media and Data Integrity Errors", "-", "-", "0"},
      {"65", "Error Information Log Entries", "-", "-", "12"},
      {"66", "Warning Composite Temperature Time", "-", "-", "300"},
      {"67", "Critical Composite Temperature Time", "-", "-", "5"},
  };
  ASSERT_EQ(rows.smartInfo.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(rows.smartInfo[i].Id, expected[i].id) << i;
    EXPECT_EQ(rows.smartInfo[i].Name, expected[i].name) << i;
    EXPECT_EQ(rows.smartInfo[i].Threshold, expected[i].threshold) << i;
    EXPECT_EQ(rows.smartInfo[i].Value, expected[i].value) << i;
    EXPECT_EQ(rows.smartInfo[i].Worst, "-") << i;
    EXPECT_EQ(rows.smartInfo[i].Raw, expected[i].raw) << i;
    EXPECT_EQ(rows.smartInfo[i].State, Status::Ok) << i;
  }
  EXPECT_EQ(sg->calls, 0);
}

TEST_F(NvmeTest, OnlyIdentifyControllerAndTheHealthLogReachTheDrive) {
  DriveReader reader(*control);
  DriveSummary summary;
  reader.GetDriveSummary(0, summary);
  EXPECT_EQ(summary.Temperature, 40);
  EXPECT_EQ(summary.Threshold, 85);  // the drive's critical temperature
  EXPECT_EQ(summary.Limits, (TemperatureLimits{70, 85, std::nullopt, std::nullopt}));

  // IDENTIFY, then READ DATA and READ THRESHOLDS each read the log.
  ASSERT_EQ(nvme->seen.size(), 3u);
  EXPECT_EQ(nvme->seen[0].opcode, 0x06);
  EXPECT_EQ(nvme->seen[0].cdw10, 0x01u);
  EXPECT_EQ(nvme->seen[0].nsid, 0u);
  EXPECT_EQ(nvme->seen[0].data_len, 4096u);
  for (std::size_t i : {1u, 2u}) {
    EXPECT_EQ(nvme->seen[i].opcode, 0x02);
    EXPECT_EQ(nvme->seen[i].cdw10, 0x007F0002u);  // 128 dwords of log page 02h
    EXPECT_EQ(nvme->seen[i].nsid, 0xFFFFFFFFu);
    EXPECT_EQ(nvme->seen[i].data_len, 512u);
  }

  // The JSON record of the same drive carries its limits.
  const DriveRecord record = ReadDriveRecord(reader, 0, nullptr);
  EXPECT_EQ(record.DriveWarning, 70);
  EXPECT_EQ(record.DriveCritical, 85);
  ASSERT_FALSE(record.Attributes.empty());
  EXPECT_EQ(record.Attributes[0].Name, "Critical Warning        ");
}

// No admin command tells an NVMe drive's power state in ATA's terms: the
// check sends nothing and the drive is read as ever.
TEST_F(NvmeTest, PowerCheckSendsNothingAndIsUnknown) {
  DriveReader reader(*control);
  EXPECT_EQ(reader.CheckPowerMode(0), PowerMode::Unknown);
  EXPECT_TRUE(nvme->seen.empty());
  EXPECT_EQ(sg->calls, 0);
}

TEST_F(NvmeTest, FailedAdminCommandsLeaveNoData) {
  for (int result : {1, -1}) {  // the drive's error status; the kernel's refusal
    nvme->result = result;
    DriveReader reader(*control);
    EXPECT_EQ(reader.GetDriveModel(0), "");
    DriveSummary summary;
    reader.GetDriveSummary(0, summary);
    EXPECT_EQ(summary.Temperature, NoTemperature);
    CollectingSinks rows;
    reader.ReadDriveDetails("0", rows, rows);
    EXPECT_TRUE(rows.smartInfo.empty());
  }
}

// Health logs made from the log layout, one fault each: the row the drive
// blames reads BAD by NVMe's rule, and so do the drive's summary and the
// health watch's reading; the spare at its threshold (QEMU's 0 % and 0 %)
// is not below it. Media errors warn: the drive still works.
TEST_F(NvmeTest, RowsAreJudgedByNvmesRules) {
  const struct {
    const char* what;
    std::size_t offset;
    std::uint8_t byte;
    const char* bad;  // the ID of the row that reads BAD, or none
    const char* warning;
    bool warns = false;  // the drive reads WARN
  } cases[] = {
      {"healthy", kNvmeCriticalWarning, 0, nullptr, "none"},
      {"spare 10 at its threshold 10", kNvmeAvailableSpare, 10, nullptr, "none"},
      {"spare 9 below its threshold 10", kNvmeAvailableSpare, 9, "60", "none"},
      {"spare below threshold", kNvmeCriticalWarning, 0x01, "64", "spare below threshold"},
      {"temperature", kNvmeCriticalWarning, 0x02, "64", "temperature"},
      {"reliability", kNvmeCriticalWarning, 0x04, "64", "reliability degraded"},
      {"read-only", kNvmeCriticalWarning, 0x08, "64", "read-only"},
      {"backup", kNvmeCriticalWarning, 0x10, "64", "volatile backup failed"},
      {"a later bit", kNvmeCriticalWarning, 0x20, "64", "other (0x20)"},
      {"two bits", kNvmeCriticalWarning, 0x0A, "64", "temperature, read-only"},
      {"used 99 %", kNvmePercentageUsed, 99, nullptr, "none"},
      {"used 100 %", kNvmePercentageUsed, 100, "61", "none"},
      {"used 101 %", kNvmePercentageUsed, 101, "61", "none"},
      {"used 255 %", kNvmePercentageUsed, 255, "61", "none"},
      {"a media error", kNvmeMediaErrors, 1, nullptr, "none", true},
      {"errors logged, unsafe shutdowns", kNvmeErrorLogEntries, 200, nullptr, "none"},
  };
  for (const auto& c : cases) {
    nvme->log = Health(313);
    nvme->log[c.offset] = c.byte;
    DriveReader reader(*control);
    CollectingSinks rows;
    reader.ReadDriveDetails("0", rows, rows);
    for (const SmartInfoRow& row : rows.smartInfo) {
      const bool blamed = c.bad != nullptr && row.Id == c.bad;
      EXPECT_EQ(row.State, blamed ? Status::Bad : Status::Ok) << c.what << ", row " << row.Id;
    }
    ASSERT_FALSE(rows.diskInfo.empty()) << c.what;
    EXPECT_EQ(rows.diskInfo.back().Caption, "Critical warning") << c.what;
    EXPECT_EQ(rows.diskInfo.back().Value, c.warning) << c.what;

    DriveSummary summary;
    reader.GetDriveSummary(0, summary);
    EXPECT_EQ(summary.Health, c.bad ? Status::Bad : c.warns ? Status::Warn : Status::Ok) << c.what;
    // The record the command-line tool's JSON is written from agrees.
    const DriveRecord record = ReadDriveRecord(reader, 0, nullptr);
    EXPECT_EQ(record.Passed(), c.bad == nullptr) << c.what;
    EXPECT_EQ(record.Summary.Health, summary.Health) << c.what;
    for (const AttributeRecord& attribute : record.Attributes) {
      EXPECT_EQ(attribute.State,
                c.bad && attribute.Id == std::stoi(c.bad, nullptr, 16) ? Status::Bad : Status::Ok)
          << c.what << ", ID " << int(attribute.Id);
    }
    const std::optional<HealthReading> reading = ReadHealth(reader, 0);
    ASSERT_TRUE(reading) << c.what;
    for (const AttributeReading& attribute : reading->Attributes) {
      EXPECT_EQ(attribute.State,
                c.bad && attribute.Id == std::stoi(c.bad, nullptr, 16) ? Status::Bad : Status::Ok)
          << c.what << ", ID " << int(attribute.Id);
    }
  }
}

// A controller that names no limits (0 K) gets no limit rows and keeps the
// summary's threshold as the table has it; one naming only the critical
// temperature shows that alone.
TEST_F(NvmeTest, AbsentLimitsShowNoRow) {
  const struct {
    int warningKelvin;
    int criticalKelvin;
    std::vector<std::string> captions;
    std::int32_t threshold;
  } cases[] = {
      {0, 0, {}, 0},
      {0, 373, {"Critical temperature"}, 100},
      {343, 0, {"Warning temperature"}, 0},
  };
  for (const auto& c : cases) {
    PutKelvin(nvme->controller, kNvmeWarningTemperature, c.warningKelvin);
    PutKelvin(nvme->controller, kNvmeCriticalTemperature, c.criticalKelvin);
    DriveReader reader(*control);
    CollectingSinks rows;
    reader.ReadDriveDetails("0", rows, rows);
    std::vector<std::string> captions;
    for (const DiskInfoRow& row : rows.diskInfo) {
      if (row.Caption.find("temperature") != std::string::npos) captions.push_back(row.Caption);
    }
    EXPECT_EQ(captions, c.captions) << c.warningKelvin << " " << c.criticalKelvin;
    DriveSummary summary;
    reader.GetDriveSummary(0, summary);
    EXPECT_EQ(summary.Threshold, c.threshold) << c.warningKelvin << " " << c.criticalKelvin;
  }
}

TEST(NvmeTranslationTest, TemperatureEntryKeepsTheSummaryWorking) {
  const struct {
    int kelvin;
    int temperature;  // as the summary has it
    std::uint8_t raw0;
  } cases[] = {
      {313, 40, 40},
      {273 + 100, 100, 100},
      {273 + 101, 101, 101},  // raw above 100: the summary takes the value, also 101
      {0, 1, 0},              // no reading: raw 0, the made-up lowest value
      {250, 1, 0},            // below 0 °C
  };
  for (const auto& c : cases) {
    std::uint8_t data[kSectorSize];
    NvmeHealthToAttributes(Health(c.kelvin), data);
    const AttributeEntry entry = AttributeAt(data, 1);
    EXPECT_EQ(entry.Id, kTemperatureAttribute) << c.kelvin;
    EXPECT_EQ(entry.Raw[0], c.raw0) << c.kelvin;

    std::uint8_t thresholds[kSectorSize];
    NvmeHealthToThresholds(Health(c.kelvin), thresholds);
    EXPECT_EQ(DecodeDriveSummary(data, thresholds).Temperature, c.temperature) << c.kelvin;
  }
}

TEST(NvmeTranslationTest, CountersTooLargeForTheRawValueStayAtItsTop) {
  const struct {
    std::uint64_t low;
    std::uint8_t high;  // byte 8 of the 16-byte counter
    std::uint8_t raw[6];
  } cases[] = {
      {0x0000'A1B2'C3D4'E5F6, 0, {0xF6, 0xE5, 0xD4, 0xC3, 0xB2, 0xA1}},
      {0x0001'0000'0000'0000, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {0, 1, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    NvmeHealthLog log = Health(300);
    PutCounter(log, kNvmePowerOnHours, c.low);
    log[kNvmePowerOnHours + 8] = c.high;
    std::uint8_t data[kSectorSize];
    NvmeHealthToAttributes(log, data);
    const AttributeEntry hours = AttributeAt(data, 7);
    ASSERT_EQ(hours.Id, 9);
    EXPECT_EQ(std::vector<std::uint8_t>(hours.Raw, hours.Raw + 6),
              std::vector<std::uint8_t>(c.raw, c.raw + 6));
  }
}

TEST(NvmeRightsTest, WithoutAdminRightsAnNvmeDriveIsRefusedForRights) {
  test::FakeSysfs tree;
  tree.AddDisk("nvme0n1");
  tree.AddDisk("sda");
  LinuxDiskControl control(tree.Sys(), tree.Dev(), std::make_unique<NoSgIo>());
  // Shorter names come first: sda is drive 0.
  const OpenResult sata = control.Open(DevicePath(0));
  ASSERT_TRUE(sata.Ok()) << sata.Message;
  control.Close(*sata);
  EXPECT_EQ(control.Open(DevicePath(1)).Kind, OpenError::PermissionDenied);
}

TEST(NvmeRightsTest, HelperWithoutTheAdminRightLeavesNvmeDrivesUnopened) {
  test::FakeSysfs tree;
  tree.AddDisk("nvme0n1");
  NoSgIo sgIo;
  FakeNvmeAdmin admin;
  struct : RightsAroundCalls {
    void Raise(PrivilegedCall call) override { raised.push_back(call); }
    void Lower() override {}
    void KeepOnlyFor(OpenedDrive drive) override { opened.push_back(drive); }
    std::vector<PrivilegedCall> raised;
    std::vector<OpenedDrive> opened;
  } rights;
  HelperSession session(tree.Sys(), tree.Dev(), sgIo, admin, HelperRights{true, false}, rights);
  HelperRequest open{};
  open.Magic = kHelperRequestMagic;
  open.Operation = kHelperOpen;
  const HelperAnswer answer = session.Answer(open);
  EXPECT_EQ(static_cast<HelperStatus>(answer.Reply.Status), HelperStatus::PermissionDenied);
  EXPECT_EQ(answer.Message, "");  // the administrator's choice, not worth a line per series
  EXPECT_EQ(rights.opened, std::vector{OpenedDrive::None});
  EXPECT_TRUE(rights.raised.empty());
  EXPECT_TRUE(admin.seen.empty());
}

// Only drive 1 is an NVMe drive; neither path has rights to either. The
// helper serves both kinds, so the install step is the remedy for each.
TEST(NvmeRightsTest, RightsMessageNamesTheInstallStep) {
  test::FakeSysfs tree;
  tree.AddDisk("sda");
  tree.AddDisk("nvme0n1");
  for (const std::vector<DriveNumber>& opened : {std::vector<DriveNumber>{0}, {0, 1}, {1}}) {
    TieredDiskControl disks(nullptr, std::make_unique<SysfsDiskControl>(tree.Sys()),
                            [](DriveNumber n) { return n == 1; });
    for (DriveNumber n : opened) {
      const OpenResult result = disks.Open(DevicePath(n));
      ASSERT_TRUE(result.Ok());
      disks.Close(*result);
    }
    const std::string message = disks.Report().Message;
    EXPECT_NE(message.find("install step"), std::string::npos) << opened.size();
    // Only NVMe drives unread: the right they need is named, as the helper
    // may have been installed without it.
    EXPECT_EQ(message.find("CAP_SYS_ADMIN") != std::string::npos,
              opened == std::vector<DriveNumber>{1})
        << opened.size();
  }
}

TEST(NvmeRightsTest, TieredLevelNamesTheNvmeDrive) {
  test::FakeSysfs tree;
  tree.AddDisk("nvme0n1");
  auto ata = std::make_unique<LinuxDiskControl>(tree.Sys(), tree.Dev(), std::make_unique<NoSgIo>(),
                                                std::make_unique<FakeNvmeAdmin>());
  TieredDiskControl disks(std::move(ata), std::make_unique<SysfsDiskControl>(tree.Sys()),
                          [](DriveNumber n) { return n == 0; });
  const OpenResult opened = disks.Open(DevicePath(0));
  ASSERT_TRUE(opened.Ok());
  disks.Close(*opened);
  EXPECT_EQ(disks.LevelOf(0), AccessLevel::Nvme);
  EXPECT_EQ(AccessSourceRow(AccessLevel::Nvme).Value, "the drive (NVMe health log)");
  EXPECT_FALSE(disks.Report().RefusedForRights);
}

}  // namespace
}  // namespace halvoric
