// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "disks/access_levels.h"
#include "disks/sysfs_disk_control.h"
#include "drive/drive_reader.h"
#include "report/cli_output.h"
#include "tests/disks/fake_sysfs.h"

namespace halvoric {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

class SysfsFallbackTest : public ::testing::Test {
 protected:
  SysfsFallbackTest() {
    // A SATA disk as libata and drivetemp show it: INQUIRY's 16-character
    // model and 4-character revision, the serial in VPD page 80h.
    const fs::path sda = tree.Sys() / "block/sda/device";
    tree.AddDisk("sda", false);
    Write(sda / "model", "HalVoric Emu Dis\n");
    Write(sda / "rev", "5b1 \n");
    Write(sda / "vpd_pg80", std::string("\0\x80\0\x09SerX7aB9c", 13));
    Write(sda / "hwmon/hwmon3/temp1_input", "41600\n");
    // An NVMe namespace: the controller's strings and its hwmon beside it.
    const fs::path nvme = tree.Sys() / "block/nvme0n1/device";
    tree.AddDisk("nvme0n1", false);
    Write(nvme / "model", "QEMU NVMe Ctrl\n");
    Write(nvme / "serial", "NvMe5eR1x\n");
    Write(nvme / "firmware_rev", "7.2.22\n");
    Write(nvme / "hwmon0/temp1_input", "-1400\n");
    // A virtual disk without any of it.
    tree.AddDisk("vda", false);
  }

