// SPDX-License-Identifier: GPL-3.0-or-later
// The module the program loads for its first history window: the window and
// Qt Charts with it.
#include "ui/history_window.h"

extern "C" __attribute__((visibility("default"))) QWidget* HalvoricOpenHistoryWindow(
    const halvoric::HistoryWindowRequest& request) {
  return halvoric::MakeHistoryWindow(request);
}
