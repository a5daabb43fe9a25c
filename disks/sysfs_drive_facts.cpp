// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/sysfs_drive_facts.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <system_error>
#include <vector>

#include "base/whole_file.h"

namespace halvoric {
namespace {

namespace fs = std::filesystem;

// Sysfs attributes are a page at most; anything longer is not one.
constexpr std::size_t kMaxAttribute = 4096;
// Unit Serial Number VPD page: 4-byte header, length in bytes 2..3.
constexpr std::size_t kVpdHeader = 4;
constexpr unsigned char kUnitSerialPage = 0x80;
// ATA Information VPD page: the IDENTIFY data sits at bytes 60..571.
constexpr unsigned char kAtaInformationPage = 0x89;
constexpr std::size_t kIdentifyInPage = 60;

std::optional<std::string> ReadAttribute(const fs::path& file) {
  Result<std::string> text = ReadWholeFile(file);
  if (!text.Ok()) return std::nullopt;
  if (text->size() > kMaxAttribute) text->resize(kMaxAttribute);
  return std::move(*text);
}

std::string ReadLine(const fs::path& file) {
  std::string text = ReadAttribute(file).value_or("");
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string SerialFromVpd(const fs::path& file) {
  const std::string page = ReadAttribute(file).value_or("");
  if (page.size() < kVpdHeader || static_cast<unsigned char>(page[1]) != kUnitSerialPage) {
    return {};
  }
  const std::size_t length =
      static_cast<unsigned char>(page[2]) * 256u + static_cast<unsigned char>(page[3]);
  return page.substr(kVpdHeader, std::min(length, page.size() - kVpdHeader));
}

std::optional<std::array<std::uint8_t, 512>> IdentifyFromVpd(const fs::path& file) {
  const std::string page = ReadAttribute(file).value_or("");
  std::array<std::uint8_t, 512> sector{};
  if (page.size() < kIdentifyInPage + sector.size() ||
      static_cast<unsigned char>(page[1]) != kAtaInformationPage) {
    return std::nullopt;
  }
  std::copy_n(page.begin() + kIdentifyInPage, sector.size(), sector.begin());
  return sector;
}

// The hwmon devices directly in `folder`, in name order so the pick is stable.
std::vector<fs::path> HwmonIn(const fs::path& folder) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().starts_with("hwmon")) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The controllers ("nvme0", not the namespace "nvme0n1") an NVMe
// subsystem's folder links to, in name order.
std::vector<fs::path> NvmeControllersIn(const fs::path& device) {
  std::error_code error;
  std::vector<fs::path> controllers;
  for (fs::directory_iterator it(device, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with("nvme") && name.find('n', 4) == std::string::npos) {
      controllers.push_back(it->path());
    }
  }
  std::sort(controllers.begin(), controllers.end());
  return controllers;
}

std::vector<fs::path> HwmonCandidates(const fs::path& device) {
  std::vector<fs::path> candidates = HwmonIn(device / "hwmon");
  const std::vector<fs::path> beside = HwmonIn(device);
  candidates.insert(candidates.end(), beside.begin(), beside.end());
  for (const fs::path& controller : NvmeControllersIn(device)) {
    const std::vector<fs::path> more = HwmonIn(controller);
    candidates.insert(candidates.end(), more.begin(), more.end());
  }
  return candidates;
}

std::optional<int> ReadMilliCelsius(const fs::path& file) {
  const std::string text = ReadLine(file);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// The device whose temperature the program shows; none without one.
std::optional<fs::path> TemperatureHwmon(const fs::path& device) {
  for (const fs::path& hwmon : HwmonCandidates(device)) {
    if (ReadMilliCelsius(hwmon / "temp1_input")) return hwmon;
  }
  return std::nullopt;
}

std::optional<int> ReadCelsius(const fs::path& file) {
  const std::optional<int> milli = ReadMilliCelsius(file);
  if (!milli) return std::nullopt;
  return RoundToCelsius(*milli);
}

}  // namespace

TemperatureLimits ReadHwmonLimits(const fs::path& sysfsRoot, const std::string& disk) {
  const std::optional<fs::path> hwmon = TemperatureHwmon(sysfsRoot / "block" / disk / "device");
  if (!hwmon) return {};
  TemperatureLimits limits;
  limits.Warning = ReadCelsius(*hwmon / "temp1_max");
  limits.Critical = ReadCelsius(*hwmon / "temp1_crit");
  limits.Lowest = ReadCelsius(*hwmon / "temp1_lowest");
  limits.Highest = ReadCelsius(*hwmon / "temp1_highest");
  return limits;
}

DriveFacts ReadDriveFacts(const fs::path& sysfsRoot, const std::string& disk) {
  const fs::path device = sysfsRoot / "block" / disk / "device";
  DriveFacts facts;
  facts.Identify = IdentifyFromVpd(device / "vpd_pg89");
  facts.Model = ReadLine(device / "model");
  facts.Serial = ReadLine(device / "serial");
  if (facts.Serial.empty()) facts.Serial = SerialFromVpd(device / "vpd_pg80");
  facts.Firmware = ReadLine(device / "firmware_rev");
  if (facts.Firmware.empty()) facts.Firmware = ReadLine(device / "rev");
  if (const std::optional<fs::path> hwmon = TemperatureHwmon(device)) {
    facts.MilliCelsius = ReadMilliCelsius(*hwmon / "temp1_input");
  }
  return facts;
}

bool IsRuntimeSuspended(const fs::path& sysfsRoot, const std::string& disk) {
  const fs::path device = sysfsRoot / "block" / disk / "device";
  std::vector<fs::path> carriers = {device, device / "device"};
  for (const fs::path& controller : NvmeControllersIn(device)) {
    carriers.push_back(controller / "device");
  }
  return std::any_of(carriers.begin(), carriers.end(), [](const fs::path& carrier) {
    return ReadLine(carrier / "power/runtime_status") == "suspended";
  });
}

int RoundToCelsius(int milliCelsius) {
  // Widened so that rounding INT_MIN or INT_MAX cannot overflow.
  const long long milli = milliCelsius;
  return static_cast<int>(milli >= 0 ? (milli + 500) / 1000 : (milli - 500) / 1000);
}

}  // namespace halvoric
