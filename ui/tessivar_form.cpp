// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/tessivar_form.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>

#include "desktop/program_files.h"
#include "ui/list_view_sinks.h"
#include "ui/pictures.h"
#include "ui/report_view.h"

namespace halvoric {

namespace {
// The stored outer size is 549 x 552 with the classic 4-pixel border and
// 19-pixel caption; the controls are placed on the client area.
constexpr int kClientWidth = 541;
constexpr int kClientHeight = 525;
}  // namespace

TTessivar_Form::TTessivar_Form(PlatformServices platform, DriveMonitor& monitor, QWidget* parent)
    : QWidget(parent),
      EventLogWriter1(platform.Log),
      Platform(std::move(platform)),
      Monitor(monitor),
      Settings(monitor.Values()),
      Preferences1(
          *this, Settings, Journal1,
          {Platform.StartAtLogon, Platform.Monitor.Messages, Platform.Dialogs, Platform.Urls},
          ProgramFileOfRunningExecutable(kDataFolder, "help.html").string()) {
  BuildComponents();
  BuildFrame();
  BuildDetailPages();
  BuildPreferencesPage();
  BuildLogPage();
  BuildTrayIcon();
  BuildDriveListMenu();
  BuildStatusColumns();
  ConnectHandlers();
  sinks_ = std::make_unique<ListViewSinks>(*HDDs_ListView, *DiskInfo_ListView, *SMARTInfo_ListView,
                                           ImageListIcons[0]);
  Monitor.Attach({.Journal = Journal1,
                  .Watch = *this,
                  .Alerts = *this,
                  .Countdown = *this,
                  .Tray = *this,
                  .Health = *this,
                  .Lists = {*sinks_, *sinks_, *sinks_}});
}

TTessivar_Form::~TTessivar_Form() {
  // No result of the monitor may come back to a window that is going.
  Monitor.Stop();
  for (QObject* filter : focusFilters_) delete filter;
}

void TTessivar_Form::BuildFrame() {
  setWindowTitle("Halvoric");
  setFont(FormFont());
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  resize(kClientWidth, kClientHeight);

  Image2 = new TImage(this);
  Image2->setPixmap(Picture("banner.jpg"));
  Image2->setGeometry(136, 0, 289, 80);

  HDDs_ListView = MakeReportView(this, {"ID", "Model", "Temp", "Status"});
  HDDs_ListView->setGeometry(0, 82, 541, 58);

  Main_PageControl = new QTabWidget(this);
  Main_PageControl->setGeometry(0, 139, 541, 334);

  Image1 = new TImage(this);
  Image1->setPixmap(Picture("logo.jpg"));
  Image1->setGeometry(6, 476, 157, 41);
  Image1->setCursor(Qt::PointingHandCursor);

  SpeedButton1 = new QToolButton(this);
  SpeedButton1->setText("Help and Manual");
  SpeedButton1->setIcon(Glyph("glyph-help.png"));
  SpeedButton1->setIconSize(QSize(24, 24));
  SpeedButton1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SpeedButton1->setAutoRaise(true);
  SpeedButton1->setFocusPolicy(Qt::NoFocus);
  SpeedButton1->setGeometry(409, 480, 127, 30);

  setTabOrder(Main_PageControl, HDDs_ListView);

  connect(HDDs_ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            for (const QModelIndex& index : deselected.indexes()) {
              if (index.column() == 0) {
                HDDs_ListViewSelectItem(HDDs_ListView->topLevelItem(index.row()), false);
              }
            }
            for (const QModelIndex& index : selected.indexes()) {
              if (index.column() == 0) {
                HDDs_ListViewSelectItem(HDDs_ListView->topLevelItem(index.row()), true);
              }
            }
          });
}

