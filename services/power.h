// Putting the machine to sleep on disk.
#pragma once

namespace halvoric {

class Power {
 public:
  virtual ~Power() = default;
  virtual bool Hibernate() = 0;
};

}  // namespace halvoric
