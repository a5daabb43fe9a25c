// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/sim/scenario.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <limits>

#include "base/descriptor.h"
#include "base/full_transfer.h"
#include "base/text_split.h"
#include "base/whole_file.h"
#include "drive/attributes.h"
#include "drive/identify.h"

namespace halvoric::sim {
namespace {

// The attribute the drive reports its temperature in; none when it keeps it
// in the SCT status.
std::optional<std::uint8_t> TemperatureAttribute(const SimDrive& drive) {
  switch (drive.TemperatureIn) {
    case TemperatureHome::Attribute194:
      return kTemperatureAttribute;
    case TemperatureHome::Attribute190:
      return kAirflowTemperatureAttribute;
    case TemperatureHome::SctStatus:
      return std::nullopt;
  }
  return std::nullopt;
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::string Unquote(const std::string& s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

template <typename T>
bool ParseNumber(const std::string& text, T& out) {
  int base = 10;
  std::string_view digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), out, base);
  return error == std::errc() && end == digits.data() + digits.size() && !digits.empty();
}

std::optional<Fault> ParseFault(const std::string& word) {
  static const std::pair<const char*, Fault> kNames[] = {{"open", Fault::Open},
                                                         {"version", Fault::Version},
                                                         {"enable", Fault::Enable},
                                                         {"identify", Fault::Identify},
                                                         {"read-data", Fault::ReadData},
                                                         {"read-thresholds", Fault::ReadThresholds},
                                                         {"power-check", Fault::PowerCheck},
                                                         {"return-status", Fault::ReturnStatus},
                                                         {"sct-status", Fault::SctStatus},
                                                         {"self-test", Fault::SelfTest},
                                                         {"self-test-log", Fault::SelfTestLog},
                                                         {"error-log", Fault::ErrorLog}};
  for (const auto& [name, fault] : kNames) {
    if (word == name) return fault;
  }
  return std::nullopt;
}

constexpr std::uintmax_t kMaxScenarioBytes = 1 << 20;

// A folder would read as empty, a pipe block the open, a device never end:
// only a regular file of sensible size is read. A missing file passes: the
// open that follows says so.
Result<> CheckReadableFile(const std::string& path, std::uintmax_t maxBytes) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) return Result<>::Done();
  if (!std::filesystem::is_regular_file(status)) return Failure{"not a regular file"};
  if (std::filesystem::file_size(path, error) > maxBytes) {
    return Failure{"larger than " + std::to_string(maxBytes) + " bytes"};
  }
  return Result<>::Done();
}

Result<Sector> ReadSectorFile(const std::string& path) {
  // Any size may be opened: reading one sector too many tells the length.
  const Result<> readable = CheckReadableFile(path, std::numeric_limits<std::uintmax_t>::max());
  if (!readable.Ok()) return Failure{"sector file '" + path + "' is " + readable.Message};
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return Failure{"cannot open sector file '" + path + "'"};
  std::array<std::uint8_t, kSectorSize + 1> bytes{};
  const Transfer read = TransferFully(bytes.size(), [&](std::size_t offset, std::size_t count) {
    return ::read(file.Get(), bytes.data() + offset, count);
  });
  if (read.Error != 0 || read.Moved != kSectorSize) {
    return Failure{"sector file '" + path + "' is not 512 bytes long"};
  }
  Sector sector{};
  std::copy_n(bytes.begin(), sector.size(), sector.begin());
  return sector;
}

class Parser {
 public:
  Parser(std::string origin, std::string baseDirectory)
      : origin_(std::move(origin)), base_(std::move(baseDirectory)) {}

