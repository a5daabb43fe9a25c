// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a web page or a local file with the desktop's default program.
#pragma once

#include <string>

namespace halvoric {

class UrlOpener {
 public:
  virtual ~UrlOpener() = default;
  virtual bool OpenUrl(const std::string& url) = 0;
  virtual bool OpenFile(const std::string& path) = 0;
};

}  // namespace halvoric
