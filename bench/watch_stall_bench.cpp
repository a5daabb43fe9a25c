// SPDX-License-Identifier: GPL-3.0-or-later
// Whether a watch tick over many drives keeps the window's event loop free:
// the main window as halvoric-demo builds it (offscreen), on simulated
// drives, with the temperature warning and the metrics file on. A tick reads
// the watched drives on the drive thread, judges them back on the window's
// thread, keeps the readings in the temperature history on its own thread
// and writes the metrics file. Every piece of work the window's thread runs
// for the tick (the timer's handler and each result handed back from the
// other threads) is timed; the longest of a tick is the longest the window
// could not answer. Ticks of 64 drives are weighed against ticks of 4 in
// the same run. Prints the medians of the ticks' longest pieces and exits 1
// when that of 64 drives is 50 ms or more.
//
//   watch_stall_bench [ticks, default 30]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drive/sim/simulated_disks.h"
#include "tests/base/temp_files.h"
#include "ui/linux_desktop.h"
#include "ui/program_entry.h"

namespace halvoric {
namespace {

constexpr double kGoalMs = 50;

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
  double MedianMs = 0;   // of the ticks' longest pieces
  double LongestMs = 0;  // the longest piece of all ticks
  double TickMs = 0;     // median time from the timer to its restart
};

// The window's thread: every task handed to it is timed.
struct TimedLoop {
  QElapsedTimer Clock;
  qint64 Longest = 0;
  // Handed over from the drive and history threads too.
  std::atomic<int> Waiting = 0;

  void Run(const std::function<void()>& task) {
    const qint64 start = Clock.nsecsElapsed();
    task();
    Longest = std::max(Longest, Clock.nsecsElapsed() - start);
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
    for (int tick = 0; tick < ticks; ++tick) {
      QCoreApplication::processEvents();
      loop.Longest = 0;
      const qint64 start = loop.Clock.nsecsElapsed();
      form.CheckTemp_Timer->stop();
      ++loop.Waiting;
      PostTimed([&form] { form.CheckTemp_Timer->timeout({}); });
      while (!form.CheckTemp_Timer->isActive() || loop.Waiting > 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      }
      durations.push_back(static_cast<double>(loop.Clock.nsecsElapsed() - start) / 1e6);
      stalls.push_back(static_cast<double>(loop.Longest) / 1e6);
      result.LongestMs = std::max(result.LongestMs, stalls.back());
    }
    result.MedianMs = Median(stalls);
    result.TickMs = Median(durations);
    program.Form->close();
  }
  std::filesystem::current_path(folder.Path().parent_path());
  return result;
}

void Print(const char* what, const Stalls& stalls, int ticks) {
  std::printf(
      "%s: longest stall %.2f ms (median of %d ticks; longest of all %.2f ms), tick %.2f "
      "ms\n",
      what, stalls.MedianMs, ticks, stalls.LongestMs, stalls.TickMs);
}

}  // namespace
}  // namespace halvoric

int main(int argc, char** argv) {
  // No screen needed: the window is drawn offscreen.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  halvoric::loop.Clock.start();
  const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  const halvoric::Stalls few = halvoric::MeasureTicks(4, ticks);
  const halvoric::Stalls many = halvoric::MeasureTicks(64, ticks);
  halvoric::Print("ticks of  4 drives", few, ticks);
  halvoric::Print("ticks of 64 drives", many, ticks);
  const bool met = many.MedianMs < halvoric::kGoalMs;
  std::printf("64 drives stall the window %.1f x as long as 4 (goal: under %.0f ms): %s\n",
              many.MedianMs / few.MedianMs, halvoric::kGoalMs, met ? "met" : "MISSED");
  return met ? 0 : 1;
}
