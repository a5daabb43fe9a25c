// SPDX-License-Identifier: GPL-3.0-or-later
// The wire protocol between the program and halvoric-ata, the privileged
// helper that alone may send ATA commands. One helper process serves one
// request series: the first request opens a drive, the following ones carry
// control codes of the disk control interface, and end of input ends the
// helper. Every message has a fixed size and the native byte order of the
// machine (both ends are built together); nothing is variable-length, so a
// short or long message is simply wrong.
#pragma once

#include <cstddef>
#include <cstdint>

#include "drive/ata_blocks.h"

namespace halvoric {

inline constexpr std::uint32_t kHelperRequestMagic = 0x31415648;  // "HVA1"
inline constexpr std::uint32_t kHelperReplyMagic = 0x31525648;    // "HVR1"

// HelperRequest::Operation: kHelperOpen, or one of the four control codes
// SMART_GET_VERSION, SMART_SEND_DRIVE_COMMAND, SMART_RCV_DRIVE_DATA,
// CHECK_POWER_MODE.
inline constexpr std::uint32_t kHelperOpen = 1;

enum class HelperStatus : std::uint32_t {
  Ok = 0,
  RequestFailed = 1,     // the drive or the kernel did not carry the command out
  Refused = 2,           // the helper refused the request; stderr says why
  NotFound = 3,          // open: no such whole disk
  PermissionDenied = 4,  // open: the helper lacks the rights
  OpenFailed = 5,        // open: any other reason
};

#pragma pack(push, 1)

struct HelperRequest {
  std::uint32_t Magic;        // 0: kHelperRequestMagic
  std::uint32_t Operation;    // 4: kHelperOpen or a control code
  std::uint32_t DriveNumber;  // 8: open only: N of "\\.\PhysicalDriveN"
  std::uint32_t OutSize;      // 12: control codes: the caller's output size
  AtaCommandRequest Ata;      // 16: the ATA control codes only
};
static_assert(sizeof(HelperRequest) == 48);
static_assert(offsetof(HelperRequest, Ata) == 16);

inline constexpr std::size_t kHelperMaxOut = sizeof(AtaCommandResult);

struct HelperReply {
  std::uint32_t Magic;              // 0: kHelperReplyMagic
  std::uint32_t Status;             // 4: a HelperStatus
  std::uint32_t OutSize;            // 8: bytes of Out that carry the answer
  std::uint32_t Reserved;           // 12: 0
  std::uint8_t Out[kHelperMaxOut];  // 16: what the control code wrote
};
static_assert(sizeof(HelperReply) == 544);
static_assert(offsetof(HelperReply, Out) == 16);

#pragma pack(pop)

}  // namespace halvoric
