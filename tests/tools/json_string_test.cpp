#include <gtest/gtest.h>

#include <sstream>

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
      {"\xE0\x80\x80", "\"\\u00e0\\u0080\\u0080\""},        // overlong, three bytes
      {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},        // a surrogate
      {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},  // beyond U+10FFFF
  };
  for (const auto& [bytes, json] : cases) EXPECT_EQ(JsonString(bytes), json);
}

// A drive chooses its own model string; printed as text it must not set a
// terminal's title or clear its screen.
TEST(TextOutput, DriveStringsCannotSteerTheTerminal) {
  DriveListRow row;
  row.Id = "0";
  row.Model = "Evil\x1b]0;pwned\x07\x1b[2J \xC2\x9B" "1m \xFF ok \xC2\xB0";
  row.Temp = "N/A";
  std::ostringstream out;
  PrintDriveList(out, {{row, DriveSummary{}}}, false);
  const std::string text = out.str();
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_EQ(text.find('\x07'), std::string::npos) << text;
  EXPECT_EQ(text.find("\xC2\x9B"), std::string::npos) << text;
  EXPECT_NE(text.find("Evil?]0;pwned??[2J ?1m ? ok \xC2\xB0"), std::string::npos) << text;
}

}  // namespace
}  // namespace halvoric::cli
