// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start: splash picture, application title, the main window
// created while the picture shows, then the window on screen.
#pragma once

#include <memory>

#include "ui/platform_services.h"
#include "ui/tessivar_form.h"

namespace halvoric {

// The main window and the monitor it shows; the window goes first.
struct MainWindow {
  std::unique_ptr<DriveMonitor> Monitor;
  std::unique_ptr<TTessivar_Form> Form;
};

// Needs a QApplication. Builds the monitor on `platform`, then the main
// window on it, and returns both, the window shown; the caller runs the
// event loop.
MainWindow StartMainWindow(PlatformServices platform);

// Runs the event loop until the program ends: through the window's close,
// or when the session ends or a termination signal arrives, which end it
// with its settings written as a close would.
int RunMainWindow(TTessivar_Form& form);

}  // namespace halvoric