  Result<Scenario> Run(const std::string& text) {
    for (const std::string& line : Lines(text)) {
      ++lineNumber_;
      if (const Result<> parsed = ParseLine(line); !parsed.Ok()) {
        return Failure{origin_ + ":" + std::to_string(lineNumber_) + ": " + parsed.Message};
      }
    }
    for (const SimDrive& drive : scenario_.Drives) {
      const std::string named = origin_ + ": drive " + std::to_string(drive.Number);
      // An NVMe drive's figures are its health log's; a table would be
      // silently ignored.
      if (drive.Nvme && (!drive.Attributes.empty() || !drive.Changes.empty() || drive.DataSector)) {
        return Failure{named +
                       " is an NVMe drive: give its figures with nvme-health, not "
                       "attribute lines"};
      }
      const std::optional<std::uint8_t> home = TemperatureAttribute(drive);
      if (!drive.Temperatures.empty() && home && !drive.Nvme && !HasAttribute(drive, *home)) {
        return Failure{named + " has a temperature but no attribute " + std::to_string(*home)};
      }
      for (const AttributeChange& change : drive.Changes) {
        if (!HasAttribute(drive, change.Id)) {
          return Failure{named + " changes attribute " + std::to_string(change.Id) +
                         ", which it does not have"};
        }
      }
    }
    return std::move(scenario_);
  }

 private:
  // A recorded data sector is the drive's table: every ID counts as there.
  static bool HasAttribute(const SimDrive& drive, std::uint8_t id) {
    return drive.DataSector || std::any_of(drive.Attributes.begin(), drive.Attributes.end(),
                                           [id](const SimAttribute& a) { return a.Id == id; });
  }

