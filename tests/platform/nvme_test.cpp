// NVMe drives read with rights: the translation of Identify Controller and
// the health log into the series' blocks, the two admin commands that reach
// the kernel, and how the levels show the figures that were filled in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drive/attributes.h"
#include "drive/collecting_sinks.h"
#include "drive/drive_reader.h"
#include "platform/access_levels.h"
#include "platform/helper_session.h"
#include "platform/linux_disk_control.h"
#include "platform/nvme_translation.h"
#include "platform/sysfs_disk_control.h"
#include "tests/platform/fake_sysfs.h"

namespace halvoric {
namespace {

void Put(std::uint8_t* at, const std::string& text) { std::memcpy(at, text.data(), text.size()); }

void PutCounter(NvmeHealthLog& log, std::size_t offset, std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i) log[offset + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

// Odd lengths and mixed case, so that a missing or doubled swap shows.
NvmeIdentifyData Controller() {
  NvmeIdentifyData data{};
  Put(data.data() + kNvmeSerial, "nvSer1al9           ");
  Put(data.data() + kNvmeModel, "HalVoric NVMe Qx7                       ");
  Put(data.data() + kNvmeFirmware, "1.2b    ");
  return data;
}

NvmeHealthLog Health(int kelvin) {
  NvmeHealthLog log{};
  log[kNvmeCompositeTemperature] = static_cast<std::uint8_t>(kelvin);
  log[kNvmeCompositeTemperature + 1] = static_cast<std::uint8_t>(kelvin >> 8);
  log[kNvmeAvailableSpare] = 97;
  log[kNvmeSpareThreshold] = 10;
  log[kNvmePercentageUsed] = 3;
  PutCounter(log, kNvmePowerCycles, 0x0102);  // 258
  PutCounter(log, kNvmePowerOnHours, 0x030201);
  PutCounter(log, kNvmeUnsafeShutdowns, 7);
  PutCounter(log, kNvmeMediaErrors, 0);
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

  ASSERT_EQ(rows.diskInfo.size(), 13u);
  EXPECT_EQ(rows.diskInfo[0].Value, "S.M.A.R.T supported");
  EXPECT_EQ(rows.diskInfo[1].Value, "-");  // NVMe drives have no geometry
  EXPECT_EQ(rows.diskInfo[10].Value, "HalVoric NVMe Qx7                       ");
  EXPECT_EQ(rows.diskInfo[11].Value, "1.2b    ");
  EXPECT_EQ(rows.diskInfo[12].Value, "nvSer1al9           ");

  const struct {
    const char* id;
    const char* threshold;
    const char* value;
    const char* raw;
  } expected[] = {
      {"C2", "-", "-", "40"},  {"60", "10", "97", "97"},   {"61", "-", "-", "3"},
      {"0C", "-", "-", "258"}, {"09", "-", "-", "197121"}, {"62", "-", "-", "7"},
      {"63", "-", "-", "0"},
  };
  ASSERT_EQ(rows.smartInfo.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(rows.smartInfo[i].Id, expected[i].id) << i;
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
    AttributeEntry entry;
    std::memcpy(&entry, data + kTableOffset, sizeof entry);
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
    AttributeEntry hours;
    std::memcpy(&hours, data + kTableOffset + 4 * sizeof hours, sizeof hours);
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
  std::vector<OpenedDrive> opened;
  HelperSession session(tree.Sys(), tree.Dev(), sgIo, admin, HelperRights{true, false},
                        [&](OpenedDrive drive) { opened.push_back(drive); });
  HelperRequest open{};
  open.Magic = kHelperRequestMagic;
  open.Operation = kHelperOpen;
  const HelperAnswer answer = session.Answer(open);
  EXPECT_EQ(static_cast<HelperStatus>(answer.Reply.Status), HelperStatus::PermissionDenied);
  EXPECT_EQ(answer.Message, "");  // the administrator's choice, not worth a line per series
  EXPECT_EQ(opened, std::vector{OpenedDrive::None});
  EXPECT_TRUE(admin.seen.empty());
}

// Only drive 1 is an NVMe drive; neither path has rights to either. The
// helper serves both kinds, so the install step is the remedy for each.
TEST(NvmeRightsTest, RightsMessageNamesTheInstallStep) {
  test::FakeSysfs tree;
  tree.AddDisk("sda");
  tree.AddDisk("nvme0n1");
  for (const std::vector<DriveNumber>& opened :
       {std::vector<DriveNumber>{0}, {0, 1}, {1}}) {
    TieredDiskControl disks(nullptr, std::make_unique<SysfsDiskControl>(tree.Sys()),
                            [](const std::string& path) { return path == DevicePath(1); });
    for (DriveNumber n : opened) {
      const OpenResult result = disks.Open(DevicePath(n));
      ASSERT_TRUE(result.Ok());
      disks.Close(*result);
    }
    const std::string message = disks.Report().Message;
    EXPECT_NE(message.find("install step"), std::string::npos) << opened.size();
    // Only NVMe drives unread: the right they need is named, as the helper
    // may have been installed without it.
    EXPECT_EQ(message.find("CAP_SYS_ADMIN") != std::string::npos, opened == std::vector<DriveNumber>{1})
        << opened.size();
  }
}

TEST(NvmeRightsTest, TieredLevelNamesTheNvmeDrive) {
  test::FakeSysfs tree;
  tree.AddDisk("nvme0n1");
  auto ata = std::make_unique<LinuxDiskControl>(tree.Sys(), tree.Dev(), std::make_unique<NoSgIo>(),
                                                std::make_unique<FakeNvmeAdmin>());
  TieredDiskControl disks(std::move(ata), std::make_unique<SysfsDiskControl>(tree.Sys()),
                          [](const std::string& path) { return path == DevicePath(0); });
  const OpenResult opened = disks.Open(DevicePath(0));
  ASSERT_TRUE(opened.Ok());
  disks.Close(*opened);
  EXPECT_EQ(disks.LevelOf(0), AccessLevel::Nvme);
  EXPECT_EQ(AccessSourceRow(AccessLevel::Nvme).Value, "the drive (NVMe health log)");
  EXPECT_FALSE(disks.Report().RefusedForRights);
}

}  // namespace
}  // namespace halvoric
