#include "ui/linux_desktop.h"

#include "desktop/program_files.h"

namespace halvoric {

PlatformServices LinuxDesktop::Services() {
  return {
      .Disks = *disks_,
      .Access = access_,
      .DriveNames = {},  // set by the program, which can list the disks
      .Log = log_,
      .StartAtLogon = *autostart_,
      .Mail = *mailer_,
      .Sounds = sound_,
      .PowerControl = power_,
      .Urls = urls_,
      .Dialogs = dialogs_,
      .Messages = messages_,
      .Prompt = messages_,
      .Time = clock_,
      .Calendar = calendar_,
      .TrayArea = tray_,
      .Input = input_,
      .OpenHistoryWindow = HistoryModuleOpener(
          ProgramFileOfRunningExecutable(kLibraryFolder, kHistoryModuleFileName)),
  };
}

}  // namespace halvoric
