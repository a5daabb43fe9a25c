// SPDX-License-Identifier: GPL-3.0-or-later
// How long the temperature history window takes to open on a year of
// readings of one drive (every 30 seconds, reduced as the program reduces
// them), from the click to the first picture, against a bare window of the
// size showing an empty chart, opened the same way. With --screenshot FILE it saves the
// window, on the last week (weekday ticks, nights in standby, a Sunday
// off), as the README shows it.
//
//   history_plot_bench [--history FILE] [--screenshot FILE.png]
//
// --history keeps the generated year in FILE for the next run (filling it
// takes about half a minute).
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QtCharts/QLineSeries>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "monitor/history_store.h"
#include "ui/history_window.h"

namespace halvoric {
namespace {

constexpr std::int64_t kNow = 1'800'000'000;  // a Friday evening
constexpr std::int64_t kYear = 365 * 24 * 3600;
const std::string kSerial = "WD-WCC4E1234567     ";

class FixedCalendar final : public WallClock {
 public:
  TimePoint Now() const override { return TimePoint(std::chrono::seconds(kNow)); }
};

struct NoDialogs final : FileDialogs {
  std::optional<std::string> ChooseFileToOpen(const FileDialogSpec&) override { return {}; }
  std::optional<std::string> ChooseFileToSave(const FileDialogSpec&) override { return {}; }
};

struct NoMessages final : MessageBoxes {
  void ShowError(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
};

// A desk PC's data disk: warm in the afternoon, warmer in summer, asleep at
// night, a backup every Wednesday evening, and the PC off on Sundays.
bool Fill(const std::string& path) {
  Result<HistoryStore> store = HistoryStore::Open(path);
  if (!store.Ok()) {
    std::fprintf(stderr, "%s\n", store.Message.c_str());
    return false;
  }
  std::uint32_t noise = 1;
  for (std::int64_t t = kNow - kYear; t <= kNow; t += 30) {
    const std::int64_t day = t / 86400;
    const double hour = static_cast<double>(t % 86400) / 3600;
    if ((day + 4) % 7 == 6) continue;  // Sunday: the PC is off
    HistoryReading reading{kSerial,      "WDC WD40EFRX-68N32N0", t,
                           std::nullopt, PowerMode::Standby,     {0, 0, 0, 0}};
    if (hour >= 7 && hour < 23) {
      noise = noise * 1664525u + 1013904223u;
      const double season = 4 * std::cos(2 * M_PI * static_cast<double>(day % 365 - 200) / 365);
      const double afternoon = 5 * std::exp(-std::pow((hour - 15) / 3, 2));
      const bool backup = (day + 4) % 7 == 3 && hour >= 20 && hour < 22;
      reading.Temperature =
          static_cast<int>(std::lround(33 + season + afternoon + (backup ? 8 : 0) + (noise >> 30)));
      reading.Power = PowerMode::Active;
    }
    if (!store->Record(reading).Ok()) return false;
  }
  return true;
}

// Milliseconds from creating `make`'s window to its first picture.
template <typename Make>
double OpenTime(Make make) {
  QElapsedTimer timer;
  timer.start();
  QWidget* window = make();
  window->show();
  const QPixmap picture = window->grab();
  const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  delete window;
  QApplication::processEvents();
  return picture.isNull() ? -1 : ms;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace
}  // namespace halvoric

int main(int argc, char** argv) {
  using namespace halvoric;
  std::string history;
  std::string screenshot;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--history") {
      history = argv[i + 1];
    } else if (option == "--screenshot") {
      screenshot = argv[i + 1];
    }
  }
  QApplication app(argc, argv);
  const bool temporary = history.empty();
  if (temporary) {
    history = (std::filesystem::temp_directory_path() / "halvoric-plot-bench.sqlite").string();
  }
  if (!std::filesystem::exists(history) && !Fill(history)) return 1;

  FixedCalendar calendar;
  NoDialogs dialogs;
  NoMessages messages;
  const auto open = [&](HistoryRange range) {
    return [&, range] {
      auto* window = new HistoryWindow({dialogs, messages, calendar}, history, kSerial,
                                       "WDC WD40EFRX-68N32N0", 50);
      if (range != HistoryRange::Day) window->ShowRange(range);
      return window;
    };
  };
  const auto bare = [] {
    auto* chart = new QChart;
    auto* line = new QLineSeries;
    line->append(0, 0);
    line->append(1, 1);
    chart->addSeries(line);
    chart->createDefaultAxes();
    auto* window = new QChartView(chart);
    window->resize(760, 460);
    return static_cast<QWidget*>(window);
  };
  OpenTime(open(HistoryRange::Year));  // fonts and the file's pages are warm after this
  std::printf("%-28s %10s %8s\n", "window (median of 9)", "ms", "ratio");
  std::vector<double> bareTimes;
  for (int i = 0; i < 9; ++i) bareTimes.push_back(OpenTime(bare));
  const double baseline = Median(bareTimes);
  std::printf("%-28s %10.1f %8.1f\n", "empty chart window", baseline, 1.0);
  for (const auto& [range, name] : {std::pair{HistoryRange::Day, "history, day"},
                                    std::pair{HistoryRange::Month, "history, month"},
                                    std::pair{HistoryRange::Year, "history, year"}}) {
    std::vector<double> times;
    for (int i = 0; i < 9; ++i) times.push_back(OpenTime(open(range)));
    std::printf("%-28s %10.1f %8.1f\n", name, Median(times), Median(times) / baseline);
  }
  if (!screenshot.empty()) {
    QWidget* window = open(HistoryRange::Week)();
    window->show();
    if (!window->grab().save(QString::fromStdString(screenshot))) return 1;
    delete window;
  }
  if (temporary) {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(history + suffix);
  }
  return 0;
}
