// SPDX-License-Identifier: GPL-3.0-or-later
#include <dlfcn.h>

#include <memory>
#include <string>

#include "desktop/program_files.h"
#include "ui/history_window_opener.h"

namespace halvoric {

HistoryWindowOpener HistoryModuleOpener(std::filesystem::path module) {
  // Shared by the copies of the opener: the module is loaded once and stays
  // for the program's life, as its windows' code lives in it.
  auto entry = std::make_shared<HistoryModuleEntry>(nullptr);
  return [module = std::move(module), entry](const HistoryWindowRequest& request)
             -> Result<QWidget*> {
    if (*entry == nullptr) {
      const Result<void*> handle = LoadProgramLibrary(module, RTLD_NOW | RTLD_LOCAL);
      std::string error = module.string() + ": " + handle.Message;
      if (handle.Ok()) {
        *entry = reinterpret_cast<HistoryModuleEntry>(::dlsym(*handle, kHistoryModuleEntry));
        if (*entry == nullptr) error = module.string() + " has no " + kHistoryModuleEntry;
      }
      if (*entry == nullptr) return Failure{"The temperature history cannot be shown: " + error};
    }
    return (*entry)(request);
  };
}

}  // namespace halvoric
