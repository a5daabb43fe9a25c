// SPDX-License-Identifier: GPL-3.0-or-later
#include "helper/helper_session.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "drive/nvme_translation.h"
#include "tests/disks/fake_sysfs.h"

namespace halvoric {
namespace {

// Records what the session asked of its rights. Lowering leaves errno
// changed, as a failing or chatty system call may, so a caller that reads
// errno after it shows.
struct RecordingRights final : RightsAroundCalls {
  void Raise(PrivilegedCall call) override {
    EXPECT_FALSE(inForce) << "a right raised while another is in force";
    inForce = call;
    raised.push_back(call);
  }
  void Lower() override {
    inForce.reset();
    errno = EPERM;
  }
  void KeepOnlyFor(OpenedDrive drive) override {
    EXPECT_FALSE(inForce) << "rights given up while one is in force";
    opened.push_back(drive);
  }
  std::optional<PrivilegedCall> inForce;
  std::vector<PrivilegedCall> raised;
  std::vector<OpenedDrive> opened;
};

// The right in force at each command a fake seam received.
using RightsSeen = std::vector<std::optional<PrivilegedCall>>;

// Answers GOOD without sense, or CHECK CONDITION with `sense` when the
// test gives some.
struct CountingSgIo final : SgIo {
  explicit CountingSgIo(const RecordingRights& rights) : rights(rights) {}
  int Submit(int, sg_io_hdr_t& header) override {
    ++calls;
    seen.push_back(rights.inForce);
    header.status = sense.empty() ? 0 : 0x02;
    header.sb_len_wr =
        static_cast<unsigned char>(std::min<std::size_t>(sense.size(), header.mx_sb_len));
    if (header.sb_len_wr > 0) std::memcpy(header.sbp, sense.data(), header.sb_len_wr);
    return 0;
  }
  const RecordingRights& rights;
  int calls = 0;
  RightsSeen seen;
  std::vector<std::uint8_t> sense;
};

// Answers Identify and Get Log Page from its buffers and records the opcode
// of every command that reached it.
struct CountingNvmeAdmin final : NvmeAdmin {
  explicit CountingNvmeAdmin(const RecordingRights& rights) : rights(rights) {
    std::memcpy(controller.data() + kNvmeModel, "QX NVMe", 7);
    log[kNvmeCompositeTemperature] = 0x39;  // 313 K
    log[kNvmeCompositeTemperature + 1] = 0x01;
  }
  int Submit(int, nvme_admin_cmd& command) override {
    opcodes.push_back(command.opcode);
    cdw10.push_back(command.cdw10);
    seen.push_back(rights.inForce);
    auto* into = reinterpret_cast<std::uint8_t*>(static_cast<std::uintptr_t>(command.addr));
    if (command.opcode == 0x06) std::memcpy(into, controller.data(), command.data_len);
    if (command.opcode == 0x02)
      std::memcpy(into, log.data(), std::min<std::size_t>(command.data_len, log.size()));
    return 0;
  }
  NvmeIdentifyData controller{};
  NvmeHealthLog log{};
  const RecordingRights& rights;
  std::vector<std::uint8_t> opcodes;
  std::vector<std::uint32_t> cdw10;
  RightsSeen seen;
};

constexpr HelperRights kEveryRight{true, true};

HelperStatus StatusOf(const HelperAnswer& answer) {
  return static_cast<HelperStatus>(answer.Reply.Status);
}

HelperRequest OpenRequest(std::uint32_t drive) {
  HelperRequest request{};
  request.Magic = kHelperRequestMagic;
  request.Operation = kHelperOpen;
  request.DriveNumber = drive;
  return request;
}

HelperRequest AtaRequest(std::uint32_t code, std::uint8_t command, std::uint8_t features,
                         std::uint32_t bufferSize, std::uint32_t outSize) {
  HelperRequest request{};
  request.Magic = kHelperRequestMagic;
  request.Operation = code;
  request.OutSize = outSize;
  request.Ata.BufferSize = bufferSize;
  request.Ata.Features = features;
  request.Ata.SectorCount = 1;
  request.Ata.SectorNumber = 1;
  request.Ata.CylinderLow = command == 0xB0 ? 0x4F : 0;
  request.Ata.CylinderHigh = command == 0xB0 ? 0xC2 : 0;
  request.Ata.DriveHead = 0xA0;
  request.Ata.Command = command;
  return request;
}

HelperRequest PowerCheckRequest(std::uint8_t command = 0xE5, std::uint32_t outSize = 16) {
  HelperRequest request{};
  request.Magic = kHelperRequestMagic;
  request.Operation = CHECK_POWER_MODE;
  request.OutSize = outSize;
  request.Ata.DriveHead = 0xA0;
  request.Ata.Command = command;
  return request;
}

// A request of `command` and `features` with LBA low `number`: a log's
// address or a self-test's subcommand.
HelperRequest Numbered(std::uint32_t code, std::uint8_t command, std::uint8_t features,
                       std::uint8_t number) {
  const bool data = code == SMART_RCV_DRIVE_DATA;
  HelperRequest request = AtaRequest(code, command, features, data ? 512 : 0, data ? 528 : 16);
  request.Ata.SectorNumber = number;
  return request;
}

// A data read of the series with one register changed.
HelperRequest WithRegister(std::uint8_t AtaCommandRequest::*field, std::uint8_t value,
                           std::uint8_t command = 0xB0) {
  HelperRequest request =
      AtaRequest(SMART_RCV_DRIVE_DATA, command, command == 0xB0 ? 0xD0 : 0, 512, 528);
  request.Ata.*field = value;
  return request;
}

class HelperSessionTest : public ::testing::Test {
 protected:
  void AddDisk(const std::string& name, const std::string& dev) {
    tree.AddDisk(name, false);
    std::ofstream(tree.Sys() / "block" / name / "dev") << dev << "\n";
  }
  // A device node the test may create only as root; skips otherwise.
  bool MakeNode(const std::string& name, mode_t kind, dev_t number) {
    return ::mknod((tree.Dev() / name).c_str(), kind | 0600, number) == 0;
  }
  // Lists `name` as a whole disk with the device number of this machine's
  // loop0 and makes its node; false (skip) without loop0 or root. The fake
  // SG_IO and NVMe admin keep the real device untouched.
  bool AddRealBlockDisk(const std::string& name) {
    struct stat real {};
    if (::stat("/dev/loop0", &real) != 0 || !S_ISBLK(real.st_mode)) return false;
    AddDisk(name, std::to_string(major(real.st_rdev)) + ":" + std::to_string(minor(real.st_rdev)));
    return MakeNode(name, S_IFBLK, real.st_rdev);
  }
  HelperAnswer Send(const HelperRequest& request) { return session.Answer(request); }

