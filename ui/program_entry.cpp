#include "ui/program_entry.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include "shell/termination_signals.h"
#include "ui/screen_centre.h"
#include "ui/splash_screen.h"

namespace halvoric {

std::unique_ptr<TTessivar_Form> StartMainWindow(PlatformServices platform) {
  auto splash = std::make_unique<TSplashScreen>();
  splash->ShowAtOnce();
  // No application display name: Qt would add it to every window title, and
  // the countdown's title must read exactly "Hibernate on 59s".
  // Hidden to the tray is not closed: the window's close ends the program.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  auto form = std::make_unique<TTessivar_Form>(platform);
  form->FormCreate();
  splash.reset();
  CentreOnScreen(*form);
  form->show();
  return form;
}

int RunMainWindow(TTessivar_Form& form) {
  const TerminationSignals termination([] { QCoreApplication::quit(); });
  const QMetaObject::Connection saving = QObject::connect(
      qApp, &QCoreApplication::aboutToQuit, &form, [&form] { form.SaveSettingsAtQuit(); });
  const int status = QCoreApplication::exec();
  QObject::disconnect(saving);
  return status;
}

}  // namespace halvoric
