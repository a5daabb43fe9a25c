// SPDX-License-Identifier: GPL-3.0-or-later
// The temperature history: what is kept, how it shrinks with age, and what
// the user is told when it cannot be kept.
#include "monitor/history_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "monitor/history_recorder.h"
#include "tests/base/temp_files.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {
namespace {

constexpr std::int64_t kT0 = 1'800'000'000;  // a span's edge: 1.8e9 is a multiple of 600
constexpr std::int64_t kDay = 24 * 3600;

HistoryStore OpenOrFail(const std::string& path) {
  Result<HistoryStore> store = HistoryStore::Open(path);
  EXPECT_TRUE(store.Ok()) << store.Message;
  return std::move(*store);
}

HistoryReading At(std::int64_t time, std::optional<int> temperature,
                  PowerMode power = PowerMode::Active, std::string serial = "S1") {
  return {std::move(serial), "", time, temperature, power, {}};
}

TEST(HistoryStore, KeepsEachReadingAsTakenAndMergesTwoInOneSecond) {
  struct Case {
    const char* name;
    std::vector<HistoryReading> recorded;
    std::vector<HistoryReading> expected;
  };
  const DamageCounts counts = {0, 3, std::nullopt, 1};
  // Serials are bytes as the drive sent them, blanks and all.
  const std::string oddSerial = std::string("  WD\0\xff", 6);
  const std::vector<Case> cases = {
      {"temperature and counts",
       {{"S1", "Disk", kT0, 41, PowerMode::Active, counts}},
       {{"S1", "Disk", kT0, 41, PowerMode::Active, counts}}},
      {"asleep, no temperature",
       {{"S1", "Disk", kT0, std::nullopt, PowerMode::Standby, {}}},
       {{"S1", "Disk", kT0, std::nullopt, PowerMode::Standby, {}}}},
      {"scan and health check in one second",
       {{"S1", "Disk", kT0, 41, PowerMode::Unknown, {}},
        {"S1", "", kT0, std::nullopt, PowerMode::Unknown, counts}},
       {{"S1", "Disk", kT0, 41, PowerMode::Unknown, counts}}},
      {"a model learnt later names the drive",
       {{"S1", "", kT0, 30, PowerMode::Active, {}},
        {"S1", "Disk", kT0 + 30, 31, PowerMode::Active, {}}},
       {{"S1", "Disk", kT0, 30, PowerMode::Active, {}},
        {"S1", "Disk", kT0 + 30, 31, PowerMode::Active, {}}}},
      {"serial with blanks, NUL and high bytes",
       {{oddSerial, "M", kT0, 20, PowerMode::Sleep, {}}},
       {{oddSerial, "M", kT0, 20, PowerMode::Sleep, {}}}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    HistoryStore store = OpenOrFail(dir.File(HistoryFileName));
    for (const HistoryReading& reading : c.recorded) {
      ASSERT_TRUE(store.Record(reading).Ok()) << c.name;
    }
    Result<std::vector<HistoryReading>> kept = store.Readings(c.expected.front().Serial);
    ASSERT_TRUE(kept.Ok()) << c.name << ": " << kept.Message;
    ASSERT_EQ(kept->size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < kept->size(); ++i) {
      const HistoryReading& got = (*kept)[i];
      const HistoryReading& want = c.expected[i];
      EXPECT_EQ(got.Serial, want.Serial) << c.name;
      EXPECT_EQ(got.Time, want.Time) << c.name;
      EXPECT_EQ(got.Temperature, want.Temperature) << c.name;
      EXPECT_EQ(got.Power, want.Power) << c.name;
      EXPECT_EQ(got.Counts, want.Counts) << c.name;
      EXPECT_EQ(got.Model, c.expected.back().Model) << c.name;
    }
  }
}

// The history window, another program or the CLI may open the file while
// the program makes it: each opening must wait its turn, not fail (the
// reading whose opening failed would be lost).
TEST(HistoryStore, OpeningsOfANewFileAtOnceAllSucceed) {
  for (int round = 0; round < 20; ++round) {
    const TempDir folder;
    const std::string path = folder.File("h.sqlite");
    std::vector<std::string> failures(4);
    std::vector<std::thread> openers;
    for (std::string& failure : failures) {
      openers.emplace_back([&path, &failure] {
        Result<HistoryStore> store = HistoryStore::Open(path);
        if (!store.Ok()) failure = store.Message;
      });
    }
    for (std::thread& opener : openers) opener.join();
    for (const std::string& failure : failures) EXPECT_EQ(failure, "") << "round " << round;
  }
}

TEST(HistoryStore, ReducesReadingsOlderThanAWeekToTenMinuteSpans) {
  TempDir dir;
  HistoryStore store = OpenOrFail(dir.File(HistoryFileName));
  // Span 0: 30, 40, 50 and a health check's counts alone; span 1: asleep
  // throughout; span 2: two readings either side of a short nap; span 3
  // nothing (the program did not run).
  const std::vector<HistoryReading> readings = {
      At(kT0, 30),
      At(kT0 + 200, 40),
      {"S1", "", kT0 + 300, std::nullopt, PowerMode::Unknown, {7, 0, 0, 0}},
      At(kT0 + 599, 50),
      At(kT0 + 600, std::nullopt, PowerMode::Standby),
      At(kT0 + 900, std::nullopt, PowerMode::Standby),
      At(kT0 + 1200, 44),
      At(kT0 + 1300, std::nullopt, PowerMode::Sleep),
      At(kT0 + 1500, 46)};
  for (const HistoryReading& reading : readings) ASSERT_TRUE(store.Record(reading).Ok());
  // A reading from another drive in the same span stays apart.
  ASSERT_TRUE(store.Record(At(kT0 + 10, 70, PowerMode::Active, "S2")).Ok());

  ASSERT_TRUE(store.Reduce(kT0 + 1800 + HistoryStore::kRawSeconds).Ok());
  Result<std::vector<HistoryReading>> raw = store.Readings("S1");
  ASSERT_TRUE(raw.Ok());
  EXPECT_TRUE(raw->empty());

  Result<std::vector<HistoryPoint>> points = store.Points("S1", kT0, kT0 + 3600);
  ASSERT_TRUE(points.Ok()) << points.Message;
  ASSERT_EQ(points->size(), 3u);
  const HistoryPoint& first = (*points)[0];
  EXPECT_EQ(first.Time, kT0);
  EXPECT_EQ(first.Span, HistoryStore::kSpanSeconds);
  EXPECT_EQ(first.Min, 30);
  EXPECT_EQ(first.Max, 50);
  ASSERT_TRUE(first.Mean);
  EXPECT_DOUBLE_EQ(*first.Mean, 40.0);
  EXPECT_FALSE(first.Asleep);
  EXPECT_TRUE((*points)[1].Asleep);
  EXPECT_FALSE((*points)[1].Mean);
  ASSERT_TRUE((*points)[2].Mean);
  EXPECT_DOUBLE_EQ(*(*points)[2].Mean, 45.0);
  EXPECT_FALSE((*points)[2].Asleep);

  Result<std::vector<HistoryPoint>> other = store.Points("S2", kT0, kT0 + 3600);
  ASSERT_TRUE(other.Ok());
  ASSERT_EQ(other->size(), 1u);
  EXPECT_EQ((*other)[0].Max, 70);

  // Reduced again later (a clock set back, a second start): spans merge.
  ASSERT_TRUE(store.Record(At(kT0 + 100, 60)).Ok());
  ASSERT_TRUE(store.Reduce(kT0 + 1800 + HistoryStore::kRawSeconds).Ok());
  points = store.Points("S1", kT0, kT0 + 599);
  ASSERT_TRUE(points.Ok());
  ASSERT_EQ(points->size(), 1u);
  EXPECT_EQ((*points)[0].Max, 60);
  EXPECT_DOUBLE_EQ(*(*points)[0].Mean, 45.0);

  // Five years on, the spans go too.
  ASSERT_TRUE(store.Reduce(kT0 + HistoryStore::kKeptSeconds + 3600).Ok());
  points = store.Points("S1", 0, kT0 + HistoryStore::kKeptSeconds + 3600);
  ASSERT_TRUE(points.Ok());
  EXPECT_TRUE(points->empty());
}

TEST(HistoryStore, PointsLeaveOutReadingsThatSayNothingOfTheTemperature) {
  TempDir dir;
  HistoryStore store = OpenOrFail(dir.File(HistoryFileName));
  ASSERT_TRUE(store.Record(At(kT0, 35)).Ok());
  ASSERT_TRUE(
      store.Record({"S1", "", kT0 + 30, std::nullopt, PowerMode::Unknown, {1, 0, 0, 0}}).Ok());
  ASSERT_TRUE(store.Record(At(kT0 + 60, std::nullopt, PowerMode::Standby)).Ok());
  Result<std::vector<HistoryPoint>> points = store.Points("S1", kT0, kT0 + 60);
  ASSERT_TRUE(points.Ok());
  ASSERT_EQ(points->size(), 2u);
  EXPECT_EQ((*points)[0].Time, kT0);
  EXPECT_TRUE((*points)[1].Asleep);
}

// Holds the writer's work until the test lets it run, as a writer thread
// behind a busy disk would.
class HeldWork final : public WorkRunner {
 public:
  void Run(Work work, Done done) override { held_.push_back({std::move(work), std::move(done)}); }
  void Flush() {
    for (auto& [work, done] : held_) {
      if (work() && done) {
        done();
        ++HandedBack;
      }
    }
    held_.clear();
  }
  int HandedBack = 0;

 private:
  std::vector<std::pair<Work, Done>> held_;
};

TEST(HistoryRecorder, JournalsAStoreItCannotUseOnceAndPicksItUpWhenMended) {
  struct Case {
    const char* name;
    // Spoils the history's place; returns what mends it.
    std::function<std::function<void()>(const std::string& path)> spoil;
    std::string said;
  };
  const std::vector<Case> cases = {
      {"not a database",
       [](const std::string& path) {
         WriteFile(path, std::string(8192, 'x'));
         return [path] { std::filesystem::remove(path); };
       },
       "file is not a database"},
      {"its folder is a file",
       [](const std::string& path) {
         const std::string folder = std::filesystem::path(path).parent_path();
         std::filesystem::remove_all(folder);
         WriteFile(folder, "x");
         return [folder] {
           std::filesystem::remove(folder);
           std::filesystem::create_directory(folder);
         };
       },
       "unable to open database file"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string folder = dir.File("settings");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/" + HistoryFileName;
    RecordingJournal journal;
    FakeWallClock clock;
    HeldWork writer;
    HistoryRecorder recorder(journal, clock, path, writer);
    const std::function<void()> mend = c.spoil(path);
    const std::string before = std::filesystem::is_regular_file(path) ? ReadFile(path) : "";
    for (int i = 0; i < 3; ++i) {
      recorder.Keep(0, At(0, 40));
      clock.Advance(std::chrono::seconds(30));
    }
    // The watch went on without waiting for the file.
    EXPECT_TRUE(journal.Lines.empty()) << c.name;
    writer.Flush();
    ASSERT_EQ(journal.Lines.size(), 1u) << c.name;
    EXPECT_NE(journal.Lines[0].find(c.said), std::string::npos) << c.name << journal.Lines[0];
    EXPECT_NE(journal.Lines[0].find(HistoryFileName), std::string::npos) << c.name;
    // A damaged file is left for the user to look at.
    if (!before.empty()) {
      EXPECT_EQ(ReadFile(path), before) << c.name;
    }

    mend();
    recorder.Keep(0, At(0, 41));
    writer.Flush();
    EXPECT_EQ(journal.Lines.size(), 1u) << c.name;
    HistoryStore store = OpenOrFail(path);
    Result<std::vector<HistoryReading>> kept = store.Readings("S1");
    ASSERT_TRUE(kept.Ok());
    ASSERT_EQ(kept->size(), 1u) << c.name;
    EXPECT_EQ((*kept)[0].Temperature, 41) << c.name;
    // Back to normal: a reading kept as usual wakes nobody.
    writer.HandedBack = 0;
    clock.Advance(std::chrono::seconds(30));
    recorder.Keep(0, At(0, 42));
    writer.Flush();
    EXPECT_EQ(writer.HandedBack, 0) << c.name;
  }
}

TEST(HistoryRecorder, KeepsASleepingDriveUnderTheSerialItLastHad) {
  TempDir dir;
  RecordingJournal journal;
  FakeWallClock clock;
  HistoryRecorder recorder(journal, clock, dir.File(HistoryFileName));
  // Drive 1 slept from the start: nobody knows which drive it is.
  recorder.Keep(1, At(0, std::nullopt, PowerMode::Standby, ""));
  recorder.Keep(0, At(0, 38, PowerMode::Active, "S0"));
  clock.Advance(std::chrono::seconds(30));
  recorder.Keep(0, At(0, std::nullopt, PowerMode::Standby, ""));

  HistoryStore store = OpenOrFail(dir.File(HistoryFileName));
  Result<std::vector<HistoryDrive>> drives = store.Drives();
  ASSERT_TRUE(drives.Ok());
  ASSERT_EQ(drives->size(), 1u);
  Result<std::vector<HistoryReading>> kept = store.Readings("S0");
  ASSERT_TRUE(kept.Ok());
  ASSERT_EQ(kept->size(), 2u);
  const std::int64_t start =
      std::chrono::duration_cast<std::chrono::seconds>(FakeWallClock().Time.time_since_epoch())
          .count();
  EXPECT_EQ((*kept)[0].Time, start);
  EXPECT_EQ((*kept)[1].Time, start + 30);
  EXPECT_EQ((*kept)[1].Power, PowerMode::Standby);
  EXPECT_TRUE(journal.Lines.empty());
}

TEST(HistoryRecorder, TellsEachFollowerOfItsOwnDrivesPlottedReadingsUntilTheFollowEnds) {
  TempDir dir;
  RecordingJournal journal;
  FakeWallClock clock;
  HeldWork writer;
  auto recorder =
      std::make_unique<HistoryRecorder>(journal, clock, dir.File(HistoryFileName), writer);
  std::map<std::string, int> told;
  HistoryFollow s0 = recorder->Follow("S0", [&] { ++told["S0"]; });
  HistoryFollow s1 = recorder->Follow("S1", [&] { ++told["S1"]; });

  struct Row {
    const char* what;
    DriveNumber drive;
    HistoryReading reading;
    std::map<std::string, int> told;  // all told so far
  };
  const std::vector<Row> rows = {
      {"drive 0 asleep before it told its serial",
       0,
       At(0, std::nullopt, PowerMode::Standby, ""),
       {}},
      {"drive 0 awake", 0, At(0, 38, PowerMode::Active, "S0"), {{"S0", 1}}},
      {"drive 1's damage counts alone",
       1,
       {"S1", "", 0, std::nullopt, PowerMode::Unknown, {1, 0, 0, 0}},
       {{"S0", 1}}},
      {"drive 0 asleep under its last serial",
       0,
       At(0, std::nullopt, PowerMode::Sleep, ""),
       {{"S0", 2}}},
      {"drive 1 awake", 1, At(0, 40, PowerMode::Active, "S1"), {{"S0", 2}, {"S1", 1}}},
      {"a drive nobody follows", 2, At(0, 41, PowerMode::Active, "S2"), {{"S0", 2}, {"S1", 1}}},
  };
  for (const Row& row : rows) {
    const std::map<std::string, int> before = told;
    recorder->Keep(row.drive, row.reading);
    // Not before the reading is in the file: the window would miss it.
    EXPECT_EQ(told, before) << row.what;
    writer.Flush();
    EXPECT_EQ(told, row.told) << row.what;
  }

  // A follower that ends its own follow and the next one's while told:
  // neither is told again, and the one ended is not told this time.
  HistoryFollow first;
  HistoryFollow second;
  int firstTold = 0;
  int secondTold = 0;
  first = recorder->Follow("S0", [&] {
    ++firstTold;
    first.End();
    second.End();
  });
  second = recorder->Follow("S0", [&] { ++secondTold; });
  s0.End();
  for (int i = 0; i < 2; ++i) recorder->Keep(0, At(0, 39, PowerMode::Active, "S0"));
  writer.Flush();
  EXPECT_EQ(firstTold, 1);
  EXPECT_EQ(secondTold, 0);
  EXPECT_EQ(told["S0"], 2);

  // A reading that could not be kept is no news.
  std::filesystem::remove_all(dir.Path());
  recorder = std::make_unique<HistoryRecorder>(journal, clock, dir.File(HistoryFileName), writer);
  s1 = recorder->Follow("S1", [&] { ++told["S1"]; });
  recorder->Keep(1, At(0, 40, PowerMode::Active, "S1"));
  writer.Flush();
  EXPECT_EQ(told["S1"], 1);
  EXPECT_EQ(journal.Lines.size(), 1u);
  // The program's end: windows give up their follows after the recorder is gone.
  recorder.reset();
  s1.End();
}

}  // namespace
}  // namespace halvoric::testing
