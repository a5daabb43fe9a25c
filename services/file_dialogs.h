// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's file choosers.
#pragma once

#include <optional>
#include <string>

namespace halvoric {

// Filter in the desktop's form, e.g. "Log File (*.txt)".
struct FileDialogSpec {
  std::string Filter;
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // An existing file's path, or none when the user cancels.
  virtual std::optional<std::string> ChooseFileToOpen(const FileDialogSpec& spec) = 0;
  // A new or existing file's path (replacing one is confirmed by the user),
  // or none when the user cancels. The name comes back as typed.
  virtual std::optional<std::string> ChooseFileToSave(const FileDialogSpec& spec) = 0;
};

}  // namespace halvoric
