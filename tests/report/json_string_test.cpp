// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sstream>

#include "report/cli_output.h"
#include "report/json_value.h"

namespace halvoric::cli {
namespace {

TEST(JsonString, DriveBytesBecomeValidJson) {
  const std::pair<std::string, std::string> cases[] = {
      {"Disk  ", "\"Disk  \""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {std::string("\0\x1f\x7f", 3), "\"\\u0000\\u001f\\u007f\""},
      {"41\xC2\xB0"
       "C",
       "\"41\xC2\xB0"
       "C\""},  // valid UTF-8 passes
      {"\xB0"
       "C",
       "\"\\u00b0C\""},                                          // a lone Latin-1 byte
      {"\xE2\x82", "\"\\u00e2\\u0082\""},                        // cut-off sequence
      {"\xC0\xAF", "\"\\u00c0\\u00af\""},                        // overlong form
      {"\xE0\x80\x80", "\"\\u00e0\\u0080\\u0080\""},             // overlong, three bytes
      {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},             // a surrogate
      {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},  // beyond U+10FFFF
      // Valid UTF-8 that steers a terminal or the direction of a line.
      {"a\xC2\x80"
       "b\xC2\x9B"
       "c\xC2\x9F",
       "\"a\\u0080b\\u009bc\\u009f\""},  // C1 controls
      {"\xC2\xA0", "\"\xC2\xA0\""},      // the first character after them
      {"\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD\xE2\x80\xAE",
       "\"\\u202a\\u202b\\u202c\\u202d\\u202e\""},  // embeddings, overrides
      {"\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8\xE2\x81\xA9",
       "\"\\u2066\\u2067\\u2068\\u2069\""},                               // isolates
      {"\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C", "\"\\u200e\\u200f\\u061c\""},  // marks
      {"\xE2\x80\x8D\xE2\x80\xAF\xE2\x81\xA5",
       "\"\xE2\x80\x8D\xE2\x80\xAF\xE2\x81\xA5\""},  // their neighbours
  };
  for (const auto& [bytes, json] : cases) EXPECT_EQ(JsonString(bytes), json);
}

// A drive chooses its own model string; printed as text it must not set a
// terminal's title or clear its screen.
TEST(TextOutput, DriveStringsCannotSteerTheTerminal) {
  DriveListRow row;
  row.Id = "0";
  row.Model =
      "Evil\x1b]0;pwned\x07\x1b[2J \xC2\x9B"
      "1m \xFF ok \xC2\xB0";
  row.Temp = "N/A";
  std::ostringstream out;
  PrintDriveList(out, {row});
  const std::string text = out.str();
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_EQ(text.find('\x07'), std::string::npos) << text;
  EXPECT_EQ(text.find("\xC2\x9B"), std::string::npos) << text;
  EXPECT_NE(text.find("Evil?]0;pwned??[2J ?1m ? ok \xC2\xB0"), std::string::npos) << text;
}

// A right-to-left override makes "exe.txt" of "txt.exe"; each steering
// character shows as '?' instead, in every column and in the Disk Info values.
TEST(TextOutput, DirectionControlsShowAsQuestionMarks) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xE2\x80\xAEtxt.exe", "a?txt.exe"},
      {"\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD", "????"},
      {"\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8\xE2\x81\xA9", "????"},
      {"\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C", "???"},
      {"\xE2\x80\x8D\xD8\x9B", "\xE2\x80\x8D\xD8\x9B"},  // neighbours that steer nothing
  };
  for (const auto& [bytes, shown] : cases) {
    DriveListRow row;
    row.Id = "0";
    row.Model = bytes;
    row.Temp = "N/A";
    std::ostringstream list;
    PrintDriveList(list, {row});
    EXPECT_NE(list.str().find("0   " + shown + " "), std::string::npos) << list.str();

    CollectingSinks rows;
    rows.diskInfo.push_back({"Model", bytes});
    std::ostringstream details;
    PrintDetails(details, 0, rows);
    EXPECT_NE(details.str().find(shown + "\n"), std::string::npos) << details.str();
  }
}

}  // namespace
}  // namespace halvoric::cli
