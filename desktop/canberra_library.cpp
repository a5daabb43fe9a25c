// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/canberra_library.h"

#include <dlfcn.h>

#include "base/library_entry.h"

namespace halvoric {
namespace {

// The first entry point the library lacks, or null when it has them all.
const char* FindEntries(void* handle, CanberraLibrary& ca) {
  const auto find = [handle](const char* name, auto& entry) -> const char* {
    return FindEntry(handle, name, entry) ? nullptr : name;
  };
  const char* const missing[] = {
      find("ca_context_create", ca.ContextCreate),
      find("ca_context_destroy", ca.ContextDestroy),
      find("ca_context_set_driver", ca.ContextSetDriver),
      find("ca_context_change_props", ca.ContextChangeProps),
      find("ca_context_open", ca.ContextOpen),
      find("ca_context_play_full", ca.ContextPlayFull),
      find("ca_proplist_create", ca.ProplistCreate),
      find("ca_proplist_destroy", ca.ProplistDestroy),
      find("ca_proplist_sets", ca.ProplistSets),
      find("ca_strerror", ca.StrError),
  };
  for (const char* name : missing) {
    if (name != nullptr) return name;
  }
  return nullptr;
}

std::string LastLoaderError() {
  const char* text = ::dlerror();
  return text != nullptr ? text : "unknown reason";
}

}  // namespace

Result<CanberraLibrary> LoadCanberraLibrary(const std::string& library) {
  const std::string name = "The sound library " + library;
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) return Failure{name + " could not be loaded: " + LastLoaderError()};
  CanberraLibrary ca;
  if (const char* missing = FindEntries(handle, ca)) {
    ::dlclose(handle);
    return Failure{name + " has no " + missing};
  }
  return ca;
}

}  // namespace halvoric