  Result<> ParseLine(const std::string& raw) {
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') return Result<>::Done();
    if (line.front() == '[') return ParseSection(line);
    const auto equals = line.find('=');
    if (equals == std::string::npos) return Failure{"expected 'key = value'"};
    if (scenario_.Drives.empty()) return Failure{"a [drive N] section must come first"};
    return ParseKey(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)),
                    scenario_.Drives.back());
  }

  Result<> ParseSection(const std::string& line) {
    const std::vector<std::string> words = Words(line.substr(1, line.size() - 1));
    unsigned number = 0;
    if (line.back() != ']' || words.size() != 2 || words[0] != "drive" ||
        words[1].find(']') != words[1].size() - 1 ||
        !ParseNumber(words[1].substr(0, words[1].size() - 1), number) || number > 255) {
      return Failure{"expected a section '[drive N]' with N from 0 to 255"};
    }
    if (scenario_.Find(number)) return Failure{"drive " + std::to_string(number) + " given twice"};
    SimDrive drive;
    drive.Number = number;
    scenario_.Drives.push_back(std::move(drive));
    return Result<>::Done();
  }

  // A key of two words: `on` sets the flag, `off` clears it.
  static Result<> SetSwitch(const std::string& key, const std::string& value, const char* off,
                            const char* on, bool& flag) {
    if (value != off && value != on) {
      return Failure{key + " is '" + on + "' or '" + off + "'"};
    }
    flag = value == on;
    return Result<>::Done();
  }

  Result<> SetString(std::string& field, const std::string& value, std::size_t limit) {
    field = Unquote(value);
    if (field.size() > limit) {
      return Failure{"longer than " + std::to_string(limit) + " characters"};
    }
    return Result<>::Done();
  }

  Result<> ParseKey(const std::string& key, const std::string& value, SimDrive& drive) {
    if (key == "model") return SetString(drive.Model, value, kIdentifyModelLength);
    if (key == "serial") return SetString(drive.Serial, value, kIdentifySerialLength);
    if (key == "firmware") return SetString(drive.Firmware, value, kIdentifyFirmwareLength);
    if (key == "type") {
      if (value != "ata" && value != "atapi" && value != "nvme") {
        return Failure{"type is 'ata', 'atapi' or 'nvme'"};
      }
      drive.Packet = value == "atapi";
      if (value == "nvme") drive.Nvme.emplace();
      return Result<>::Done();
    }
    if (key.starts_with("nvme-")) return ParseNvmeKey(key, value, drive);
    if (key == "hardware") return ParseHardware(value, drive.Hardware.emplace());
    if (key == "geometry") {
      const auto w = Words(value);
      if (w.size() != 3 || !ParseNumber(w[0], drive.Cylinders) || !ParseNumber(w[1], drive.Heads) ||
          !ParseNumber(w[2], drive.SectorsPerTrack)) {
        return Failure{"geometry is 'cylinders heads sectors'"};
      }
      return Result<>::Done();
    }
    if (key == "rotation") return ParseRotation(value, drive);
    if (key == "attribute") return ParseAttribute(value, drive);
    if (key == "attribute-change") return ParseChange(value, drive);
    if (key == "temperature") return ParseTemperatures(value, drive);
    if (key == "limits") return ParseLimits(value, drive);
    if (key == "power") return ParsePower(value, drive);
    if (key == "runtime-suspend") return ParseRuntimeSuspend(value, drive);
    if (key == "fail") {
      for (const std::string& word : Words(value)) {
        const std::optional<Fault> fault = ParseFault(word);
        if (!fault) return Failure{"unknown failure '" + word + "'"};
        drive.Faults.insert(*fault);
      }
      return Result<>::Done();
    }
    if (key == "permission")
      return SetSwitch(key, value, "granted", "denied", drive.PermissionDenied);
    if (key == "delay-ms") return ParseDelay(value, drive);
    if (key == "temperature-in") {
      static const std::pair<const char*, TemperatureHome> kHomes[] = {
          {"194", TemperatureHome::Attribute194},
          {"190", TemperatureHome::Attribute190},
          {"sct", TemperatureHome::SctStatus}};
      for (const auto& [name, home] : kHomes) {
        if (value == name) {
          drive.TemperatureIn = home;
          return Result<>::Done();
        }
      }
      return Failure{"temperature-in is '194', '190' or 'sct'"};
    }
    if (key == "smart-status") return SetSwitch(key, value, "passed", "failing", drive.Failing);
    if (key == "thresholds") {
      return SetSwitch(key, value, "in-order", "reversed", drive.ThresholdsReversed);
    }
    if (key == "self-tests") return ParseSelfTests(value, drive);
    if (key == "self-test-seconds") {
      if (!ParseNumber(value, drive.SelfTestSeconds) || drive.SelfTestSeconds > 86400) {
        return Failure{"self-test-seconds is a number of seconds up to 86400"};
      }
      return Result<>::Done();
    }
    if (key == "self-test-result") return ParseSelfTestResult(value, drive);
    if (key == "self-test-log") return ParseSelfTestLog(value, drive);
    if (key == "error-count") return ParseErrorCounts(value, drive);
    if (key == "identify-file") return LoadSector(value, drive.IdentifySector);
    if (key == "smart-data-file") return LoadSector(value, drive.DataSector);
    if (key == "smart-thresholds-file") return LoadSector(value, drive.ThresholdSector);
    return Failure{"unknown key '" + key + "'"};
  }

  static Result<> ParseNvmeKey(const std::string& key, const std::string& value, SimDrive& drive) {
    if (!drive.Nvme) return Failure{key + " needs 'type = nvme' before it"};
    if (key == "nvme-controller") return ParseNvmeController(value, *drive.Nvme);
    if (key == "nvme-health") return ParseNvmeHealth(value, *drive.Nvme);
    if (key == "nvme-change") return ParseNvmeChange(value, *drive.Nvme);
    return Failure{"unknown key '" + key + "'"};
  }

  static Result<> ParseSelfTests(const std::string& value, SimDrive& drive) {
    const auto words = Words(value);
    const auto has = [&words](const char* w) {
      return std::find(words.begin(), words.end(), w) != words.end();
    };
    const std::size_t known = has("short") + has("extended") + has("conveyance");
    const bool none = words.size() == 1 && words[0] == "none";
    if (!none && (known != words.size() || has("short") != has("extended") || known == 0)) {
      return Failure{"self-tests is 'none', 'short extended' or 'short extended conveyance'"};
    }
    drive.RunsSelfTests = !none;
    drive.RunsConveyance = has("conveyance");
    return Result<>::Done();
  }

  static Result<> ParseSelfTestResult(const std::string& value, SimDrive& drive) {
    const auto words = Words(value);
    std::uint64_t lba = 0;
    if (words.size() == 1 && words[0] == "passed") {
      drive.SelfTestFailsAt.reset();
    } else if (words.size() == 2 && words[0] == "failed" && ParseNumber(words[1], lba) &&
               lba < (1ull << 28)) {
      drive.SelfTestFailsAt = lba;
    } else {
      return Failure{"self-test-result is 'passed' or 'failed LBA', LBA below 2^28"};
    }
    return Result<>::Done();
  }

  static Result<> ParseSelfTestLog(const std::string& value, SimDrive& drive) {
    constexpr const char* kForm =
        "self-test-log is 'short|extended|conveyance passed|aborted|failed HOURS [LBA]'";
    static const std::pair<const char*, std::uint8_t> kKinds[] = {
        {"short", 1}, {"extended", 2}, {"conveyance", 3}};
    static const std::pair<const char*, std::uint8_t> kResults[] = {
        {"passed", 0}, {"aborted", 1}, {"failed", 7}};
    const auto words = Words(value);
    SimSelfTestEntry entry;
    const auto find = [](const auto& table, const std::string& word, std::uint8_t& into) {
      for (const auto& [name, code] : table) {
        if (word == name) into = code;
      }
      return std::any_of(std::begin(table), std::end(table),
                         [&word](const auto& p) { return word == p.first; });
    };
    if (words.size() < 3 || words.size() > 4 || !find(kKinds, words[0], entry.Subcommand) ||
        !find(kResults, words[1], entry.Status) || !ParseNumber(words[2], entry.Hours) ||
        entry.Hours > 0xFFFF) {
      return Failure{kForm};
    }
    if (words.size() == 4 &&
        (entry.Status != 7 || !ParseNumber(words[3], entry.Lba) || entry.Lba >= (1ull << 28))) {
      return Failure{kForm};
    }
    drive.SelfTestLog.push_back(entry);
    return Result<>::Done();
  }

  static Result<> ParseErrorCounts(const std::string& value, SimDrive& drive) {
    drive.ErrorCounts.clear();
    for (const std::string& word : Words(value)) {
      const auto colon = word.find(':');
      unsigned seconds = 0;
      ErrorCountPoint point;
      if (!ParseNumber(colon == std::string::npos ? "0" : word.substr(0, colon), seconds) ||
          !ParseNumber(colon == std::string::npos ? word : word.substr(colon + 1), point.Count) ||
          point.Count > 0xFFFF) {
        return Failure{"error-count is 'COUNT' or a list of 'SECONDS:COUNT', COUNT up to 65535"};
      }
      point.AtSeconds = seconds;
      if (!drive.ErrorCounts.empty() && point.AtSeconds <= drive.ErrorCounts.back().AtSeconds) {
        return Failure{"error-count points must be in increasing time"};
      }
      drive.ErrorCounts.push_back(point);
    }
    if (drive.ErrorCounts.empty()) return Failure{"error-count needs a value"};
    return Result<>::Done();
  }

  Result<> LoadSector(const std::string& value, std::optional<Sector>& sector) {
    std::string path = Unquote(value);
    if (!path.empty() && path[0] != '/' && !base_.empty()) path = base_ + "/" + path;
    Result<Sector> read = ReadSectorFile(path);
    if (!read.Ok()) return Failure{std::move(read.Message)};
    sector = *read;
    return Result<>::Done();
  }

  static Result<> ParseRotation(const std::string& value, SimDrive& drive) {
    unsigned rpm = 0;
    if (value == "ssd") {
      drive.RotationRate = 1;
    } else if (ParseNumber(value, rpm) && rpm >= 0x401 && rpm < 0xFFFF) {
      drive.RotationRate = static_cast<std::uint16_t>(rpm);
    } else {
      return Failure{"rotation is 'ssd' or the speed in rpm, 1025 to 65534"};
    }
    return Result<>::Done();
  }

  Result<> ParseAttribute(const std::string& value, SimDrive& drive) {
    const auto words = Words(value);
    SimAttribute attribute;
    if (words.empty() || !ParseNumber(words[0], attribute.Id) || attribute.Id == 0) {
      return Failure{"attribute starts with its ID, 1 to 255"};
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
      const auto equals = words[i].find('=');
      const std::string name = words[i].substr(0, equals);
      const std::string number = equals == std::string::npos ? "" : words[i].substr(equals + 1);
      bool ok = false;
      if (name == "value")
        ok = ParseNumber(number, attribute.Value);
      else if (name == "worst")
        ok = ParseNumber(number, attribute.Worst);
      else if (name == "threshold")
        ok = ParseNumber(number, attribute.Threshold);
      else if (name == "flags")
        ok = ParseNumber(number, attribute.Flags);
      else if (name == "raw")
        ok = ParseNumber(number, attribute.Raw) && attribute.Raw < (1ull << 48);
      else if (name == "reserved")
        ok = ParseNumber(number, attribute.Reserved);
      if (!ok) return Failure{"bad attribute field '" + words[i] + "'"};
    }
    if (drive.Attributes.size() == kTableEntries) return Failure{"a table holds 30 attributes"};
    drive.Attributes.push_back(attribute);
    return Result<>::Done();
  }

  Result<> ParseChange(const std::string& value, SimDrive& drive) {
    const auto words = Words(value);
    AttributeChange change;
    unsigned seconds = 0;
    if (words.size() < 4 || !ParseNumber(words[0], change.Id) || change.Id == 0 ||
        words[1] != "at" || !ParseNumber(words[2], seconds)) {
      return Failure{"attribute-change is 'ID at SECONDS' and then value=N, worst=N or raw=N"};
    }
    change.AtSeconds = seconds;
    for (std::size_t i = 3; i < words.size(); ++i) {
      const auto equals = words[i].find('=');
      const std::string name = words[i].substr(0, equals);
      const std::string number = equals == std::string::npos ? "" : words[i].substr(equals + 1);
      std::uint8_t normalised = 0;
      std::uint64_t raw = 0;
      if (name == "value" && ParseNumber(number, normalised)) {
        change.Value = normalised;
      } else if (name == "worst" && ParseNumber(number, normalised)) {
        change.Worst = normalised;
      } else if (name == "raw" && ParseNumber(number, raw) && raw < (1ull << 48)) {
        change.Raw = raw;
      } else {
        return Failure{"bad attribute-change field '" + words[i] + "'"};
      }
    }
    for (auto earlier = drive.Changes.rbegin(); earlier != drive.Changes.rend(); ++earlier) {
      if (earlier->Id != change.Id) continue;
      if (earlier->AtSeconds >= change.AtSeconds) {
        return Failure{"changes of one attribute must be in increasing time"};
      }
      break;
    }
    drive.Changes.push_back(change);
    return Result<>::Done();
  }

  Result<> ParseDelay(const std::string& value, SimDrive& drive) {
    constexpr const char* kForm =
        "delay-ms is a number of milliseconds up to 60000, then 'from SECONDS' where needed";
    const auto words = Words(value);
    if (words.empty() || !ParseNumber(words[0], drive.DelayMs) || drive.DelayMs > 60000) {
      return Failure{kForm};
    }
    if (words.size() == 1) return Result<>::Done();
    unsigned seconds = 0;
    if (words.size() != 3 || words[1] != "from" || !ParseNumber(words[2], seconds)) {
      return Failure{kForm};
    }
    drive.DelayFromSeconds = seconds;
    return Result<>::Done();
  }

  Result<> ParsePower(const std::string& value, SimDrive& drive) {
    constexpr const char* kForm =
        "power is 'standby' or 'sleep', then 'from SECONDS' and 'to SECONDS' where needed";
    const auto words = Words(value);
    PowerSpan span;
    if (words.empty()) return Failure{kForm};
    if (words[0] == "standby") {
      span.Mode = PowerMode::Standby;
    } else if (words[0] == "sleep") {
      span.Mode = PowerMode::Sleep;
    } else {
      return Failure{kForm};
    }
    if (!ParseSpanTimes(words, 1, span)) return Failure{kForm};
    if (const Result<> follows = CheckFollows(drive.PowerSpans, span, "power"); !follows.Ok()) {
      return follows;
    }
    drive.PowerSpans.push_back(span);
    return Result<>::Done();
  }

  Result<> ParseRuntimeSuspend(const std::string& value, SimDrive& drive) {
    constexpr const char* kForm =
        "runtime-suspend is 'always', or 'from SECONDS' and 'to SECONDS', one or both";
    const auto words = Words(value);
    TimeSpan span;
    const bool always = words.size() == 1 && words[0] == "always";
    if (words.empty() || (!always && !ParseSpanTimes(words, 0, span))) return Failure{kForm};
    if (const Result<> follows = CheckFollows(drive.SuspendSpans, span, "runtime-suspend");
        !follows.Ok()) {
      return follows;
    }
    drive.SuspendSpans.push_back(span);
    return Result<>::Done();
  }

  // "from SECONDS" (first) and "to SECONDS", each at most once, from
  // words[first] on.
  static bool ParseSpanTimes(const std::vector<std::string>& words, std::size_t first,
                             TimeSpan& span) {
    for (std::size_t i = first; i < words.size(); i += 2) {
      unsigned seconds = 0;
      if (i + 1 >= words.size() || !ParseNumber(words[i + 1], seconds)) return false;
      if (words[i] == "from" && i == first) {
        span.FromSeconds = seconds;
      } else if (words[i] == "to" && !span.ToSeconds) {
        span.ToSeconds = seconds;
      } else {
        return false;
      }
    }
    return true;
  }

  template <typename Span>
  static Result<> CheckFollows(const std::vector<Span>& spans, const TimeSpan& span,
                               const std::string& what) {
    if (span.ToSeconds && *span.ToSeconds <= span.FromSeconds) {
      return Failure{"a " + what + " span must end after it starts"};
    }
    if (!spans.empty()) {
      const TimeSpan& last = spans.back();
      if (!last.ToSeconds || *last.ToSeconds > span.FromSeconds) {
        return Failure{what + " spans must follow one another in time without overlapping"};
      }
    }
    return Result<>::Done();
  }

  Result<> ParseLimits(const std::string& value, SimDrive& drive) {
    drive.Limits = {};
    for (const std::string& word : Words(value)) {
      const auto equals = word.find('=');
      const std::string name = word.substr(0, equals);
      const std::string number = equals == std::string::npos ? "" : word.substr(equals + 1);
      std::optional<int>* limit = name == "warning"    ? &drive.Limits.Warning
                                  : name == "critical" ? &drive.Limits.Critical
                                  : name == "lowest"   ? &drive.Limits.Lowest
                                  : name == "highest"  ? &drive.Limits.Highest
                                                       : nullptr;
      int celsius = 0;
      if (limit == nullptr || !ParseNumber(number, celsius) || celsius < -273 || celsius > 255) {
        return Failure{
            "limits are warning=, critical=, lowest= and highest= in degrees Celsius, "
            "-273 to 255"};
      }
      *limit = celsius;
    }
    if (drive.Limits == TemperatureLimits{}) return Failure{"limits needs at least one limit"};
    return Result<>::Done();
  }

  Result<> ParseTemperatures(const std::string& value, SimDrive& drive) {
    drive.Temperatures.clear();
    for (const std::string& word : Words(value)) {
      TemperaturePoint point;
      const auto colon = word.find(':');
      const std::string at = colon == std::string::npos ? "0" : word.substr(0, colon);
      const std::string celsius = colon == std::string::npos ? word : word.substr(colon + 1);
      unsigned seconds = 0;
      if (!ParseNumber(at, seconds) || !ParseNumber(celsius, point.Celsius) || point.Celsius < 0 ||
          point.Celsius > 255) {
        return Failure{"temperature is 'CELSIUS' or a list of 'SECONDS:CELSIUS'"};
      }
      point.AtSeconds = seconds;
      if (!drive.Temperatures.empty() && point.AtSeconds <= drive.Temperatures.back().AtSeconds) {
        return Failure{"temperature points must be in increasing time"};
      }
      drive.Temperatures.push_back(point);
    }
    if (drive.Temperatures.empty()) return Failure{"temperature needs a value"};
    return Result<>::Done();
  }

  std::string origin_;
  std::string base_;
  Scenario scenario_;
  int lineNumber_ = 0;
};

