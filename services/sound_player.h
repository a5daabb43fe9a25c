// SPDX-License-Identifier: GPL-3.0-or-later
// The alert sound: a WAV file played on the desktop's sound output.
#pragma once

#include <string>

#include "base/result.h"

namespace halvoric {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Starts playing and returns at once; the sound goes on after the call.
  virtual Result<> Play(const std::string& wavPath) = 0;
};

}  // namespace halvoric
