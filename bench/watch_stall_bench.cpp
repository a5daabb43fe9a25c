// SPDX-License-Identifier: GPL-3.0-or-later
// What a watch tick costs the window as the drives grow: the main window as
// halvoric-demo builds it (offscreen), on 4, 64 and 200 simulated drives in
// one run, with the temperature warning and the metrics file on. A tick
// reads the watched drives on the drive thread, judges them back on the
// window's thread, keeps the readings in the temperature history on its own
// thread and writes the metrics file. Every piece of work the window's
// thread runs for the tick (the timer's handler and each result handed back
// from the other threads) is timed: their sum is the tick's work on the
// window's thread, the longest the longest the window could not answer. On
// a busy machine a piece's time also holds the spells the thread waited for
// a core; the stall goal is judged on the thread's own time, and the time
// as the clock saw it is printed beside it.
// Then the history's thread alone: 64 drives' readings kept tick after tick
// (a simulated clock 30 s apart), its busy time against the 30 s.
// Prints the figures and the goals at 64 drives (work per tick at most
// 5 ms, no stall of 16 ms or more, the history's thread busy under 5 % of
// the time); exits 1 when one is missed.
//
//   watch_stall_bench [ticks, default 30]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drive/sim/simulated_disks.h"
#include "monitor/history_recorder.h"
#include "tests/base/temp_files.h"
#include "tests/services/service_fakes.h"
#include "ui/linux_desktop.h"
#include "ui/program_entry.h"