void PutWord(Sector& s, std::size_t word, std::uint16_t value) {
  s[2 * word] = static_cast<std::uint8_t>(value);
  s[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
}

// ATA strings: blank-padded, two characters per word, first in the high byte.
void PutAtaString(Sector& s, std::size_t offset, std::size_t length, const std::string& text) {
  std::memset(s.data() + offset, ' ', length);
  std::memcpy(s.data() + offset, text.data(), std::min(length, text.size()));
  SwapBytePairs(s.data() + offset, length);
}

// The table entry of attribute `id`; null when the table has none.
std::uint8_t* FindAttributeEntry(Sector& s, std::uint8_t id) {
  for (std::size_t p = 0; p < kTableEntries; ++p) {
    std::uint8_t* entry = s.data() + kTableOffset + p * sizeof(AttributeEntry);
    if (entry[0] == id) return entry;
  }
  return nullptr;
}

void PutRaw(std::uint8_t* entry, std::uint64_t raw) {
  for (std::size_t i = 0; i < 6; ++i) {
    entry[offsetof(AttributeEntry, Raw) + i] = static_cast<std::uint8_t>(raw >> (8 * i));
  }
}

void SetChecksum(Sector& s) {
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i + 1 < s.size(); ++i) sum = static_cast<std::uint8_t>(sum + s[i]);
  s.back() = static_cast<std::uint8_t>(-sum);
}