  test::FakeSysfs tree;
  RecordingRights rights;
  CountingSgIo sgIo{rights};
  CountingNvmeAdmin nvme{rights};
  HelperSession session{tree.Sys(), tree.Dev(), sgIo, nvme, kEveryRight, rights};
};

TEST_F(HelperSessionTest, RefusesEveryNodeThatIsNotTheListedWholeDisk) {
  AddDisk("sda", "8:0");
  std::ofstream(tree.Dev() / "sda") << "not a disk";
  AddDisk("sdb", "8:16");
  std::ofstream(tree.Root() / "file") << "";
  std::filesystem::create_symlink(tree.Root() / "file", tree.Dev() / "sdb");
  AddDisk("sdc", "bogus");

  const struct {
    std::uint32_t drive;
    HelperStatus status;
    const char* message;
  } cases[] = {
      {0, HelperStatus::Refused, "is not a block device"},  // regular file
      {1, HelperStatus::Refused, "is not a block device"},  // symlink to one
      {2, HelperStatus::Refused, "no device number"},      {3, HelperStatus::NotFound, ""},
      {256, HelperStatus::Refused, "not a drive index"},
  };
  for (const auto& c : cases) {
    HelperSession fresh(tree.Sys(), tree.Dev(), sgIo, nvme, kEveryRight, rights);
    const HelperAnswer answer = fresh.Answer(OpenRequest(c.drive));
    EXPECT_EQ(StatusOf(answer), c.status) << c.drive;
    EXPECT_NE(answer.Message.find(c.message), std::string::npos) << answer.Message;
  }
  EXPECT_EQ(sgIo.calls, 0);
  // None was opened, so none needed the right to open, and none keeps one.
  EXPECT_TRUE(rights.raised.empty());
  EXPECT_EQ(rights.opened, std::vector<OpenedDrive>(std::size(cases), OpenedDrive::None));
}

TEST_F(HelperSessionTest, RefusesPartitionsAndCharacterDevices) {
  AddDisk("sda", "8:0");
  AddDisk("sdb", "8:16");
  if (!MakeNode("sda", S_IFBLK, makedev(8, 1)) || !MakeNode("sdb", S_IFCHR, makedev(8, 16))) {
    GTEST_SKIP() << "creating device nodes needs root";
  }
  for (std::uint32_t drive : {0u, 1u}) {
    HelperSession fresh(tree.Sys(), tree.Dev(), sgIo, nvme, kEveryRight, rights);
    const HelperAnswer answer = fresh.Answer(OpenRequest(drive));
    EXPECT_EQ(StatusOf(answer), HelperStatus::Refused);
    EXPECT_FALSE(answer.Message.empty());
  }
  EXPECT_TRUE(rights.raised.empty());
}

// A node of a device that is not there passes every check and fails only at
// the open: the right to open was in force for that call alone, and the
// answer is the open's own error (ENXIO), not what lowering the right left
// in errno.
TEST_F(HelperSessionTest, AFailedOpenHadItsRightAndAnswersWithItsOwnError) {
  AddDisk("sda", "240:250");  // a major kept for local use: no driver behind it
  if (!MakeNode("sda", S_IFBLK, makedev(240, 250))) {
    GTEST_SKIP() << "creating device nodes needs root";
  }
  const HelperAnswer answer = Send(OpenRequest(0));
  EXPECT_EQ(StatusOf(answer), HelperStatus::NotFound) << answer.Message;
  EXPECT_EQ(rights.raised, std::vector{PrivilegedCall::OpenNode});
  EXPECT_FALSE(rights.inForce);
  EXPECT_EQ(rights.opened, std::vector{OpenedDrive::None});
}

TEST_F(HelperSessionTest, WithoutTheCapabilityEveryOpenIsDenied) {
  AddDisk("sda", "8:0");
  HelperSession unprivileged(tree.Sys(), tree.Dev(), sgIo, nvme, HelperRights{}, rights);
  const HelperAnswer answer = unprivileged.Answer(OpenRequest(0));
  EXPECT_EQ(StatusOf(answer), HelperStatus::PermissionDenied);
  EXPECT_NE(answer.Message.find("install step"), std::string::npos);
  EXPECT_TRUE(rights.raised.empty());
  EXPECT_EQ(rights.opened, std::vector{OpenedDrive::None});
}

// Opens a node that is really the block device the fake sysfs lists, made
// from this machine's first disk; the fake SG_IO keeps it untouched.
TEST_F(HelperSessionTest, RefusesUnlistedRequestsOnAnOpenDisk) {
  EXPECT_EQ(StatusOf(Send(AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 512, 528))),
            HelperStatus::Refused);  // nothing open yet

