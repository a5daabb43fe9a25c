// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the drive list, the four pages below it and the window's
// non-visual parts. It shows the monitor the program's entry built, through
// narrow views, and keeps the settings, the journal and the Preferences
// page; its handlers with their stored names forward to them.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "monitor/drive_monitor.h"
#include "monitor/tray_look.h"
#include "services/file_dialogs.h"
#include "settings/event_log_writer.h"
#include "settings/journal.h"
#include "settings/preferences.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/settings_keeper.h"
#include "shell/qt_owner_window.h"
#include "shell/tray_icon.h"
#include "ui/drive_timer.h"
#include "ui/history_window_opener.h"
#include "ui/image_control.h"
#include "ui/platform_services.h"

namespace halvoric {

// The Preferences page's check boxes and fields, in the order of its tabs.
enum class PreferenceBox {
  AutoRun,
  LogEvents,
  SystemLog,
  DiskStatus,
  Hibernate,
  Popup,
  EmailNotify,
  Sound,
  TempWarn
};
inline constexpr std::size_t kPreferenceBoxes =
    static_cast<std::size_t>(PreferenceBox::TempWarn) + 1;
enum class PreferenceField { CritTemp, Email, SoundPath };
inline constexpr std::size_t kPreferenceFields =
    static_cast<std::size_t>(PreferenceField::SoundPath) + 1;

class DriveLogsWindow;
class ListViewSinks;

class TTessivar_Form : public QWidget,
                       private JournalView,
                       private SettingsView,
                       private PreferencesView,
                       private WatchView,
                       private AlertView,
                       private CountdownView,
                       private TrayStatusView,
                       private HealthView {
 public:
  // Attaches its views to `monitor`, which outlives the window.
  TTessivar_Form(PlatformServices platform, DriveMonitor& monitor, QWidget* parent = nullptr);
  ~TTessivar_Form() override;
  // The font the window and all it holds are drawn in.
  static QFont FormFont() { return QFont("MS Sans Serif", 8); }

  // Brings the window into its working state: settings, system log source,
  // drive scan, details of drive 0, the start line.
  void FormCreate();
  void HDDs_ListViewSelectItem(QTreeWidgetItem* item, bool selected);
  // Fills both detail pages for the drive whose number `driveText` holds.
  void ShowDriveDetails(const std::string& driveText);

  void AddLogLine(const std::string& message);
  void Save_ButtonClick();
  void Clear_ButtonClick();

  // Reads config.xml in the current directory into Settings and the
  // Preferences controls; shows what could not be read and goes on.
  void LoadSettings();
  // Writes config.xml; false (and the error shown) when it could not.
  bool FormCloseQuery();
  // The program ends without its window being closed (the session ends, a
  // termination signal): the settings are written as a close would. Once a
  // close has written them, nothing is left to do.
  void SaveSettingsAtQuit();

  // The temperature watch, its alerts and the hibernation countdown.
  void CheckTemp_TimerTimer();
  void Hibernate_TimerTimer();
  void MailTest_ButtonClick();

  // The Preferences page and the buttons below the pages.
  void AutoRun_CheckBoxClick();
  void EnableAutoRun();
  void DisableAutoRun();
  void LogEvents_CheckBoxClick();
  void SystemLogEvents_CheckBoxClick();
  void DiskStatus_CheckBoxClick();
  void Hibernate_CheckBoxClick();
  void TempWarn_CheckBoxClick();
  void PopupNotify_CheckBoxClick();
  void EmailNotify_CheckBoxClick();
  void SndFile_CheckBoxClick();
  void CritTemp_EditChange();
  void CritTemp_EditExit();
  void Email_EditChange();
  void Email_EditExit();
  void SoundPath_EditChange();
  void SoundPath_EditExit();
  void SndBrowse_ButtonClick();
  void SpeedButton1Click();
  void Image1Click();

  // The tray icon and its menu: the drive status balloon on minimise, the
  // way back to the window, and the end of the program.
  void TrayIcon1MinimizeToTray();
  void TrayIcon1DblClick();
  // Shows the window, from the tray too, in front of the others: for a
  // popup alert, and when the program is started a second time.
  void BringWindowToFront();
  void Exit1Click();

  // The drive list's context menu: the temperature history of the row's
  // drive, in a window of its own, and for a row reading WARN the
  // acknowledgement of its warning.
  void HDDs_ListViewContextPopup(const QPoint& pos);
  void TempHistory1Click();
  void AcknowledgeWarning1Click();
  // The window opened for drive `n`; null when no reading of it was kept.
  QWidget* ShowTemperatureHistory(DriveNumber n);
  // The row's drive examined: a self-test started or aborted (a refusal in
  // a message box), and its self-tests and errors in a window of its own.
  void SelfTestClick(SelfTestAction action);
  void DriveLogs1Click();
  // Drive `n`'s window, one per drive: opened and read, or raised.
  DriveLogsWindow* ShowDriveLogs(DriveNumber n);

  // Controls on the client area.
  TImage* Image2;
  QTreeWidget* HDDs_ListView;
  QTabWidget* Main_PageControl;
  TImage* Image1;
  QToolButton* SpeedButton1;

  QWidget* DiskInfo_TabSheet;
  QWidget* SMARTInfo_TabSheet;
  QWidget* Preferences_TabSheet;
  QWidget* Log_TabSheet;
  QTreeWidget* DiskInfo_ListView;
  QTreeWidget* SMARTInfo_ListView;

  // The Preferences page. Its status pictures are made with the window, for
  // the lists; its controls when the page is first shown, or first needed.
  void MakePreferencesPage();
  QLabel* BAD_Image;
  QLabel* OK_Image;
  QLabel* WARN_Image;
  QPushButton* MailTest_Button = nullptr;
  QPushButton* SndBrowse_Button = nullptr;
  QCheckBox* AutoRun_CheckBox = nullptr;
  QCheckBox* LogEvents_CheckBox = nullptr;
  QCheckBox* SystemLogEvents_CheckBox = nullptr;
  QCheckBox* DiskStatus_CheckBox = nullptr;
  QCheckBox* Hibernate_CheckBox = nullptr;
  QCheckBox* PopupNotify_CheckBox = nullptr;
  QCheckBox* EmailNotify_CheckBox = nullptr;
  QCheckBox* SndFile_CheckBox = nullptr;
  QCheckBox* TempWarn_CheckBox = nullptr;
  QLineEdit* CritTemp_Edit = nullptr;
  QLineEdit* Email_Edit = nullptr;
  QLineEdit* SoundPath_Edit = nullptr;

  // The Log page. Its text is made when the page is first shown: a text
  // control brings some 300 KiB of Qt's code and heap that a window hidden
  // in the tray would hold for nothing. Until then the lines wait aside.
  QPlainTextEdit* LogMemo();
  QPlainTextEdit* Log_Memo = nullptr;
  QGroupBox* Log_GroupBox;
  QPushButton* Save_Button;
  QPushButton* Clear_Button;

  // Non-visual parts.
  // Both tick where the drives are read: the window wakes once per check.
  std::unique_ptr<DriveTimer> CheckTemp_Timer;
  std::unique_ptr<DriveTimer> HealthCheck_Timer;
  QTimer* Hibernate_Timer;
  QMenu* PopupMenu1;
  QAction* ShowTessivar1;
  QAction* Exit1;
  QMenu* HDDs_PopupMenu;
  QAction* TempHistory1;
  QAction* AcknowledgeWarning1;
  QMenu* SelfTest1;
  QAction* ShortSelfTest1;
  QAction* ExtendedSelfTest1;
  QAction* ConveyanceSelfTest1;
  QAction* AbortSelfTest1;
  QAction* DriveLogs1;
  // The drive whose row the context menu was opened on.
  DriveNumber HistoryDrive = 0;
  // Brings the tray icon's mark and tooltip up to the drives' last readings.
  void ShowTrayLook();
  TEventLogWriter EventLogWriter1;
  std::array<QIcon, 7> ImageListIcons;
  FileDialogSpec OpenDialog1;
  FileDialogSpec SaveDialog1;

  PlatformServices Platform;
  DriveMonitor& Monitor;
  halvoric::Settings& Settings;
  // How many drives the start-up scan found; seconds left before hibernation.
  std::size_t DriveCount() const { return Monitor.Scan().DriveCount(); }
  std::uint8_t HibernateCountdown() const { return Monitor.Countdown().SecondsLeft(); }

 private:
  // Declared before the icon, which uses it until its own end.
  QtOwnerWindow TrayOwner{*this};

 public:
  TTrayIcon TrayIcon1{{Platform.TrayArea, Platform.Input}, &TrayOwner};

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Journal Journal1{*this, EventLogWriter1, Platform.Dialogs, Platform.Monitor.Messages};
  SettingsKeeper SettingsFile{*this,          Settings,
                              Journal1,       Platform.Monitor.Messages,
                              ConfigFileName, Platform.ProtectOnFirstRun};
  halvoric::Preferences Preferences1;

  // JournalView
  void AppendJournalLine(const QString& line) override;
  QString JournalText() const override;
  void ClearJournal() override;
  // SettingsView
  void ShowSettings(const halvoric::Settings& values) override;
  // PreferencesView
  void FocusCriticalTemperature() override;
  void ShowSoundPath(const std::string& path) override;
  // WatchView
  std::vector<DriveNumber> WatchedDrives() const override;
  void StartCheckTimer() override;
  void StopCheckTimer() override;
  bool CheckTimerActive() const override;
  // AlertView
  void BringToFront() override;
  void ShowCriticalTemperature(const std::string& text) override;
  // CountdownView
  void SetCaption(const std::string& caption) override;
  void StartCountdownTimer() override;
  void StopCountdownTimer() override;
  // TrayStatusView
  std::vector<DriveNumber> ListedDrives() const override;
  // DriveRowView, for the watch and the tray report
  void ShowDriveReading(DriveNumber n, const LastReading& reading) override;
  void ShowDriveReadings(
      const std::vector<std::pair<DriveNumber, const LastReading*>>& readings) override;
  void ShowStatusBalloon(const std::string& text, std::uint8_t seconds) override;
  // HealthView
  void StartHealthTimer(std::uint32_t minutes) override;
  void StopHealthTimer() override;

  void ConnectHandlers();
  void ConnectBox(QCheckBox* box, void (TTessivar_Form::*changed)());
  void ConnectField(QLineEdit* field, void (TTessivar_Form::*changed)(),
                    void (TTessivar_Form::*left)());
  // The Preferences page's state, from its controls once they are made.
  bool Checked(PreferenceBox box) const;
  QString Text(PreferenceField field) const;
  // As a change of the control: the handler runs when the state changes.
  void SetChecked(PreferenceBox box, bool checked);
  void SetText(PreferenceField field, const QString& text);
  void BuildFrame();
  void BuildDetailPages();
  void BuildPreferencesPage();
  void BuildLogPage();
  void BuildComponents();
  void BuildTrayIcon();
  void BuildDriveListMenu();
  void BuildSelfTestMenu();
  std::array<std::pair<QAction*, SelfTestAction>, 4> SelfTestEntries() const;
  // Enables the entries drive `n` allows as far as known, then asks it.
  void PrepareSelfTestEntries(DriveNumber n);
  void ShowSelfTestEntries(DriveNumber n);
  void BuildStatusColumns();
  void SetColumnWidths();

  std::unique_ptr<ListViewSinks> sinks_;
  QStringList journalWaiting_;  // the log's lines while it has no text control
  // What the Preferences page's controls show, until they are made.
  struct PreferencesShown {
    std::array<bool, kPreferenceBoxes> Checked{};
    std::array<QString, kPreferenceFields> Texts{QStringLiteral("50"), QString(),
                                                 QStringLiteral("alert.wav")};
  } preferencesShown_;
  std::map<DriveNumber, QPointer<DriveLogsWindow>> logsWindows_;
  // What the tray icon shows now: a tray is told only of a change.
  TrayLook trayLook_;
  // Removed first when the window goes: the focus leaving its edits as the
  // widgets are torn down must not run a handler on a half-destroyed window.
  std::vector<QObject*> focusFilters_;
};

}  // namespace halvoric
