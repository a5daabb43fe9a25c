// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/program_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

namespace fs = std::filesystem;

// The layouts the programs meet: the build tree (bin/ alone), an installed
// tree (bin/ with lib/halvoric/ and share/halvoric/ beside it), a file
// missing from both, and an installed folder that others could write to,
// as above programs unpacked in /tmp.
TEST(ProgramFile, TakesTheFileBesideTheProgramsElseOnlyATrustedInstalledOne) {
  const struct {
    const char* Name;
    bool Installed;
    bool Beside;
    fs::perms Parent;  // of the folder above bin/
    std::string_view Folder;
    const char* Expected;  // relative to the tree's root
  } cases[] = {
      {"build tree", false, true, fs::perms::owner_all, kDataFolder, "bin/help.html"},
      {"manual installed", true, false, fs::perms::owner_all, kDataFolder,
       "share/halvoric/help.html"},
      {"library installed", true, false, fs::perms::owner_all, kLibraryFolder,
       "lib/halvoric/help.html"},
      {"both", true, true, fs::perms::owner_all, kDataFolder, "bin/help.html"},
      {"missing", false, false, fs::perms::owner_all, kDataFolder, "share/halvoric/help.html"},
      {"others may write", true, false, fs::perms::all, kLibraryFolder, "bin/help.html"},
  };
  for (const auto& c : cases) {
    testing::TempDir root;
    const fs::path folder = (root.Path() / "bin" / c.Folder).lexically_normal();
    fs::create_directories(root.Path() / "bin");
    fs::create_directories(folder);
    if (c.Installed) std::ofstream(folder / "help.html") << "x";
    if (c.Beside) std::ofstream(root.Path() / "bin/help.html") << "x";
    fs::permissions(folder.parent_path(), c.Parent);
    EXPECT_EQ(ProgramFile(root.Path() / "bin", c.Folder, "help.html"), root.Path() / c.Expected)
        << c.Name;
    fs::permissions(folder.parent_path(), fs::perms::owner_all);
  }
}

TEST(ProgramFile, TakesOnlyFilesAndLinksToFiles) {
  testing::TempDir root;
  fs::create_directories(root.Path() / "bin/help.html");
  fs::create_directories(root.Path() / "share/halvoric");
  std::ofstream(root.Path() / "share/halvoric/help.html") << "x";
  EXPECT_EQ(ProgramFile(root.Path() / "bin", kDataFolder, "help.html"),
            root.Path() / "share/halvoric/help.html")
      << "a folder of that name is no file";

  fs::create_directories(root.Path() / "lib/halvoric");
  std::ofstream(root.Path() / "lib/halvoric/real.so") << "x";
  fs::create_symlink("real.so", root.Path() / "lib/halvoric/libhalvoric-sendmail.so");
  EXPECT_EQ(ProgramFile(root.Path() / "bin", kLibraryFolder, "libhalvoric-sendmail.so"),
            root.Path() / "lib/halvoric/libhalvoric-sendmail.so");
}

TEST(ProgramFile, UnknownFolderGivesTheBareNameThatTheLoaderRefuses) {
  EXPECT_EQ(ProgramFile({}, kLibraryFolder, "libhalvoric-sendmail.so"),
            fs::path("libhalvoric-sendmail.so"));
}

}  // namespace
}  // namespace halvoric
