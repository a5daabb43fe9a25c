// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/autostart.h"

#include <gtest/gtest.h>

#include "desktop/autostart_entry_text.h"
#include "tests/base/temp_files.h"
#include "tests/desktop/child_process.h"

namespace halvoric {
namespace {

// Reads an Exec value back the way a desktop does: the key file's string
// escapes first, then %% and the quoting of the one argument.
std::string ExecutableOf(std::string_view exec) {
  std::string unescaped;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size() && exec[i + 1] == '\\') ++i;
    unescaped += exec[i];
  }
  std::string argument;
  for (std::size_t i = 1; i + 1 < unescaped.size(); ++i) {
    if (unescaped[i] == '\\' || (unescaped[i] == '%' && unescaped[i + 1] == '%')) ++i;
    argument += unescaped[i];
  }
  return argument;
}

std::string ExecLine(const std::string& entry) {
  const auto start = entry.find("\nExec=") + 6;
  return entry.substr(start, entry.find('\n', start) - start);
}

struct QuotingCase {
  const char* Path;
  const char* Exec;
};

TEST(QuotedExecValue, EscapesWhatTheDesktopWouldReadOtherwise) {
  const QuotingCase cases[] = {
      {"/usr/bin/halvoric", R"("/usr/bin/halvoric")"},
      {"/opt/My Apps/halvoric", R"("/opt/My Apps/halvoric")"},
      {R"(/opt/say "hi"/halvoric)", R"("/opt/say \"hi\"/halvoric")"},
      {"/opt/it's/halvoric", R"("/opt/it's/halvoric")"},
      {"/opt/`x`/$HOME/h", R"("/opt/\`x\`/\$HOME/h")"},
      {R"(/opt/back\slash/h)", R"("/opt/back\\\\slash/h")"},
      {"/opt/100%/h", R"("/opt/100%%/h")"},
  };
  for (const QuotingCase& c : cases) {
    EXPECT_EQ(QuotedExecValue(c.Path), c.Exec) << c.Path;
    EXPECT_EQ(ExecutableOf(QuotedExecValue(c.Path)), c.Path);
  }
}

TEST(AutostartEntryText, RefusesPathsAKeyFileCannotHold) {
  const struct {
    std::string Path;
    const char* Error;
  } cases[] = {
      {"", "The path of the running program is unknown."},
      {"/opt/two\nlines",
       "The program's path contains a control character; no start-up entry can hold it."},
      {"/opt/tab\there",
       "The program's path contains a control character; no start-up entry can hold it."},
      {"/opt/latin1-\xE9t\xE9/h",
       "The program's path is not UTF-8; no start-up entry can hold it."},
      {"/opt/overlong-\xC0\xAF/h",
       "The program's path is not UTF-8; no start-up entry can hold it."},
      {"/opt/cut-\xE2\x82", "The program's path is not UTF-8; no start-up entry can hold it."},
      {"/opt/surrogate-\xED\xA0\x80/h",
       "The program's path is not UTF-8; no start-up entry can hold it."},
      // A key file holds these, but GLib or the systemd generator would not
      // start the entry.
      {"/opt/100%/h",
       "The program's path contains %, which some desktops cannot start; no start-up entry was "
       "written."},
      {R"(/opt/say "hi"/h)",
       "The program's path contains \", which some desktops cannot start; no start-up entry was "
       "written."},
      {"/opt/`x`/h",
       "The program's path contains `, which some desktops cannot start; no start-up entry was "
       "written."},
      {"/opt/$HOME/h",
       "The program's path contains $, which some desktops cannot start; no start-up entry was "
       "written."},
      {R"(/opt/back\slash/h)",
       "The program's path contains \\, which some desktops cannot start; no start-up entry was "
       "written."},
  };
  for (const auto& c : cases) {
    const Result<std::string> entry = AutostartEntryText(c.Path);
    EXPECT_FALSE(entry.Ok()) << c.Path;
    EXPECT_EQ(entry.Message, c.Error) << c.Path;
  }
  EXPECT_TRUE(AutostartEntryText("/opt/\xC3\xA9t\xC3\xA9 \xF0\x9F\x94\xA5/halvoric").Ok());
}

TEST(AutostartFolder, FollowsTheXdgRules) {
  EXPECT_EQ(AutostartFolder("/x/cfg", "/home/u"), std::filesystem::path("/x/cfg/autostart"));
  EXPECT_EQ(AutostartFolder("", "/home/u"), std::filesystem::path("/home/u/.config/autostart"));
  EXPECT_EQ(AutostartFolder("cfg", "/home/u"), std::filesystem::path("/home/u/.config/autostart"));
  EXPECT_EQ(AutostartFolder(nullptr, nullptr), std::nullopt);
}

class XdgStartAtLogonTest : public ::testing::Test {
 protected:
  std::filesystem::path Folder() const { return dir_.Path() / "config home" / "autostart"; }

  // desktop-file-validate's verdict: empty when it found nothing to say.
  std::string Validate(const std::filesystem::path& file) const {
    testing::ChildProcess validator({"/usr/bin/desktop-file-validate", file.string()}, {},
                                    dir_.File("validate.log"));
    const int status = validator.Wait();
    const std::string said = testing::ReadFile(dir_.File("validate.log"));
    return status == 0 ? said : "exit " + std::to_string(status) + ": " + said;
  }

  testing::TempDir dir_;
};

TEST_F(XdgStartAtLogonTest, WrittenEntryIsValidAndStartsTheExactPath) {
  const char* paths[] = {
      "/opt/halvoric/bin/halvoric",
      "/home/u/My Programs/Halvoric (beta)/halvoric",
      "/home/u/it's odd & new/h\xC3\xA9",
  };
  for (const char* path : paths) {
    XdgStartAtLogon entry(Folder(), path);
    const Result<> enabled = entry.Enable();
    ASSERT_TRUE(enabled.Ok()) << enabled.Message;
    EXPECT_EQ(entry.File(), Folder() / "Halvoric.desktop");
    EXPECT_EQ(Validate(entry.File()), "") << path;
    EXPECT_EQ(ExecutableOf(ExecLine(testing::ReadFile(entry.File()))), path);
  }
}

// Started at logon in the folder it was started from when the box was
// ticked, the program reads the same config.xml.
TEST_F(XdgStartAtLogonTest, EntryStartsTheProgramInTheFolderOfItsSettings) {
  const struct {
    const char* folder;
    const char* path;
  } cases[] = {
      {"/home/u/My Settings", "Path=/home/u/My Settings\n"},
      {"/home/u/back\\slash", "Path=/home/u/back\\\\slash\n"},
  };
  for (const auto& c : cases) {
    XdgStartAtLogon entry(Folder(), "/opt/halvoric/bin/halvoric", c.folder);
    ASSERT_TRUE(entry.Enable().Ok());
    EXPECT_NE(testing::ReadFile(entry.File()).find(c.path), std::string::npos) << c.folder;
    EXPECT_EQ(Validate(entry.File()), "") << c.folder;
  }
  std::filesystem::remove(Folder() / "Halvoric.desktop");
  for (const char* unstartable :
       {"/home/u/two\nlines", "/home/u/ends in a blank ", "/home/u/50%"}) {
    EXPECT_FALSE(XdgStartAtLogon(Folder(), "/opt/h", unstartable).Enable().Ok()) << unstartable;
  }
  EXPECT_FALSE(std::filesystem::exists(Folder() / "Halvoric.desktop"));
}

TEST_F(XdgStartAtLogonTest, EnableReplacesAndDisableRemovesEvenWhenAbsent) {
  ASSERT_TRUE(XdgStartAtLogon(Folder(), "/old/place/halvoric").Enable().Ok());
  XdgStartAtLogon entry(Folder(), "/new/place/halvoric");
  ASSERT_TRUE(entry.Enable().Ok());
  EXPECT_EQ(ExecLine(testing::ReadFile(entry.File())), "\"/new/place/halvoric\"");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 1);

  EXPECT_TRUE(entry.Disable().Ok());
  EXPECT_FALSE(std::filesystem::exists(entry.File()));
  EXPECT_TRUE(entry.Disable().Ok());
}

TEST_F(XdgStartAtLogonTest, FolderThatCannotBeMadeIsReported) {
  testing::WriteFile(dir_.File("plain file"), "");
  XdgStartAtLogon entry(dir_.Path() / "plain file" / "autostart", "/opt/h");
  const Result<> enabled = entry.Enable();
  EXPECT_FALSE(enabled.Ok());
  EXPECT_EQ(enabled.Message.rfind((dir_.Path() / "plain file" / "autostart").string() + ": ", 0),
            0u)
      << enabled.Message;
}

}  // namespace
}  // namespace halvoric
