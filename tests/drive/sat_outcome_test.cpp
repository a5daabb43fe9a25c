// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sat_outcome.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "drive/sat_sense.h"

namespace halvoric {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Descriptor-format sense with one ATA Status Return descriptor.
Bytes StatusReturn(std::uint8_t key, std::uint8_t error, std::uint8_t status) {
  return {0x72,  key,  0x00, 0x1D, 0,    0, 0,    0x0E, 0x09, 0x0C, 0x00,
          error, 0x00, 0x01, 0,    0x01, 0, 0x4F, 0,    0xC2, 0xA0, status};
}

// Fixed-format sense as libata writes it: error, status, device, count in
// the information bytes.
Bytes FixedSense(std::uint8_t first, std::uint8_t key, std::uint8_t error, std::uint8_t status) {
  return {first, 0, key, error, status, 0xA0, 0x01, 0x0A, 0x00, 0, 0, 0, 0x00, 0x1D};
}

struct OutcomeCase {
  const char* name;
  int ioctlResult;
  unsigned scsiStatus;
  unsigned hostStatus;
  unsigned driverStatus;
  Bytes sense;
  bool success;
  bool driveError;
  std::uint8_t errorRegister;
};

const OutcomeCase kOutcomes[] = {
    {"GoodWithoutSense", 0, 0x00, 0, 0, {}, true, false, 0},
    {"RecoveredWithStatusReturn", 0, 0x02, 0, 0x08, StatusReturn(0x01, 0x00, 0x50), true, false, 0},
    {"NoSenseKeyWithStatusReturn", 0, 0x02, 0, 0x08, StatusReturn(0x00, 0x00, 0x50), true, false,
     0},
    {"AbortedWithZeroedSense", 0, 0x02, 0, 0x08, {0x72, 0x0B, 0, 0, 0, 0, 0, 0}, false, true, 0},
    {"AbortedWithStatusReturn", 0, 0x02, 0, 0x08, StatusReturn(0x0B, 0x04, 0x51), false, true,
     0x04},
    {"RecoveredButStatusErr", 0, 0x02, 0, 0x08, StatusReturn(0x01, 0x04, 0x51), false, true, 0x04},
    {"DeviceFault", 0, 0x02, 0, 0x08, StatusReturn(0x01, 0x00, 0x70), false, true, 0},
    {"Busy", 0, 0x02, 0, 0x08, StatusReturn(0x01, 0x00, 0xD0), false, false, 0},
    {"FixedRecovered", 0, 0x02, 0, 0x08, FixedSense(0x70, 0x01, 0x00, 0x50), true, false, 0},
    {"FixedWithValidBit", 0, 0x02, 0, 0x08, FixedSense(0xF0, 0x01, 0x00, 0x50), true, false, 0},
    {"FixedAbortedErr", 0, 0x02, 0, 0x08, FixedSense(0x70, 0x0B, 0x04, 0x51), false, true, 0x04},
    {"IllegalRequest", 0, 0x02, 0, 0x08, {0x72, 0x05, 0x24, 0x00, 0, 0, 0, 0}, false, false, 0},
    {"CheckConditionWithoutSense", 0, 0x02, 0, 0x08, {}, false, false, 0},
    {"UnknownResponseCode",
     0,
     0x02,
     0,
     0x08,
     {0x7F, 0x01, 0x01, 0, 0x50, 0, 0, 0},
     false,
     false,
     0},
    {"KeyByteMissing", 0, 0x02, 0, 0x08, {0x70, 0x00}, false, false, 0},
    // Descriptor claims 14 bytes but the data stops after 4: no registers.
    {"TruncatedStatusReturn",
     0,
     0x02,
     0,
     0x08,
     {0x72, 0x01, 0, 0x1D, 0, 0, 0, 0x0E, 0x09, 0x0C, 0x00, 0x04},
     true,
     false,
     0},
    {"AdditionalLengthBeyondData",
     0,
     0x02,
     0,
     0x08,
     {0x72, 0x01, 0, 0, 0, 0, 0, 0xFF, 0x09, 0xFF},
     true,
     false,
     0},
    {"StatusReturnTooShort",
     0,
     0x02,
     0,
     0x08,
     {0x72, 0x01, 0, 0, 0, 0, 0, 0x06, 0x09, 0x04, 0, 0x04, 0, 0x51},
     true,
     false,
     0},
    {"StatusReturnAfterAnotherDescriptor",
     0,
     0x02,
     0,
     0x08,
     {0x72, 0x01, 0, 0x1D, 0,    0,    0,    0x1A, 0x00, 0x0A, 0x80, 0, 0,    0, 0,    0,    0,
      0,    0,    0, 0x09, 0x0C, 0x00, 0x04, 0,    1,    0,    1,    0, 0x4F, 0, 0xC2, 0xA0, 0x51},
     false,
     true,
     0x04},
    {"HostTimeout", 0, 0x00, 0x03, 0, {}, false, false, 0},
    {"DriverTimeout", 0, 0x00, 0, 0x06, {}, false, false, 0},
    {"IoctlFailed", -1, 0x00, 0, 0, {}, false, false, 0},
    {"ScsiBusy", 0, 0x08, 0, 0, {}, false, false, 0},
};

TEST(DecodeAtaOutcome, DecidesFromStatusSenseKeyAndAtaRegisters) {
  for (const OutcomeCase& c : kOutcomes) {
    const AtaOutcome outcome =
        DecodeAtaOutcome(c.ioctlResult, c.scsiStatus, c.hostStatus, c.driverStatus, c.sense);
    EXPECT_EQ(outcome.Success, c.success) << c.name;
    EXPECT_EQ(outcome.DriveReportedError, c.driveError) << c.name;
    EXPECT_EQ(outcome.ErrorRegister, c.errorRegister) << c.name;
  }
}

// CHECK POWER MODE answers in the count register, SMART RETURN STATUS in
// LBA mid and high, each at a different place in each sense format; without
// registers there is no answer at all.
TEST(DecodeAtaOutcome, ReturnsTheRegistersWhereverTheSenseHoldsThem) {
  const struct {
    const char* name;
    Bytes sense;
    std::optional<std::uint8_t> count;
    std::uint8_t lbaMid = 0;
    std::uint8_t lbaHigh = 0;
  } cases[] = {
      {"DescriptorActive",
       {0x72, 0x01, 0,    0x1D, 0, 0, 0, 0x0E, 0x09, 0x0C, 0,
        0,    0x00, 0xFF, 0,    0, 0, 0, 0,    0,    0xA0, 0x50},
       0xFF},
      {"DescriptorStandbyWithCountHighSet",
       {0x72, 0x01, 0,    0x1D, 0, 0, 0, 0x0E, 0x09, 0x0C, 0x01,
        0,    0x80, 0x00, 0,    0, 0, 0, 0,    0,    0xA0, 0x50},
       0x00},
      {"DescriptorFailingStatus",
       {0x72, 0x01, 0,    0x1D, 0,    0, 0,    0x0E, 0x09, 0x0C, 0,
        0,    0x00, 0x00, 0x11, 0, 0x22, 0xF4, 0x33, 0x2C, 0xA0, 0x50},
       0x00,
       0xF4,
       0x2C},
      {"FixedIdle", {0x70, 0, 0x01, 0x00, 0x50, 0xA0, 0x80, 0x0A, 0, 0, 0, 0, 0x00, 0x1D}, 0x80},
      {"FixedPassingStatus",
       {0x70, 0, 0x01, 0x00, 0x50, 0xA0, 0x00, 0x0A, 0, 0, 0x4F, 0xC2, 0x00, 0x1D},
       0x00,
       0x4F,
       0xC2},
      {"FixedWithoutCommandSpecificBytes", {0x70, 0, 0x01, 0x00, 0x50, 0xA0, 0x80, 0x0A, 0, 0x01}, 0x80},
      {"FixedTooShortForTheInformationBytes", {0x70, 0, 0x01, 0x00, 0x50, 0xA0}, std::nullopt},
      {"NoSense", {}, std::nullopt},
      {"DescriptorWithoutStatusReturn", {0x72, 0x01, 0, 0x1D, 0, 0, 0, 0}, std::nullopt},
  };
  for (const auto& c : cases) {
    const AtaOutcome outcome = DecodeAtaOutcome(0, 0x02, 0, 0x08, c.sense);
    ASSERT_EQ(outcome.Registers.has_value(), c.count.has_value()) << c.name;
    if (!c.count) continue;
    EXPECT_EQ(outcome.Registers->Count, *c.count) << c.name;
    EXPECT_EQ(outcome.Registers->LbaMid, c.lbaMid) << c.name;
    EXPECT_EQ(outcome.Registers->LbaHigh, c.lbaHigh) << c.name;
  }
}

// Every prefix and random garbage of every length: the sanitizers catch any
// read outside the exactly-sized buffers.
TEST(ParseSense, StaysInsideAnyBytes) {
  const Bytes full = StatusReturn(0x01, 0x00, 0x50);
  for (std::size_t length = 0; length <= full.size(); ++length) {
    const SenseSummary summary = ParseSense(Bytes(full.begin(), full.begin() + length));
    EXPECT_EQ(summary.Registers.has_value(), length == full.size()) << length;
  }
  std::mt19937 random(7);
  for (int round = 0; round < 4000; ++round) {
    Bytes sense(random() % 48);
    for (std::uint8_t& byte : sense) byte = static_cast<std::uint8_t>(random());
    if (!sense.empty()) sense[0] = static_cast<std::uint8_t>(0x70 + round % 4);
    ParseSense(sense);
  }
}

}  // namespace
}  // namespace halvoric