void TTessivar_Form::SetColumnWidths() {
  const auto setWidths = [](QTreeWidget* list, std::initializer_list<int> widths) {
    int column = 0;
    for (int width : widths) list->setColumnWidth(column++, width);
  };
  setWidths(DiskInfo_ListView, {200, 150});
  setWidths(SMARTInfo_ListView, {45, 150, 70, 50, 50});
  setWidths(HDDs_ListView, {50, 200, 50, 50});
}

void TTessivar_Form::closeEvent(QCloseEvent* event) {
  if (FormCloseQuery()) {
    event->accept();
    // The program lives on while hidden to the tray; only a close ends it.
    QCoreApplication::quit();
  } else {
    event->ignore();
  }
}

namespace {
constexpr std::chrono::milliseconds kCheckTempInterval{30000};
constexpr int kHibernateIntervalMs = 1000;

QTimer* StoppedTimer(QObject* owner, int intervalMs) {
  auto* timer = new QTimer(owner);
  timer->setInterval(intervalMs);
  return timer;
}
}  // namespace

void TTessivar_Form::BuildComponents() {
  CheckTemp_Timer = std::make_unique<DriveTimer>(
      kCheckTempInterval, [this](std::optional<std::chrono::milliseconds> in) {
        if (in) {
          Monitor.Watch().ScheduleCheck(*in);
        } else {
          Monitor.Watch().CancelCheck();
        }
      });
  Hibernate_Timer = StoppedTimer(this, kHibernateIntervalMs);
  HealthCheck_Timer = std::make_unique<DriveTimer>(
      std::chrono::milliseconds(0), [this](std::optional<std::chrono::milliseconds> every) {
        if (every) {
          Monitor.Health().ScheduleChecks(*every);
        } else {
          Monitor.Health().CancelChecks();
        }
      });

  PopupMenu1 = new QMenu(this);
  ShowTessivar1 = PopupMenu1->addAction("Show Main Window");
  Exit1 = PopupMenu1->addAction("Exit");

  HDDs_PopupMenu = new QMenu(this);
  TempHistory1 = HDDs_PopupMenu->addAction("Temperature history\u2026");
  AcknowledgeWarning1 = HDDs_PopupMenu->addAction("Acknowledge warning");

  EventLogWriter1.SetAppName("Tessivar");

  ImageListIcons = {Glyph("list-0-check.png"),       Glyph("list-1-arrow.png"),
                    Glyph("list-2-drive-alert.png"), Glyph("list-3-drive-search.png"),
                    Glyph("list-4-plus.png"),        Glyph("list-5-tiles.png"),
                    Glyph("list-6-grid.png")};

  OpenDialog1 = {"Wave File (*.wav *.WAV)"};
  SaveDialog1 = {"Log File (*.txt)"};
}

// The tray icon as the window stores it: always in the tray with the tooltip
// "Halvoric", the menu on the right button, minimise hiding to the tray.
void TTessivar_Form::BuildTrayIcon() {
  TrayIcon1.SetHint("Halvoric");
  TrayIcon1.SetIcon(Glyph("tray.png"));
  TrayIcon1.SetPopupMenu(PopupMenu1);
  TrayIcon1.SetMinimizeToTray(true);
  TrayIcon1.OnDblClick = [this](TTrayIcon&) { TrayIcon1DblClick(); };
  TrayIcon1.OnBalloonHintClick = [this](TTrayIcon&) { TrayIcon1DblClick(); };
  TrayIcon1.OnMinimizeToTray = [this](TTrayIcon&) { TrayIcon1MinimizeToTray(); };
  connect(ShowTessivar1, &QAction::triggered, this, [this] { TrayIcon1DblClick(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  TrayIcon1.Loaded();
  // Set even when no tray is up yet: the icon follows once one appears. Put
  // in the tray once the window is up: its own window and the tray's
  // answers are milliseconds that the first window need not wait for.
  QTimer::singleShot(0, this, [this] { TrayIcon1.SetIconVisible(true); });
}

}  // namespace halvoric
