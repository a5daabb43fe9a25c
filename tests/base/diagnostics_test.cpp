// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/diagnostics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halvoric {
namespace {

std::vector<std::string> heard;

void Record(DiagnosticArea area, std::string_view text) {
  heard.push_back((area == DiagnosticArea::Sysfs ? "sysfs: " : "other: ") + std::string(text));
}

// Installs the recording sink for one test and takes it away after.
class DiagnosticsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    heard.clear();
    previous_ = SetDiagnosticSink(Record);
  }
  void TearDown() override { SetDiagnosticSink(previous_); }

 private:
  DiagnosticSink previous_ = nullptr;
};

TEST_F(DiagnosticsTest, NothingIsHeardWithoutASink) {
  SetDiagnosticSink(nullptr);
  Diagnose(DiagnosticArea::Access, "lost");
  ChangeDiagnostics(DiagnosticArea::Access).Tell(0, "lost too");
  EXPECT_TRUE(heard.empty());
}

TEST_F(DiagnosticsTest, ChangesAreToldOncePerKey) {
  const struct {
    unsigned key;
    const char* text;
    bool told;
  } steps[] = {
      {0, "drive 0: ATA", true},
      {0, "drive 0: ATA", false},  // the same again: polled, not changed
      {1, "drive 1: ATA", true},   // another key has its own memory
      {0, "drive 0: ATA", false},
      {0, "drive 0: sysfs", true},
      {0, "drive 0: ATA", true},  // back again is a change too
      {1, "drive 1: ATA", false},
  };
  ChangeDiagnostics told(DiagnosticArea::Sysfs);
  std::size_t expected = 0;
  for (const auto& step : steps) {
    told.Tell(step.key, step.text);
    if (step.told) ++expected;
    ASSERT_EQ(heard.size(), expected) << step.text;
    if (step.told) {
      EXPECT_EQ(heard.back(), std::string("sysfs: ") + step.text);
    }
  }
}

}  // namespace
}  // namespace halvoric
