// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/notify_icon_record.h"

#include <algorithm>

namespace halvoric {

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

void CopyCut(std::span<char> field, std::string_view text) {
  std::fill(field.begin(), field.end(), '\0');
  if (field.empty()) return;
  std::size_t length = std::min(text.size(), field.size() - 1);
  if (length < text.size()) {
    while (length > 0 && IsContinuationByte(text[length])) --length;
  }
  std::copy_n(text.begin(), length, field.begin());
}

}  // namespace halvoric
