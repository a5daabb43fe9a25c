// Replacing a file whole or not at all: the new content goes to a temporary
// file beside the target, reaches the disk, and only then takes the target's
// name. A crash or a full disk at any point leaves the old file intact.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace halvoric {

class StagedFile {
 public:
  // Writes `bytes` to a new file in the target's directory and flushes it.
  static StagedFile Stage(const std::string& target, std::string_view bytes);

  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  // Removes the temporary file unless it was committed.
  ~StagedFile();

  const std::error_code& Error() const { return error_; }
  const std::string& TemporaryPath() const { return temporary_; }

  // Renames the temporary file over the target.
  std::error_code Commit();

 private:
  explicit StagedFile(std::string target) : target_(std::move(target)) {}

  std::string target_;
  std::string temporary_;  // empty once committed or when nothing was created
  std::error_code error_;
};

std::error_code ReplaceFile(const std::string& target, std::string_view bytes);

}  // namespace halvoric