  test::FakeSysfs tree;
};

TEST_F(SysfsFallbackTest, ReadsIdentityAndTemperatureOfEachKind) {
  const struct {
    const char* disk;
    const char* model;
    const char* serial;
    const char* firmware;
    std::optional<int> milli;
  } cases[] = {
      {"sda", "HalVoric Emu Dis", "SerX7aB9c", "5b1 ", 41600},
      {"nvme0n1", "QEMU NVMe Ctrl", "NvMe5eR1x", "7.2.22", -1400},
      {"vda", "", "", "", std::nullopt},
  };
  for (const auto& c : cases) {
    const DriveFacts facts = ReadDriveFacts(tree.Sys(), c.disk);
    EXPECT_EQ(facts.Model, c.model) << c.disk;
    EXPECT_EQ(facts.Serial, c.serial) << c.disk;
    EXPECT_EQ(facts.Firmware, c.firmware) << c.disk;
    EXPECT_EQ(facts.MilliCelsius, c.milli) << c.disk;
    EXPECT_FALSE(facts.Identify) << c.disk;
  }
}

TEST_F(SysfsFallbackTest, TakesTheKernelsCopyOfIdentifyWhenItIsThere) {
  std::string page(572, '\0');
  page[1] = '\x89';
  page[60 + 54] = 'A';  // first byte of the model field
  Write(tree.Sys() / "block/sda/device/vpd_pg89", page);
  Write(tree.Sys() / "block/vda/device/vpd_pg89", page.substr(0, 571));  // cut short
  ASSERT_TRUE(ReadDriveFacts(tree.Sys(), "sda").Identify);
  EXPECT_EQ((*ReadDriveFacts(tree.Sys(), "sda").Identify)[54], 'A');
  EXPECT_FALSE(ReadDriveFacts(tree.Sys(), "vda").Identify);
}

TEST(RoundToCelsius, RoundsHalfAwayFromZeroWithoutOverflow) {
  const std::pair<int, int> cases[] = {{41499, 41},
                                       {41500, 42},
                                       {-1400, -1},
                                       {-1500, -2},
                                       {0, 0},
                                       {2147483647, 2147484},
                                       {-2147483647 - 1, -2147484}};
  for (const auto& [milli, celsius] : cases) EXPECT_EQ(RoundToCelsius(milli), celsius) << milli;
}

// The drive core reads the fallback like any drive: the list row, the
// summary and the detail rows, with the made-up figures hidden.
TEST_F(SysfsFallbackTest, SeriesShowsStringsAndHwmonTemperature) {
  TieredDiskControl disks(nullptr, std::make_unique<SysfsDiskControl>(tree.Sys()));
  DriveReader reader(disks);
  const struct {
    DriveNumber n;
    const char* model;
    std::int32_t temperature, threshold, value;
  } cases[] = {
      {0, "HalVoric Emu Dis                        ", 42, 0, 42},
      {1, "                                        ", NoTemperature, NoThreshold, 0},
      {2, "QEMU NVMe Ctrl                          ", 1, 0, 1},  // below 0 °C
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(reader.DriveExists(c.n));
    EXPECT_EQ(reader.GetDriveModel(c.n), c.model);
    DriveSummary summary;
    reader.GetDriveSummary(c.n, summary);
    EXPECT_EQ(summary.Temperature, c.temperature) << int(c.n);
    EXPECT_EQ(summary.Threshold, c.threshold) << int(c.n);
    EXPECT_EQ(summary.Value, c.value) << int(c.n);
    EXPECT_EQ(disks.LevelOf(c.n), AccessLevel::Limited);
  }
  EXPECT_FALSE(reader.DriveExists(3));

  CollectingSinks rows;
  ReportedFigureRows shown(disks.LevelOf(0), rows, rows);
  reader.ReadDriveDetails("0", shown, shown);
  ASSERT_EQ(rows.diskInfo.size(), 13u);
  EXPECT_EQ(rows.diskInfo[0].Value, std::nullopt);  // SMART ENABLE was not sent
  EXPECT_EQ(rows.diskInfo[1].Value, "-");           // no geometry without IDENTIFY
  EXPECT_EQ(rows.diskInfo[11].Value, "5b1     ");
  EXPECT_EQ(rows.diskInfo[12].Value, "SerX7aB9c           ");
  ASSERT_EQ(rows.smartInfo.size(), 1u);
  EXPECT_EQ(rows.smartInfo[0].Id, "C2");
  EXPECT_EQ(rows.smartInfo[0].Raw, "42");
  EXPECT_EQ(rows.smartInfo[0].Value + rows.smartInfo[0].Worst + rows.smartInfo[0].Threshold, "---");

  const AccessReport report = disks.Report();
  EXPECT_TRUE(report.NoDriveReadable);
  EXPECT_NE(report.Message.find("cmake --install"), std::string::npos);
}

// An ATA path that opens every drive and answers nothing: what reaches the
// Disk Info page then comes from hwmon alone.
struct SilentAtaPath final : DiskControl {
  OpenResult Open(const std::string&) override { return DeviceHandle{7}; }
  bool Control(DeviceHandle, std::uint32_t, const void*, std::size_t, void*, std::size_t) override {
    return false;
  }
  void Close(DeviceHandle) override {}
};

// drivetemp's limit files beside the temperature: each shows as a row at
// every level, and a missing or unreadable one shows none.
TEST_F(SysfsFallbackTest, DrivetempLimitsShowAtEveryLevel) {
  const fs::path hwmon = tree.Sys() / "block/sda/device/hwmon/hwmon3";
  const struct {
    const char* what;
    std::vector<std::pair<const char*, const char*>> files;
    TemperatureLimits limits;
    std::vector<std::string> rows;
  } cases[] = {
      {"all four",
       {{"temp1_max", "60000\n"},
        {"temp1_crit", "70000\n"},
        {"temp1_lowest", "19000\n"},
        {"temp1_highest", "53500\n"}},
       {60, 70, 19, 54},
       {"Warning temperature 60", "Critical temperature 70", "Lowest temperature seen 19",
        "Highest temperature seen 54"}},
      {"critical only",
       {{"temp1_crit", "70000\n"}},
       {std::nullopt, 70},
       {"Critical temperature 70"}},
      {"unreadable figures",
       {{"temp1_max", "hot\n"}, {"temp1_crit", ""}, {"temp1_lowest", "-5000\n"}},
       {std::nullopt, std::nullopt, -5},
       {"Lowest temperature seen -5"}},
      {"none", {}, {}, {}},
  };
  for (const auto& c : cases) {
    for (const char* name : {"temp1_max", "temp1_crit", "temp1_lowest", "temp1_highest"}) {
      fs::remove(hwmon / name);
    }
    for (const auto& [name, text] : c.files) Write(hwmon / name, text);
    EXPECT_EQ(ReadHwmonLimits(tree.Sys(), "sda"), c.limits) << c.what;

    for (const bool ataPath : {false, true}) {
      TieredDiskControl disks(ataPath ? std::make_unique<SilentAtaPath>() : nullptr,
                              std::make_unique<SysfsDiskControl>(tree.Sys()));
      DriveReader reader(disks);
      CollectingSinks rows;
      reader.ReadDriveDetails("0", rows, rows);
      std::vector<std::string> shown;
      for (const DiskInfoRow& row : rows.diskInfo) {
        if (row.Caption.find("emperature") == std::string::npos) continue;
        const std::string value = row.Value.value_or("");
        shown.push_back(row.Caption + " " + value.substr(0, value.find("\xC2\xB0")));
      }
      EXPECT_EQ(shown, c.rows) << c.what << (ataPath ? " (ATA path)" : " (sysfs)");
      DriveSummary summary;
      reader.GetDriveSummary(0, summary);
      EXPECT_EQ(summary.Limits, c.limits) << c.what;
    }
  }
}

// Root in a container: the rights are there, the system keeps the disks
// away; no install step helps, so the message must not send the user there.
TEST_F(SysfsFallbackTest, RefusalDespiteHeldRightsBlamesTheSystem) {
  TieredDiskControl disks(nullptr, std::make_unique<SysfsDiskControl>(tree.Sys()), {},
                          AtaRights::Held);
  DriveReader reader(disks);
  EXPECT_EQ(reader.GetDriveModel(0), "HalVoric Emu Dis                        ");
  const AccessReport report = disks.Report();
  EXPECT_TRUE(report.NoDriveReadable);
  EXPECT_NE(report.Message.find("the system refused to open the disks"), std::string::npos);
  EXPECT_EQ(report.Message.find("install"), std::string::npos);
}

// An ATA path that answers some drives and refuses others for rights.
struct RefusingAta final : DiskControl {
  OpenResult Open(const std::string& path) override {
    if (path == DevicePath(0)) return DeviceHandle{7};
    return {path == DevicePath(1) ? OpenError::PermissionDenied : OpenError::NotFound, ""};
  }
  bool Control(DeviceHandle, std::uint32_t, const void*, std::size_t, void*, std::size_t) override {
    return false;
  }
  void Close(DeviceHandle handle) override { closed.push_back(handle); }
  std::vector<DeviceHandle> closed;
};

TEST_F(SysfsFallbackTest, FallsBackOnlyWhenRightsAreMissing) {
  auto ata = std::make_unique<RefusingAta>();
  RefusingAta* seen = ata.get();
  TieredDiskControl disks(std::move(ata), std::make_unique<SysfsDiskControl>(tree.Sys()));
  const struct {
    DriveNumber n;
    bool opens;
    AccessLevel level;
  } cases[] = {{0, true, AccessLevel::Ata},
               {1, true, AccessLevel::Limited},
               {2, false, AccessLevel::Unknown},  // NotFound is not a lack of rights
               {3, false, AccessLevel::Unknown}};
  for (const auto& c : cases) {
    const OpenResult opened = disks.Open(DevicePath(c.n));
    EXPECT_EQ(opened.Ok(), c.opens) << int(c.n);
    EXPECT_EQ(disks.LevelOf(c.n), c.level) << int(c.n);
    if (opened.Ok()) disks.Close(*opened);
  }
  EXPECT_EQ(seen->closed, std::vector<DeviceHandle>{7});
  const AccessReport report = disks.Report();
  EXPECT_TRUE(report.RefusedForRights);
  EXPECT_FALSE(report.NoDriveReadable);
  EXPECT_TRUE(report.Message.empty());
}

// An ATA path that finds drive 0 in standby and refuses drive 1 for rights.
struct StandbyAta final : DiskControl {
  OpenResult Open(const std::string& path) override {
    if (path == DevicePath(0)) return DeviceHandle{7};
    return {path == DevicePath(1) ? OpenError::PermissionDenied : OpenError::NotFound, ""};
  }
  bool Control(DeviceHandle, std::uint32_t code, const void*, std::size_t, void* out,
               std::size_t) override {
    if (code != CHECK_POWER_MODE) return false;
    *static_cast<RegisterAnswer*>(out) = RegisterAnswer{};  // count 00h: standby
    return true;
  }
  void Close(DeviceHandle) override {}
};

// sysfs and hwmon cannot tell a spun-down disk from a spinning one.
TEST_F(SysfsFallbackTest, PowerModeIsUnknownAtTheLimitedLevel) {
  TieredDiskControl disks(std::make_unique<StandbyAta>(),
                          std::make_unique<SysfsDiskControl>(tree.Sys()));
  DriveReader reader(disks);
  const struct {
    DriveNumber n;
    PowerMode mode;
    AccessLevel level;
  } cases[] = {{0, PowerMode::Standby, AccessLevel::Ata},
               {1, PowerMode::Unknown, AccessLevel::Limited},
               {3, PowerMode::Unknown, AccessLevel::Unknown}};
  for (const auto& c : cases) {
    EXPECT_EQ(reader.CheckPowerMode(c.n), c.mode) << int(c.n);
    EXPECT_EQ(disks.LevelOf(c.n), c.level) << int(c.n);
  }
  TieredDiskControl limitedOnly(nullptr, std::make_unique<SysfsDiskControl>(tree.Sys()));
  DriveReader limitedReader(limitedOnly);
  for (DriveNumber n : {0, 1, 2}) {
    EXPECT_EQ(limitedReader.CheckPowerMode(n), PowerMode::Unknown) << int(n);
    EXPECT_EQ(limitedOnly.LevelOf(n), AccessLevel::Limited) << int(n);
  }
}

// The kernel's runtime state of the device that carries each disk: sd's
// SCSI device, or the PCI function behind an NVMe controller, directly or
// under a subsystem. A suspended disk is not opened by a power check.
TEST_F(SysfsFallbackTest, RuntimeSuspendIsReadWithoutOpeningTheDisk) {
  tree.AddDisk("nvme1n1", false);  // drive 1, in disk order
  const fs::path block = tree.Sys() / "block";
  const struct {
    const char* file;
    const char* status;
    std::vector<bool> suspended;  // drives 0 to 3: sda, vda, nvme0n1, nvme1n1
  } cases[] = {
      {"sda/device/power/runtime_status", "suspended\n", {true, false, false, false}},
      {"sda/device/power/runtime_status", "active\n", {false, false, false, false}},
      {"sda/device/power/runtime_status", "suspending\n", {false, false, false, false}},
      {"nvme0n1/device/device/power/runtime_status", "suspended\n", {false, false, true, false}},
      {"nvme1n1/device/nvme1/device/power/runtime_status",
       "suspended",
       {false, false, false, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Write(block / c.file, c.status);
    auto ata = std::make_unique<RefusingAta>();
    RefusingAta* seen = ata.get();
    TieredDiskControl disks(std::move(ata), std::make_unique<SysfsDiskControl>(tree.Sys()));
    DriveReader reader(disks);
    EXPECT_EQ(disks.DriveCount(), 4u);
    for (DriveNumber n = 0; n < 4; ++n) {
      EXPECT_EQ(disks.RuntimeSuspended(n), c.suspended[n]) << int(n);
      if (c.suspended[n]) {
        EXPECT_EQ(reader.CheckPowerMode(n), PowerMode::Standby);
      }
    }
    EXPECT_TRUE(seen->closed.empty());  // nothing was opened
    fs::remove(block / c.file);
  }
}

}  // namespace
}  // namespace halvoric
