// SPDX-License-Identifier: GPL-3.0-or-later
// The history survives what happens to a desktop: the program killed while
// it writes, a disk that fills up, and a year of readings every 30 seconds.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "monitor/history_recorder.h"
#include "monitor/history_store.h"
#include "tests/base/temp_files.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {
namespace {

constexpr std::int64_t kT0 = 1'800'000'000;

HistoryReading Nth(std::int32_t i) {
  return {"S1", "Disk", kT0 + 30 * std::int64_t{i}, 30 + i % 20, PowerMode::Active, {i, 0, 0, 0}};
}

// What SQLite itself finds wrong with the file; "ok" when nothing.
std::string IntegrityOf(const std::string& path) {
  sqlite3* db = nullptr;
  std::string verdict = "cannot open";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
          *static_cast<std::string*>(out) = values[0] ? values[0] : "";
          return 0;
        },
        &verdict, nullptr);
  }
  sqlite3_close(db);
  return verdict;
}

// Runs `writer` in a child process that reports each reading it kept
// through a pipe. Returns the pipe's reading end.
int StartWriter(pid_t& child, const std::function<void(int ack)>& writer) {
  int fds[2];
  EXPECT_EQ(::pipe(fds), 0);
  child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    writer(fds[1]);
    ::_exit(0);
  }
  ::close(fds[1]);
  return fds[0];
}

void Acknowledge(int ack, std::int32_t i) {
  if (::write(ack, &i, sizeof i) != sizeof i) ::_exit(3);
}

// Reads acknowledgements until `until` of them came, or the pipe closed;
// returns the last.
std::int32_t ReadAcks(int fd, std::int32_t last, std::int32_t until) {
  std::int32_t i = 0;
  while (last < until && ::read(fd, &i, sizeof i) == sizeof i) last = i;
  return last;
}

TEST(HistoryDurability, AKilledWriterLosesAtMostTheReadingUnderWay) {
  TempDir dir;
  const std::string path = dir.File(HistoryFileName);
  std::int32_t next = 0;
  // Each round kills the writer at another moment of its work.
  for (const std::int32_t readings : {40, 75, 130, 210}) {
    pid_t child = 0;
    const std::int32_t first = next;
    const int acks = StartWriter(child, [&path, first](int ack) {
      Result<HistoryStore> store = HistoryStore::Open(path);
      if (!store.Ok()) ::_exit(2);
      for (std::int32_t i = first;; ++i) {
        if (store->Record(Nth(i)).Ok()) Acknowledge(ack, i);
      }
    });
    const std::int32_t acknowledged = ReadAcks(acks, first - 1, first + readings);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::int32_t last = ReadAcks(acks, acknowledged, INT32_MAX);
    ::close(acks);

    ASSERT_EQ(IntegrityOf(path), "ok") << "after " << readings;
    Result<HistoryStore> store = HistoryStore::Open(path);
    ASSERT_TRUE(store.Ok()) << store.Message;
    Result<std::vector<HistoryReading>> kept = store->Readings("S1");
    ASSERT_TRUE(kept.Ok()) << kept.Message;
    // Every acknowledged reading, and perhaps the one committed as it died.
    ASSERT_GE(kept->size(), static_cast<std::size_t>(last + 1));
    ASSERT_LE(kept->size(), static_cast<std::size_t>(last + 2));
    for (std::int32_t i = 0; i <= last; ++i) {
      EXPECT_EQ((*kept)[static_cast<std::size_t>(i)].Time, Nth(i).Time);
      EXPECT_EQ((*kept)[static_cast<std::size_t>(i)].Temperature, Nth(i).Temperature);
    }
    next = static_cast<std::int32_t>(kept->size());
  }
}

