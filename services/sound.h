// Plays a sound file without waiting for it to end.
#pragma once

#include <string>

namespace halvoric {

class Sound {
 public:
  virtual ~Sound() = default;
  virtual void Play(const std::string& path) = 0;
};

}  // namespace halvoric
