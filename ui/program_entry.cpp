// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/program_entry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <future>
#include <optional>

#include "base/diagnostics.h"
#include "shell/termination_signals.h"
#include "ui/screen_centre.h"
#include "ui/splash_screen.h"
#include "ui/start_read_ahead.h"

namespace halvoric {

namespace {

// A message during start-up first takes the splash away: the splash stays on
// top, and a box beneath it would leave the start looking hung.
class MessagesOverSplash final : public MessageBoxes {
 public:
  explicit MessagesOverSplash(MessageBoxes& messages) : messages_(messages) {}

  void ShowError(const std::string& text) override {
    HideSplash();
    messages_.ShowError(text);
  }
  void ShowMessage(const std::string& text) override {
    HideSplash();
    messages_.ShowMessage(text);
  }
  void Cover(TSplashScreen* splash) { splash_ = splash; }

 private:
  void HideSplash() {
    if (splash_ != nullptr) splash_->hide();
  }

  MessageBoxes& messages_;
  TSplashScreen* splash_ = nullptr;
};

// Marks the window's first paint on the start-up timeline, then goes.
// Owned by the window it watches, so that a window never painted (hidden
// to the tray at once) does not leave it behind.
class FirstPaint final : public QObject {
 public:
  explicit FirstPaint(QObject* window) : QObject(window) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      Diagnose(DiagnosticArea::Startup, "the window's first paint");
      watched->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }
};

}  // namespace

MainWindow StartMainWindow(PlatformServices platform) {
  // Reading the system's fonts, and finding what stands in for the window's
  // font, is the largest single part of the window's making; it runs beside
  // the splash and the window's first widgets, and the first text measured
  // waits for it. What is found is kept for every thread.
  const std::future<void> fonts = std::async(std::launch::async, [] {
    AwaitFontConfiguration();
    QFontDatabase::families();
    static_cast<void>(QFontInfo(TTessivar_Form::FormFont()).family());
  });
  auto splash = std::make_unique<TSplashScreen>();
  splash->ShowAtOnce();
  Diagnose(DiagnosticArea::Startup, "the splash shown");
  // Lives as long as the program's one main window.
  static std::optional<MessagesOverSplash> messages;
  messages.emplace(platform.Monitor.Messages.get());
  messages->Cover(splash.get());
  platform.Monitor.Messages = *messages;
  // No application display name: Qt would add it to every window title, and
  // the countdown's title must read exactly "Hibernate on 59s".
  // Hidden to the tray is not closed: the window's close ends the program.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  MainWindow window;
  window.Monitor = std::make_unique<DriveMonitor>(platform.Monitor);
  Diagnose(DiagnosticArea::Startup, "the monitor's threads started");
  window.Form = std::make_unique<TTessivar_Form>(std::move(platform), *window.Monitor);
  Diagnose(DiagnosticArea::Startup, "the window built");
  window.Monitor->ShowScanProgressOn(splash.get());
  window.Form->FormCreate();
  window.Monitor->ShowScanProgressOn(nullptr);
  messages->Cover(nullptr);
  CentreOnScreenOnceFramed(*window.Form);
  window.Form->installEventFilter(new FirstPaint(window.Form.get()));
  window.Form->show();
  // Taken away once the window is there: its going costs the window
  // system's time, which the window need not wait for.
  splash.reset();
  Diagnose(DiagnosticArea::Startup, "the window shown");
  return window;
}

int RunMainWindow(TTessivar_Form& form) {
  // Not quit(): that first closes the window, and a close whose save fails
  // asks the user and stays open, so a logout would wait on a box. A signal
  // ends the program; the save at quit tells of a failure in the journal and
  // on stderr.
  const TerminationSignals termination([] { QCoreApplication::exit(0); });
  const QMetaObject::Connection saving = QObject::connect(
      qApp, &QCoreApplication::aboutToQuit, &form, [&form] { form.SaveSettingsAtQuit(); });
  const int status = QCoreApplication::exec();
  QObject::disconnect(saving);
  return status;
}

}  // namespace halvoric
