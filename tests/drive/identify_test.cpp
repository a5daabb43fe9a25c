// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/identify.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "drive/device_facts.h"
#include "drive/drive_reader.h"
#include "recording_sinks.h"
#include "sim_helpers.h"

namespace halvoric {
namespace {

using test::RecordingSinks;
using test::ScenarioFrom;

AtaCommandResult FixtureBlock(const char* name) {
  AtaCommandResult block{};
  std::ifstream in(std::string(HALVORIC_FIXTURES) + "/qemu-sata/" + name, std::ios::binary);
  in.read(reinterpret_cast<char*>(block.Data), sizeof block.Data);
  EXPECT_EQ(in.gcount(), 512);
  return block;
}

AtaCommandRequest IdentifyRequest(DriveNumber n, std::uint8_t command) {
  AtaCommandRequest r{};
  r.BufferSize = 512;
  r.SectorCount = r.SectorNumber = 1;
  r.DriveHead = DriveHeadRegister(n);
  r.Command = command;
  r.DriveNumber = n;
  return r;
}

TEST(Identify, RecordedDriveShowsItsRowsWithPaddingKept) {
  AtaCommandResult block = FixtureBlock("identify.bin");
  RecordingSinks sinks;
  ShowIdentifyData(sinks, block, IdentifyRequest(1, 0xEC), 0xEC, true, 1);

  const std::vector<std::string> captions = {
      "IDE HDD 1",          "Cylinders",           "Heads",
      "Sectors per Track",  "Sector Count",        "Sector Number",
      "Low order cylinder", "High order cylinder", "Drive/Head",
      "Actual IDE command", "Model number",        "Firmware rev",
      "Serial number"};
  EXPECT_EQ(sinks.DiskInfoCaptions(), captions);
  EXPECT_EQ(sinks.DiskInfoValue("IDE HDD 1"), "S.M.A.R.T supported");
  EXPECT_EQ(sinks.DiskInfoValue("Cylinders"), "130");  // a small emulated disk
  EXPECT_EQ(sinks.DiskInfoValue("Heads"), "16");
  EXPECT_EQ(sinks.DiskInfoValue("Sectors per Track"), "63");
  EXPECT_EQ(sinks.DiskInfoValue("Sector Count"), "1");
  EXPECT_EQ(sinks.DiskInfoValue("Sector Number"), "1");
  EXPECT_EQ(sinks.DiskInfoValue("Low order cylinder"), "0");
  EXPECT_EQ(sinks.DiskInfoValue("High order cylinder"), "0");
  EXPECT_EQ(sinks.DiskInfoValue("Drive/Head"), "176");
  EXPECT_EQ(sinks.DiskInfoValue("Actual IDE command"), "236");
  EXPECT_EQ(sinks.DiskInfoValue("Model number"), "HARNESS SMART TEST DISK" + std::string(17, ' '));
  EXPECT_EQ(sinks.DiskInfoValue("Firmware rev"), "2.5+    ");
  EXPECT_EQ(sinks.DiskInfoValue("Serial number"), "HSD0001" + std::string(13, ' '));
}

TEST(Identify, WithoutSmartTheFirstRowHasNoValue) {
  AtaCommandResult block = FixtureBlock("identify.bin");
  RecordingSinks sinks;
  ShowIdentifyData(sinks, block, IdentifyRequest(0, 0xEC), 0xEC, false, 0);
  EXPECT_EQ(sinks.diskInfo.front().Caption, "IDE HDD 0");
  EXPECT_FALSE(sinks.diskInfo.front().Value.has_value());
  EXPECT_EQ(sinks.DiskInfoValue("Drive/Head"), "160");
}

TEST(Identify, PacketDeviceShowsFourRows) {
  AtaCommandResult block = FixtureBlock("identify.bin");
  RecordingSinks sinks;
  ShowIdentifyData(sinks, block, IdentifyRequest(2, 0xA1), 0xA1, true, 2);
  const std::vector<std::string> captions = {"ATAPI device", "Model number", "Firmware rev",
                                             "Serial number"};
  EXPECT_EQ(sinks.DiskInfoCaptions(), captions);
  EXPECT_EQ(sinks.DiskInfoValue("ATAPI device"), "2");
}

TEST(Identify, ModelTextEndsAtTheFirstNulAfterTheSwap) {
  struct Case {
    std::string field;  // in reading order, before the drive's pair swap
    std::string expected;
  } cases[] = {
      {std::string(40, '\0'), ""},
      {"ABCDEFGHIJKL" + std::string(28, '\0'), "ABCDEFGHIJKL"},
      {std::string(40, 'M'), std::string(40, 'M')},  // no NUL at all
      {"Short" + std::string(35, ' '), "Short" + std::string(35, ' ')},
      // A hostile disk's line breaks, terminal escape, next-line control,
      // line separator and stray byte never leave the decoder.
      {"A\nB\r\x1b[2J\xc2\x85\xe2\x80\xa8\xff" + std::string(26, ' '),
       "A?B??[2J???" + std::string(26, ' ')},
  };
  for (const Case& c : cases) {
    AtaCommandResult block{};
    std::memcpy(block.Data + kIdentifyModel, c.field.data(), 40);
    SwapBytePairs(block.Data + kIdentifyModel, 40);
    EXPECT_EQ(DecodeModel(block), c.expected);
  }
}

TEST(Identify, BlankCaptionsAddNoRow) {
  RecordingSinks sinks;
  AddDiskInfoRow(sinks, "", "x");
  AddDiskInfoRow(sinks, "   ", "x");
  AddDiskInfoRow(sinks, "\t\x01 ", "x");
  AddDiskInfoRow(sinks, " a ", "x");
  ASSERT_EQ(sinks.diskInfo.size(), 1u);
  EXPECT_EQ(sinks.diskInfo[0].Caption, " a ");
}

TEST(Identify, ModelSeriesDecodesOddLengthMixedCaseStrings) {
  sim::SimulatedDisks disks(ScenarioFrom("[drive 0]\nmodel = aBcDe\n"));
  DriveReader reader(disks);
  EXPECT_EQ(reader.GetDriveModel(0), "aBcDe" + std::string(35, ' '));
  // Every answer is decoded once: a second read gives the same text.
  EXPECT_EQ(reader.GetDriveModel(0), "aBcDe" + std::string(35, ' '));
}

// The device's own facts: QEMU's recorded drive as it is, then with the
// words a real drive fills set one case at a time.
TEST(Identify, DeviceFactsAsSmartctlNamesThem) {
  const auto with = [](std::initializer_list<std::pair<std::size_t, std::uint16_t>> words) {
    AtaCommandResult block = FixtureBlock("identify.bin");
    for (const auto& [word, value] : words) {
      block.Data[2 * word] = static_cast<std::uint8_t>(value);
      block.Data[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return DecodeDeviceFacts(block.Data, false);
  };
  const DeviceFacts qemu = with({});
  EXPECT_EQ(qemu.CapacityBlocks, 131072u);
  EXPECT_EQ(qemu.CapacityBytes(), 67108864u);
  EXPECT_EQ(qemu.PhysicalBlockSize, 512u);
  EXPECT_EQ(qemu.AtaVersion, "ATA/ATAPI-7");
  EXPECT_FALSE(qemu.RotationRate || qemu.SpeedMax || qemu.SpeedCurrent);
  EXPECT_EQ(qemu.SataVersion + qemu.FormFactor + qemu.AdditionalProduct, "");

  // 4 KiB physical sectors of 512-byte logical ones; 4 KiB logical ones.
  EXPECT_EQ(with({{106, 0x6003}}).PhysicalBlockSize, 4096u);
  const DeviceFacts native = with({{106, 0x5000}, {117, 2048}, {118, 0}});
  EXPECT_EQ(native.LogicalBlockSize, 4096u);
  EXPECT_EQ(native.CapacityBytes(), 131072u * 4096u);
  // A sector size word that is not valid says the old 512 bytes.
  EXPECT_EQ(with({{106, 0x8003}}).PhysicalBlockSize, 512u);
  // Without 48-bit addresses only words 60..61 count.
  EXPECT_EQ(with({{83, 0x4000}, {60, 0x1000}, {61, 0}}).CapacityBlocks, 0x1000u);
  EXPECT_EQ(with({{217, 7200}}).RotationRate, 7200u);
  EXPECT_FALSE(with({{217, 1}}).RotationRate);
  const DeviceFacts sata = with({{76, 0x010E}, {77, 0x0004}, {222, 0x10FF}, {168, 3}});
  EXPECT_EQ(sata.SpeedMax, 6'000'000'000u);
  EXPECT_EQ(sata.SpeedCurrent, 3'000'000'000u);
  EXPECT_EQ(sata.SataVersion, "SATA 3.2");
  EXPECT_EQ(sata.FormFactor, "2.5 inches");
  EXPECT_EQ(with({{80, 0x0FF0}, {81, 0}}).AtaVersion, "ACS-4 (minor revision not indicated)");
  EXPECT_EQ(with({{80, 0xFFFF}}).AtaVersion, "");
  // "HC7020E0" in ATA's byte order, and the bit that says it is there.
  EXPECT_EQ(with({{69, 0x6000}, {170, 0x4843}, {171, 0x3730}, {172, 0x3230}, {173, 0x4530}})
                .AdditionalProduct,
            "HC7020E0");
  // A capacity whose bytes pass 2^64 has none in bytes.
  EXPECT_FALSE(with({{106, 0x5000}, {117, 0}, {118, 1}, {103, 0xFFFF}}).CapacityBytes());
}

}  // namespace
}  // namespace halvoric