// SMART READ DATA: the last logged test's status (363), EXECUTE OFF-LINE
// IMMEDIATE and the tests it runs (367), error logging (370), and the
// polling minutes of real drives (372-374).
void PutSelfTestCapabilities(const SimDrive& drive, Sector& s) {
  if (!drive.SelfTestLog.empty())
    s[363] = static_cast<std::uint8_t>(drive.SelfTestLog.back().Status << 4);
  s[367] = static_cast<std::uint8_t>(0x01 | (drive.RunsSelfTests ? 0x10 : 0) |
                                     (drive.RunsConveyance ? 0x20 : 0));
  s[370] = 0x01;
  s[372] = 2;
  s[373] = 90;
  s[374] = 5;
}

}  // namespace

std::optional<int> SimDrive::TemperatureAt(double seconds) const {
  std::optional<int> celsius;
  for (const TemperaturePoint& point : Temperatures) {
    if (point.AtSeconds > seconds && celsius) break;
    celsius = point.Celsius;
  }
  return celsius;
}

std::uint32_t SimDrive::ErrorCountAt(double seconds) const {
  std::uint32_t count = 0;
  for (const ErrorCountPoint& point : ErrorCounts) {
    if (point.AtSeconds > seconds) break;
    count = point.Count;
  }
  return count;
}

