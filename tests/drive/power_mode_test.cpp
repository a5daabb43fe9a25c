// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/power_mode.h"

#include <gtest/gtest.h>

#include <set>

namespace halvoric {
namespace {

// Every count a drive could return, so a value that slips into the wrong
// group shows; the reserved ones must not pass for a known mode.
TEST(PowerModeFromCount, GroupsEveryCountByWhetherTheDiskSpins) {
  const std::set<int> standby = {0x00, 0x01};
  const std::set<int> active = {0x40, 0x41, 0x80, 0x81, 0x82, 0x83, 0xFF};
  for (int count = 0; count < 256; ++count) {
    const PowerMode expected = standby.count(count)  ? PowerMode::Standby
                               : active.count(count) ? PowerMode::Active
                                                     : PowerMode::Unknown;
    EXPECT_EQ(PowerModeFromCount(static_cast<std::uint8_t>(count)), expected) << count;
  }
}

TEST(DecodePowerMode, AsleepOutweighsTheCount) {
  const struct {
    std::uint8_t count;
    std::uint8_t asleep;
    PowerMode expected;
  } cases[] = {
      {0xFF, 0, PowerMode::Active}, {0x00, 0, PowerMode::Standby}, {0x00, 1, PowerMode::Sleep},
      {0xFF, 1, PowerMode::Sleep},  {0x10, 0, PowerMode::Unknown},
  };
  for (const auto& c : cases) {
    RegisterAnswer answer{};
    answer.SectorCount = c.count;
    answer.Asleep = c.asleep;
    EXPECT_EQ(DecodePowerMode(answer), c.expected) << int(c.count) << " " << int(c.asleep);
  }
}

}  // namespace
}  // namespace halvoric
