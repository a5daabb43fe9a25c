// Replacing a file whole or not at all: the new content goes to a temporary
// file beside the target, reaches the disk, and only then takes the target's
// name. A crash or a full disk at any point leaves the old file intact.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "base/result.h"

namespace halvoric {

class StagedFile {
 public:
  // Writes `bytes` to a new file in the target's directory and flushes it.
  // A target that is a symbolic link is replaced where the link leads, and
  // the new file takes the old one's owner, group and mode. A failed stage
  // leaves no temporary file behind.
  static Result<StagedFile> Stage(const std::string& target, std::string_view bytes);

  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  // Removes the temporary file unless it was committed.
  ~StagedFile();

  const std::string& TemporaryPath() const { return temporary_; }

  // Renames the temporary file over the target.
  Result<> Commit();

 private:
  StagedFile(std::string target, std::string temporary)
      : target_(std::move(target)), temporary_(std::move(temporary)) {}

  std::string target_;
  std::string temporary_;  // empty once committed
};

// The message of a failure is the system's reason.
Result<> ReplaceFile(const std::string& target, std::string_view bytes);

}  // namespace halvoric
