// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/linux_disk_control.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <vector>

#include "disks/open_error_kind.h"
#include "tests/disks/fake_sysfs.h"

namespace halvoric {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Records what reached the kernel and answers as the test says.
struct FakeSgIo final : SgIo {
  int Submit(int, sg_io_hdr_t& header) override {
    ++calls;
    seen = header;
    const auto* cdb = static_cast<const std::uint8_t*>(header.cmdp);
    seenCdb.assign(cdb, cdb + header.cmd_len);
    std::memcpy(header.sbp, sense.data(), std::min<std::size_t>(sense.size(), header.mx_sb_len));
    header.sb_len_wr = senseLengthWritten.value_or(static_cast<unsigned char>(sense.size()));
    if (header.dxferp) std::memcpy(header.dxferp, data.data(), header.dxfer_len);
    header.status = scsiStatus;
    header.host_status = hostStatus;
    header.driver_status = driverStatus;
    return result;
  }

  int calls = 0;
  sg_io_hdr_t seen{};
  Bytes seenCdb;
  int result = 0;
  unsigned char scsiStatus = 0x02;
  unsigned short hostStatus = 0;
  unsigned short driverStatus = 0x08;
  Bytes sense = {0x72, 0x01, 0, 0x1D, 0, 0, 0,    0x0E, 0x09, 0x0C, 0x00,
                 0x00, 0,    1, 0,    1, 0, 0x4F, 0,    0xC2, 0xA0, 0x50};
  std::optional<unsigned char> senseLengthWritten;
  Bytes data = Bytes(512, 0x5A);
};

AtaCommandRequest Request(std::uint8_t command, std::uint8_t features, std::uint32_t bufferSize) {
  AtaCommandRequest request{};
  request.BufferSize = bufferSize;
  request.Features = features;
  request.SectorCount = 1;
  request.SectorNumber = 1;
  request.CylinderLow = command == 0xB0 ? 0x4F : 0;
  request.CylinderHigh = command == 0xB0 ? 0xC2 : 0;
  request.DriveHead = 0xB0;
  request.Command = command;
  request.DriveNumber = 1;
  return request;
}

// CHECK POWER MODE as the drive core fills it for drive 1.
AtaCommandRequest PowerRequest() {
  AtaCommandRequest request{};
  request.DriveHead = 0xB0;
  request.Command = 0xE5;
  request.DriveNumber = 1;
  return request;
}

AtaCommandRequest With(AtaCommandRequest request, std::uint8_t AtaCommandRequest::*field,
                       std::uint8_t value) {
  request.*field = value;
  return request;
}

AtaResultHeader HeaderOf(const Bytes& out) {
  AtaResultHeader header;
  std::memcpy(&header, out.data(), sizeof header);
  return header;
}

class LinuxDiskControlTest : public ::testing::Test {
 protected:
  LinuxDiskControlTest() {
    for (const char* name : {"sde", "sdd", "sdc", "sdb", "sda", "sr0", "loop0"}) tree.AddDisk(name);
    tree.AddDisk("sdaa", false);
    auto fake = std::make_unique<FakeSgIo>();
    sgIo = fake.get();
    control = std::make_unique<LinuxDiskControl>(tree.Sys(), tree.Dev(), std::move(fake));
  }

  DeviceHandle OpenDrive(unsigned n) {
    const OpenResult opened = control->Open(DevicePathText(n));
    EXPECT_TRUE(opened.Ok()) << opened.Message;
    return opened.Ok() ? *opened : kInvalidHandle;
  }
  static std::string DevicePathText(unsigned n) {
    return R"(\\.\PhysicalDrive)" + std::to_string(n);
  }

