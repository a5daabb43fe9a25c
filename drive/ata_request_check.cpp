// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/ata_request_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace halvoric {
namespace {

constexpr std::uint8_t kDriveHeadBase = 0xA0;
constexpr std::uint8_t kDriveHeadDeviceBit = 0x10;

// What each control code carries, for the message of a refused command.
struct CodeRole {
  std::uint32_t Code;
  const char* Role;
};
constexpr CodeRole kRoles[] = {
    {SMART_SEND_DRIVE_COMMAND, "without data"},
    {SMART_RCV_DRIVE_DATA, "as a data read"},
    {CHECK_POWER_MODE, "as a power check"},
};

// Any row of the code: they all agree on its sizes and protocol.
const DriveCommandRow* ShapeOf(std::uint32_t code) {
  const auto rows = DriveCommands();
  const auto row = std::find_if(rows.begin(), rows.end(),
                                [code](const DriveCommandRow& r) { return r.Code == code; });
  return row == rows.end() ? nullptr : &*row;
}

std::string NotAllowed(std::uint32_t code, const AtaCommandRequest& request) {
  for (const DriveCommandRow& row : DriveCommands()) {
    // A command without sub-commands in the features register.
    if (row.Code == code && row.Ata == request.Command && row.Features == 0) {
      return std::string("features must be 0 for ") + row.Name;
    }
  }
  const auto role = std::find_if(std::begin(kRoles), std::end(kRoles),
                                 [code](const CodeRole& r) { return r.Code == code; });
  return std::string("command not allowed ") + (role == std::end(kRoles) ? "" : role->Role);
}

// The sector numbers the rows of one command permit: a log's address or a
// self-test's subcommand. "1", or "0x01, 0x06 or 0xE0".
std::string PermittedNumbers(std::uint32_t code, const DriveCommandRow& row) {
  std::vector<std::uint8_t> numbers;
  for (const DriveCommandRow& r : DriveCommands()) {
    if (r.Code == code && r.Ata == row.Ata && r.Features == row.Features && r.HelperPermits) {
      numbers.push_back(r.SectorNumber);
    }
  }
  if (numbers.size() == 1) return std::to_string(numbers.front());
  std::string text;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", numbers[i]);
    text += (i == 0 ? "" : i + 1 == numbers.size() ? " or " : ", ") + std::string(hex);
  }
  return text;
}

// Every register must hold what the channel puts there for the command;
// nothing else may reach the drive through them.
Result<> CheckRegisters(std::uint32_t code, const AtaCommandRequest& request,
                        const DriveCommandRow& row) {
  if (request.SectorCount != row.SectorCount || request.SectorNumber != row.SectorNumber) {
    return Failure{"sector count and number must be " + std::to_string(row.SectorCount) + " and " +
                   PermittedNumbers(code, row) + " for " + row.Name};
  }
  if (request.CylinderLow != row.CylinderLow || request.CylinderHigh != row.CylinderHigh) {
    return Failure{"cylinder registers do not belong to the command"};
  }
  if ((request.DriveHead & ~kDriveHeadDeviceBit) != kDriveHeadBase) {
    return Failure{"drive/head register must be 0xA0 or 0xB0"};
  }
  return Result<>::Done();
}

}  // namespace

Result<CheckedAtaRequest> CheckAtaRequest(std::uint32_t code, const void* in, std::size_t inSize,
                                          const void* out, std::size_t outSize) {
  const DriveCommandRow* shape = ShapeOf(code);
  if (shape == nullptr) return Failure{"not an ATA command control code"};
  if (in == nullptr || inSize != sizeof(AtaCommandRequest)) {
    return Failure{"input must be one 32-byte request"};
  }
  if (out == nullptr) return Failure{"no output buffer"};
  if (outSize < shape->OutSize) {
    return Failure{"output smaller than the " + std::to_string(shape->OutSize) + "-byte answer"};
  }
  CheckedAtaRequest checked;
  std::memcpy(&checked.Request, in, sizeof checked.Request);
  if (checked.Request.BufferSize != shape->BufferSize) {
    return Failure{"buffer size must be " + std::to_string(shape->BufferSize) +
                   " for this control code"};
  }
  const DriveCommandRow* row = FindDriveCommand(code, checked.Request);
  if (row == nullptr) return Failure{NotAllowed(code, checked.Request)};
  if (!row->HelperPermits) return Failure{std::string(row->Name) + " is not allowed"};
  Result<> fits = CheckRegisters(code, checked.Request, *row);
  if (!fits.Ok()) return Failure{std::move(fits.Message)};
  checked.Command = row->Command;
  checked.Protocol = row->Protocol;
  return checked;
}

}  // namespace halvoric