TEST(HistoryDurability, AFullDiskRefusesReadingsAndKeepsTheOnesBefore) {
  TempDir dir;
  const std::string path = dir.File(HistoryFileName);
  pid_t child = 0;
  const int acks = StartWriter(child, [&path](int ack) {
    Result<HistoryStore> store = HistoryStore::Open(path);
    if (!store.Ok()) ::_exit(2);
    // Files may grow no further than this: a full disk, as far as writes go.
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{256 * 1024, 256 * 1024};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    std::int32_t refused = 0;
    for (std::int32_t i = 0; refused < 5 && i < 1'000'000; ++i) {
      const Result<> kept = store->Record(Nth(i));
      if (kept.Ok()) {
        Acknowledge(ack, i);
      } else {
        ++refused;
        // Linux says "file too large" where a full disk says "no space".
        if (kept.Message.find(HistoryFileName) == std::string::npos) {
          std::fprintf(stderr, "%s\n", kept.Message.c_str());
          ::_exit(4);
        }
      }
    }
    ::_exit(refused == 5 ? 0 : 5);
  });
  const std::int32_t last = ReadAcks(acks, -1, INT32_MAX);
  ::close(acks);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "2: no store, 4: another message, 5: the disk never filled";
  ASSERT_GT(last, 20);

  ASSERT_EQ(IntegrityOf(path), "ok");
  Result<HistoryStore> store = HistoryStore::Open(path);
  ASSERT_TRUE(store.Ok()) << store.Message;
  Result<std::vector<HistoryReading>> kept = store->Readings("S1");
  ASSERT_TRUE(kept.Ok());
  ASSERT_GE(kept->size(), static_cast<std::size_t>(last + 1));
  // With room again, readings are kept again.
  ASSERT_TRUE(store->Record(Nth(last + 100)).Ok());
}

TEST(HistoryDurability, AYearOfReadingsEveryThirtySecondsStaysUnderTenMegabytes) {
  // Sizes are the same on any file system; in memory the million
  // checkpoints' syncs cost nothing.
  const std::filesystem::path memory = "/dev/shm";
  TempDir dir(std::filesystem::is_directory(memory) ? memory
                                                    : std::filesystem::temp_directory_path());
  const std::string path = dir.File(HistoryFileName);
  RecordingJournal journal;
  FakeWallClock clock;
  sqlite3_memory_highwater(1);
  {
    HistoryRecorder recorder(journal, clock, path);
    constexpr int kReadingsPerYear = 365 * 24 * 120;
    for (int i = 0; i < kReadingsPerYear; ++i) {
      // A working day: warm afternoons, a night in standby every day.
      const int hour = i / 120 % 24;
      const bool asleep = hour < 6;
      recorder.Keep(0, {asleep ? "" : "WD-WCC4E1234567",
                        "WDC WD40EFRX",
                        0,
                        asleep ? std::nullopt : std::optional<int>(30 + hour / 2 + i % 3),
                        asleep ? PowerMode::Standby : PowerMode::Active,
                        {0, 0, 0, 0}});
      clock.Advance(std::chrono::seconds(30));
    }
    // A reduction's pass over a week of readings may not leave SQLite's
    // page cache grown (to 2 MiB by default) in a program that idles.
    EXPECT_LT(sqlite3_memory_used(), 256 * 1024);
    EXPECT_LT(sqlite3_memory_highwater(0), 512 * 1024);
  }
  EXPECT_TRUE(journal.Lines.empty()) << journal.Lines.front();
  std::uintmax_t bytes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    bytes += entry.file_size();
  }
  EXPECT_LT(bytes, 10u * 1024 * 1024);
  RecordProperty("bytes", std::to_string(bytes));

  HistoryStore store = [&path] {
    Result<HistoryStore> opened = HistoryStore::Open(path);
    EXPECT_TRUE(opened.Ok());
    return std::move(*opened);
  }();
  const std::int64_t end =
      std::chrono::duration_cast<std::chrono::seconds>(clock.Now().time_since_epoch()).count();
  Result<std::vector<HistoryPoint>> points =
      store.Points("WD-WCC4E1234567", end - 366 * 24 * 3600, end);
  ASSERT_TRUE(points.Ok());
  // A week of readings, the rest in spans.
  std::size_t spans = 0;
  for (const HistoryPoint& point : *points) spans += point.Span > 0;
  // The first night went unrecorded: nothing said which drive slept.
  EXPECT_GT(spans, 357u * 144);
  // Reduced up to a span's edge, so up to ten minutes more stay raw.
  EXPECT_LE(points->size() - spans, 7u * 24 * 120 + 20);
}

}  // namespace
}  // namespace halvoric::testing