const PowerSpan* SimDrive::PowerSpanAt(double seconds) const {
  for (const PowerSpan& span : PowerSpans) {
    if (span.FromSeconds > seconds) break;
    if (!span.ToSeconds || seconds < *span.ToSeconds) return &span;
  }
  return nullptr;
}

bool SimDrive::RuntimeSuspendedAt(double seconds) const {
  return std::any_of(SuspendSpans.begin(), SuspendSpans.end(), [seconds](const TimeSpan& span) {
    return span.FromSeconds <= seconds && (!span.ToSeconds || seconds < *span.ToSeconds);
  });
}

const SimDrive* Scenario::Find(unsigned number) const {
  for (const SimDrive& drive : Drives) {
    if (drive.Number == number) return &drive;
  }
  return nullptr;
}

Result<Scenario> ParseScenario(const std::string& text, const std::string& origin,
                               const std::string& baseDirectory) {
  return Parser(origin, baseDirectory).Run(text);
}

Result<Scenario> LoadScenario(const std::string& path) {
  if (const Result<> readable = CheckReadableFile(path, kMaxScenarioBytes); !readable.Ok()) {
    return Failure{"cannot open scenario file '" + path + "': " + readable.Message};
  }
  const Result<std::string> text = ReadWholeFile(path);
  if (!text.Ok()) return Failure{"cannot open scenario file '" + path + "': " + text.Message};
  const auto slash = path.find_last_of('/');
  return ParseScenario(*text, path, slash == std::string::npos ? "." : path.substr(0, slash));
}

