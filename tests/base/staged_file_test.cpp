// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/staged_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

TEST(StagedFile, KeepsTheOldFileUntilCommitted) {
  testing::TempDir dir;
  const std::string target = dir.File("config.xml");
  testing::WriteFile(target, "old");
  ::chmod(target.c_str(), 0640);
  {
    const Result<StagedFile> staged = StagedFile::Stage(target, "new");
    ASSERT_TRUE(staged.Ok()) << staged.Message;
    // A crash now: the new text is complete on disk, the old file untouched.
    EXPECT_EQ(testing::ReadFile(staged->TemporaryPath()), "new");
    EXPECT_EQ(testing::ReadFile(target), "old");
  }
  EXPECT_EQ(testing::ReadFile(target), "old");
  EXPECT_EQ(dir.EntryCount(), 1u);

  const Result<> replaced = ReplaceFile(target, "new");
  EXPECT_TRUE(replaced.Ok()) << replaced.Message;
  EXPECT_EQ(testing::ReadFile(target), "new");
  EXPECT_EQ(dir.EntryCount(), 1u);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(StagedFile, FailedRenameLeavesNothingBehind) {
  testing::TempDir dir;
  const std::string target = dir.File("config.xml");
  std::filesystem::create_directories(target + "/inside");
  const Result<> replaced = ReplaceFile(target, "new");
  EXPECT_FALSE(replaced.Ok());
  EXPECT_EQ(replaced.Message, std::make_error_code(std::errc::is_a_directory).message());
  EXPECT_EQ(dir.EntryCount(), 1u);
}

// Nothing can be created in a missing folder: the stage fails with the
// system's reason and leaves nothing to clean up.
TEST(StagedFile, FailedStageSaysWhy) {
  testing::TempDir dir;
  const Result<StagedFile> staged = StagedFile::Stage(dir.File("missing/config.xml"), "new");
  EXPECT_FALSE(staged.Ok());
  EXPECT_EQ(staged.Message, std::make_error_code(std::errc::no_such_file_or_directory).message());
  EXPECT_EQ(dir.EntryCount(), 0u);

  // Where a link may have been planted, not even the folder is one.
  std::filesystem::create_directory(dir.Path() / "real");
  std::filesystem::create_directory_symlink(dir.Path() / "real", dir.Path() / "linked");
  const Result<> written =
      ReplaceFile(dir.File("linked/halvoric.prom"), "new", LinkRule::ReplaceName);
  EXPECT_EQ(written.Message, "its folder is a symbolic link, which is not followed here");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "real"));
}

}  // namespace
// A settings file kept elsewhere and linked into place: the save replaces
// the file the links lead to, keeps its mode, and every link stays a link.
// A link that may have been planted, in a folder others may write or at the
// metrics file's name, is replaced instead, and what it led to is untouched.
TEST(StagedFile, ReplacesWhereItsLinksLeadAndKeepsTheMode) {
  namespace fs = std::filesystem;
  constexpr fs::perms kKept =
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  constexpr fs::perms kOwn = fs::perms::owner_all;
  constexpr fs::perms kShared = fs::perms::all | fs::perms::sticky_bit;
  constexpr fs::perms kGroup = kOwn | fs::perms::group_all;
  constexpr LinkRule kFollow = LinkRule::FollowOwnLinks, kReplace = LinkRule::ReplaceName;
  struct Case {
    const char* Name;
    std::vector<std::pair<std::string, std::string>> Links;  // link -> what it holds
    std::string Real;
    bool Exists;
    fs::perms Folder = kOwn;
    LinkRule Rule = kFollow;
    bool Followed = true;
  } cases[] = {
      {"absolute", {{"config.xml", "@/kept/settings.xml"}}, "kept/settings.xml", true},
      {"relative", {{"config.xml", "kept/settings.xml"}}, "kept/settings.xml", true},
      {"chain",
       {{"config.xml", "second.xml"}, {"second.xml", "kept/settings.xml"}},
       "kept/settings.xml",
       true},
      {"dangling", {{"config.xml", "kept/new.xml"}}, "kept/new.xml", false},
      {"shared", {{"config.xml", "kept/a.xml"}}, "kept/a.xml", true, kShared, kFollow, false},
      {"group's", {{"config.xml", "kept/a.xml"}}, "kept/a.xml", false, kGroup, kFollow, false},
      {"metrics file", {{"config.xml", "kept/a.xml"}}, "kept/a.xml", true, kOwn, kReplace, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    testing::TempDir dir;
    fs::create_directory(dir.Path() / "kept");
    if (c.Exists) {
      testing::WriteFile(dir.File(c.Real), "old");
      fs::permissions(dir.File(c.Real), kKept);
    }
    for (const auto& [link, to] : c.Links) {
      const std::string target = to.starts_with('@') ? dir.Path().string() + to.substr(1) : to;
      fs::create_symlink(target, dir.File(link));
    }
    fs::permissions(dir.Path(), c.Folder);
    ASSERT_TRUE(ReplaceFile(dir.File("config.xml"), "new", c.Rule).Ok());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "kept"), {}),
              c.Exists || c.Followed ? 1 : 0);
    if (!c.Followed) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.File("config.xml"))));
      EXPECT_EQ(testing::ReadFile(dir.File("config.xml")), "new");
      if (c.Exists) {
        EXPECT_EQ(testing::ReadFile(dir.File(c.Real)), "old");
        EXPECT_EQ(fs::status(dir.File(c.Real)).permissions(), kKept);
      }
      if (c.Rule == kReplace) {
        EXPECT_EQ(fs::status(dir.File("config.xml")).permissions(), kKept | fs::perms::others_read);
      }
      continue;
    }
    for (const auto& [link, to] : c.Links) EXPECT_TRUE(fs::is_symlink(dir.File(link))) << link;
    EXPECT_EQ(testing::ReadFile(dir.File(c.Real)), "new");
    if (c.Exists) {
      EXPECT_EQ(fs::status(dir.File(c.Real)).permissions(), kKept);
    }
  }
}

}  // namespace halvoric
