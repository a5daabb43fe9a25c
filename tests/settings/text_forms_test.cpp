#include "settings/text_forms.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace halvoric {
namespace {

TEST(BoolText, Reads) {
  const struct {
    std::string text;
    std::optional<bool> value;
  } rows[] = {
      {"-1", true},
      {"1", true},
      {"0", false},
      {"-0", false},
      {"+2", true},
      {"0.0", false},
      {"0.5", true},
      {".5", true},
      {"5.", true},
      {"1e3", true},
      {"0E-7", false},
      {"1e999999", true},
      {"TRUE", true},
      {"true", true},
      {"tRuE", true},
      {"False", false},
      {"false", false},
      {"yes", std::nullopt},
      {"", std::nullopt},
      {".", std::nullopt},
      {"1e", std::nullopt},
      {"1,5", std::nullopt},
      {"truex", std::nullopt},
      {"0x1", std::nullopt},
      {"inf", std::nullopt},
      {"nan", std::nullopt},
      {"-", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(BoolFromText(row.text), row.value) << row.text;
}

TEST(BoolText, WritesMinusOneAndZero) {
  EXPECT_EQ(BoolToText(true), "-1");
  EXPECT_EQ(BoolToText(false), "0");
}

TEST(CritTemp, FromTemp) {
  const struct {
    std::string temp;
    int value;
  } rows[] = {
      {"0", 0},     {"45", 45},
      {"100", 100}, {"007", 7},
      {"-0", 0},    {"101", 50},
      {"300", 50},  {"-5", 50},
      {"", 50},     {"abc", 50},
      {"4.5", 50},  {" 45", 50},
      {"45x", 50},  {"99999999999999999999", 50},
  };
  for (const auto& row : rows) EXPECT_EQ(CritTempFromText(row.temp), row.value) << row.temp;
}

}  // namespace
}  // namespace halvoric
