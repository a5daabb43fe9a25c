// Any bytes as a request to the privileged helper: whatever the check lets
// through must be one of the commands the helper may send, with nothing to
// write to the disk.
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
  // only read or report, never write, change a setting beyond SMART ENABLE,
  // or start anything on the drive.
  const bool readOnlySmart =
      request.Command == kAtaSmart &&
      (request.Features == kSmartEnableOperations || request.Features == kSmartReadData ||
       request.Features == kSmartReadThresholds || request.Features == kSmartReturnStatus ||
       (request.Features == kSmartReadLog && request.SectorNumber == kSctStatusLog));
  const bool allowed = request.Command == kAtaIdentifyDevice ||
                       request.Command == kAtaIdentifyPacketDevice || readOnlySmart ||
                       request.Command == kAtaCheckPowerMode;
  if (!allowed) std::abort();
  return 0;
}
