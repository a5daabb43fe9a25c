#include "platform/drive_path.h"

#include <gtest/gtest.h>

namespace halvoric {
namespace {

struct PathCase {
  const char* path;
  std::optional<unsigned> number;
};

TEST(ParseDrivePath, AcceptsOnlyPlainDecimalNumbers) {
  const PathCase cases[] = {
      {R"(\\.\PhysicalDrive0)", 0u},
      {R"(\\.\PhysicalDrive10)", 10u},
      {R"(\\.\PhysicalDrive999999999)", 999999999u},
      {R"(\\.\PhysicalDrive)", std::nullopt},
      {R"(\\.\PhysicalDrive01)", std::nullopt},
      {R"(\\.\PhysicalDrive-1)", std::nullopt},
      {R"(\\.\PhysicalDrive1 )", std::nullopt},
      {R"(\\.\PhysicalDrive1x)", std::nullopt},
      {R"(\\.\PhysicalDrive4294967296)", std::nullopt},
      {R"(\\.\physicaldrive0)", std::nullopt},
      {R"(\\?\PhysicalDrive0)", std::nullopt},
      {"/dev/sda", std::nullopt},
      {"", std::nullopt},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(ParseDrivePath(c.path), c.number) << c.path;
  }
}

}  // namespace
}  // namespace halvoric
