// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive/drive_number.h"

#include <gtest/gtest.h>

#include <string>

#include "drive/disk_control.h"
#include "drive/drive_reader.h"

namespace halvoric {
namespace {

struct TextCase {
  std::string text;  // std::string so that a case can hold a NUL
  std::optional<DriveNumber> number;
};

const TextCase kTextCases[] = {
    {"0", 0},
    {"7", 7},
    {"255", 255},
    {"007", 7},
    {"0000000000000000000000255", 255},
    {"256", std::nullopt},
    {"1000", std::nullopt},
    {"4294967296", std::nullopt},  // wraps a 32-bit unsigned to 0
    {"4294967297", std::nullopt},  // wraps it to 1
    {"18446744073709551617", std::nullopt},
    {"", std::nullopt},
    {"+1", std::nullopt},
    {"-0", std::nullopt},
    {" 1", std::nullopt},
    {"1 ", std::nullopt},
    {"1\n", std::nullopt},
    {std::string("1\0", 2), std::nullopt},
    {"0x1", std::nullopt},
    {"1e2", std::nullopt},
    {"1.0", std::nullopt},
    {"\xd9\xa1", std::nullopt},  // ARABIC-INDIC DIGIT ONE
};

TEST(ParseDriveNumberText, AcceptsOnlyDecimalDigitsThatFit) {
  for (const TextCase& c : kTextCases) {
    EXPECT_EQ(ParseDriveNumberText(c.text), c.number) << '"' << c.text << '"';
  }
}

TEST(ParseDriveNumber, IsZeroForAnythingButANumber) {
  for (const TextCase& c : kTextCases) {
    EXPECT_EQ(ParseDriveNumber(c.text), c.number.value_or(0)) << '"' << c.text << '"';
  }
}

struct PathCase {
  const char* path;
  std::optional<DriveNumber> number;
};

TEST(ParseDrivePath, AcceptsOnlyPlainDecimalNumbers) {
  const PathCase cases[] = {
      {R"(\\.\PhysicalDrive0)", 0},
      {R"(\\.\PhysicalDrive10)", 10},
      {R"(\\.\PhysicalDrive255)", 255},
      {R"(\\.\PhysicalDrive256)", std::nullopt},
      {R"(\\.\PhysicalDrive999999999)", std::nullopt},
      {R"(\\.\PhysicalDrive)", std::nullopt},
      {R"(\\.\PhysicalDrive01)", std::nullopt},
      {R"(\\.\PhysicalDrive00)", std::nullopt},
      {R"(\\.\PhysicalDrive-1)", std::nullopt},
      {R"(\\.\PhysicalDrive+1)", std::nullopt},
      {R"(\\.\PhysicalDrive1 )", std::nullopt},
      {R"(\\.\PhysicalDrive1x)", std::nullopt},
      {R"(\\.\PhysicalDrive4294967296)", std::nullopt},
      {R"(\\.\physicaldrive0)", std::nullopt},
      {R"(\\?\PhysicalDrive0)", std::nullopt},
      {R"( \\.\PhysicalDrive0)", std::nullopt},
      {"/dev/sda", std::nullopt},
      {"", std::nullopt},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(ParseDrivePath(c.path), c.number) << c.path;
  }
}

TEST(ParseDrivePath, ReadsBackEveryPathDevicePathWrites) {
  for (unsigned n = 0; n <= 255; ++n) {
    EXPECT_EQ(ParseDrivePath(DevicePath(n)), n);
  }
}

}  // namespace
}  // namespace halvoric
