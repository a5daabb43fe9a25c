#include <dlfcn.h>

#include <memory>

#include "ui/history_window_opener.h"

namespace halvoric {

HistoryWindowOpener HistoryModuleOpener(std::filesystem::path module) {
  // Shared by the copies of the opener: the module is loaded once and stays
  // for the program's life, as its windows' code lives in it.
  auto entry = std::make_shared<HistoryModuleEntry>(nullptr);
  return [module = std::move(module), entry](const HistoryWindowRequest& request)
             -> Result<QWidget*> {
    if (*entry == nullptr) {
      void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
      const char* error = handle == nullptr ? ::dlerror() : nullptr;
      if (handle != nullptr) {
        *entry = reinterpret_cast<HistoryModuleEntry>(::dlsym(handle, kHistoryModuleEntry));
        if (*entry == nullptr) error = ::dlerror();
      }
      if (*entry == nullptr) {
        return Failure{"The temperature history cannot be shown: " +
                       std::string(error != nullptr ? error : module.string())};
      }
    }
    return (*entry)(request);
  };
}

}  // namespace halvoric