namespace halvoric {
namespace {

constexpr unsigned kDriveCounts[] = {4, 64, 200};
constexpr unsigned kGoalDrives = 64;
constexpr double kWorkGoalMs = 5;
constexpr double kStallGoalMs = 16;  // one frame at 60 Hz
constexpr double kHistoryGoalShare = 0.05;
constexpr double kTickSeconds = 30;

// Desktop drives with the attributes a real table holds, each its own
// serial, so that every reading is kept under a drive of its own; all
// below the critical temperature, so no alert is raised.
std::string Drives(unsigned count) {
  std::string text;
  for (unsigned n = 0; n < count; ++n) {
    const std::string number = std::to_string(n);
    text += "[drive " + number + "]\nmodel = Stall Disk " + number + "\nserial = S" + number +
            "\nattribute = 1 value=200 worst=200 threshold=51"
            "\nattribute = 5 value=200 worst=200 threshold=140"
            "\nattribute = 9 value=90 worst=90 raw=8000"
            "\nattribute = 12 value=100 worst=100 raw=900"
            "\nattribute = 194 flags=0x0022 value=66 worst=52 raw=" +
            std::to_string(30 + n % 10) +
            "\nattribute = 197 value=200 worst=200"
            "\nattribute = 198 value=200 worst=200\n";
  }
  return text;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Stalls {
  double WorkMs = 0;        // median of the ticks' window-thread work
  double MedianMs = 0;      // of the ticks' longest pieces
  double LongestMs = 0;     // the longest piece of all ticks
  double LongestOwnMs = 0;  // the most thread time a piece of all ticks took
  double TickMs = 0;        // median time from the timer to its restart
};

qint64 ThreadNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<qint64>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The window's thread: every task handed to it is timed.
struct TimedLoop {
  QElapsedTimer Clock;
  qint64 Longest = 0;
  qint64 LongestOwn = 0;
  qint64 Total = 0;
  // Handed over from the drive and history threads too.
  std::atomic<int> Waiting = 0;

  void Run(const std::function<void()>& task) {
    const qint64 start = Clock.nsecsElapsed();
    const qint64 ownStart = ThreadNanoseconds();
    task();
    const qint64 took = Clock.nsecsElapsed() - start;
    Longest = std::max(Longest, took);
    LongestOwn = std::max(LongestOwn, ThreadNanoseconds() - ownStart);
    Total += took;
  }
};
TimedLoop loop;

void PostTimed(std::function<void()> task) {
  PostToEventLoop([task = std::move(task)] {
    loop.Run(task);
    --loop.Waiting;
  });
}

Stalls MeasureTicks(unsigned driveCount, int ticks) {
  // The window reads and writes its settings, history and metrics file in
  // the current folder.
  const testing::TempDir folder;
  std::filesystem::current_path(folder.Path());
  std::ofstream("config.xml") << "<Tessivar><TempWarn>-1</TempWarn><Temp>70</Temp>"
                                 "<HealthWarn>0</HealthWarn><DiskStatus>0</DiskStatus>"
                                 "<MetricsFile>"
                              << folder.File("halvoric.prom") << "</MetricsFile></Tessivar>";

  Stalls result;
  {
    LinuxDesktop desktop(std::make_unique<sim::SimulatedDisks>(
        *sim::ParseScenario(Drives(driveCount), "bench", ".")));
    PlatformServices services = desktop.Services();
    // Counted, so that a tick ends once everything it handed back has run.
    services.Monitor.Post = [](std::function<void()> task) {
      ++loop.Waiting;
      PostTimed(std::move(task));
    };
    const MainWindow program = StartMainWindow(services);
    TTessivar_Form& form = *program.Form;
    if (form.DriveCount() != driveCount) {
      std::fprintf(stderr, "the scan found %zu of the %u drives\n", form.DriveCount(), driveCount);
      std::exit(2);
    }
    std::vector<double> stalls;
    std::vector<double> durations;
    std::vector<double> work;
    for (int tick = 0; tick < ticks; ++tick) {
      QCoreApplication::processEvents();
      loop.Longest = 0;
      loop.LongestOwn = 0;
      loop.Total = 0;
      const qint64 start = loop.Clock.nsecsElapsed();
      form.CheckTemp_Timer->stop();
      ++loop.Waiting;
      PostTimed([&form] { form.CheckTemp_TimerTimer(); });
      while (!form.CheckTemp_Timer->isActive() || loop.Waiting > 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      }
      durations.push_back(static_cast<double>(loop.Clock.nsecsElapsed() - start) / 1e6);
      stalls.push_back(static_cast<double>(loop.Longest) / 1e6);
      work.push_back(static_cast<double>(loop.Total) / 1e6);
      result.LongestMs = std::max(result.LongestMs, stalls.back());
      result.LongestOwnMs =
          std::max(result.LongestOwnMs, static_cast<double>(loop.LongestOwn) / 1e6);
    }
    result.WorkMs = Median(work);
    result.MedianMs = Median(stalls);
    result.TickMs = Median(durations);
    program.Form->close();
  }
  std::filesystem::current_path(folder.Path().parent_path());
  return result;
}

// Runs the history's work where it is given, timing it.
class TimedWriter final : public WorkRunner {
 public:
  void Run(Work work, Done done) override {
    const auto start = std::chrono::steady_clock::now();
    const bool wanted = work();
    Busy += std::chrono::steady_clock::now() - start;
    if (wanted && done) done();
  }
  std::chrono::steady_clock::duration Busy{};
};

class NoJournal final : public JournalLines {
 public:
  void AddLogLine(const std::string& line) override { std::fprintf(stderr, "%s\n", line.c_str()); }
  void AddLogLineBareToSystemLog(const std::string& line) override { AddLogLine(line); }
};

// The share of the time between ticks that the history's thread is busy
// keeping `driveCount` drives' readings, as the watch hands them over.
double HistoryShare(unsigned driveCount, int ticks) {
  const testing::TempDir folder;
  NoJournal journal;
  testing::FakeWallClock calendar;
  TimedWriter writer;
  {
    HistoryRecorder history(journal, calendar, folder.File(HistoryFileName), writer);
    for (int tick = 0; tick < ticks; ++tick) {
      for (unsigned n = 0; n < driveCount; ++n) {
        HistoryReading reading;
        reading.Serial = "S" + std::to_string(n);
        reading.Model = "Stall Disk " + std::to_string(n);
        reading.Temperature = static_cast<int>(30 + (n + tick) % 10);
        reading.Power = PowerMode::Active;
        history.Keep(static_cast<DriveNumber>(n), std::move(reading));
      }
      calendar.Advance(std::chrono::seconds(static_cast<int>(kTickSeconds)));
    }
  }
  return std::chrono::duration<double>(writer.Busy).count() / (ticks * kTickSeconds);
}

}  // namespace
}  // namespace halvoric

int main(int argc, char** argv) {
  using namespace halvoric;
  // No screen needed: the window is drawn offscreen.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  loop.Clock.start();
  const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  Stalls atGoal;
  std::printf("%d ticks each (medians; longest stall of all ticks)\n", ticks);
  for (const unsigned count : kDriveCounts) {
    const Stalls stalls = MeasureTicks(count, ticks);
    std::printf(
        "%3u drives: window-thread work per tick %.2f ms, longest stall %.2f ms (of all %.2f "
        "ms, of which the thread's own %.2f ms), whole tick %.2f ms\n",
        count, stalls.WorkMs, stalls.MedianMs, stalls.LongestMs, stalls.LongestOwnMs,
        stalls.TickMs);
    if (count == kGoalDrives) atGoal = stalls;
  }
  const double share = HistoryShare(kGoalDrives, ticks);
  std::printf("history's thread at %u drives: busy %.3f %% of the time between ticks\n",
              kGoalDrives, share * 100);
  bool met = true;
  const auto check = [&met](bool ok, const std::string& goal) {
    std::printf("  %s %s\n", ok ? "met:   " : "missed:", goal.c_str());
    met = met && ok;
  };
  std::printf("goals at %u drives:\n", kGoalDrives);
  char line[160];
  std::snprintf(line, sizeof line, "window-thread work per tick %.2f ms <= %.0f ms", atGoal.WorkMs,
                kWorkGoalMs);
  check(atGoal.WorkMs <= kWorkGoalMs, line);
  std::snprintf(line, sizeof line, "longest stall, the thread's own time, %.2f ms < %.0f ms",
                atGoal.LongestOwnMs, kStallGoalMs);
  check(atGoal.LongestOwnMs < kStallGoalMs, line);
  std::snprintf(line, sizeof line, "history's thread busy %.3f %% < %.0f %%", share * 100,
                kHistoryGoalShare * 100);
  check(share < kHistoryGoalShare, line);
  return met ? 0 : 1;
}
