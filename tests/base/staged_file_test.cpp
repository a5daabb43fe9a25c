#include "base/staged_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

TEST(StagedFile, KeepsTheOldFileUntilCommitted) {
  testing::TempDir dir;
  const std::string target = dir.File("config.xml");
  testing::WriteFile(target, "old");
  ::chmod(target.c_str(), 0640);
  {
    StagedFile staged = StagedFile::Stage(target, "new");
    ASSERT_FALSE(staged.Error());
    // A crash now: the new text is complete on disk, the old file untouched.
    EXPECT_EQ(testing::ReadFile(staged.TemporaryPath()), "new");
    EXPECT_EQ(testing::ReadFile(target), "old");
  }
  EXPECT_EQ(testing::ReadFile(target), "old");
  EXPECT_EQ(dir.EntryCount(), 1u);

  EXPECT_FALSE(ReplaceFile(target, "new"));
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
  EXPECT_EQ(ReplaceFile(target, "new"), std::errc::is_a_directory);
  EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
}  // namespace halvoric
