// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as config.xml: the reader, the writer on what it built and the
// settings lookup must neither crash nor read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/settings_file.h"
#include "settings/xml_doc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  halvoric::TXmlDoc doc;
  if (!doc.LoadFromText(std::string(reinterpret_cast<const char*>(data), size)).Ok()) return 0;
  doc.ToText();
  // No stored text may give a critical temperature the page would refuse.
  if (halvoric::ReadSettings(doc).Values.CritTempValue > 100) std::abort();
  return 0;
}