  if (!AddRealBlockDisk("sda")) GTEST_SKIP() << "needs /dev/loop0 and root";
  const HelperAnswer open = Send(OpenRequest(0));
  ASSERT_EQ(StatusOf(open), HelperStatus::Ok) << open.Message;
  EXPECT_EQ(rights.opened, std::vector{OpenedDrive::Ata});
  EXPECT_EQ(rights.raised, std::vector{PrivilegedCall::OpenNode});

  const struct {
    HelperRequest request;
    const char* message;
  } refusals[] = {
      {OpenRequest(0), "one drive per session"},
      {AtaRequest(SMART_RCV_DRIVE_DATA, 0x25, 0, 512, 528), "not allowed"},      // READ DMA EXT
      {AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD6, 512, 528), "not allowed"},   // WRITE LOG
      {AtaRequest(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD9, 0, 16), "not allowed"},  // DISABLE
      {AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 512, 100), "smaller than"},
      {AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 4096, 528), "buffer size"},
      {AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 512, 600), "too large"},
      {AtaRequest(SMART_GET_VERSION, 0, 0, 0, 16), "24-byte"},
      {AtaRequest(0x2D0C00, 0xB0, 0xD0, 512, 528), "control code"},
      {WithRegister(&AtaCommandRequest::SectorNumber, 0x10), "sector count and number"},
      // Captive self-tests hold the drive busy for hours; offline data
      // collection and the selective test are not offered.
      {Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x81), "0x01, 0x02, 0x03 or 0x7F"},
      {Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x82), "sector count and number"},
      {Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x84), "sector count and number"},
      {Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x00), "sector count and number"},
      {Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x04), "sector count and number"},
      {Numbered(SMART_RCV_DRIVE_DATA, 0xB0, 0xD4, 0x01), "not allowed as a data read"},
      {Numbered(SMART_RCV_DRIVE_DATA, 0xB0, 0xD5, 0x09), "0xE0, 0x01 or 0x06"},
      {Numbered(SMART_RCV_DRIVE_DATA, 0x2F, 0, 0x04), "0x03 or 0x07"},  // device statistics
      {Numbered(SMART_RCV_DRIVE_DATA, 0x3F, 0, 0x07), "not allowed"},   // WRITE LOG EXT
      {[] {
         HelperRequest r = Numbered(SMART_RCV_DRIVE_DATA, 0x2F, 0, 0x07);
         r.Ata.CylinderLow = 1;  // the second page
         return r;
       }(),
       "cylinder registers"},
      {WithRegister(&AtaCommandRequest::CylinderLow, 0x00), "cylinder registers"},
      {WithRegister(&AtaCommandRequest::DriveHead, 0xE0), "drive/head"},  // LBA mode
      {WithRegister(&AtaCommandRequest::Features, 0x01, 0xEC), "features"},
      {AtaRequest(SMART_SEND_DRIVE_COMMAND, 0xE5, 0, 0, 16), "not allowed"},  // E5 as SMART
      {PowerCheckRequest(0xE6), "not allowed as a power check"},              // SLEEP
      {PowerCheckRequest(0xE0), "not allowed as a power check"},              // STANDBY IMMEDIATE
      {PowerCheckRequest(0xE1), "not allowed as a power check"},              // IDLE IMMEDIATE
      {PowerCheckRequest(0xE5, 15), "smaller than the 16-byte"},
      {[] {
         HelperRequest r = PowerCheckRequest();
         r.Ata.SectorCount = 0xFF;
         return r;
       }(),
       "must be 0"},
      {[] {
         HelperRequest r = PowerCheckRequest();
         r.Ata.BufferSize = 512;
         r.OutSize = 528;
         return r;
       }(),
       "buffer size"},
  };
  for (const auto& c : refusals) {
    const HelperAnswer answer = Send(c.request);
    EXPECT_EQ(StatusOf(answer), HelperStatus::Refused) << c.message;
    EXPECT_NE(answer.Message.find(c.message), std::string::npos) << answer.Message;
  }
  EXPECT_EQ(sgIo.calls, 0);

  EXPECT_EQ(StatusOf(Send(AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 512, 528))),
            HelperStatus::Ok);
  EXPECT_EQ(sgIo.calls, 1);
  // The logs and the background self-tests are let through.
  for (const HelperRequest& allowed : {Numbered(SMART_RCV_DRIVE_DATA, 0xB0, 0xD5, 0x01),
                                       Numbered(SMART_RCV_DRIVE_DATA, 0xB0, 0xD5, 0x06),
                                       Numbered(SMART_RCV_DRIVE_DATA, 0x2F, 0, 0x03),
                                       Numbered(SMART_RCV_DRIVE_DATA, 0x2F, 0, 0x07),
                                       Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x01),
                                       Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x02),
                                       Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x03),
                                       Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x7F)}) {
    EXPECT_NE(StatusOf(Send(allowed)), HelperStatus::Refused);
  }
  EXPECT_EQ(sgIo.calls, 9);

  // The power check goes out, and the count comes back in the reply.
  sgIo.sense = {0x72, 0x01, 0,    0x1D, 0, 0, 0, 0x0E, 0x09, 0x0C, 0,
                0,    0,    0x00, 0,    0, 0, 0, 0,    0,    0xA0, 0x50};
  const HelperReply reply = Send(PowerCheckRequest()).Reply;
  EXPECT_EQ(reply.Status, static_cast<std::uint32_t>(HelperStatus::Ok));
  EXPECT_EQ(reply.OutSize, sizeof(RegisterAnswer));
  EXPECT_EQ(reply.Out[offsetof(RegisterAnswer, SectorCount)], 0x00);
  sgIo.sense[13] = 0xFF;
  EXPECT_EQ(Send(PowerCheckRequest()).Reply.Out[offsetof(RegisterAnswer, SectorCount)], 0xFF);
  EXPECT_EQ(sgIo.calls, 11);
  EXPECT_TRUE(nvme.opcodes.empty());
  // Each command had the ATA right in force, and the refusals raised none.
  EXPECT_EQ(sgIo.seen, RightsSeen(11, PrivilegedCall::AtaCommand));
  EXPECT_EQ(rights.raised.size(), 12u);
  EXPECT_FALSE(rights.inForce);
}

