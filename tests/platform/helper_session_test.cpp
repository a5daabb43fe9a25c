#include "platform/helper_session.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>

#include "tests/platform/fake_sysfs.h"

namespace halvoric {
namespace {

struct CountingSgIo final : SgIo {
  int Submit(int, sg_io_hdr_t& header) override {
    ++calls;
    header.status = 0;
    return 0;
  }
  int calls = 0;
};

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
  request.Ata.CylinderLow = 0x4F;
  request.Ata.CylinderHigh = 0xC2;
  request.Ata.DriveHead = 0xA0;
  request.Ata.Command = command;
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
  HelperStatus Send(const HelperRequest& request, std::string& problem) {
    return static_cast<HelperStatus>(session.Answer(request, problem).Status);
  }

  test::FakeSysfs tree;
  CountingSgIo sgIo;
  int dropped = 0;
  HelperSession session{tree.Sys(), tree.Dev(), sgIo, true, [this] { ++dropped; }};
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
    const char* problem;
  } cases[] = {
      {0, HelperStatus::Refused, "is not a block device"},  // regular file
      {1, HelperStatus::Refused, "is not a block device"},  // symlink to one
      {2, HelperStatus::Refused, "no device number"},      {3, HelperStatus::NotFound, ""},
      {256, HelperStatus::Refused, "not a drive index"},
  };
  for (const auto& c : cases) {
    HelperSession fresh(tree.Sys(), tree.Dev(), sgIo, true, {});
    std::string problem;
    EXPECT_EQ(static_cast<HelperStatus>(fresh.Answer(OpenRequest(c.drive), problem).Status),
              c.status)
        << c.drive;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
  EXPECT_EQ(sgIo.calls, 0);
}

TEST_F(HelperSessionTest, RefusesPartitionsAndCharacterDevices) {
  AddDisk("sda", "8:0");
  AddDisk("sdb", "8:16");
  if (!MakeNode("sda", S_IFBLK, makedev(8, 1)) || !MakeNode("sdb", S_IFCHR, makedev(8, 16))) {
    GTEST_SKIP() << "creating device nodes needs root";
  }
  for (std::uint32_t drive : {0u, 1u}) {
    HelperSession fresh(tree.Sys(), tree.Dev(), sgIo, true, {});
    std::string problem;
    EXPECT_EQ(static_cast<HelperStatus>(fresh.Answer(OpenRequest(drive), problem).Status),
              HelperStatus::Refused);
    EXPECT_FALSE(problem.empty());
  }
}

TEST_F(HelperSessionTest, WithoutTheCapabilityEveryOpenIsDenied) {
  AddDisk("sda", "8:0");
  HelperSession unprivileged(tree.Sys(), tree.Dev(), sgIo, false, [this] { ++dropped; });
  std::string problem;
  EXPECT_EQ(static_cast<HelperStatus>(unprivileged.Answer(OpenRequest(0), problem).Status),
            HelperStatus::PermissionDenied);
  EXPECT_NE(problem.find("install step"), std::string::npos);
  EXPECT_EQ(dropped, 1);
}

// Opens a node that is really the block device the fake sysfs lists, made
// from this machine's first disk; the fake SG_IO keeps it untouched.
TEST_F(HelperSessionTest, RefusesUnlistedRequestsOnAnOpenDisk) {
  std::string problem;
  EXPECT_EQ(Send(AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 512, 528), problem),
            HelperStatus::Refused);  // nothing open yet

  struct stat real {};
  if (::stat("/dev/loop0", &real) != 0 || !S_ISBLK(real.st_mode)) GTEST_SKIP() << "no loop0";
  AddDisk("sda", std::to_string(major(real.st_rdev)) + ":" + std::to_string(minor(real.st_rdev)));
  if (!MakeNode("sda", S_IFBLK, real.st_rdev)) GTEST_SKIP() << "creating device nodes needs root";
  ASSERT_EQ(Send(OpenRequest(0), problem), HelperStatus::Ok) << problem;
  EXPECT_EQ(dropped, 1);

  const struct {
    HelperRequest request;
    const char* problem;
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
  };
  for (const auto& c : refusals) {
    EXPECT_EQ(Send(c.request, problem), HelperStatus::Refused) << c.problem;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
  EXPECT_EQ(sgIo.calls, 0);

  EXPECT_EQ(Send(AtaRequest(SMART_RCV_DRIVE_DATA, 0xB0, 0xD0, 512, 528), problem),
            HelperStatus::Ok);
  EXPECT_EQ(sgIo.calls, 1);
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
