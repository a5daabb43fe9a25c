// SPDX-License-Identifier: GPL-3.0-or-later
// libcanberra's entry points, loaded at the first sound rather than at
// start: with the Vorbis, Ogg, tdb and ltdl libraries it brings, it costs
// a few hundred KiB that a program whose alert never sounds need not carry.
#pragma once

#include <canberra.h>

#include <string>

#include "base/result.h"

namespace halvoric {

struct CanberraLibrary {
  decltype(&ca_context_create) ContextCreate = nullptr;
  decltype(&ca_context_destroy) ContextDestroy = nullptr;
  decltype(&ca_context_set_driver) ContextSetDriver = nullptr;
  decltype(&ca_context_change_props) ContextChangeProps = nullptr;
  decltype(&ca_context_open) ContextOpen = nullptr;
  decltype(&ca_context_play_full) ContextPlayFull = nullptr;
  decltype(&ca_proplist_create) ProplistCreate = nullptr;
  decltype(&ca_proplist_destroy) ProplistDestroy = nullptr;
  decltype(&ca_proplist_sets) ProplistSets = nullptr;
  decltype(&ca_strerror) StrError = nullptr;
};

// Loads `library` (a soname or a path) and finds every entry point, or says
// why it could not. The library is never unloaded: its backends finish
// sounds on threads of their own (desktop/sound_backend_pin.h).
Result<CanberraLibrary> LoadCanberraLibrary(const std::string& library);

}  // namespace halvoric
