#include "monitor/health_record.h"

#include <charconv>
#include <sstream>

#include "base/staged_file.h"
#include "base/whole_file.h"

namespace halvoric {

namespace {

constexpr const char* kHeader = "# Halvoric: the last S.M.A.R.T. reading of each drive\n";
constexpr const char* kNoSerial = "-";

// Serials are bytes as the drive sent them; hex keeps blanks, line breaks and
// anything else out of the file's own structure.
std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return kNoSerial;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : bytes) {
    text += kDigits[c >> 4];
    text += kDigits[c & 15];
  }
  return text;
}

std::optional<std::string> FromHex(const std::string& text) {
  if (text == kNoSerial) return std::string();
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
    if (error != std::errc() || end != text.data() + i + 2) return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

template <typename Number>
bool ParseWhole(const std::string& text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

HealthRecords LoadHealthRecords(const std::string& path) {
  HealthRecords records;
  const auto content = ReadWholeFile(path);
  if (!content.Ok()) return records;
  std::istringstream lines(*content);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string serialText, idText, rawText, state, extra;
    if (!(fields >> serialText >> idText >> rawText >> state) || (fields >> extra)) continue;
    const std::optional<std::string> serial = FromHex(serialText);
    unsigned id = 0;
    AttributeReading reading;
    if (!serial || !ParseWhole(idText, id) || id == 0 || id > 255 ||
        !ParseWhole(rawText, reading.Raw) || (state != "OK" && state != "BAD")) {
      continue;
    }
    reading.Id = static_cast<std::uint8_t>(id);
    reading.State = state == "OK" ? Status::Ok : Status::Bad;
    records[*serial].push_back(reading);
  }
  return records;
}

Result<> SaveHealthRecords(const std::string& path, const HealthRecords& records) {
  std::string text = kHeader;
  for (const auto& [serial, readings] : records) {
    for (const AttributeReading& reading : readings) {
      text += Hex(serial) + ' ' + std::to_string(reading.Id) + ' ' + std::to_string(reading.Raw) +
              ' ' + StatusText(reading.State) + '\n';
    }
  }
  if (const Result<> written = ReplaceFile(path, text); !written.Ok()) {
    return Failure{"Cannot write \"" + path + "\". " + written.Message};
  }
  return Result<>::Done();
}

}  // namespace halvoric