Sector BuildIdentifySector(const SimDrive& drive) {
  if (drive.IdentifySector) return *drive.IdentifySector;
  Sector s{};
  // Word 0: a fixed disk, or a removable CD-ROM-class packet device.
  PutWord(s, 0, drive.Packet ? 0x85C0 : 0x0040);
  if (!drive.Packet) {
    PutWord(s, 1, drive.Cylinders);
    PutWord(s, 3, drive.Heads);
    PutWord(s, 6, drive.SectorsPerTrack);
    PutWord(s, 82, 0x0001);  // SMART supported
    PutWord(s, 85, 0x0001);  // SMART enabled
    // SCT Command Transport, for the drive that keeps its temperature there.
    if (drive.TemperatureIn == TemperatureHome::SctStatus) PutWord(s, 206, 0x0001);
    PutWord(s, kIdentifyRotationRate / 2, drive.RotationRate);
    if (drive.Hardware) PutHardware(*drive.Hardware, s);
  }
  PutAtaString(s, kIdentifySerial, kIdentifySerialLength, drive.Serial);
  PutAtaString(s, kIdentifyFirmware, kIdentifyFirmwareLength, drive.Firmware);
  PutAtaString(s, kIdentifyModel, kIdentifyModelLength, drive.Model);
  return s;
}

