// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/linux_desktop.h"

#include <QCoreApplication>

#include "desktop/program_files.h"
#include "drive/drive_database_files.h"

namespace halvoric {

void PostToEventLoop(std::function<void()> task) {
  QMetaObject::invokeMethod(qApp, std::move(task), Qt::QueuedConnection);
}

PlatformServices LinuxDesktop::Services() {
  return {
      .Monitor =
          {
              .Disks = *disks_,
              .Access = access_,
              .DriveNames = driveNames_,
              .DriveDatabaseFiles = DriveDatabasePaths(),
              .KeptDriveDatabase = kKeptDriveDatabaseFileName,
              .Mail = *mailer_,
              .Sounds = sound_,
              .PowerControl = power_,
              .Prompt = messages_,
              .Messages = messages_,
              .Time = clock_,
              .Calendar = calendar_,
              .Post = PostToEventLoop,
          },
      .Log = log_,
      .StartAtLogon = *startAtLogon_,
      .Urls = urls_,
      .Dialogs = dialogs_,
      .TrayArea = tray_,
      .Input = input_,
      .OpenHistoryWindow = HistoryModuleOpener(
          ProgramFileOfRunningExecutable(kLibraryFolder, kHistoryModuleFileName)),
  };
}

}  // namespace halvoric
