// The program's start: splash picture, application title, the main window
// created while the picture shows, then the window on screen.
#pragma once

#include <memory>

#include "services/platform_services.h"
#include "ui/tessivar_form.h"

namespace halvoric {

// Needs a QApplication. Returns the main window, shown; the caller runs the
// event loop.
std::unique_ptr<TTessivar_Form> StartMainWindow(PlatformServices platform);

}  // namespace halvoric
