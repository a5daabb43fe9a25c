// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a drive's answers: the IDENTIFY decoder, the attribute and
// threshold tables, the summary, the NVMe translation and the self-test and
// error logs must neither crash nor read out of bounds, whatever a drive or
// a bridge sends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "drive/attributes.h"
#include "drive/collecting_sinks.h"
#include "drive/error_log.h"
#include "drive/identify.h"
#include "drive/nvme_figures.h"
#include "drive/nvme_translation.h"
#include "drive/self_test.h"

namespace {

// Takes the next `size` bytes of the input, zeros past its end.
void Take(const std::uint8_t*& data, std::size_t& left, void* into, std::size_t size) {
  const std::size_t taken = std::min(left, size);
  std::memset(into, 0, size);
  std::memcpy(into, data, taken);
  data += taken;
  left -= taken;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace halvoric;
  AtaCommandResult identify{};
  AtaCommandResult attributes{};
  AtaCommandResult thresholds{};
  AtaCommandRequest request{};
  Take(data, size, &identify, sizeof identify);
  Take(data, size, &attributes.Data, sizeof attributes.Data);
  Take(data, size, &thresholds.Data, sizeof thresholds.Data);
  Take(data, size, &request, sizeof request);

  CollectingSinks sinks;
  AtaCommandResult modelCopy = identify;
  DecodeModel(modelCopy);
  ShowIdentifyData(sinks, identify, request, request.Command, true, request.DriveNumber);
  // Both sources judge the same bytes: ATA's rule and NVMe's.
  for (const TableSource source : {TableSource::Ata, TableSource::Nvme}) {
    sinks.ClearSmartInfo();
    ShowAttributes(sinks, attributes.Data, thresholds.Data, source);
    const DriveSummary summary = DecodeDriveSummary(attributes.Data, thresholds.Data, source);
    const auto readings = ListAttributes(attributes.Data, thresholds.Data, source);
    // Every SMART Info row has its reading, and the summary's health agrees.
    if (readings.size() != sinks.smartInfo.size()) std::abort();
    const bool anyBad =
        std::any_of(readings.begin(), readings.end(),
                    [](const TableAttribute& r) { return r.State == Status::Bad; });
    if (anyBad != (summary.Health == Status::Bad)) std::abort();
  }
  (void)NvmeLimitsFromSector(identify.Data);
  (void)CriticalWarningText(attributes.Data[0]);

  NvmeIdentifyData controller{};
  NvmeHealthLog log{};
  std::memcpy(controller.data(), attributes.Data,
              std::min(controller.size(), sizeof attributes.Data));
  std::memcpy(log.data(), thresholds.Data, std::min(log.size(), sizeof thresholds.Data));
  std::uint8_t sector[kSectorSize];
  NvmeIdentifyToAta(controller, sector);
  NvmeHealthToAttributes(log, sector);
  NvmeHealthToThresholds(log, sector);
  (void)NvmeCelsius(log);

  // The logs hold no more entries than their layouts have places for.
  for (const SectorBytes* bytes : {&identify.Data, &attributes.Data, &thresholds.Data}) {
    const SelfTestLog ata = DecodeAtaSelfTestLog(*bytes);
    (void)AtaSelfTestState(*bytes, &ata);
    (void)AtaSelfTestAbilities(*bytes);
    (void)NvmeSelfTestAbilities(*bytes);
    (void)NvmeSelfTestState(*bytes);
    const bool fits = ata.Entries.size() <= 21 &&
                      DecodeExtendedSelfTestLog(*bytes).Entries.size() <= 19 &&
                      DecodeNvmeSelfTestLog(*bytes).Entries.size() <= 18 &&
                      DecodeAtaErrorLog(*bytes).Entries.size() <= 5 &&
                      DecodeExtendedErrorLog(*bytes).Entries.size() <= 4 &&
                      DecodeNvmeErrorLog(*bytes).Entries.size() <= 8;
    if (!fits) std::abort();
  }
  return 0;
}
