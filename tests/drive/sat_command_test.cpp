// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sat_command.h"

#include <gtest/gtest.h>

namespace halvoric {
namespace {

struct CommandCase {
  const char* name;
  std::uint8_t command;
  std::uint8_t features;
  std::uint8_t cylinderLow;
  std::uint8_t cylinderHigh;
  AtaProtocol protocol;
  AtaPassThroughCdb expectedForDrive0;
};

// Requests filled as the drive series fills them. The request's drive/head
// register is 0xA0 for even and 0xB0 for odd drive numbers; byte 13 never
// selects the second device, since every node is a device of its own.
const CommandCase kCommands[] = {
    {"SmartEnable",
     0xB0,
     0xD8,
     0x4F,
     0xC2,
     AtaProtocol::NonData,
     {0x85, 0x06, 0x20, 0, 0xD8, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
    {"IdentifyDevice",
     0xEC,
     0x00,
     0x00,
     0x00,
     AtaProtocol::PioDataIn,
     {0x85, 0x08, 0x0E, 0, 0x00, 0, 0x01, 0, 0x01, 0, 0x00, 0, 0x00, 0xA0, 0xEC, 0}},
    {"IdentifyPacketDevice",
     0xA1,
     0x00,
     0x00,
     0x00,
     AtaProtocol::PioDataIn,
     {0x85, 0x08, 0x0E, 0, 0x00, 0, 0x01, 0, 0x01, 0, 0x00, 0, 0x00, 0xA0, 0xA1, 0}},
    {"SmartReadData",
     0xB0,
     0xD0,
     0x4F,
     0xC2,
     AtaProtocol::PioDataIn,
     {0x85, 0x08, 0x0E, 0, 0xD0, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
    {"SmartReadThresholds",
     0xB0,
     0xD1,
     0x4F,
     0xC2,
     AtaProtocol::PioDataIn,
     {0x85, 0x08, 0x0E, 0, 0xD1, 0, 0x01, 0, 0x01, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}},
};

TEST(BuildAtaPassThrough16, CarriesEveryCommandOfTheSeriesForDrives0To3ToTheNodesOwnDevice) {
  for (const CommandCase& c : kCommands) {
    for (std::uint8_t drive = 0; drive < 4; ++drive) {
      AtaCommandRequest request{};
      request.BufferSize = c.protocol == AtaProtocol::NonData ? 0 : 512;
      request.Features = c.features;
      request.SectorCount = 1;
      request.SectorNumber = 1;
      request.CylinderLow = c.cylinderLow;
      request.CylinderHigh = c.cylinderHigh;
      request.DriveHead = static_cast<std::uint8_t>(0xA0 | ((drive & 1) << 4));
      request.Command = c.command;
      request.DriveNumber = drive;

      EXPECT_EQ(BuildAtaPassThrough16(request, c.protocol), c.expectedForDrive0)
          << c.name << " drive " << int{drive};
    }
  }
}

TEST(BuildAtaPassThrough16, PassesRegistersUnchanged) {
  AtaCommandRequest request{};
  request.Features = 0x11;
  request.SectorCount = 0x22;
  request.SectorNumber = 0x33;
  request.CylinderLow = 0x44;
  request.CylinderHigh = 0x55;
  request.DriveHead = 0x66;
  request.Command = 0x77;
  const AtaPassThroughCdb expected = {0x85, 0x06, 0x20, 0, 0x11, 0,    0x22, 0,
                                      0x33, 0,    0x44, 0, 0x55, 0x66, 0x77, 0};  // 0x66: DEV clear
  EXPECT_EQ(BuildAtaPassThrough16(request, AtaProtocol::NonData), expected);
}

}  // namespace
}  // namespace halvoric
