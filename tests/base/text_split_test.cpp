// SPDX-License-Identifier: GPL-3.0-or-later
// The splitters against the stream reading they replace.
#include "base/text_split.h"

#include <gtest/gtest.h>

#include <sstream>

namespace halvoric {
namespace {

TEST(TextSplit, CutsAsGetlineAndTheWordReaderDo) {
  const std::string texts[] = {
      "",         "\n",         "\n\n",           "one",       "one\n",
      "one\ntwo", "one\ntwo\n", "a b\n\nc\r\n",   "  lead",    "trail \t",
      " \t\v\f ", "x\ty\vz\fw", "mid  two  sp\n", "\r\nq\r\n", std::string("nul\0in", 6),
  };
  for (const std::string& text : texts) {
    std::vector<std::string> lines, words;
    std::istringstream byLine(text), byWord(text);
    for (std::string line; std::getline(byLine, line);) lines.push_back(line);
    for (std::string word; byWord >> word;) words.push_back(word);
    EXPECT_EQ(Lines(text), lines) << '"' << text << '"';
    EXPECT_EQ(Words(text), words) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace halvoric
