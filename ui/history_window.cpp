// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/history_window.h"

#include <QBoxLayout>
#include <QDateTime>
#include <QMouseEvent>
#include <QToolTip>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "base/staged_file.h"
#include "base/text_trim.h"

namespace halvoric {

namespace {

const QColor kLine(0x1f, 0x6f, 0xb4);
const QColor kBand(0x1f, 0x6f, 0xb4, 0x40);
const QColor kCritical(0xc0, 0x20, 0x20);
// Grey, lighter than the band: asleep is neither a reading nor nothing.
const QColor kStandby(0x80, 0x80, 0x80, 0x50);
// The pointer finds a point this many pixels either side.
constexpr int kHoverPixels = 12;

std::int64_t Seconds(WallClock::TimePoint time) {
  return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

qreal Ms(std::int64_t seconds) { return static_cast<qreal>(seconds) * 1000.0; }

QString Trimmed(const std::string& text) {
  return QString::fromUtf8(std::string(TrimControls(text)));
}

std::int64_t LocalOffset(std::int64_t time) {
  return QDateTime::fromSecsSinceEpoch(time).offsetFromUtc();
}

QString Degrees(double celsius, int decimals) {
  return QString::number(celsius, 'f', decimals) + "\u00b0C";
}

}  // namespace

HistoryWindow::HistoryWindow(HistoryWindowServices services, std::string storePath,
                             std::string serial, const std::string& model, int criticalTemperature,
                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      services_(services),
      storePath_(std::move(storePath)),
      serial_(std::move(serial)),
      critical_(criticalTemperature),
      chart_(new QChart),
      view_(new QChartView(chart_, this)),
      heading_(new QLabel(this)),
      note_(new QLabel(this)),
      ranges_(new QButtonGroup(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  // The model and serial are the drive's own bytes: a window title would take
  // a "[*]" in them for its modified mark. The chart draws its title as HTML,
  // and when the window is too narrow it cuts an escaped title back into
  // markup, where "<img src=/dev/zero>" reads that file: the drive is named
  // by a plain-text heading above the chart instead.
  const QString drive = Trimmed(model) + " (serial " + Trimmed(serial_) + ")";
  setWindowTitle("Temperature history - " + QString(drive).replace("[*]", "[*][*]"));
  heading_->setTextFormat(Qt::PlainText);
  heading_->setAlignment(Qt::AlignHCenter);
  heading_->setText(drive);
  note_->setTextFormat(Qt::PlainText);
  resize(760, 460);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMouseTracking(true);
  view_->viewport()->setMouseTracking(true);
  view_->viewport()->installEventFilter(this);
  chart_->legend()->setAlignment(Qt::AlignBottom);

  auto* buttons = new QHBoxLayout;
  for (const HistoryRangeInfo& info : HistoryRanges()) {
    auto* button = new QPushButton(info.Label, this);
    button->setCheckable(true);
    button->setChecked(info.Range == range_);
    ranges_->addButton(button, static_cast<int>(info.Range));
    buttons->addWidget(button);
  }
  buttons->addStretch();
  auto* exportButton = new QPushButton("Export CSV...", this);
  buttons->addWidget(exportButton);
  connect(ranges_, &QButtonGroup::idClicked, this,
          [this](int id) { ShowRange(static_cast<HistoryRange>(id)); });
  connect(exportButton, &QPushButton::clicked, this, [this] { ExportCsv(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(heading_);
  layout->addWidget(view_, 1);
  layout->addWidget(note_);
  ShowRange(range_);
}

void HistoryWindow::ShowRange(HistoryRange range) {
  range_ = range;
  if (QAbstractButton* button = ranges_->button(static_cast<int>(range))) button->setChecked(true);
  const auto info = std::find_if(HistoryRanges().begin(), HistoryRanges().end(),
                                 [range](const HistoryRangeInfo& i) { return i.Range == range; });
  const std::int64_t to = Seconds(services_.Calendar.Now());
  const std::int64_t from = to - info->Seconds;
  points_.clear();
  note_->clear();
  // Its own connection: the recorder's writes go on beside it.
  Result<HistoryStore> store = HistoryStore::Open(storePath_);
  if (store.Ok()) {
    Result<std::vector<HistoryPoint>> read = store->Points(serial_, from, to);
    if (read.Ok()) {
      points_ = std::move(*read);
    } else {
      note_->setText(QString::fromStdString(read.Message));
    }
  } else {
    note_->setText(QString::fromStdString(store.Message));
  }
  if (note_->text().isEmpty() && points_.empty()) {
    note_->setText("No readings of this drive in this time.");
  }
  Draw(from, to);
}

void HistoryWindow::FollowReadings(HistoryRecorder& recorder) {
  follow_ = recorder.Follow(serial_, [this] {
    // A tick keeps its readings in one go, the same drive's twice where two
    // drive numbers share a serial: one redraw after all of them.
    if (redrawDue_) return;
    redrawDue_ = true;
    // Queued on the window itself: a window closed before then drops it.
    QMetaObject::invokeMethod(
        this,
        [this] {
          redrawDue_ = false;
          ShowRange(range_);
        },
        Qt::QueuedConnection);
  });
}

void HistoryWindow::Draw(std::int64_t from, std::int64_t to) {
  chart_->removeAllSeries();
  for (QAbstractAxis* axis : chart_->axes()) {
    chart_->removeAxis(axis);
    delete axis;
  }
  // Labels on calendar boundaries, where a reader looks for them.
  auto* time = new QCategoryAxis;
  time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  time->setRange(Ms(from), Ms(to));
  time->setStartValue(Ms(from));
  for (const AxisTick& tick : AxisTicks(range_, from, to, LocalOffset)) {
    time->append(QString::fromStdString(tick.Label), Ms(tick.Time));
  }
  auto* degrees = new QValueAxis;
  degrees->setTitleText("\u00b0C");
  degrees->setLabelFormat("%d");
  chart_->addAxis(time, Qt::AlignBottom);
  chart_->addAxis(degrees, Qt::AlignLeft);

  const auto attach = [&](QAbstractSeries* series, bool inLegend) {
    chart_->addSeries(series);
    series->attachAxis(time);
    series->attachAxis(degrees);
    for (QLegendMarker* marker : chart_->legend()->markers(series)) marker->setVisible(inLegend);
  };

  int lowest = critical_;
  int highest = critical_;
  bool lineNamed = false;
  bool bandNamed = false;
  runs_ = PlotRuns(points_, from, to);
  for (const PlotRun& run : runs_) {
    auto* mean = new QLineSeries;
    mean->setPen(QPen(kLine, 2));
    QList<QPointF> line;
    for (const HistoryPoint& point : run.Points) {
      line.append({Ms(point.Time), *point.Mean});
      lowest = std::min(lowest, point.Min);
      highest = std::max(highest, point.Max);
    }
    // A lone reading between two gaps still shows.
    if (line.size() == 1) mean->setPointsVisible(true);
    mean->replace(line);
    if (run.Banded) {
      // The band does not own its edges: as its children they go with it.
      auto* band = new QAreaSeries;
      auto* upper = new QLineSeries(band);
      auto* lower = new QLineSeries(band);
      QList<QPointF> top;
      QList<QPointF> bottom;
      for (const HistoryPoint& point : run.Points) {
        top.append({Ms(point.Time), static_cast<qreal>(point.Max)});
        bottom.append({Ms(point.Time), static_cast<qreal>(point.Min)});
      }
      upper->replace(top);
      lower->replace(bottom);
      band->setUpperSeries(upper);
      band->setLowerSeries(lower);
      band->setName("Lowest to highest");
      band->setPen(Qt::NoPen);
      band->setBrush(kBand);
      attach(band, !bandNamed);
      bandNamed = true;
    }
    mean->setName("Temperature");
    attach(mean, !lineNamed);
    lineNamed = true;
  }

  auto* critical = new QLineSeries;
  critical->setName(QString("Critical %1 \u00b0C").arg(critical_));
  critical->setPen(QPen(kCritical, 1.5, Qt::DashLine));
  critical->append(Ms(from), critical_);
  critical->append(Ms(to), critical_);
  attach(critical, true);
  degrees->setRange(lowest - 5, highest + 5);
  degrees->applyNiceNumbers();

  // One area over the whole height for every stretch of standby; it has no
  // height between them.
  const std::vector<StandbySpan> standby = StandbySpans(points_, from, to);
  if (!standby.empty()) {
    auto* band = new QAreaSeries;
    auto* upper = new QLineSeries(band);
    auto* lower = new QLineSeries(band);
    const qreal bottom = degrees->min();
    for (const StandbySpan& span : standby) {
      upper->append({{Ms(span.From), bottom},
                     {Ms(span.From), degrees->max()},
                     {Ms(span.To), degrees->max()},
                     {Ms(span.To), bottom}});
    }
    lower->append({{Ms(from), bottom}, {Ms(to), bottom}});
    band->setUpperSeries(upper);
    band->setLowerSeries(lower);
    band->setName("Standby");
    band->setPen(Qt::NoPen);
    band->setBrush(kStandby);
    attach(band, true);
  }
  emit Drawn();
}

void HistoryWindow::ExportCsv() {
  std::optional<std::string> path = services_.Dialogs.ChooseFileToSave({"CSV file (*.csv)"});
  if (!path) return;
  // A name typed without a suffix means the kind of file the dialog offers.
  if (std::filesystem::path(*path).extension().empty()) *path += ".csv";
  if (const Result<> written = ReplaceFile(*path, HistoryCsv(points_)); !written.Ok()) {
    services_.Messages.ShowError("Cannot write \"" + *path + "\". " + written.Message);
  }
}

void HistoryWindow::Hover(const QPoint& at) {
  const QPointF value = chart_->mapToValue(chart_->mapFromScene(view_->mapToScene(at)));
  const QPointF nearby =
      chart_->mapToValue(chart_->mapFromScene(view_->mapToScene(at + QPoint(kHoverPixels, 0))));
  const auto time = static_cast<std::int64_t>(value.x() / 1000.0);
  const auto reach = static_cast<std::int64_t>((nearby.x() - value.x()) / 1000.0);
  const HistoryPoint* point = PointNear(runs_, time, std::max<std::int64_t>(reach, 1));
  if (point == nullptr || !point->Mean) {
    hoverText_.clear();
    QToolTip::hideText();
    return;
  }
  // A point may stand for many readings: its mean, and how far they went.
  hoverText_ = QDateTime::fromSecsSinceEpoch(point->Time).toString("ddd d MMM yyyy HH:mm") + "\n" +
               Degrees(*point->Mean, point->Min == point->Max ? 0 : 1) + "\nlowest " +
               Degrees(point->Min, 0) + ", highest " + Degrees(point->Max, 0);
  QToolTip::showText(view_->viewport()->mapToGlobal(at), hoverText_, view_);
}

bool HistoryWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport() && event->type() == QEvent::MouseMove) {
    Hover(static_cast<QMouseEvent*>(event)->position().toPoint());
  }
  return QWidget::eventFilter(watched, event);
}

QWidget* MakeHistoryWindow(const HistoryWindowRequest& request) {
  auto* window = new HistoryWindow(request.Services, request.StorePath, request.Serial,
                                   request.Model, request.CriticalTemperature, request.Parent);
  window->FollowReadings(request.Recorder);
  return window;
}

}  // namespace halvoric
