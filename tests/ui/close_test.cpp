// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_fixture.h"

namespace halvoric::testing {
namespace {

class CloseTest : public FormTest {};

TEST_F(CloseTest, ClosingWritesTheSettingsAndCloses) {
  TTessivar_Form& form = Start("");
  form.Settings.PlaySound = true;
  form.Settings.SoundPath = "bell.wav";
  form.show();
  EXPECT_TRUE(form.close());
  const std::string config = ReadFile("config.xml");
  EXPECT_NE(config.find("<Tessivar>\r\n  <AutoRun>0\r\n  </AutoRun>"), std::string::npos);
  EXPECT_NE(config.find("  <PlaySound>-1\r\n"), std::string::npos);
  EXPECT_NE(config.find("  <SoundPath>bell.wav\r\n"), std::string::npos);
  EXPECT_TRUE(messages_.Errors.empty());
}

TEST_F(CloseTest, SettingsSurviveARestart) {
  WriteFile("config.xml",
            "<Tessivar><Hibernation>-1</Hibernation><EmailAddr>a@b.c</EmailAddr>"
            "<Temp>61</Temp></Tessivar>");
  Start("").close();
  form_.reset();
  TTessivar_Form& again = Start("");
  again.MakePreferencesPage();
  EXPECT_TRUE(again.Hibernate_CheckBox->isChecked());
  EXPECT_EQ(again.Email_Edit->text(), "a@b.c");
  EXPECT_EQ(again.CritTemp_Edit->text(), "61");
  EXPECT_EQ(again.Settings.CritTempValue, 61);
}

// Texts that are not UTF-8 (Latin-1 here) cannot be shown as they are, but
// must be written back as they were read unless the user edits them.
TEST_F(CloseTest, TextsThatAreNotUtf8AreKeptByteForByte) {
  const std::string sound = "m\xE9lodie.wav";
  const std::string address = "h\xE9l\xE8ne@example.org";
  WriteFile("config.xml", "<Tessivar><EmailAddr>" + address + "</EmailAddr><SoundPath>" + sound +
                              "</SoundPath><Temp>6\xB0</Temp></Tessivar>");
  TTessivar_Form& form = Start("");
  EXPECT_EQ(form.Settings.SoundPath, sound);
  form.show();
  ASSERT_TRUE(form.close());
  const std::string config = ReadFile("config.xml");
  EXPECT_NE(config.find("<SoundPath>" + sound + "\r\n"), std::string::npos) << config;
  EXPECT_NE(config.find("<EmailAddr>" + address + "\r\n"), std::string::npos) << config;
  EXPECT_NE(config.find("<Temp>50\r\n"), std::string::npos) << config;

  form_.reset();
  TTessivar_Form& again = Start("");
  again.MakePreferencesPage();
  again.Email_Edit->setText("ops@example.org");
  EXPECT_EQ(again.Settings.EmailAddr, "ops@example.org");
  EXPECT_EQ(again.Settings.SoundPath, sound);
}

// The session ends, or a termination signal arrives, with the window hidden
// in the tray: the settings are written all the same, once.
TEST_F(CloseTest, EndingWithoutACloseStillWritesTheSettings) {
  TTessivar_Form& form = Start("");
  form.Settings.SoundPath = "bell.wav";
  form.SaveSettingsAtQuit();
  EXPECT_NE(ReadFile("config.xml").find("<SoundPath>bell.wav\r\n"), std::string::npos);

  form.show();
  ASSERT_TRUE(form.close());
  std::filesystem::remove(File("config.xml"));
  form.SaveSettingsAtQuit();  // the close wrote them already
  EXPECT_FALSE(std::filesystem::exists(File("config.xml")));
}

TEST_F(CloseTest, FailingWriteAtTheEndIsJournalled) {
  TTessivar_Form& form = Start("");
  std::filesystem::create_directory(File("config.xml"));
  form.SaveSettingsAtQuit();
  ASSERT_FALSE(JournalMessages().isEmpty());
  EXPECT_NE(JournalMessages().back().toStdString().find("config.xml"), std::string::npos);
  EXPECT_TRUE(messages_.Errors.empty());  // no window left to show it in
}

TEST_F(CloseTest, FailingWriteKeepsTheWindowOpenAndShowsWhy) {
  TTessivar_Form& form = Start("");
  std::filesystem::create_directory(File("config.xml"));  // cannot be replaced by a file
  form.show();
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(messages_.Errors.size(), 1u);
  EXPECT_NE(messages_.Errors[0].find("config.xml"), std::string::npos);
}

}  // namespace
}  // namespace halvoric::testing