// The whole series on an NVMe drive: each accepted request becomes one of
// the admin commands its row names (or none), a refused one reaches nothing,
// and ATA pass-through is never used.
TEST_F(HelperSessionTest, ServesAnNvmeDriveWithItsRowsAdminCommandsOnly) {
  if (!AddRealBlockDisk("nvme0n1")) GTEST_SKIP() << "needs /dev/loop0 and root";
  const HelperAnswer open = Send(OpenRequest(0));
  ASSERT_EQ(StatusOf(open), HelperStatus::Ok) << open.Message;
  EXPECT_EQ(rights.opened, std::vector{OpenedDrive::Nvme});

  // SMART ENABLE has no NVMe equivalent: it fails, and nothing is sent.
  EXPECT_EQ(StatusOf(Send(AtaRequest(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD8, 0, 16))),
            HelperStatus::RequestFailed);
  const auto sectorOf = [&](const HelperRequest& request) {
    const HelperReply reply = Send(request).Reply;
    EXPECT_EQ(reply.Status, static_cast<std::uint32_t>(HelperStatus::Ok));
    const std::uint8_t* data = reply.Out + offsetof(AtaCommandResult, Data);
    return std::vector<std::uint8_t>(data, data + kSectorSize);
  };
  std::uint8_t identify[kSectorSize];
  NvmeIdentifyToAta(nvme.controller, identify);
  EXPECT_EQ(sectorOf(AtaRequest(SMART_RCV_DRIVE_DATA, 0xEC, 0, 512, 528)),
            std::vector<std::uint8_t>(std::begin(identify), std::end(identify)));
  std::uint8_t attributes[kSectorSize];
  NvmeHealthToAttributes(nvme.log, attributes);
  EXPECT_EQ(sectorOf(AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 512, 528)),
            std::vector<std::uint8_t>(std::begin(attributes), std::end(attributes)));
  EXPECT_EQ(attributes[kTableOffset], 0x64);  // the log's order: Critical Warning first
  EXPECT_EQ(StatusOf(Send(PowerCheckRequest())), HelperStatus::RequestFailed);
  EXPECT_EQ(StatusOf(Send(AtaRequest(SMART_RCV_DRIVE_DATA, 0x25, 0, 512, 528))),
            HelperStatus::Refused);  // READ DMA EXT
  // The self-test log is log page 06h; a short test is Device Self-test
  // with code 1; conveyance has no NVMe counterpart and sends nothing.
  EXPECT_EQ(StatusOf(Send(Numbered(SMART_RCV_DRIVE_DATA, 0xB0, 0xD5, 0x06))), HelperStatus::Ok);
  EXPECT_EQ(nvme.cdw10.back() & 0xFF, 0x06u);
  EXPECT_EQ(StatusOf(Send(Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x01))), HelperStatus::Ok);
  EXPECT_EQ(nvme.cdw10.back(), 0x1u);
  EXPECT_EQ(StatusOf(Send(Numbered(SMART_SEND_DRIVE_COMMAND, 0xB0, 0xD4, 0x03))),
            HelperStatus::RequestFailed);
  EXPECT_EQ(nvme.opcodes, (std::vector<std::uint8_t>{0x06, 0x02, 0x02, 0x14}));
  EXPECT_EQ(nvme.seen, RightsSeen(4, PrivilegedCall::NvmeCommand));
  EXPECT_FALSE(rights.inForce);
  EXPECT_EQ(sgIo.calls, 0);
}

TEST_F(HelperSessionTest, ServeStopsAtTheFirstRefusalAndSaysWhy) {
  int requests[2];
  int replies[2];
  ASSERT_EQ(::pipe(requests), 0);
  ASSERT_EQ(::pipe(replies), 0);
  HelperRequest bad = OpenRequest(0);
  bad.Magic = 0;
  ASSERT_EQ(::write(requests[1], &bad, sizeof bad), static_cast<ssize_t>(sizeof bad));
  ASSERT_EQ(::write(requests[1], &bad, 7), 7);
  ::close(requests[1]);
  std::ostringstream err;
  EXPECT_EQ(ServeHelper(session, requests[0], replies[1], err), kHelperExitRefused);
  EXPECT_EQ(err.str(), "halvoric-ata: refused: not a helper request\n");
  HelperReply reply{};
  EXPECT_EQ(::read(replies[0], &reply, sizeof reply), static_cast<ssize_t>(sizeof reply));
  EXPECT_EQ(reply.Status, static_cast<std::uint32_t>(HelperStatus::Refused));
  for (int fd : {requests[0], replies[0], replies[1]}) ::close(fd);
}

}  // namespace
}  // namespace halvoric
