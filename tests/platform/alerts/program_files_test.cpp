#include "platform/program_files.h"

#include <gtest/gtest.h>

#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

namespace fs = std::filesystem;

// The layouts the programs meet: the build tree (bin/ alone), an installed
// or unpacked tree (bin/ and lib/halvoric/), an older install's copy left in
// bin/, and a file missing from both.
struct LayoutCase {
  const char* Name;
  bool InPrivateFolder;
  bool BesideProgram;
  const char* Expected;  // relative to the tree's root
};

TEST(ProgramFile, PrefersThePrivateFolderAndFallsBackToTheProgramsFolder) {
  const LayoutCase cases[] = {
      {"build tree", false, true, "bin/help.html"},
      {"installed", true, false, "lib/halvoric/help.html"},
      {"older copy beside", true, true, "lib/halvoric/help.html"},
      {"missing", false, false, "lib/halvoric/help.html"},
  };
  for (const LayoutCase& c : cases) {
    testing::TempDir root;
    fs::create_directories(root.Path() / "bin");
    fs::create_directories(root.Path() / "lib/halvoric");
    if (c.InPrivateFolder) std::ofstream(root.Path() / "lib/halvoric/help.html") << "x";
    if (c.BesideProgram) std::ofstream(root.Path() / "bin/help.html") << "x";
    EXPECT_EQ(ProgramFile(root.Path() / "bin", "help.html"), root.Path() / c.Expected) << c.Name;
  }
}

TEST(ProgramFile, TakesOnlyFilesAndLinksToFiles) {
  testing::TempDir root;
  fs::create_directories(root.Path() / "bin");
  fs::create_directories(root.Path() / "lib/halvoric/help.html");
  std::ofstream(root.Path() / "bin/help.html") << "x";
  EXPECT_EQ(ProgramFile(root.Path() / "bin", "help.html"), root.Path() / "bin/help.html")
      << "a folder of that name is no file";

  std::ofstream(root.Path() / "lib/halvoric/real.so") << "x";
  fs::create_symlink("real.so", root.Path() / "lib/halvoric/libhalvoric-sendmail.so");
  EXPECT_EQ(ProgramFile(root.Path() / "bin", "libhalvoric-sendmail.so"),
            root.Path() / "lib/halvoric/libhalvoric-sendmail.so");
}

TEST(ProgramFile, UnknownFolderGivesTheBareNameThatTheLoaderRefuses) {
  EXPECT_EQ(ProgramFile({}, "libhalvoric-sendmail.so"), fs::path("libhalvoric-sendmail.so"));
}

}  // namespace
}  // namespace halvoric
