// SPDX-License-Identifier: GPL-3.0-or-later
// Drives may answer anything: every decoder must stay in bounds for any bytes.
// Run under the sanitizers, this walks many random answers through them.
#include <gtest/gtest.h>

#include <random>

#include "drive/drive_logs.h"
#include "drive/drive_reader.h"
#include "recording_sinks.h"

namespace halvoric {
namespace {

// Answers every request with random bytes and random success.
class RandomDisks : public DiskControl {
 public:
  explicit RandomDisks(unsigned seed) : rng_(seed) {}
  OpenResult Open(const std::string&) override { return DeviceHandle{1}; }
  bool Control(DeviceHandle, std::uint32_t, const void*, std::size_t, void* out,
               std::size_t outSize) override {
    auto* bytes = static_cast<std::uint8_t*>(out);
    const int mode = rng_() % 4;
    for (std::size_t i = 0; i < outSize; ++i) {
      // Mostly dense non-zero IDs, so full tables and reads behind them occur.
      bytes[i] = mode == 0 ? 0xFF : static_cast<std::uint8_t>(rng_() | (mode == 1 ? 1 : 0));
    }
    return rng_() % 8 != 0;
  }
  void Close(DeviceHandle) override {}

 private:
  std::mt19937 rng_;
};

TEST(DecoderRobustness, RandomAnswersStayWellDefined) {
  for (unsigned seed = 0; seed < 300; ++seed) {
    RandomDisks disks(seed);
    DriveReader reader(disks);
    test::RecordingSinks sinks;
    const DriveNumber n = static_cast<DriveNumber>(seed);
    DriveSummary summary;
    reader.GetDriveSummary(n, summary);
    EXPECT_TRUE(summary.Temperature == NoTemperature ||
                (summary.Temperature >= 0 && summary.Temperature <= 255));
    AddDriveRow(sinks, n, reader.GetDriveModel(n), summary);
    EXPECT_LE(sinks.drives[0].Model.size(), 40u);
    reader.ReadDriveDetails(std::to_string(n), sinks, sinks);
    EXPECT_LE(sinks.smartInfo.size(), 30u);
    EXPECT_LE(sinks.diskInfo.size(), 13u);
    const DriveLogs logs = ReadDriveLogs(reader, n);
    EXPECT_LE(logs.SelfTests ? logs.SelfTests->Entries.size() : 0, 21u);
    EXPECT_LE(logs.Errors ? logs.Errors->Entries.size() : 0, 5u);
    (void)RunSelfTest(reader, n, SelfTestAction::Short);
  }
}

}  // namespace
}  // namespace halvoric
