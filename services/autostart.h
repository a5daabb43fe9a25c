// Whether the program starts when the user logs on.
#pragma once

namespace halvoric {

class Autostart {
 public:
  virtual ~Autostart() = default;
  virtual bool Enable() = 0;
  virtual bool Disable() = 0;
};

}  // namespace halvoric
