// SPDX-License-Identifier: GPL-3.0-or-later
// The temperature history of one drive in a window of its own: the last
// hour, day, week, month or year as a line chart, with the critical
// temperature, the minimum-maximum band where readings were reduced, a grey
// band where the drive slept, gaps where the program did not run, and the
// reading under the pointer.
#pragma once

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <string>
#include <vector>

#include "monitor/history_plot.h"
#include "monitor/history_recorder.h"
#include "monitor/history_store.h"
#include "ui/history_window_opener.h"

namespace halvoric {

class HistoryWindow : public QWidget {
  Q_OBJECT

 public:
  // `storePath` is the history file; `serial` and `model` as the drive sent
  // them.
  HistoryWindow(HistoryWindowServices services, std::string storePath, std::string serial,
                const std::string& model, int criticalTemperature, QWidget* parent = nullptr);

  // Reads the range from the file and draws it.
  void ShowRange(HistoryRange range);
  // From now on, each reading of this drive that `recorder` keeps redraws
  // the range shown, up to the time it was kept: once for all the readings
  // of one turn of the event loop, and without taking the focus.
  void FollowReadings(HistoryRecorder& recorder);
  // Asks for a file and writes the range's points to it as CSV.
  void ExportCsv();

  QChart* Chart() const { return chart_; }
  QLabel* Heading() const { return heading_; }
  QLabel* Note() const { return note_; }
  // What the pointer last showed over the chart; empty over no reading.
  const QString& HoverText() const { return hoverText_; }

 signals:
  // After each drawing of the chart.
  void Drawn();

 private:
  void Draw(std::int64_t from, std::int64_t to);
  // The time, temperature, lowest and highest of the point near `at`, a
  // position in the chart's view.
  void Hover(const QPoint& at);
  bool eventFilter(QObject* watched, QEvent* event) override;

  HistoryWindowServices services_;
  std::string storePath_;
  std::string serial_;
  int critical_;
  HistoryRange range_ = HistoryRange::Day;
  std::vector<HistoryPoint> points_;
  std::vector<PlotRun> runs_;  // as drawn
  QString hoverText_;
  QChart* chart_;
  QChartView* view_;
  QLabel* heading_;
  QLabel* note_;
  QButtonGroup* ranges_;
  HistoryFollow follow_;
  bool redrawDue_ = false;
};

// The window `request` asks for, following its recorder's readings.
QWidget* MakeHistoryWindow(const HistoryWindowRequest& request);

}  // namespace halvoric
