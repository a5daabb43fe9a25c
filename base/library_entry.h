// SPDX-License-Identifier: GPL-3.0-or-later
// An entry point of a library loaded with dlopen, typed as its header
// declares it.
#pragma once

#include <dlfcn.h>

namespace halvoric {

// Points `entry` at `name` in the library `handle`; false when it has none.
template <typename Function>
bool FindEntry(void* handle, const char* name, Function*& entry) {
  entry = reinterpret_cast<Function*>(::dlsym(handle, name));
  return entry != nullptr;
}

}  // namespace halvoric
