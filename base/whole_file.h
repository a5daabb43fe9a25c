// Reading a file at once.
#pragma once

#include <string>
#include <system_error>

namespace halvoric {

struct FileContent {
  std::string bytes;
  std::error_code error;  // set when the file could not be read whole
};

FileContent ReadWholeFile(const std::string& path);

}  // namespace halvoric