  test::FakeSysfs tree;
  FakeSgIo* sgIo = nullptr;
  std::unique_ptr<LinuxDiskControl> control;
};

TEST_F(LinuxDiskControlTest, OpenFindsTheNthDiskOrSaysWhyNot) {
  const struct {
    std::string path;
    OpenError error;
    const char* messagePart;
  } cases[] = {
      {DevicePathText(0), OpenError::None, ""},
      {DevicePathText(4), OpenError::None, ""},
      {DevicePathText(5), OpenError::NotFound, "No such file or directory"},  // sdaa: no node
      {DevicePathText(6), OpenError::NotFound, "no whole disk number 6"},
      {R"(\\.\PhysicalDrive01)", OpenError::NotFound, "not a drive path"},
      {"/dev/sda", OpenError::NotFound, "not a drive path"},
  };
  for (const auto& c : cases) {
    const OpenResult opened = control->Open(c.path);
    EXPECT_EQ(opened.Kind, c.error) << c.path;
    EXPECT_EQ(opened.Ok(), c.error == OpenError::None) << c.path;
    EXPECT_NE(opened.Message.find(c.messagePart), std::string::npos) << opened.Message;
    if (opened.Ok()) control->Close(*opened);
  }
}

TEST(OpenErrorFromErrno, ClassifiesTheReasons) {
  const std::pair<int, OpenError> cases[] = {
      {ENOENT, OpenError::NotFound},
      {ENXIO, OpenError::NotFound},
      {ENODEV, OpenError::NotFound},
      {EACCES, OpenError::PermissionDenied},
      {EPERM, OpenError::PermissionDenied},
      {EBUSY, OpenError::Other},
      {EIO, OpenError::Other},
  };
  for (const auto& [error, kind] : cases) EXPECT_EQ(OpenErrorFromErrno(error), kind) << error;
}

TEST_F(LinuxDiskControlTest, VersionAnswerMapsAtaPositions0To3) {
  const std::pair<unsigned, std::uint8_t> cases[] = {
      {0, 0x01}, {1, 0x02}, {2, 0x04}, {3, 0x08}, {4, 0x00}};
  for (const auto& [n, map] : cases) {
    const DeviceHandle handle = OpenDrive(n);
    Bytes out(sizeof(VersionAnswer), 0xEE);
    ASSERT_TRUE(control->Control(handle, SMART_GET_VERSION, nullptr, 0, out.data(), out.size()));
    VersionAnswer answer;
    std::memcpy(&answer, out.data(), sizeof answer);
    EXPECT_EQ(answer.Version, 1);
    EXPECT_EQ(answer.Revision, 1);
    EXPECT_EQ(answer.Capabilities, 7u);
    EXPECT_EQ(answer.IdeDeviceMap, map) << n;
    EXPECT_EQ(answer.ReservedWords[3], 0u);
    control->Close(handle);
  }
  EXPECT_EQ(sgIo->calls, 0);
}

TEST_F(LinuxDiskControlTest, MalformedRequestsNeverReachTheKernel) {
  const DeviceHandle handle = OpenDrive(1);
  const struct {
    const char* name;
    std::uint32_t code;
    AtaCommandRequest request;
    std::size_t inSize;
    std::size_t outSize;
  } cases[] = {
      {"VersionOutputShort", SMART_GET_VERSION, {}, 0, 23},
      {"VersionWithInput", SMART_GET_VERSION, {}, 32, 24},
      {"UnknownCode", 0x7C089, Request(0xEC, 0, 512), 32, 528},
      {"EnableInputShort", SMART_SEND_DRIVE_COMMAND, Request(0xB0, 0xD8, 0), 31, 16},
      {"EnableInputLong", SMART_SEND_DRIVE_COMMAND, Request(0xB0, 0xD8, 0), 33, 16},
      {"EnableOutputShort", SMART_SEND_DRIVE_COMMAND, Request(0xB0, 0xD8, 0), 32, 15},
      {"EnableWithBuffer", SMART_SEND_DRIVE_COMMAND, Request(0xB0, 0xD8, 512), 32, 528},
      {"CaptiveSelfTest", SMART_SEND_DRIVE_COMMAND,
       With(Request(0xB0, 0xD4, 0), &AtaCommandRequest::SectorNumber, 0x82), 32, 16},
      {"OtherNonDataCommand", SMART_SEND_DRIVE_COMMAND, Request(0xB0, 0xD6, 0), 32, 16},
      {"ReadOutputShort", SMART_RCV_DRIVE_DATA, Request(0xB0, 0xD0, 512), 32, 527},
      {"ReadWithoutBuffer", SMART_RCV_DRIVE_DATA, Request(0xB0, 0xD0, 0), 32, 528},
      {"ReadTwoSectors", SMART_RCV_DRIVE_DATA,
       [] {
         AtaCommandRequest r = Request(0xB0, 0xD0, 512);
         r.SectorCount = 2;
         return r;
       }(),
       32, 1040},
      {"ReadUnlistedSmartLog", SMART_RCV_DRIVE_DATA,
       With(Request(0xB0, 0xD5, 512), &AtaCommandRequest::SectorNumber, 0x80), 32, 528},
      {"ReadLogExtSecondPage", SMART_RCV_DRIVE_DATA,
       With(With(Request(0x2F, 0, 512), &AtaCommandRequest::SectorNumber, 0x07),
            &AtaCommandRequest::CylinderLow, 1),
       32, 528},
      {"ReadSectors", SMART_RCV_DRIVE_DATA, Request(0x20, 0, 512), 32, 528},
      {"PowerCheckInputShort", CHECK_POWER_MODE, PowerRequest(), 31, 16},
      {"PowerCheckOutputShort", CHECK_POWER_MODE, PowerRequest(), 32, 15},
      {"PowerCheckWithBuffer", CHECK_POWER_MODE,
       [] {
         AtaCommandRequest r = PowerRequest();
         r.BufferSize = 512;
         return r;
       }(),
       32, 528},
      {"PowerCheckAsSmartCommand", SMART_SEND_DRIVE_COMMAND, PowerRequest(), 32, 16},
      {"PowerCheckAsDataRead", SMART_RCV_DRIVE_DATA, PowerRequest(), 32, 528},
      {"SleepAsPowerCheck", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::Command, 0xE6), 32, 16},
      {"StandbyImmediateAsPowerCheck", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::Command, 0xE0), 32, 16},
      {"PowerCheckWithFeatures", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::Features, 0x01), 32, 16},
      {"PowerCheckWithCount", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::SectorCount, 0x01), 32, 16},
      {"PowerCheckWithLbaLow", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::SectorNumber, 0x01), 32, 16},
      {"PowerCheckWithLbaMid", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::CylinderLow, 0x4F), 32, 16},
      {"PowerCheckWithLbaHigh", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::CylinderHigh, 0xC2), 32, 16},
      {"PowerCheckInLbaMode", CHECK_POWER_MODE,
       With(PowerRequest(), &AtaCommandRequest::DriveHead, 0xE0), 32, 16},
  };
  for (const auto& c : cases) {
    Bytes out(c.outSize, 0xEE);
    EXPECT_FALSE(control->Control(handle, c.code, &c.request, c.inSize, out.data(), out.size()))
        << c.name;
  }
  const AtaCommandRequest identify = Request(0xEC, 0, 512);
  Bytes out(528);
  EXPECT_FALSE(control->Control(handle, SMART_RCV_DRIVE_DATA, nullptr, 32, out.data(), 528));
  EXPECT_FALSE(control->Control(handle, SMART_RCV_DRIVE_DATA, &identify, 32, nullptr, 528));
  EXPECT_FALSE(
      control->Control(handle + 100, SMART_RCV_DRIVE_DATA, &identify, 32, out.data(), 528));
  control->Close(handle);
  EXPECT_FALSE(control->Control(handle, SMART_RCV_DRIVE_DATA, &identify, 32, out.data(), 528));
  EXPECT_EQ(sgIo->calls, 0);
}

