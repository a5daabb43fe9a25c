#include "settings/staged_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "temp_dir.h"

namespace halvoric {
namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::size_t EntriesIn(const std::filesystem::path& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(StagedFile, KeepsTheOldFileUntilCommitted) {
  testing::TempDir dir;
  const std::string target = dir.File("config.xml");
  std::ofstream(target) << "old";
  ::chmod(target.c_str(), 0640);
  {
    StagedFile staged = StagedFile::Stage(target, "new");
    ASSERT_FALSE(staged.Error());
    // A crash now: the new text is complete on disk, the old file untouched.
    EXPECT_EQ(Read(staged.TemporaryPath()), "new");
    EXPECT_EQ(Read(target), "old");
  }
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);

  EXPECT_FALSE(ReplaceFile(target, "new"));
  EXPECT_EQ(Read(target), "new");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(StagedFile, FailedRenameLeavesNothingBehind) {
  testing::TempDir dir;
  const std::string target = dir.File("config.xml");
  std::filesystem::create_directories(target + "/inside");
  EXPECT_EQ(ReplaceFile(target, "new"), std::errc::is_a_directory);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

}  // namespace
}  // namespace halvoric
