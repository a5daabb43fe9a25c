// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/text_split.h"

namespace halvoric {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == text.npos ? text.size() : end + 1);
  }
  return lines;
}

std::vector<std::string> Words(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  std::vector<std::string> words;
  for (std::size_t start = text.find_first_not_of(kBlanks); start != text.npos;) {
    const std::size_t end = text.find_first_of(kBlanks, start);
    words.emplace_back(text.substr(start, end == text.npos ? text.npos : end - start));
    start = end == text.npos ? end : text.find_first_not_of(kBlanks, end);
  }
  return words;
}

}  // namespace halvoric