Sector BuildDataSector(const SimDrive& drive, double seconds) {
  Sector s{};
  if (drive.DataSector) {
    s = *drive.DataSector;
  } else {
    PutWord(s, 0, 0x0010);
    for (std::size_t p = 0; p < drive.Attributes.size(); ++p) {
      const SimAttribute& a = drive.Attributes[p];
      std::uint8_t* entry = s.data() + kTableOffset + p * sizeof(AttributeEntry);
      entry[0] = a.Id;
      entry[1] = static_cast<std::uint8_t>(a.Flags);
      entry[2] = static_cast<std::uint8_t>(a.Flags >> 8);
      entry[3] = a.Value;
      entry[4] = a.Worst;
      PutRaw(entry, a.Raw);
      entry[offsetof(AttributeEntry, Reserved)] = a.Reserved;
    }
    PutSelfTestCapabilities(drive, s);
    SetChecksum(s);
  }
  bool changed = false;
  for (const AttributeChange& change : drive.Changes) {
    std::uint8_t* entry = FindAttributeEntry(s, change.Id);
    if (change.AtSeconds > seconds || !entry) continue;
    if (change.Value) entry[offsetof(AttributeEntry, Value)] = *change.Value;
    if (change.Worst) entry[offsetof(AttributeEntry, Worst)] = *change.Worst;
    if (change.Raw) PutRaw(entry, *change.Raw);
    changed = true;
  }
  const std::optional<std::uint8_t> home = TemperatureAttribute(drive);
  if (const auto celsius = drive.TemperatureAt(seconds); celsius && home) {
    if (std::uint8_t* entry = FindAttributeEntry(s, *home)) {
      entry[5] = static_cast<std::uint8_t>(*celsius);
      entry[6] = 0;
      changed = true;
    }
  }
  if (changed) SetChecksum(s);
  return s;
}

Sector BuildThresholdSector(const SimDrive& drive) {
  if (drive.ThresholdSector) return *drive.ThresholdSector;
  Sector s{};
  PutWord(s, 0, 0x0010);
  const std::size_t count = drive.Attributes.size();
  for (std::size_t p = 0; p < count; ++p) {
    const SimAttribute& a = drive.Attributes[drive.ThresholdsReversed ? count - 1 - p : p];
    std::uint8_t* entry = s.data() + kTableOffset + p * sizeof(ThresholdEntry);
    entry[0] = a.Id;
    entry[1] = a.Threshold;
  }
  SetChecksum(s);
  return s;
}

Sector BuildSctStatusSector(const SimDrive& drive, double seconds) {
  Sector s{};
  PutWord(s, 0, 0x0003);  // the status format's version
  // 80h: no temperature, for a drive that keeps it elsewhere.
  s[kSctStatusTemperature] = 0x80;
  const auto celsius = drive.TemperatureAt(seconds);
  if (drive.TemperatureIn == TemperatureHome::SctStatus && celsius) {
    s[kSctStatusTemperature] = static_cast<std::uint8_t>(*celsius);
  }
  return s;
}

void SealSector(Sector& s) { SetChecksum(s); }

}  // namespace halvoric::sim
