// SPDX-License-Identifier: GPL-3.0-or-later
// The temperature history: every reading the program takes, per drive by
// serial number, in an SQLite database beside config.xml. Readings older
// than a week are reduced to ten-minute minimum, mean and maximum; those
// are kept five years. Each reading is a transaction of its own in WAL
// mode, so a crash or a full disk costs at most the reading under way.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "drive/power_mode.h"

struct sqlite3;
struct sqlite3_stmt;

namespace halvoric {

inline constexpr char HistoryFileName[] = "drive-history.sqlite";

// Reallocated sectors, reported uncorrectable errors, pending and offline
// uncorrectable sectors: the counts the health watch follows.
inline constexpr std::array<std::uint8_t, 4> kDamageCounts = {5, 187, 197, 198};

using DamageCounts = std::array<std::optional<std::int64_t>, kDamageCounts.size()>;

struct HistoryReading {
  std::string Serial;              // bytes as the drive sent them; the drive's key
  std::string Model;               // kept for the plot's title when not empty
  std::int64_t Time = 0;           // Unix seconds
  std::optional<int> Temperature;  // none when the drive slept or had none
  PowerMode Power = PowerMode::Unknown;
  DamageCounts Counts;
};

// One point of a plot: a reading, or a reduced ten-minute span.
struct HistoryPoint {
  std::int64_t Time = 0;       // Unix seconds; a span's start
  std::int64_t Span = 0;       // 0 for a reading, else the span's length
  std::optional<double> Mean;  // none: no temperature (asleep, or none read)
  int Min = 0;
  int Max = 0;
  bool Asleep = false;  // the drive was in standby or asleep
};

struct HistoryDrive {
  std::string Serial;
  std::string Model;
};

class HistoryStore {
 public:
  static constexpr std::int64_t kRawSeconds = 7 * 24 * 3600;
  static constexpr std::int64_t kSpanSeconds = 600;
  static constexpr std::int64_t kKeptSeconds = 5 * 366 * 24 * 3600;

  // Opens or creates the database at `path`; a file that is not one of ours
  // is left as it is.
  static Result<HistoryStore> Open(const std::string& path);

  HistoryStore(HistoryStore&& other) noexcept;
  HistoryStore& operator=(HistoryStore&& other) noexcept;
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;
  ~HistoryStore();

  // Keeps the reading, and reduces what has grown older than a week.
  Result<> Record(const HistoryReading& reading);
  // Reduces readings older than a week before `now` and forgets spans
  // older than five years.
  Result<> Reduce(std::int64_t now);

  Result<std::vector<HistoryDrive>> Drives() const;
  // The points of drive `serial` from `from` to `to`, oldest first: the
  // spans where readings were reduced, the readings after them. Readings
  // that tell nothing of the temperature (a health check's counts) are left
  // out; a drive asleep is a point without a temperature.
  Result<std::vector<HistoryPoint>> Points(const std::string& serial, std::int64_t from,
                                           std::int64_t to) const;
  // Every reading of drive `serial` kept as it was taken, oldest first.
  Result<std::vector<HistoryReading>> Readings(const std::string& serial) const;

 private:
  HistoryStore(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  Result<> Execute(const char* sql) const;
  Failure Fail(const std::string& doing) const;
  Result<std::int64_t> DriveId(const HistoryReading& reading);
  // The statement for `sql`, prepared at its first use; null when it
  // cannot be.
  sqlite3_stmt* Prepared(const char* sql) const;

  sqlite3* db_ = nullptr;
  // Drives already in the file, by serial: their row id and model, so that
  // a reading writes only its own row.
  std::map<std::string, std::pair<std::int64_t, std::string>> known_;
  // A reading every 30 seconds should not parse its SQL every time.
  mutable std::map<const char*, sqlite3_stmt*> prepared_;
  std::string path_;
  // Reducing looks at the whole table; once per span is enough.
  std::int64_t reducedAt_ = 0;
};

}  // namespace halvoric
