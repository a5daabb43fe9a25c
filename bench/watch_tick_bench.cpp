// A watch tick as the program runs it: the watched drives read on the drive
// thread in one hand-over, the readings judged back on the window's thread.
// Weighed against BM_GetDriveSummary and BM_GetDriveSummaryIfAwake of
// drive_series_bench, it says what the power check adds to a whole tick.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QMetaObject>

#include "drive/drive_line.h"
#include "drive/sim/simulated_disks.h"
#include "monitor/temperature_watch.h"

namespace halvoric {
namespace {

constexpr const char* kDrives = R"(
[drive 0]
model = Tick Disk 0
attribute = 194 value=66 worst=52 raw=34
[drive 1]
model = Tick Disk 1
attribute = 194 value=66 worst=52 raw=35
[drive 2]
model = Tick Disk 2
attribute = 194 value=66 worst=52 raw=36
[drive 3]
model = Tick Disk 3
attribute = 194 value=66 worst=52 raw=37
)";

// Everything the watch reaches besides the drives, doing nothing: the
// drives stay below the critical temperature, so no alert is raised.
struct QuietWindow final : WatchView, CountdownView, JournalLines, MailQueue, Mailer, SoundPlayer,
                           AlertPrompt, MessageBoxes, Clock, Hibernator {
  std::vector<DriveNumber> WatchedDrives() const override { return {0, 1, 2, 3}; }
  void StartCheckTimer() override { timer = true; }
  void StopCheckTimer() override { timer = false; }
  bool CheckTimerActive() const override { return timer; }
  void BringToFront() override {}
  void ShowCriticalTemperature(const std::string&) override {}
  void SetCaption(const std::string&) override {}
  void StartCountdownTimer() override {}
  void StopCountdownTimer() override {}
  void AddLogLine(const std::string&) override {}
  void AddLogLineBareToSystemLog(const std::string&) override {}
  void Send(MailArguments, MailQueue::Done) override {}
  Result<> Send(const MailArguments&) override { return Result<>::Done(); }
  Result<> Play(const std::string&) override { return Result<>::Done(); }
  void Alert(const std::string&) override {}
  void ShowError(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  TimePoint Now() const override { return {}; }
  Result<> Hibernate() override { return Result<>::Done(); }

  bool timer = false;
};

void BM_WatchTickOfFourDrives(benchmark::State& state) {
  int argc = 1;
  char name[] = "watch_tick_bench";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  QObject window;
  sim::SimulatedDisks disks(*sim::ParseScenario(kDrives, "bench", "."), [] { return 0.0; });
  DriveReader reader(disks);
  ThreadedDriveLine line(reader, [&window](std::function<void()> task) {
    QMetaObject::invokeMethod(&window, std::move(task), Qt::QueuedConnection);
  });
  QuietWindow quiet;
  Settings settings;
  settings.TempWarn = true;
  LastReadings last;
  HibernationCountdown countdown(quiet, quiet, quiet);
  TemperatureWatch watch(quiet, settings, quiet, countdown,
                         {line, quiet, quiet, quiet, quiet, quiet, quiet, last});
  for (auto _ : state) {
    watch.Check();
    // The tick has ended when it starts its timer again.
    while (!quiet.timer) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    state.PauseTiming();
    disks.ClearEvents();
    state.ResumeTiming();
  }
  line.Stop();
}
BENCHMARK(BM_WatchTickOfFourDrives)->UseRealTime();

}  // namespace
}  // namespace halvoric

BENCHMARK_MAIN();