// Every command and feature value under both control codes, LBA low 1:
// only the rows of the command table reach the kernel (the error log and
// the short self-test among them), each with the transfer of its own kind.
TEST_F(LinuxDiskControlTest, OnlyTheSeriesCommandsEverReachTheKernel) {
  const DeviceHandle handle = OpenDrive(1);
  std::set<std::pair<int, int>> sentWithData;
  std::set<std::pair<int, int>> sentWithout;
  for (int command = 0; command < 256; ++command) {
    for (int features = 0; features < 256; ++features) {
      for (bool data : {true, false}) {
        const int before = sgIo->calls;
        AtaCommandRequest request = Request(static_cast<std::uint8_t>(command),
                                            static_cast<std::uint8_t>(features), data ? 512 : 0);
        Bytes out(528);
        control->Control(handle, data ? SMART_RCV_DRIVE_DATA : SMART_SEND_DRIVE_COMMAND, &request,
                         sizeof request, out.data(), data ? 528 : 16);
        if (sgIo->calls == before) continue;
        EXPECT_EQ(sgIo->seen.dxfer_direction, data ? SG_DXFER_FROM_DEV : SG_DXFER_NONE);
        EXPECT_EQ(sgIo->seen.dxfer_len, data ? 512u : 0u);
        (data ? sentWithData : sentWithout).insert({command, features});
      }
    }
  }
  EXPECT_EQ(sentWithData,
            (std::set<std::pair<int, int>>{
                {0xA1, 0}, {0xB0, 0xD0}, {0xB0, 0xD1}, {0xB0, 0xD5}, {0xEC, 0}}));
  EXPECT_EQ(sentWithout,
            (std::set<std::pair<int, int>>{{0xB0, 0xD4}, {0xB0, 0xD8}, {0xB0, 0xDA}}));
}

