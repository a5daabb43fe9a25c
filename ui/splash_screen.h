// SPDX-License-Identifier: GPL-3.0-or-later
// The picture on screen while the main window is being created.
#pragma once

#include <QLabel>
#include <QWidget>

namespace halvoric {

class TSplashScreen : public QWidget {
 public:
  TSplashScreen();

  // Shows the picture and paints it now: no event loop runs yet.
  void ShowAtOnce();

  QLabel* splashImage;
};

}  // namespace halvoric
