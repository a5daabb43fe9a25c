// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/health_record.h"

#include <charconv>
#include <span>

#include "base/hex_text.h"
#include "base/staged_file.h"
#include "base/text_split.h"
#include "base/whole_file.h"

namespace halvoric {

namespace {

constexpr const char* kHeader = "# Halvoric: the last S.M.A.R.T. reading of each drive\n";
constexpr const char* kAcknowledgedHeader =
    "# Halvoric: the warnings acknowledged, with the counts they were acknowledged at\n";
constexpr const char* kNoSerial = "-";
constexpr const char* kFailing = "failing";
constexpr const char* kLogsRead = "logs";
constexpr const char* kErrors = "errors";
constexpr const char* kFailedSelfTest = "failed-self-test";
constexpr const char* kScheduled = "scheduled";
constexpr const char* kSuperseded = "superseded";
constexpr const char* kOpen = "open";

// Serials are bytes as the drive sent them; hex keeps blanks, line breaks and
// anything else out of the file's own structure.
std::string Hex(const std::string& bytes) {
  return bytes.empty() ? std::string(kNoSerial) : HexOf(bytes);
}

std::optional<std::string> FromHex(const std::string& text) {
  if (text == kNoSerial) return std::string();
  return BytesOfHex(text);
}

template <typename Number>
bool ParseWhole(const std::string& text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

Result<> Replaced(const std::string& path, const std::string& text) {
  if (const Result<> written = ReplaceFile(path, text); !written.Ok()) {
    return Failure{"Cannot write \"" + path + "\". " + written.Message};
  }
  return Result<>::Done();
}

// The lines of the logs and the schedule, which older versions leave out
// as unreadable, by the words after the kind; false for a line that is
// none of them, or broken.
bool ReadLogLine(const std::string& kind, std::span<const std::string> fields,
                 HealthRecord& record) {
  if (kind == kLogsRead) {
    if (!fields.empty()) return false;
    record.LogsRead = true;
    return true;
  }
  if (kind == kErrors || kind == kScheduled) {
    if (fields.size() != 1) return false;
    const std::string& text = fields[0];
    if (kind == kErrors) {
      std::uint64_t count = 0;
      if (!ParseWhole(text, count)) return false;
      record.ErrorCount = count;
    } else {
      std::int64_t hour = 0;
      if (!ParseWhole(text, hour)) return false;
      record.ScheduledHour = hour;
    }
    return true;
  }
  if (kind != kFailedSelfTest || fields.size() != 5) return false;
  const std::string &hours = fields[0], &type = fields[1], &result = fields[2], &lba = fields[3],
                    &state = fields[4];
  KnownFailedSelfTest known;
  unsigned typeValue = 0, resultValue = 0;
  if (!ParseWhole(hours, known.Hours) || !ParseWhole(type, typeValue) || typeValue > 255 ||
      !ParseWhole(result, resultValue) || resultValue > 255 || !ParseWhole(lba, known.Lba) ||
      (state != kOpen && state != kSuperseded)) {
    return false;
  }
  known.Type = static_cast<std::uint8_t>(typeValue);
  known.Result = static_cast<std::uint8_t>(resultValue);
  known.Superseded = state == kSuperseded;
  record.FailedSelfTests.push_back(known);
  return true;
}

}  // namespace

// A record line is "serial id raw state"; "serial failing" says the drive
// said it was failing, a line older versions leave out as unreadable.
HealthRecords LoadHealthRecords(const std::string& path) {
  HealthRecords records;
  const auto content = ReadWholeFile(path);
  if (!content.Ok()) return records;
  for (const std::string& line : Lines(*content)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = Words(line);
    if (fields.size() < 2) continue;
    const std::string& idText = fields[1];
    const std::optional<std::string> serial = FromHex(fields[0]);
    if (!serial) continue;
    if (idText == kFailing) {
      if (fields.size() == 2) records[*serial].DriveFailing = true;
      continue;
    }
    // A broken line of the logs is left out like any other.
    HealthRecord logs;
    if (ReadLogLine(idText, std::span(fields).subspan(2), logs)) {
      HealthRecord& record = records[*serial];
      record.LogsRead = record.LogsRead || logs.LogsRead;
      if (logs.ErrorCount) record.ErrorCount = logs.ErrorCount;
      if (logs.ScheduledHour) record.ScheduledHour = logs.ScheduledHour;
      for (const KnownFailedSelfTest& known : logs.FailedSelfTests) {
        record.FailedSelfTests.push_back(known);
      }
      continue;
    }
    if (fields.size() != 4) continue;
    const std::string &rawText = fields[2], &state = fields[3];
    unsigned id = 0;
    AttributeReading reading;
    if (!ParseWhole(idText, id) || id == 0 || id > 255 || !ParseWhole(rawText, reading.Raw) ||
        (state != "OK" && state != "BAD")) {
      continue;
    }
    reading.Id = static_cast<std::uint8_t>(id);
    reading.State = state == "OK" ? Status::Ok : Status::Bad;
    records[*serial].Attributes.push_back(reading);
  }
  return records;
}

Result<> SaveHealthRecords(const std::string& path, const HealthRecords& records) {
  std::string text = kHeader;
  for (const auto& [serial, record] : records) {
    for (const AttributeReading& reading : record.Attributes) {
      text += Hex(serial) + ' ' + std::to_string(reading.Id) + ' ' + std::to_string(reading.Raw) +
              ' ' + StatusText(reading.State) + '\n';
    }
    if (record.DriveFailing) text += Hex(serial) + ' ' + kFailing + '\n';
    if (record.LogsRead) text += Hex(serial) + ' ' + kLogsRead + '\n';
    if (record.ErrorCount) {
      text += Hex(serial) + ' ' + kErrors + ' ' + std::to_string(*record.ErrorCount) + '\n';
    }
    for (const KnownFailedSelfTest& known : record.FailedSelfTests) {
      text += Hex(serial) + ' ' + kFailedSelfTest + ' ' + std::to_string(known.Hours) + ' ' +
              std::to_string(known.Type) + ' ' + std::to_string(known.Result) + ' ' +
              std::to_string(known.Lba) + ' ' + (known.Superseded ? kSuperseded : kOpen) + '\n';
    }
    if (record.ScheduledHour) {
      text += Hex(serial) + ' ' + kScheduled + ' ' + std::to_string(*record.ScheduledHour) + '\n';
    }
  }
  return Replaced(path, text);
}

// A line is the serial and "id=raw" for each count.
AcknowledgedCounts LoadAcknowledgedCounts(const std::string& path) {
  AcknowledgedCounts acknowledged;
  const auto content = ReadWholeFile(path);
  if (!content.Ok()) return acknowledged;
  for (const std::string& line : Lines(*content)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = Words(line);
    const std::optional<std::string> serial = FromHex(fields.empty() ? "" : fields[0]);
    if (!serial || serial->empty()) continue;
    DefectCounts counts;
    bool readable = true;
    for (std::size_t i = 1; readable && i < fields.size(); ++i) {
      const std::string& count = fields[i];
      const std::size_t equals = count.find('=');
      unsigned id = 0;
      std::uint64_t raw = 0;
      readable = equals != std::string::npos && ParseWhole(count.substr(0, equals), id) && id > 0 &&
                 id <= 255 && ParseWhole(count.substr(equals + 1), raw) &&
                 counts.emplace(static_cast<std::uint8_t>(id), raw).second;
    }
    if (readable) acknowledged[*serial] = std::move(counts);
  }
  return acknowledged;
}

Result<> SaveAcknowledgedCounts(const std::string& path, const AcknowledgedCounts& counts) {
  std::string text = kAcknowledgedHeader;
  for (const auto& [serial, held] : counts) {
    text += Hex(serial);
    for (const auto& [id, raw] : held) {
      text += ' ' + std::to_string(id) + '=' + std::to_string(raw);
    }
    text += '\n';
  }
  return Replaced(path, text);
}

}  // namespace halvoric
