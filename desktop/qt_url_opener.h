// SPDX-License-Identifier: GPL-3.0-or-later
// Web pages and local files opened by the desktop's default programs.
#pragma once

#include "services/url_opener.h"

namespace halvoric {

class QtUrlOpener final : public UrlOpener {
 public:
  bool OpenUrl(const std::string& url) override;
  bool OpenFile(const std::string& path) override;
};

}  // namespace halvoric
