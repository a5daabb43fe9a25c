// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a request to the privileged helper: whatever the check lets
// through must be one of the commands the helper may send, with nothing to
// write to the disk and no self-test that holds it captive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "drive/ata_blocks.h"
#include "drive/ata_request_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvoric;
  if (size < sizeof(std::uint32_t) + sizeof(std::uint32_t)) return 0;
  std::uint32_t code = 0;
  std::uint32_t outSize = 0;
  std::memcpy(&code, data, sizeof code);
  std::memcpy(&outSize, data + sizeof code, sizeof outSize);
  data += sizeof code + sizeof outSize;
  size -= sizeof code + sizeof outSize;
  static std::uint8_t out[4096];
  outSize %= sizeof out + 1;
  const auto checked = CheckAtaRequest(code, data, size, out, outSize);
  if (!checked.Ok()) return 0;
  AtaCommandRequest request{};
  if (size < sizeof request) return 0;  // the version query carries no registers
  std::memcpy(&request, data, sizeof request);
  // Kept apart from the command table on purpose: the SMART features that
  // only read or report, never write or change a setting beyond SMART
  // ENABLE; the logs of self-tests and errors; and the self-tests that run
  // in the drive's background and their abort, never a captive one
  // (81h-84h), which holds the drive busy until it ends.
  const std::uint8_t log = request.SectorNumber;
  const bool readableLog = log == kSctStatusLog || log == kSummaryErrorLog || log == kSelfTestLog;
  const bool backgroundTest = log == kOfflineShortTest || log == kOfflineExtendedTest ||
                              log == kOfflineConveyanceTest || log == kOfflineAbortTest;
  const bool readOnlySmart =
      request.Command == kAtaSmart &&
      (request.Features == kSmartEnableOperations || request.Features == kSmartReadData ||
       request.Features == kSmartReadThresholds || request.Features == kSmartReturnStatus ||
       (request.Features == kSmartReadLog && readableLog) ||
       (request.Features == kSmartExecuteOffline && backgroundTest));
  // READ LOG EXT of the two logs, their first page, one sector.
  const bool readLogExt = request.Command == kAtaReadLogExt && request.Features == 0 &&
                          (log == kExtendedErrorLog || log == kExtendedSelfTestLog) &&
                          request.SectorCount == 1 && request.CylinderLow == 0 &&
                          request.CylinderHigh == 0;
  const bool allowed = request.Command == kAtaIdentifyDevice ||
                       request.Command == kAtaIdentifyPacketDevice || readOnlySmart || readLogExt ||
                       request.Command == kAtaCheckPowerMode;
  if (!allowed) std::abort();
  return 0;
}
