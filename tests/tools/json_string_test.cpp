#include <gtest/gtest.h>

#include "tools/cli_output.h"

namespace halvoric::cli {
namespace {

TEST(JsonString, DriveBytesBecomeValidJson) {
  const std::pair<std::string, std::string> cases[] = {
      {"Disk  ", "\"Disk  \""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {std::string("\0\x1f\x7f", 3), "\"\\u0000\\u001f\\u007f\""},
      {"41\xC2\xB0" "C", "\"41\xC2\xB0" "C\""},          // valid UTF-8 passes
      {"\xB0" "C", "\"\\u00b0C\""},                      // a lone Latin-1 byte
      {"\xE2\x82", "\"\\u00e2\\u0082\""},                // cut-off sequence
      {"\xC0\xAF", "\"\\u00c0\\u00af\""},                // overlong form
  };
  for (const auto& [bytes, json] : cases) EXPECT_EQ(JsonString(bytes), json);
}

}  // namespace
}  // namespace halvoric::cli
