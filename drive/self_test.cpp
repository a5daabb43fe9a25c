// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/self_test.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "drive/nvme_figures.h"

namespace halvoric {
namespace {

// SMART READ DATA.
constexpr std::size_t kExecutionStatus = 363;
constexpr std::size_t kOfflineCapability = 367;
constexpr std::uint8_t kCanSelfTest = 0x10;
constexpr std::uint8_t kCanConveyance = 0x20;
constexpr std::size_t kShortMinutes = 372;
constexpr std::size_t kExtendedMinutes = 373;  // FFh: the word at 375 holds it
constexpr std::size_t kConveyanceMinutes = 374;
constexpr std::size_t kExtendedMinutesWord = 375;

// SMART READ LOG 06h: revision word, 21 descriptors of 24 bytes from byte
// 2, the newest one's number (1-21) at 508.
constexpr std::size_t kLogDescriptors = 21;
constexpr std::size_t kLogDescriptorSize = 24;
constexpr std::size_t kLogIndex = 508;
// READ LOG EXT 07h: revision at 0, the newest one's number at 2-3, 19
// descriptors of 26 bytes from byte 4 on each page.
constexpr std::size_t kExtDescriptors = 19;
constexpr std::size_t kExtDescriptorSize = 26;
constexpr std::size_t kExtFirst = 4;
// Within a descriptor: the subcommand (0), the status byte (1), the
// lifetime hours (2-3), the failing LBA (5-8, or 5-10 in the extended log).
constexpr std::size_t kDescriptorStatus = 1;
constexpr std::size_t kDescriptorHours = 2;
constexpr std::size_t kDescriptorLba = 5;

// NVMe log page 06h: the operation in progress (0), its completion (1),
// 28-byte results from byte 4; 18 whole ones fit the first 512 bytes.
constexpr std::size_t kNvmeResults = 18;
constexpr std::size_t kNvmeResultSize = 28;
constexpr std::size_t kNvmeFirstResult = 4;
constexpr std::size_t kNvmeResultHours = 4;
constexpr std::size_t kNvmeResultLba = 16;
constexpr std::uint8_t kNvmeLbaValid = 0x02;
constexpr std::uint8_t kNvmeUnusedResult = 0x0F;
constexpr std::uint8_t kNvmeCanSelfTest = 0x10;  // OACS bit 4
constexpr int kNvmeShortMinutes = 2;             // NVMe bounds a short test by two minutes

constexpr std::uint8_t kStatusRunning = 15;

struct Named {
  std::uint8_t Code;
  const char* Text;
};

constexpr Named kAtaTypes[] = {
    {0x00, "Offline"},
    {0x01, "Short offline"},
    {0x02, "Extended offline"},
    {0x03, "Conveyance offline"},
    {0x04, "Selective offline"},
    {0x7F, "Abort offline test"},
    {0x81, "Short captive"},
    {0x82, "Extended captive"},
    {0x83, "Conveyance captive"},
    {0x84, "Selective captive"},
};
constexpr Named kAtaResults[] = {
    {0, "Completed without error"},       {1, "Aborted by host"},
    {2, "Interrupted (host reset)"},      {3, "Fatal or unknown error"},
    {4, "Completed: unknown failure"},    {5, "Completed: electrical failure"},
    {6, "Completed: servo/seek failure"}, {7, "Completed: read failure"},
    {8, "Completed: handling damage"},    {15, "Self-test routine in progress"},
};
constexpr Named kNvmeTypes[] = {{1, "Short"}, {2, "Extended"}, {0x0E, "Vendor specific"}};
constexpr Named kNvmeResultTexts[] = {
    {0, "Completed without error"},           {1, "Aborted: Self-test command"},
    {2, "Aborted: Controller Reset"},         {3, "Aborted: Namespace removed"},
    {4, "Aborted: Format NVM command"},       {5, "Fatal or unknown test error"},
    {6, "Completed: unknown failed segment"}, {7, "Completed: failed segments"},
    {8, "Aborted: unknown reason"},           {9, "Aborted: sanitize operation"},
};

template <std::size_t N>
std::string NameOf(const Named (&names)[N], std::uint8_t code) {
  const auto found = std::find_if(std::begin(names), std::end(names),
                                  [code](const Named& n) { return n.Code == code; });
  if (found != std::end(names)) return found->Text;
  constexpr char kHex[] = "0123456789abcdef";
  return std::string("Unknown (0x") + kHex[code >> 4] + kHex[code & 0x0F] + ")";
}

std::uint64_t LittleEndian(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

std::optional<bool> AtaPassed(std::uint8_t status) {
  if (status == 0) return true;
  if (status >= 3 && status <= 8) return false;
  return std::nullopt;
}

std::string Lowered(std::string text) {
  if (!text.empty()) text.front() = static_cast<char>(std::tolower(text.front()));
  return text;
}

// The word for a test's subcommand or code, for a running test's kind.
std::string KindWord(std::uint8_t type) {
  switch (type & 0x7F) {
    case 1:
      return "short";
    case 2:
      return "extended";
    case 3:
      return "conveyance";
    case 4:
      return "selective";
    default:
      return "";
  }
}

SelfTestEntry AtaEntry(const std::uint8_t* d, std::size_t lbaBytes) {
  SelfTestEntry entry;
  entry.Type = d[0];
  entry.TypeText = NameOf(kAtaTypes, d[0]);
  entry.Result = d[kDescriptorStatus];
  const std::uint8_t status = entry.Result >> 4;
  entry.ResultText = NameOf(kAtaResults, status);
  entry.Passed = AtaPassed(status);
  entry.PercentLeft = (entry.Result & 0x0F) * 10;
  entry.LifetimeHours = LittleEndian(d + kDescriptorHours, 2);
  if (entry.Passed == false) entry.FailingLba = LittleEndian(d + kDescriptorLba, lbaBytes);
  return entry;
}

bool AllZero(const std::uint8_t* bytes, std::size_t count) {
  return std::all_of(bytes, bytes + count, [](std::uint8_t b) { return b == 0; });
}

}  // namespace

const char* SelfTestActionWord(SelfTestAction action) {
  switch (action) {
    case SelfTestAction::Short:
      return "short";
    case SelfTestAction::Extended:
      return "extended";
    case SelfTestAction::Conveyance:
      return "conveyance";
    case SelfTestAction::Abort:
      return "abort";
  }
  return "";
}

bool SelfTestAbilities::Runs(SelfTestAction action) const {
  switch (action) {
    case SelfTestAction::Short:
    case SelfTestAction::Extended:
    case SelfTestAction::Abort:
      return ShortAndExtended;
    case SelfTestAction::Conveyance:
      return Conveyance;
  }
  return false;
}

std::optional<int> SelfTestAbilities::MinutesOf(SelfTestAction action) const {
  switch (action) {
    case SelfTestAction::Short:
      return ShortMinutes;
    case SelfTestAction::Extended:
      return ExtendedMinutes;
    case SelfTestAction::Conveyance:
      return ConveyanceMinutes;
    case SelfTestAction::Abort:
      break;
  }
  return std::nullopt;
}

std::size_t SelfTestLog::FailedCount() const {
  return static_cast<std::size_t>(std::count_if(Entries.begin(), Entries.end(),
                                                [](const auto& e) { return e.Passed == false; }));
}

bool SectorChecksumOk(const SectorBytes& sector) {
  return std::accumulate(std::begin(sector), std::end(sector), std::uint8_t{0},
                         [](std::uint8_t sum, std::uint8_t b) {
                           return static_cast<std::uint8_t>(sum + b);
                         }) == 0;
}

SelfTestAbilities AtaSelfTestAbilities(const SectorBytes& smartData) {
  SelfTestAbilities abilities;
  const std::uint8_t capability = smartData[kOfflineCapability];
  abilities.ShortAndExtended = (capability & kCanSelfTest) != 0;
  abilities.Conveyance = (capability & kCanConveyance) != 0;
  if (abilities.ShortAndExtended) {
    abilities.ShortMinutes = smartData[kShortMinutes];
    abilities.ExtendedMinutes =
        smartData[kExtendedMinutes] == 0xFF
            ? static_cast<int>(LittleEndian(smartData + kExtendedMinutesWord, 2))
            : smartData[kExtendedMinutes];
  }
  if (abilities.Conveyance) abilities.ConveyanceMinutes = smartData[kConveyanceMinutes];
  return abilities;
}

SelfTestState AtaSelfTestState(const SectorBytes& smartData, const SelfTestLog* log) {
  SelfTestState state;
  state.Value = smartData[kExecutionStatus];
  const std::uint8_t status = state.Value >> 4;
  state.Running = status == kStatusRunning;
  if (state.Running) {
    state.PercentLeft = (state.Value & 0x0F) * 10;
    state.Text = "in progress, " + std::to_string(*state.PercentLeft) + "% remaining";
    // Some drives log the running test at its start, which names its kind.
    if (log && !log->Entries.empty() && log->Entries.front().Result >> 4 == kStatusRunning) {
      state.Kind = KindWord(log->Entries.front().Type);
    }
  } else {
    state.Text = Lowered(NameOf(kAtaResults, status));
    state.Passed = AtaPassed(status);
  }
  return state;
}

SelfTestLog DecodeAtaSelfTestLog(const SectorBytes& sector) {
  SelfTestLog log;
  log.Revision = static_cast<std::uint16_t>(LittleEndian(sector, 2));
  log.ChecksumOk = SectorChecksumOk(sector);
  const std::size_t index = sector[kLogIndex];
  for (std::size_t k = 0; k < kLogDescriptors; ++k) {
    // Without a valid index, the descriptors as a ring that never wrapped.
    const std::size_t slot = index >= 1 && index <= kLogDescriptors
                                 ? (index - 1 + kLogDescriptors - k) % kLogDescriptors
                                 : kLogDescriptors - 1 - k;
    const std::uint8_t* d = sector + 2 + slot * kLogDescriptorSize;
    if (AllZero(d, kLogDescriptorSize)) continue;
    log.Entries.push_back(AtaEntry(d, 4));
  }
  return log;
}

SelfTestLog DecodeExtendedSelfTestLog(const SectorBytes& sector) {
  SelfTestLog log;
  log.Revision = sector[0];
  log.ChecksumOk = SectorChecksumOk(sector);
  // Entries past the first page, and those older than the newest on it,
  // may lie on other pages: only the ones known to be newest are listed.
  const std::size_t index = LittleEndian(sector + 2, 2);
  for (std::size_t slot = std::min(index, kExtDescriptors); slot-- > 0;) {
    const std::uint8_t* d = sector + kExtFirst + slot * kExtDescriptorSize;
    if (index > kExtDescriptors || AllZero(d, kExtDescriptorSize)) continue;
    log.Entries.push_back(AtaEntry(d, 6));
  }
  return log;
}

SelfTestAbilities NvmeSelfTestAbilities(const SectorBytes& identify) {
  SelfTestAbilities abilities;
  abilities.ShortAndExtended = (identify[kNvmeSectorAdminCommands] & kNvmeCanSelfTest) != 0;
  if (abilities.ShortAndExtended) {
    abilities.ShortMinutes = kNvmeShortMinutes;
    abilities.ExtendedMinutes =
        static_cast<int>(LittleEndian(identify + kNvmeSectorExtendedTestMinutes, 2));
  }
  return abilities;
}

SelfTestState NvmeSelfTestState(const SectorBytes& log) {
  SelfTestState state;
  state.Value = log[0] & 0x0F;
  state.Running = state.Value != 0;
  if (!state.Running) {
    state.Text = "no self-test in progress";
    return state;
  }
  const int done = std::min(log[1] & 0x7F, 100);
  state.PercentLeft = 100 - done;
  state.Kind = KindWord(state.Value);
  state.Text = "in progress, " + std::to_string(*state.PercentLeft) + "% remaining";
  return state;
}

SelfTestLog DecodeNvmeSelfTestLog(const SectorBytes& log) {
  SelfTestLog decoded;
  for (std::size_t i = 0; i < kNvmeResults; ++i) {
    const std::uint8_t* r = log + kNvmeFirstResult + i * kNvmeResultSize;
    const std::uint8_t result = r[0] & 0x0F;
    if (result == kNvmeUnusedResult) continue;
    SelfTestEntry entry;
    entry.Type = r[0] >> 4;
    entry.TypeText = NameOf(kNvmeTypes, entry.Type);
    entry.Result = result;
    entry.ResultText = NameOf(kNvmeResultTexts, result);
    if (result == 0) entry.Passed = true;
    if (result >= 5 && result <= 7) entry.Passed = false;
    entry.LifetimeHours = LittleEndian(r + kNvmeResultHours, 8);
    if (r[2] & kNvmeLbaValid) entry.FailingLba = LittleEndian(r + kNvmeResultLba, 8);
    decoded.Entries.push_back(std::move(entry));
  }
  return decoded;
}

}  // namespace halvoric
