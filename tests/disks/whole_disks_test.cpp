// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/whole_disks.h"

#include <gtest/gtest.h>

#include "tests/disks/fake_sysfs.h"

namespace halvoric {
namespace {

TEST(IsMonitoredDiskName, KeepsDisksAndLeavesOutVirtualAndRemovableKinds) {
  const std::pair<const char*, bool> cases[] = {
      {"sda", true},
      {"sdaa", true},
      {"vda", true},
      {"hda", true},
      {"nvme0n1", true},
      {"mmcblk0", true},
      {"xvda", true},
      {"loop0", false},
      {"ram0", false},
      {"zram0", false},
      {"dm-0", false},
      {"md0", false},
      {"md127", false},
      {"sr0", false},
      {"fd0", false},
      {"nbd0", false},
      {"", false},
      {"Sda", false},
      {"0sda", false},
      {"sd a", false},
      {"sda.", false},
      {"cciss!c0d0", false},
      {"..", false},
      {"sd-a", false},
      {"abcdefghijklmnopqrstuvwxyz0123456", false},
  };
  for (const auto& [name, kept] : cases) {
    EXPECT_EQ(IsMonitoredDiskName(name), kept) << name;
  }
}

TEST(ListWholeDisks, SortsByLengthThenNameAndSkipsExcludedDevices) {
  test::FakeSysfs tree;
  for (const char* name : {"sdaa", "nvme10n1", "loop0", "sdb", "sr0", "nvme1n1", "sda", "dm-1",
                           "vda", "md0", "sdz", "zram0", "nbd3", "fd0", "ram1"}) {
    tree.AddDisk(name);
  }
  const std::vector<std::string> expected = {"sda",  "sdb",     "sdz",     "vda",
                                             "sdaa", "nvme1n1", "nvme10n1"};
  EXPECT_EQ(ListWholeDisks(tree.Sys()), expected);
}

TEST(ListWholeDisks, MissingSysfsGivesNoDisks) {
  EXPECT_TRUE(ListWholeDisks("/nonexistent-halvoric-sysfs").empty());
}

}  // namespace
}  // namespace halvoric
