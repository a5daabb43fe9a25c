// SPDX-License-Identifier: GPL-3.0-or-later
// The picture on screen while the main window is being created.
#pragma once

#include <QLabel>
#include <QWidget>

#include "monitor/drive_scan.h"

namespace halvoric {

class TSplashScreen : public QWidget, public ScanProgressView {
 public:
  TSplashScreen();

  // Shows the picture and paints it now: no event loop runs yet.
  void ShowAtOnce();
  // "Reading drive 12 of 64" along the picture's foot, painted now.
  void ShowScanProgress(unsigned reading, unsigned total) override;

  QLabel* splashImage;
  QLabel* progressText;
};

}  // namespace halvoric
