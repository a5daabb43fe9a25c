#include "base/staged_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <system_error>

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
}

}  // namespace
}  // namespace halvoric
