// What an alert channel reports back: done, or why not in words the user can
// read. Channels never throw; the caller decides whether to show the text.
#pragma once

#include <string>
#include <utility>

namespace halvoric {

struct AlertOutcome {
  bool Ok = true;
  std::string Error;

  static AlertOutcome Done() { return {}; }
  static AlertOutcome Failed(std::string error) { return {false, std::move(error)}; }
};

}  // namespace halvoric
