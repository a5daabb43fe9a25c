// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a file whole or not at all: the new content goes to a temporary
// file beside the target, reaches the disk, and only then takes the target's
// name. A crash or a full disk at any point leaves the old file intact.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "base/result.h"

namespace halvoric {

// What a save does with a symbolic link at the target's name. Either way the
// folder is opened once and every later step works inside it, so a folder
// swapped under a path during the save changes nothing.
enum class LinkRule {
  // A link the user made in a folder that is theirs and that nobody else may
  // write is written through: a settings file kept elsewhere and linked into
  // place is replaced where it is, and keeps its owner, group and mode. Any
  // other link is replaced by the new file.
  FollowOwnLinks,
  // The name is replaced, link or not, by a new file of the writer's with
  // mode 0644, and the folder must not be a link itself: for a file in a
  // folder others may write, where a planted link would otherwise have the
  // writer replace a file of the planter's choosing.
  ReplaceName,
};

class StagedFile {
 public:
  // Writes `bytes` to a new file in the target's folder and flushes it. A
  // failed stage leaves no temporary file behind.
  static Result<StagedFile> Stage(const std::string& target, std::string_view bytes,
                                  LinkRule rule = LinkRule::FollowOwnLinks);

  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  // Removes the temporary file unless it was committed.
  ~StagedFile();

  std::string TemporaryPath() const { return folderPath_ + "/" + temporary_; }

  // Renames the temporary file over the target.
  Result<> Commit();

 private:
  StagedFile(int folder, std::string folderPath, std::string name, std::string temporary)
      : folder_(folder),
        folderPath_(std::move(folderPath)),
        name_(std::move(name)),
        temporary_(std::move(temporary)) {}

  int folder_;  // -1 once moved from
  std::string folderPath_;
  std::string name_;
  std::string temporary_;  // empty once committed
};

// The message of a failure is the system's reason.
Result<> ReplaceFile(const std::string& target, std::string_view bytes,
                     LinkRule rule = LinkRule::FollowOwnLinks);

}  // namespace halvoric
