// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/text_forms.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace halvoric {
namespace {

TEST(BoolText, Reads) {
  for (const char* text : {"-1", "1", "+2", "0.5", ".5", "5.", "1e3", "1e999999", "TRUE", "tRuE"}) {
    EXPECT_EQ(BoolFromText(text), true) << text;
  }
  for (const char* text : {"0", "-0", "0.0", "0E-7", "False", "false"}) {
    EXPECT_EQ(BoolFromText(text), false) << text;
  }
  for (const char* text : {"yes", "", ".", "-", "1e", "1,5", "truex", "0x1", "inf", "nan"}) {
    EXPECT_EQ(BoolFromText(text), std::nullopt) << text;
  }
}

TEST(CritTemp, FromTemp) {
  const struct {
    std::string temp;
    int value;
  } valid[] = {{"0", 0}, {"45", 45}, {"100", 100}, {"007", 7}, {"-0", 0}};
  for (const auto& row : valid) EXPECT_EQ(CritTempFromText(row.temp), row.value) << row.temp;
  for (const char* temp : {"101", "300", "-5", "", "abc", "4.5", " 45", "45x", "99999999999"}) {
    EXPECT_EQ(CritTempFromText(temp), 50) << temp;
  }
}

}  // namespace
}  // namespace halvoric
