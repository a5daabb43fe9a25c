// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as mail.conf: read or refused with a message, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mail/mail_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto config =
      halvoric::mail::ParseMailConfig(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!config.Ok() && config.Message.empty()) std::abort();
  return 0;
}
