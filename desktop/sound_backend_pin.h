// SPDX-License-Identifier: GPL-3.0-or-later
// libcanberra's backends finish a sound on a detached thread that still runs
// backend code after it reported the end; destroying the context right then
// unloads the backend under that thread (a crash seen with the ALSA backend).
// Pinning the loaded backends keeps their code mapped for the process.
#pragma once

namespace halvoric {

// Marks every libcanberra backend module loaded so far as never unloaded.
void PinLoadedSoundBackends();

}  // namespace halvoric
