// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sim/sim_hardware.h"

#include <bit>
#include <charconv>
#include <iterator>
#include <utility>

#include "base/text_split.h"

namespace halvoric::sim {
namespace {

constexpr std::uint32_t kLogicalSector = 512;
constexpr std::uint32_t kLargestPhysical = 32768;

constexpr std::pair<const char*, unsigned> kLinks[] = {{"1.5", 1}, {"3.0", 2}, {"6.0", 3}};
constexpr std::pair<const char*, unsigned> kForms[] = {{"5.25", 1}, {"3.5", 2},   {"2.5", 3},
                                                       {"1.8", 4},  {"mSATA", 6}, {"M.2", 7}};

template <typename T>
bool Number(const std::string& text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && ptr == end;
}

template <std::size_t N>
bool Lookup(const std::pair<const char*, unsigned> (&table)[N], const std::string& name,
            unsigned& code) {
  for (const auto& [known, value] : table) {
    if (name == known) {
      code = value;
      return true;
    }
  }
  return false;
}

bool ParseLink(const std::string& text, SimHardware& hardware) {
  const auto slash = text.find('/');
  if (!Lookup(kLinks, text.substr(0, slash), hardware.LinkMax)) return false;
  hardware.LinkCurrent = hardware.LinkMax;
  return slash == std::string::npos ||
         (Lookup(kLinks, text.substr(slash + 1), hardware.LinkCurrent) &&
          hardware.LinkCurrent <= hardware.LinkMax);
}

bool ParseField(const std::string& name, const std::string& figure, SimHardware& hardware) {
  if (name == "blocks") return Number(figure, hardware.Blocks) && hardware.Blocks > 0;
  if (name == "physical") {
    return Number(figure, hardware.PhysicalSector) && hardware.PhysicalSector >= kLogicalSector &&
           hardware.PhysicalSector <= kLargestPhysical &&
           std::has_single_bit(hardware.PhysicalSector);
  }
  if (name == "link") return ParseLink(figure, hardware);
  if (name == "form") return Lookup(kForms, figure, hardware.FormFactor);
  return false;
}

void PutWord(std::array<std::uint8_t, kSectorSize>& s, std::size_t word, std::uint16_t value) {
  s[2 * word] = static_cast<std::uint8_t>(value);
  s[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

Result<> ParseHardware(const std::string& value, SimHardware& hardware) {
  const std::vector<std::string> words = Words(value);
  for (const std::string& word : words) {
    const auto equals = word.find('=');
    if (equals == std::string::npos ||
        !ParseField(word.substr(0, equals), word.substr(equals + 1), hardware)) {
      return Failure{"bad hardware field '" + word +
                     "': blocks=N, physical=BYTES (512 to 32768, a power of two), "
                     "link=1.5|3.0|6.0[/CURRENT], form=5.25|3.5|2.5|1.8|mSATA|M.2"};
    }
  }
  if (words.empty() || hardware.Blocks == 0) return Failure{"hardware needs at least blocks=N"};
  return Result<>::Done();
}

void PutHardware(const SimHardware& hardware, std::array<std::uint8_t, kSectorSize>& s) {
  const std::uint64_t blocks28 = std::min<std::uint64_t>(hardware.Blocks, 0x0FFFFFFF);
  PutWord(s, 60, static_cast<std::uint16_t>(blocks28));
  PutWord(s, 61, static_cast<std::uint16_t>(blocks28 >> 16));
  PutWord(s, 83, 1u << 10);  // 48-bit addresses
  for (std::size_t i = 0; i < 4; ++i) {
    PutWord(s, 100 + i, static_cast<std::uint16_t>(hardware.Blocks >> (16 * i)));
  }
  const auto perPhysical =
      static_cast<std::uint16_t>(std::countr_zero(hardware.PhysicalSector / kLogicalSector));
  // Bit 14: the word is valid; bit 13: several logical sectors per physical.
  PutWord(s, 106, static_cast<std::uint16_t>(0x4000 | (perPhysical ? 0x2000 | perPhysical : 0)));
  if (hardware.LinkMax) {
    PutWord(s, 76, static_cast<std::uint16_t>(((1u << hardware.LinkMax) - 1) << 1));
    PutWord(s, 77, static_cast<std::uint16_t>(hardware.LinkCurrent << 1));
    PutWord(s, 222, 0x1000 | 0x00FF);  // serial, SATA up to 3.2
  }
  PutWord(s, 80, 0x07F0);  // ATA/ATAPI-4 to ACS-3
  PutWord(s, 168, static_cast<std::uint16_t>(hardware.FormFactor));
}

}  // namespace halvoric::sim
