// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/sound_backend_pin.h"

#include <dlfcn.h>
#include <link.h>

#include <string>
#include <string_view>
#include <vector>

namespace halvoric {
namespace {

// Backends are modules named libcanberra-<driver>.so in libcanberra's
// versioned plugin folder.
bool IsBackendModule(std::string_view path) {
  const std::string_view file = path.substr(path.rfind('/') + 1);
  return file.starts_with("libcanberra-") && path.find("/libcanberra-0.") != path.npos;
}

int Collect(dl_phdr_info* info, std::size_t, void* found) {
  if (info->dlpi_name != nullptr && IsBackendModule(info->dlpi_name)) {
    static_cast<std::vector<std::string>*>(found)->emplace_back(info->dlpi_name);
  }
  return 0;
}

}  // namespace

void PinLoadedSoundBackends() {
  std::vector<std::string> backends;
  dl_iterate_phdr(&Collect, &backends);
  for (const std::string& backend : backends) {
    // NOLOAD only changes the flags of the module already in memory.
    dlopen(backend.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
}

}  // namespace halvoric
