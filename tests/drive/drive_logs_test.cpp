// SPDX-License-Identifier: GPL-3.0-or-later
// The self-test and error log decoders on sectors built byte by byte: the
// ring of each log, the checksum, and what a drive may send beyond the
// layout.
#include <gtest/gtest.h>

#include <cstring>

#include "drive/error_log.h"
#include "drive/self_test.h"

namespace halvoric {
namespace {

struct Sector {
  std::uint8_t bytes[kSectorSize]{};
  void Seal() {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < kSectorSize; ++i)
      sum = static_cast<std::uint8_t>(sum + bytes[i]);
    bytes[kSectorSize - 1] = static_cast<std::uint8_t>(-sum);
  }
};

// A SMART READ LOG 06h descriptor in slot `slot` (0-20).
void PutAtaTest(Sector& s, std::size_t slot, std::uint8_t type, std::uint8_t status,
                std::uint16_t hours, std::uint32_t lba) {
  std::uint8_t* d = s.bytes + 2 + slot * 24;
  d[0] = type;
  d[1] = status;
  d[2] = static_cast<std::uint8_t>(hours);
  d[3] = static_cast<std::uint8_t>(hours >> 8);
  std::memcpy(d + 5, &lba, 4);
}

TEST(DriveLogs, AtaSelfTestLogIsReadNewestFirstAroundItsRing) {
  Sector s;
  s.bytes[0] = 1;
  PutAtaTest(s, 20, 0x02, 0x00, 100, 0);      // oldest, in the last slot
  PutAtaTest(s, 0, 0x01, 0x74, 120, 0x1234);  // read failure, 40% left
  PutAtaTest(s, 1, 0x81, 0x10, 130, 0);       // captive, aborted by host
  s.bytes[508] = 2;
  s.Seal();
  const SelfTestLog log = DecodeAtaSelfTestLog(s.bytes);
  EXPECT_TRUE(log.ChecksumOk);
  ASSERT_EQ(log.Entries.size(), 3u);
  EXPECT_EQ(log.Entries[0].TypeText, "Short captive");
  EXPECT_EQ(log.Entries[0].Passed, std::nullopt);
  EXPECT_EQ(log.Entries[1].ResultText, "Completed: read failure");
  EXPECT_EQ(log.Entries[1].PercentLeft, 40);
  EXPECT_EQ(log.Entries[1].FailingLba, 0x1234u);
  EXPECT_EQ(log.Entries[2].LifetimeHours, 100u);
  EXPECT_EQ(log.Entries[2].Passed, true);
  EXPECT_EQ(log.FailedCount(), 1u);

  s.bytes[100] ^= 1;
  EXPECT_FALSE(DecodeAtaSelfTestLog(s.bytes).ChecksumOk);
  // An index past the ring reads the slots as a ring that never wrapped.
  s.bytes[508] = 0xEE;
  EXPECT_EQ(DecodeAtaSelfTestLog(s.bytes).Entries.front().TypeText, "Extended offline");
}

TEST(DriveLogs, SelfTestStateAndAbilitiesFromSmartData) {
  Sector data;
  data.bytes[363] = 0xF7;
  data.bytes[367] = 0x31;  // self-tests and conveyance
  data.bytes[372] = 2;
  data.bytes[373] = 0xFF;  // the extended time lies in the word
  data.bytes[375] = 0x2C;
  data.bytes[376] = 0x01;
  data.bytes[374] = 5;
  const SelfTestAbilities can = AtaSelfTestAbilities(data.bytes);
  EXPECT_TRUE(can.Runs(SelfTestAction::Conveyance));
  EXPECT_EQ(can.MinutesOf(SelfTestAction::Extended), 300);
  EXPECT_EQ(can.MinutesOf(SelfTestAction::Short), 2);
  const SelfTestState running = AtaSelfTestState(data.bytes, nullptr);
  EXPECT_TRUE(running.Running);
  EXPECT_EQ(running.PercentLeft, 70);
  EXPECT_EQ(running.Text, "in progress, 70% remaining");

  data.bytes[363] = 0x50;
  data.bytes[367] = 0;
  const SelfTestState ended = AtaSelfTestState(data.bytes, nullptr);
  EXPECT_FALSE(ended.Running);
  EXPECT_EQ(ended.Passed, false);
  EXPECT_EQ(ended.Text, "completed: electrical failure");
  EXPECT_FALSE(AtaSelfTestAbilities(data.bytes).Runs(SelfTestAction::Short));
}

TEST(DriveLogs, ExtendedLogsListOnlyWhatTheirFirstPageHolds) {
  Sector tests;
  tests.bytes[0] = 1;
  tests.bytes[2] = 2;  // the newest is descriptor 2
  for (std::size_t slot : {0, 1, 5}) tests.bytes[4 + slot * 26] = 0x01;
  tests.bytes[4 + 1 * 26 + 1] = 0x70;
  for (int i = 0; i < 6; ++i) tests.bytes[4 + 1 * 26 + 5 + i] = static_cast<std::uint8_t>(i + 1);
  const SelfTestLog log = DecodeExtendedSelfTestLog(tests.bytes);
  ASSERT_EQ(log.Entries.size(), 2u);
  EXPECT_EQ(log.Entries[0].FailingLba, 0x060504030201u);
  tests.bytes[2] = 20;  // on the second page
  EXPECT_TRUE(DecodeExtendedSelfTestLog(tests.bytes).Entries.empty());

  Sector errors;
  errors.bytes[2] = 1;
  errors.bytes[500] = 9;
  std::uint8_t* data = errors.bytes + 4 + 90;
  data[1] = 0x40;
  data[4] = 0x78;  // LBA 7:0
  data[6] = 0x56;  // LBA 15:8
  data[8] = 0x34;  // LBA 23:16
  data[32] = 10;
  const AtaErrorLog log3 = DecodeExtendedErrorLog(errors.bytes);
  EXPECT_EQ(log3.Count, 9u);
  ASSERT_EQ(log3.Entries.size(), 1u);
  EXPECT_EQ(log3.Entries[0].Number, 9u);
  EXPECT_EQ(log3.Entries[0].Description, "UNC at LBA 3430008");
}

TEST(DriveLogs, SummaryErrorLogNumbersItsNewestErrorsByTheCount) {
  Sector s;
  s.bytes[0] = 1;
  s.bytes[1] = 1;  // the newest in structure 1, the one before in 5
  for (std::size_t slot : {0, 4, 3}) {
    std::uint8_t* data = s.bytes + 2 + slot * 90 + 60;
    data[1] = slot == 0 ? 0x84 : 0x04;
    data[7] = 0x51;
    data[28] = static_cast<std::uint8_t>(50 + slot);
  }
  s.bytes[452] = 2;  // only two counted: the third structure is stale
  const AtaErrorLog log = DecodeAtaErrorLog(s.bytes);
  EXPECT_FALSE(log.ChecksumOk);
  ASSERT_EQ(log.Entries.size(), 2u);
  EXPECT_EQ(log.Entries[0].Number, 2u);
  EXPECT_EQ(log.Entries[0].Description, "ICRC, ABRT");
  EXPECT_EQ(log.Entries[1].LifetimeHours, 54u);
  s.bytes[1] = 9;  // no such structure
  EXPECT_TRUE(DecodeAtaErrorLog(s.bytes).Entries.empty());
}

TEST(DriveLogs, NvmeLogsSayWhatRunsAndWhatEnded) {
  Sector st;
  st.bytes[0] = 0x02;
  st.bytes[1] = 30;
  for (std::size_t i = 0; i < 18; ++i) st.bytes[4 + i * 28] = 0x0F;  // unused
  st.bytes[4] = 0x17;                                                // short, failed segments
  st.bytes[4 + 2] = 0x02;                                            // the LBA is valid
  st.bytes[4 + 4] = 0x10;
  st.bytes[4 + 16] = 0x99;
  const SelfTestState state = NvmeSelfTestState(st.bytes);
  EXPECT_EQ(state.Kind, "extended");
  EXPECT_EQ(state.PercentLeft, 70);
  const SelfTestLog log = DecodeNvmeSelfTestLog(st.bytes);
  ASSERT_EQ(log.Entries.size(), 1u);
  EXPECT_EQ(log.Entries[0].Passed, false);
  EXPECT_EQ(log.Entries[0].FailingLba, 0x99u);
  EXPECT_EQ(log.Entries[0].LifetimeHours, 16u);

  Sector errors;
  errors.bytes[64] = 7;          // the second entry only is used
  errors.bytes[64 + 12] = 0x05;  // phase tag 1, status 2
  EXPECT_EQ(DecodeNvmeErrorLog(errors.bytes).Entries.size(), 1u);
  EXPECT_EQ(DecodeNvmeErrorLog(errors.bytes).Entries[0].StatusField, 2u);
}

}  // namespace
}  // namespace halvoric
