// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/history_store.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>
#include <utility>

namespace halvoric {

namespace {

// Raw readings and reduced spans are keyed by drive and time, without a
// separate row id: a year of spans then stays a few megabytes. Reducing
// looks for readings by time alone.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS drives(
  id INTEGER PRIMARY KEY, serial BLOB NOT NULL UNIQUE, model BLOB NOT NULL DEFAULT x'');
CREATE TABLE IF NOT EXISTS readings(
  drive INTEGER NOT NULL, time INTEGER NOT NULL, temperature INTEGER, power INTEGER NOT NULL,
  c5 INTEGER, c187 INTEGER, c197 INTEGER, c198 INTEGER,
  PRIMARY KEY(drive, time)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS readings_by_time ON readings(time);
CREATE TABLE IF NOT EXISTS spans(
  drive INTEGER NOT NULL, start INTEGER NOT NULL, count INTEGER NOT NULL, asleep INTEGER NOT NULL,
  tmin INTEGER, tmean REAL, tmax INTEGER, c5 INTEGER, c187 INTEGER, c197 INTEGER, c198 INTEGER,
  PRIMARY KEY(drive, start)) WITHOUT ROWID;
)";

// One use of a prepared statement; left ready for the next.
class Statement {
 public:
  explicit Statement(sqlite3_stmt* stmt) : stmt_(stmt) {}
  ~Statement() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ready() const { return stmt_ != nullptr; }
  void Bind(int i, std::int64_t value) { sqlite3_bind_int64(stmt_, i, value); }
  void Bind(int i, const std::string& bytes) {
    sqlite3_bind_blob(stmt_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
  }
  template <typename T>
  void Bind(int i, const std::optional<T>& value) {
    if (value) {
      Bind(i, static_cast<std::int64_t>(*value));
    } else {
      sqlite3_bind_null(stmt_, i);
    }
  }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step() { return sqlite3_step(stmt_); }

  bool Null(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  double Real(int column) const { return sqlite3_column_double(stmt_, column); }
  std::string Bytes(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return data == nullptr
               ? std::string()
               : std::string(data, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Rolls back unless committed: a failed step leaves the file as it was.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) {
    began_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~Transaction() {
    if (began_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool Began() const { return began_; }
  bool Commit() {
    began_ = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK;
    return !began_;
  }

 private:
  sqlite3* db_;
  bool began_ = false;
};

std::int64_t FloorTo(std::int64_t time, std::int64_t step) {
  const std::int64_t rest = time % step;
  return rest < 0 ? time - rest - step : time - rest;
}

}  // namespace

Result<HistoryStore> HistoryStore::Open(const std::string& path) {
  sqlite3* db = nullptr;
  const int opened =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  HistoryStore store(db, path);
  if (opened != SQLITE_OK) return store.Fail("open");
  sqlite3_busy_timeout(db, 2000);
  // Others may open the file at once (the history window, the CLI). While
  // another connection turns a new file to WAL, or makes its tables after
  // this one read that there were none, SQLite fails at once instead of
  // waiting its turn: such a step is tried again for as long as a busy
  // wait would last.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  const auto untilNotBusy = [&store, db, deadline](const char* sql) {
    for (;;) {
      Result<> done = store.Execute(sql);
      if (done.Ok() || (sqlite3_errcode(db) & 0xff) != SQLITE_BUSY ||
          std::chrono::steady_clock::now() > deadline) {
        return done;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  };
  // In WAL mode every commit survives the program's end, however abrupt.
  // Syncing the disk only at checkpoints keeps a reading well under a
  // millisecond; a power cut may then cost the readings since the last one
  // (at most some 100 pages of log), never the file. The size limit keeps
  // the log from staying large after a reduction.
  if (Result<> wal = untilNotBusy("PRAGMA journal_mode=WAL;"); !wal.Ok()) {
    return Failure{wal.Message};
  }
  if (Result<> set = store.Execute("PRAGMA synchronous=NORMAL;"
                                   "PRAGMA wal_autocheckpoint=100;"
                                   "PRAGMA journal_size_limit=1048576;"
                                   // A reduction's pass over the readings
                                   // would otherwise grow the page cache
                                   // to 2 MiB.
                                   "PRAGMA cache_size=-256;");
      !set.Ok()) {
    return Failure{set.Message};
  }
  if (Result<> made = untilNotBusy(kSchema); !made.Ok()) return Failure{made.Message};
  return store;
}

HistoryStore::HistoryStore(HistoryStore&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      known_(std::move(other.known_)),
      prepared_(std::exchange(other.prepared_, {})),
      path_(std::move(other.path_)),
      reducedAt_(other.reducedAt_) {}

HistoryStore& HistoryStore::operator=(HistoryStore&& other) noexcept {
  if (this != &other) {
    for (const auto& [sql, stmt] : prepared_) sqlite3_finalize(stmt);
    sqlite3_close(db_);
    db_ = std::exchange(other.db_, nullptr);
    prepared_ = std::exchange(other.prepared_, {});
    path_ = std::move(other.path_);
    known_ = std::move(other.known_);
    reducedAt_ = other.reducedAt_;
  }
  return *this;
}

HistoryStore::~HistoryStore() {
  for (const auto& [sql, stmt] : prepared_) sqlite3_finalize(stmt);
  sqlite3_close(db_);
}

sqlite3_stmt* HistoryStore::Prepared(const char* sql) const {
  if (const auto found = prepared_.find(sql); found != prepared_.end()) return found->second;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
    return nullptr;
  }
  prepared_.emplace(sql, stmt);
  return stmt;
}

Failure HistoryStore::Fail(const std::string& doing) const {
  const char* why = db_ == nullptr ? "out of memory" : sqlite3_errmsg(db_);
  return Failure{"The temperature history \"" + path_ + "\" could not " + doing + ": " + why + "."};
}

Result<> HistoryStore::Execute(const char* sql) const {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return Fail("be used");
  return Result<>::Done();
}

Result<std::int64_t> HistoryStore::DriveId(const HistoryReading& reading) {
  if (const auto found = known_.find(reading.Serial); found != known_.end()) {
    if (reading.Model.empty() || reading.Model == found->second.second) return found->second.first;
  }
  Statement upsert(
      Prepared("INSERT INTO drives(serial, model) VALUES(?1, ?2) ON CONFLICT(serial) DO "
               "UPDATE SET model = iif(excluded.model = x'', model, excluded.model) "
               "RETURNING id"));
  if (!upsert.Ready()) return Fail("be written");
  upsert.Bind(1, reading.Serial);
  upsert.Bind(2, reading.Model);
  if (upsert.Step() != SQLITE_ROW) return Fail("be written");
  return upsert.Int(0);
}

Result<> HistoryStore::Record(const HistoryReading& reading) {
  {
    Transaction transaction(db_);
    if (!transaction.Began()) return Fail("be written");
    const Result<std::int64_t> drive = DriveId(reading);
    if (!drive.Ok()) return Failure{drive.Message};
    // Two readings in one second (the scan and the health watch at start)
    // become one, keeping what each knew.
    Statement insert(
        Prepared("INSERT INTO readings VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) "
                 "ON CONFLICT(drive, time) DO UPDATE SET "
                 "temperature = coalesce(excluded.temperature, temperature), "
                 "power = max(excluded.power, power), c5 = coalesce(excluded.c5, c5), "
                 "c187 = coalesce(excluded.c187, c187), c197 = coalesce(excluded.c197, c197), "
                 "c198 = coalesce(excluded.c198, c198)"));
    if (!insert.Ready()) return Fail("be written");
    insert.Bind(1, *drive);
    insert.Bind(2, reading.Time);
    insert.Bind(3, reading.Temperature);
    insert.Bind(4, static_cast<std::int64_t>(PowerModeStoredCode(reading.Power)));
    for (std::size_t i = 0; i < reading.Counts.size(); ++i) {
      insert.Bind(static_cast<int>(5 + i), reading.Counts[i]);
    }
    if (insert.Step() != SQLITE_DONE || !transaction.Commit()) return Fail("be written");
    std::string& model = known_[reading.Serial].second;
    known_[reading.Serial].first = *drive;
    if (!reading.Model.empty()) model = reading.Model;
  }
  if (reading.Time - reducedAt_ >= kSpanSeconds || reading.Time < reducedAt_) {
    return Reduce(reading.Time);
  }
  return Result<>::Done();
}

Result<> HistoryStore::Reduce(std::int64_t now) {
  // On a span's edge, so that no span is reduced in two parts.
  const std::int64_t cut = FloorTo(now - kRawSeconds, kSpanSeconds);
  Transaction transaction(db_);
  if (!transaction.Began()) return Fail("be reduced");
  // Standby and sleep count as asleep; a span's counts are its highest.
  Statement reduce(
      Prepared("INSERT INTO spans SELECT drive, time - time % 600, count(temperature), "
               "sum(power >= 2), min(temperature), avg(temperature), max(temperature), "
               "max(c5), max(c187), max(c197), max(c198) "
               "FROM readings WHERE time < ?1 GROUP BY drive, time - time % 600 "
               "ON CONFLICT(drive, start) DO UPDATE SET "
               "tmean = (coalesce(tmean * count, 0) + coalesce(excluded.tmean * excluded.count, "
               "0)) / nullif(count + excluded.count, 0), "
               "count = count + excluded.count, asleep = asleep + excluded.asleep, "
               "tmin = min(coalesce(tmin, excluded.tmin), coalesce(excluded.tmin, tmin)), "
               "tmax = max(coalesce(tmax, excluded.tmax), coalesce(excluded.tmax, tmax)), "
               "c5 = max(coalesce(c5, excluded.c5), coalesce(excluded.c5, c5)), "
               "c187 = max(coalesce(c187, excluded.c187), coalesce(excluded.c187, c187)), "
               "c197 = max(coalesce(c197, excluded.c197), coalesce(excluded.c197, c197)), "
               "c198 = max(coalesce(c198, excluded.c198), coalesce(excluded.c198, c198))"));
  Statement forgetRaw(Prepared("DELETE FROM readings WHERE time < ?1"));
  // Drive by drive along the key: scanning five years of spans at every
  // reduction would cost more than the readings themselves.
  Statement forgetOld(
      Prepared("DELETE FROM spans WHERE drive IN (SELECT id FROM drives) AND start < ?1"));
  if (!reduce.Ready() || !forgetRaw.Ready() || !forgetOld.Ready()) return Fail("be reduced");
  reduce.Bind(1, cut);
  forgetRaw.Bind(1, cut);
  forgetOld.Bind(1, now - kKeptSeconds);
  if (reduce.Step() != SQLITE_DONE || forgetRaw.Step() != SQLITE_DONE ||
      forgetOld.Step() != SQLITE_DONE || !transaction.Commit()) {
    return Fail("be reduced");
  }
  reducedAt_ = now;
  // The pass filled the page cache; the readings between reductions need
  // only a few pages.
  sqlite3_db_release_memory(db_);
  return Result<>::Done();
}

Result<std::vector<HistoryDrive>> HistoryStore::Drives() const {
  Statement select(Prepared("SELECT serial, model FROM drives ORDER BY id"));
  if (!select.Ready()) return Fail("be read");
  std::vector<HistoryDrive> drives;
  int step = 0;
  while ((step = select.Step()) == SQLITE_ROW) drives.push_back({select.Bytes(0), select.Bytes(1)});
  if (step != SQLITE_DONE) return Fail("be read");
  return drives;
}

Result<std::vector<HistoryPoint>> HistoryStore::Points(const std::string& serial, std::int64_t from,
                                                       std::int64_t to) const {
  Statement select(
      Prepared("SELECT start, 600, tmin, tmean, tmax, count = 0 FROM spans "
               "JOIN drives ON drives.id = spans.drive "
               "WHERE serial = ?1 AND start + 600 > ?2 AND start <= ?3 "
               "AND (count > 0 OR asleep > 0) "
               "UNION ALL "
               "SELECT time, 0, temperature, temperature, temperature, power >= 2 "
               "FROM readings JOIN drives ON drives.id = readings.drive "
               "WHERE serial = ?1 AND time >= ?2 AND time <= ?3 "
               "AND (temperature IS NOT NULL OR power >= 2) ORDER BY 1"));
  if (!select.Ready()) return Fail("be read");
  select.Bind(1, serial);
  select.Bind(2, from);
  select.Bind(3, to);
  std::vector<HistoryPoint> points;
  int step = 0;
  while ((step = select.Step()) == SQLITE_ROW) {
    HistoryPoint point;
    point.Time = select.Int(0);
    point.Span = select.Int(1);
    if (!select.Null(3)) {
      point.Min = static_cast<int>(select.Int(2));
      point.Mean = select.Real(3);
      point.Max = static_cast<int>(select.Int(4));
    }
    point.Asleep = select.Int(5) != 0;
    points.push_back(point);
  }
  if (step != SQLITE_DONE) return Fail("be read");
  return points;
}

Result<std::vector<HistoryReading>> HistoryStore::Readings(const std::string& serial) const {
  Statement select(
      Prepared("SELECT serial, model, time, temperature, power, c5, c187, c197, c198 "
               "FROM readings JOIN drives ON drives.id = readings.drive "
               "WHERE serial = ?1 ORDER BY time"));
  if (!select.Ready()) return Fail("be read");
  select.Bind(1, serial);
  std::vector<HistoryReading> readings;
  int step = 0;
  while ((step = select.Step()) == SQLITE_ROW) {
    HistoryReading reading{select.Bytes(0), select.Bytes(1), select.Int(2), {}, {}, {}};
    if (!select.Null(3)) reading.Temperature = static_cast<int>(select.Int(3));
    reading.Power = PowerModeFromStoredCode(static_cast<int>(select.Int(4)));
    for (std::size_t i = 0; i < reading.Counts.size(); ++i) {
      const int column = static_cast<int>(5 + i);
      if (!select.Null(column)) reading.Counts[i] = select.Int(column);
    }
    readings.push_back(std::move(reading));
  }
  if (step != SQLITE_DONE) return Fail("be read");
  return readings;
}

}  // namespace halvoric
