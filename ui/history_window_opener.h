// SPDX-License-Identifier: GPL-3.0-or-later
// How the drive list's menu gets a history window. The window draws with
// Qt Charts, which brings OpenGL and its libraries with it; the program
// loads them from a module of its own at the first window, so that a
// program that never shows a history neither starts slower nor idles
// larger for them. Tests make the window directly.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>

#include "base/result.h"
#include "monitor/history_recorder.h"
#include "services/clock.h"
#include "services/file_dialogs.h"
#include "services/message_boxes.h"

namespace halvoric {

struct HistoryWindowServices {
  FileDialogs& Dialogs;
  MessageBoxes& Messages;
  const WallClock& Calendar;
};

// One drive's history window: `StorePath` is the history file; `Serial` and
// `Model` as the drive sent them. The window follows the readings that
// `Recorder` keeps.
struct HistoryWindowRequest {
  HistoryWindowServices Services;
  std::string StorePath;
  std::string Serial;
  std::string Model;
  int CriticalTemperature = 0;
  HistoryRecorder& Recorder;
  QWidget* Parent = nullptr;
};

// Makes the window, not yet shown; a failure says why there is none.
using HistoryWindowOpener = std::function<Result<QWidget*>(const HistoryWindowRequest&)>;

// The module's one entry point.
inline constexpr char kHistoryModuleFileName[] = "libhalvoric-history.so";
inline constexpr char kHistoryModuleEntry[] = "HalvoricOpenHistoryWindow";
using HistoryModuleEntry = QWidget* (*)(const HistoryWindowRequest&);

// Opens windows through the module at `module`, loaded at the first.
HistoryWindowOpener HistoryModuleOpener(std::filesystem::path module);

}  // namespace halvoric
