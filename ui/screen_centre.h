// SPDX-License-Identifier: GPL-3.0-or-later
// Places a window in the middle of the desktop it is on.
#pragma once

#include <QWidget>

namespace halvoric {

void CentreOnScreen(QWidget& window);

// Centres a window about to be shown, and again once the window manager has
// framed it: until then its frame is unknown, and a window centred by its
// own size alone sits half a title bar low. A window moved in between is
// left where it was put.
void CentreOnScreenOnceFramed(QWidget& window);

}  // namespace halvoric