// Every command value under the power check's control code: only CHECK
// POWER MODE reaches the kernel, and only without data.
TEST_F(LinuxDiskControlTest, OnlyCheckPowerModePassesAsThePowerCheck) {
  const DeviceHandle handle = OpenDrive(1);
  std::set<int> sent;
  for (int command = 0; command < 256; ++command) {
    const int before = sgIo->calls;
    const AtaCommandRequest request =
        With(PowerRequest(), &AtaCommandRequest::Command, static_cast<std::uint8_t>(command));
    Bytes out(16);
    control->Control(handle, CHECK_POWER_MODE, &request, sizeof request, out.data(), out.size());
    if (sgIo->calls == before) continue;
    EXPECT_EQ(sgIo->seen.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(sgIo->seen.dxfer_len, 0u);
    sent.insert(command);
  }
  EXPECT_EQ(sent, std::set<int>{0xE5});
}

// With CK_COND the registers come back in the sense data; the count there is
// the answer. No registers, no answer: the mode is then unknown.
TEST_F(LinuxDiskControlTest, PowerCheckReadsTheReturnedCount) {
  const DeviceHandle handle = OpenDrive(1);
  const auto statusReturn = [](std::uint8_t key, std::uint8_t error, std::uint8_t count,
                               std::uint8_t status) {
    return Bytes{0x72,  key, 0,     0x1D, 0, 0, 0, 0x0E, 0x09, 0x0C, 0,
                 error, 0,   count, 0,    0, 0, 0, 0,    0,    0xA0, status};
  };
  const struct {
    const char* name;
    int result;
    unsigned char scsiStatus;
    Bytes sense;
    bool answered;
    std::uint8_t count, driverError, ideError;
  } cases[] = {
      {"Active", 0, 0x02, statusReturn(0x01, 0, 0xFF, 0x50), true, 0xFF, 0, 0},
      {"Standby", 0, 0x02, statusReturn(0x01, 0, 0x00, 0x50), true, 0x00, 0, 0},
      {"FixedFormatIdle",
       0,
       0x02,
       {0x70, 0, 0x01, 0, 0x50, 0xA0, 0x80, 0x0A, 0, 0, 0, 0, 0, 0x1D},
       true,
       0x80,
       0,
       0},
      {"Aborted", 0, 0x02, statusReturn(0x0B, 0x04, 0x00, 0x51), false, 0, 1, 0x04},
      {"GoodWithoutRegisters", 0, 0x00, {}, false, 0, 0, 0},
      {"IoctlFailed", -1, 0x00, {}, false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    sgIo->result = c.result;
    sgIo->scsiStatus = c.scsiStatus;
    sgIo->sense = c.sense;
    const AtaCommandRequest request = PowerRequest();
    Bytes out(16, 0xEE);
    EXPECT_EQ(control->Control(handle, CHECK_POWER_MODE, &request, 32, out.data(), 16), c.answered)
        << c.name;
    EXPECT_EQ(sgIo->seenCdb, Bytes({0x85, 0x06, 0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0xE5, 0}))
        << c.name;
    EXPECT_EQ(sgIo->seen.dxfer_direction, SG_DXFER_NONE) << c.name;
    RegisterAnswer answer;
    std::memcpy(&answer, out.data(), sizeof answer);
    EXPECT_EQ(answer.BufferSize, 0u) << c.name;
    EXPECT_EQ(answer.SectorCount, c.count) << c.name;
    EXPECT_EQ(answer.DriverError, c.driverError) << c.name;
    EXPECT_EQ(answer.IdeError, c.ideError) << c.name;
    EXPECT_EQ(answer.Asleep, 0) << c.name;
  }
}

TEST_F(LinuxDiskControlTest, DataReadGoesOutAsPioDataInAndFillsTheResult) {
  const DeviceHandle handle = OpenDrive(1);
  const AtaCommandRequest request = Request(0xB0, 0xD0, 512);
  Bytes out(528, 0xEE);
  ASSERT_TRUE(control->Control(handle, SMART_RCV_DRIVE_DATA, &request, 32, out.data(), 528));
  EXPECT_EQ(sgIo->seen.interface_id, 'S');
  EXPECT_EQ(sgIo->seen.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(sgIo->seen.dxfer_len, 512u);
  EXPECT_GT(sgIo->seen.timeout, 0u);
  EXPECT_GE(sgIo->seen.mx_sb_len, 22);
  EXPECT_EQ(sgIo->seenCdb,
            Bytes({0x85, 0x08, 0x0E, 0, 0xD0, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
  const AtaResultHeader header = HeaderOf(out);
  EXPECT_EQ(header.BufferSize, 512u);
  EXPECT_EQ(header.DriverError, 0);
  EXPECT_EQ(header.IdeError, 0);
  EXPECT_EQ(Bytes(out.begin() + 16, out.end()), Bytes(512, 0x5A));
}

TEST_F(LinuxDiskControlTest, EnableGoesOutWithoutDataIntoAHeaderOnlyBuffer) {
  const DeviceHandle handle = OpenDrive(1);
  const AtaCommandRequest request = Request(0xB0, 0xD8, 0);
  Bytes out(16, 0xEE);
  ASSERT_TRUE(control->Control(handle, SMART_SEND_DRIVE_COMMAND, &request, 32, out.data(), 16));
  EXPECT_EQ(sgIo->seen.dxfer_direction, SG_DXFER_NONE);
  EXPECT_EQ(sgIo->seen.dxfer_len, 0u);
  EXPECT_EQ(sgIo->seenCdb,
            Bytes({0x85, 0x06, 0x20, 0, 0xD8, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
  EXPECT_EQ(out, Bytes(16, 0));
}

TEST_F(LinuxDiskControlTest, FailedCommandReportsTheDriveErrorAndKeepsOldData) {
  const DeviceHandle handle = OpenDrive(0);
  const AtaCommandRequest request = Request(0xEC, 0, 512);
  const struct {
    const char* name;
    int result;
    Bytes sense;
    std::uint8_t driverError;
    std::uint8_t ideError;
  } cases[] = {
      // The emulated drive's abort: zero-filled data, ABORTED COMMAND.
      {"Aborted",
       0,
       {0x72, 0x0B, 0, 0, 0, 0, 0, 0x0E, 0x09, 0x0C, 0, 0x04, 0, 1, 0, 1, 0, 0, 0, 0, 0xA0, 0x51},
       1,
       0x04},
      {"IoctlFailed", -1, {}, 0, 0},
  };
  for (const auto& c : cases) {
    sgIo->result = c.result;
    sgIo->sense = c.sense;
    sgIo->data = Bytes(512, 0);
    Bytes out(528, 0xEE);
    EXPECT_FALSE(control->Control(handle, SMART_RCV_DRIVE_DATA, &request, 32, out.data(), 528))
        << c.name;
    const AtaResultHeader header = HeaderOf(out);
    EXPECT_EQ(header.BufferSize, 0u) << c.name;
    EXPECT_EQ(header.DriverError, c.driverError) << c.name;
    EXPECT_EQ(header.IdeError, c.ideError) << c.name;
    EXPECT_EQ(Bytes(out.begin() + 16, out.end()), Bytes(512, 0xEE)) << c.name;
  }
}

TEST_F(LinuxDiskControlTest, OverstatedSenseLengthIsClamped) {
  const DeviceHandle handle = OpenDrive(0);
  sgIo->senseLengthWritten = 255;
  const AtaCommandRequest request = Request(0xEC, 0, 512);
  Bytes out(528);
  EXPECT_TRUE(control->Control(handle, SMART_RCV_DRIVE_DATA, &request, 32, out.data(), 528));
}

}  // namespace
}  // namespace halvoric
