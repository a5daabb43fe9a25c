// SPDX-License-Identifier: GPL-3.0-or-later
// Builds simulated drives from scenario text inside a test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "drive/sim/simulated_disks.h"

namespace halvoric::test {

inline sim::Scenario ScenarioFrom(const std::string& text) {
  Result<sim::Scenario> result = sim::ParseScenario(text, "test", HALVORIC_FIXTURES);
  EXPECT_TRUE(result.Ok()) << result.Message;
  return result.Ok() ? std::move(*result) : sim::Scenario{};
}

// The control requests of the recorded events, in order.
inline std::vector<sim::RecordedEvent> ControlEvents(const sim::SimulatedDisks& disks) {
  std::vector<sim::RecordedEvent> requests;
  for (const auto& event : disks.Events()) {
    if (event.What == sim::RecordedEvent::Kind::Control) requests.push_back(event);
  }
  return requests;
}

}  // namespace halvoric::test
