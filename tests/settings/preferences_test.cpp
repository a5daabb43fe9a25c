// SPDX-License-Identifier: GPL-3.0-or-later
// The Preferences page's logic through its view, and the settings file's
// load and save, without a window.
#include "settings/preferences.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "settings/settings_keeper.h"
#include "tests/base/temp_files.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {
namespace {

class RecordingJournal final : public JournalLines {
 public:
  void AddLogLine(const std::string& message) override { Lines.push_back(message); }
  void AddLogLineBareToSystemLog(const std::string& message) override { AddLogLine(message); }
  std::string Last() const { return Lines.empty() ? "" : Lines.back(); }
  std::vector<std::string> Lines;
};

class FakePage final : public PreferencesView, public SettingsView {
 public:
  void FocusCriticalTemperature() override { ++Focused; }
  void ShowSoundPath(const std::string& path) override { SoundPath = path; }
  void ShowSettings(const Settings& values) override { Shown.push_back(values); }
  int Focused = 0;
  std::string SoundPath;
  std::vector<Settings> Shown;
};

class PreferencesTest : public ::testing::Test {
 protected:
  FakePage page_;
  Settings settings_;
  RecordingJournal journal_;
  FakeStartAtLogon startAtLogon_;
  FakeMessages messages_;
  FakeDialogs dialogs_;
  FakeUrls urls_;
  Preferences preferences_{page_,
                           settings_,
                           journal_,
                           {startAtLogon_, messages_, dialogs_, urls_},
                           "/opt/halvoric/help.html"};
};

TEST_F(PreferencesTest, EveryBoxJournalsItsOwnNewState) {
  struct Case {
    void (Preferences::*changed)(bool);
    bool Settings::*field;
    const char* on;
    const char* off;
  } cases[] = {
      {&Preferences::LogEventsChanged, &Settings::LogEvents, "ENABLED Log Events",
       "DISABLE Log Events"},
      {&Preferences::SystemLogChanged, &Settings::SystemLog, nullptr, nullptr},
      {&Preferences::DiskStatusChanged, &Settings::DiskStatus, "ENABLED disk status",
       "DISABLE disk status"},
      {&Preferences::HibernationChanged, &Settings::Hibernation, "ENABLED hibernation",
       "DISABLE hibernation"},
      {&Preferences::PopupChanged, &Settings::PopupNotification, "ENABLED popup notification",
       "DISABLE popup notification"},
      {&Preferences::EmailChanged, &Settings::EmailNotification, "ENABLED email notification",
       "DISABLE email notification"},
      {&Preferences::SoundChanged, &Settings::PlaySound, "ENABLED play sound",
       "DISABLE play sound"},
      {&Preferences::StartAtLogonChanged, &Settings::AutoRun, "ENABLED autorun",
       "DISABLED autorun"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.on == nullptr ? "system log" : c.on);
    for (bool checked : {true, false}) {
      const std::size_t before = journal_.Lines.size();
      (preferences_.*c.changed)(checked);
      EXPECT_EQ(settings_.*c.field, checked);
      if (c.on == nullptr) {
        EXPECT_EQ(journal_.Lines.size(), before);  // the system-log box writes no line
      } else {
        EXPECT_EQ(journal_.Last(), checked ? c.on : c.off);
      }
    }
  }
  EXPECT_EQ(startAtLogon_.Calls, (std::vector<std::string>{"enable", "disable"}));
}

TEST_F(PreferencesTest, CriticalTemperatureIsCheckedWhenLeft) {
  struct Case {
    const char* text;
    bool accepted;
    int value;
  } cases[] = {{"100", true, 100}, {" 7 ", true, 7},  {"0", true, 0},   {"101", false, 0},
               {"-1", false, 0},   {"abc", false, 0}, {"5.5", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    settings_.CritTempValue = 50;
    messages_.Errors.clear();
    page_.Focused = 0;
    preferences_.CriticalTemperatureEdited(c.text);
    EXPECT_EQ(settings_.Temp, c.text);  // the text as typed, whatever it says
    preferences_.CriticalTemperatureLeft(c.text);
    if (c.accepted) {
      EXPECT_EQ(settings_.CritTempValue, c.value);
      EXPECT_EQ(journal_.Last(), "CHANGED max temperature: " + std::to_string(c.value) + "\u00B0");
      EXPECT_TRUE(messages_.Errors.empty());
    } else {
      EXPECT_EQ(settings_.CritTempValue, 50);
      EXPECT_EQ(messages_.Errors,
                std::vector<std::string>{"Error! Temp Warning must be in [0..100]"});
      EXPECT_EQ(page_.Focused, 1);
    }
  }
  const std::size_t before = journal_.Lines.size();
  preferences_.CriticalTemperatureLeft("  ");  // empty: accepted silently, nothing changes
  EXPECT_EQ(journal_.Lines.size(), before);
  EXPECT_EQ(settings_.CritTempValue, 50);
}

// A Latin-1 file name or address from an older config.xml shows as Unicode
// in its field; as long as the field shows just that, the bytes stay.
TEST_F(PreferencesTest, StoredBytesThatAreNotUtf8SurviveTheirField) {
  settings_.SoundPath = "/music/caf\xE9.wav";
  preferences_.SoundPathEdited(QString::fromStdString(settings_.SoundPath));
  EXPECT_EQ(settings_.SoundPath, "/music/caf\xE9.wav");
  preferences_.SoundPathEdited("/music/new.wav");
  EXPECT_EQ(settings_.SoundPath, "/music/new.wav");
}

TEST_F(PreferencesTest, SoundFileChosenThenLeftAndHelpOpened) {
  dialogs_.Answer = "/music/my alert \"loud\".wav";
  preferences_.ChooseSoundFile({"Wave File (*.wav *.WAV)"});
  EXPECT_EQ(page_.SoundPath, *dialogs_.Answer);
  EXPECT_TRUE(journal_.Lines.empty());  // choosing writes no line
  preferences_.SoundPathEdited(QString::fromStdString(page_.SoundPath));
  preferences_.SoundPathLeft();
  EXPECT_EQ(journal_.Last(), "CHANGED sound file to: " + *dialogs_.Answer);

  dialogs_.Answer.reset();
  page_.SoundPath.clear();
  preferences_.ChooseSoundFile({});  // cancelled: the field keeps its text
  EXPECT_TRUE(page_.SoundPath.empty());

  preferences_.EmailAddressEdited("me@example.org");
  preferences_.EmailAddressLeft();
  EXPECT_EQ(journal_.Last(), "CHANGED email address to: me@example.org");
  EXPECT_EQ(settings_.EmailAddr, "me@example.org");

  preferences_.OpenHelp();
  preferences_.OpenHomePage();
  EXPECT_EQ(urls_.Opened,
            (std::vector<std::string>{"/opt/halvoric/help.html", "/opt/halvoric/help.html"}));
}

class RefusingStartAtLogon final : public StartAtLogon {
 public:
  Result<> Enable() override { return Failure{"read-only folder"}; }
  Result<> Disable() override { return Failure{"gone"}; }
};

TEST_F(PreferencesTest, AStartAtLogonEntryThatCannotBeWrittenIsJournalled) {
  RefusingStartAtLogon refusing;
  Preferences preferences(page_, settings_, journal_, {refusing, messages_, dialogs_, urls_}, "");
  preferences.StartAtLogonChanged(true);
  preferences.StartAtLogonChanged(false);
  EXPECT_EQ(
      journal_.Lines,
      (std::vector<std::string>{
          "ENABLED autorun", "The start at logon entry could not be written: read-only folder",
          "DISABLED autorun", "The start at logon entry could not be removed: gone"}));
  EXPECT_FALSE(settings_.AutoRun);
}

class SettingsKeeperTest : public ::testing::Test {
 protected:
  std::string Config() const { return dir_.File("config.xml"); }

  TempDir dir_;
  FakePage page_;
  Settings settings_;
  RecordingJournal journal_;
  FakeMessages messages_;
  SettingsKeeper keeper_{page_, settings_, journal_, messages_, dir_.File("config.xml")};
};

TEST_F(SettingsKeeperTest, LoadShowsTheValuesThenWhatCouldNotBeRead) {
  WriteFile(
      Config(),
      "<Tessivar><AutoRun>-1</AutoRun><LogEvents>may\nbe</LogEvents><Temp>61</Temp></Tessivar>");
  keeper_.Load();
  ASSERT_EQ(page_.Shown.size(), 1u);
  EXPECT_TRUE(page_.Shown[0].AutoRun);
  EXPECT_EQ(page_.Shown[0].Temp, "61");
  EXPECT_EQ(settings_.CritTempValue, 61);
  EXPECT_EQ(messages_.Errors, std::vector<std::string>{"'may\nbe' is not a valid boolean value"});
  // Beside the box, one line in the journal and the system log.
  EXPECT_EQ(journal_.Lines, std::vector<std::string>{"IGNORED LogEvents 'may be' in " + Config() +
                                                     "; the setting keeps its default"});
}

TEST_F(SettingsKeeperTest, SavedAtCloseOrElseAtQuit) {
  settings_.EmailAddr = "close@example.org";
  EXPECT_TRUE(keeper_.SaveAtClose());
  EXPECT_NE(ReadFile(Config()).find("close@example.org"), std::string::npos);

  settings_.EmailAddr = "later@example.org";
  keeper_.SaveAtQuit();  // written at close already
  EXPECT_EQ(ReadFile(Config()).find("later@example.org"), std::string::npos);

  SettingsKeeper atQuit(page_, settings_, journal_, messages_, Config());
  atQuit.SaveAtQuit();
  EXPECT_NE(ReadFile(Config()).find("later@example.org"), std::string::npos);
}

TEST_F(SettingsKeeperTest, AFileThatCannotBeWrittenIsShownAtCloseAndJournalledAtQuit) {
  std::filesystem::create_directory(Config());
  EXPECT_FALSE(keeper_.SaveAtClose());
  EXPECT_EQ(messages_.Errors.size(), 1u);
  keeper_.SaveAtQuit();
  ASSERT_EQ(journal_.Lines.size(), 1u);
  EXPECT_EQ(journal_.Lines[0], messages_.Errors[0]);
}

// Files as people edit them by hand. Whatever the reader makes of them, what
// the user wrote survives a load and a save: in the new file, or kept whole
// as config.xml.bak.
TEST_F(SettingsKeeperTest, NothingWrittenByHandIsLostOnLoadAndExit) {
  const std::string tail =
      "<EmailNotification>-1</EmailNotification><EmailAddr>ops@example.org</EmailAddr>"
      "</Tessivar>";
  struct Case {
    const char* Name;
    std::string Text;
    bool ReaderStops;  // the reader does not follow comments or a cut-off file
  } cases[] = {
      {"comment",
       "<?xml version='1.0' encoding='UTF-8' ?>\r\n<Tessivar>\r\n"
       "<!-- mail for the night shift -->\r\n" +
           tail,
       true},
      {"LF line ends", "<?xml version='1.0' encoding='UTF-8' ?>\n<Tessivar>\n" + tail + "\n",
       false},
      {"tabs", "<?xml version='1.0' encoding='UTF-8' ?>\r\n<Tessivar>\r\n\t" + tail, false},
      {"double quotes", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Tessivar>" + tail, false},
      {"single line", "<Tessivar>" + tail, false},
      {"truncated", "<?xml version='1.0' encoding='UTF-8' ?>\r\n<Tessivar>\r\n<EmailAddr>ops@exa",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::filesystem::remove(Config() + ".bak");
    WriteFile(Config(), c.Text);
    Settings settings;
    RecordingJournal journal;
    SettingsKeeper keeper(page_, settings, journal, messages_, Config());
    keeper.Load();
    ASSERT_TRUE(keeper.SaveAtClose());
    const bool keptInNewFile = ReadFile(Config()).find("ops@example.org") != std::string::npos;
    const bool keptAsBackup = ReadFile(Config() + ".bak") == c.Text;
    EXPECT_EQ(keptAsBackup, c.ReaderStops);
    EXPECT_EQ(keptInNewFile, !c.ReaderStops);
    if (keptAsBackup) {
      ASSERT_EQ(journal.Lines.size(), 2u);
      EXPECT_EQ(journal.Lines[0].rfind(Config() + " could not be read to its end (", 0), 0u)
          << journal.Lines[0];
      EXPECT_EQ(journal.Lines[1], "KEPT " + Config() + " as " + Config() + ".bak");
    } else {
      EXPECT_TRUE(journal.Lines.empty());
    }
  }
}

TEST_F(SettingsKeeperTest, ABackupThatCannotBeMadeLeavesTheFileAlone) {
  const std::string text = "<Tessivar><!-- hand edit --><AutoRun>-1</AutoRun></Tessivar>";
  WriteFile(Config(), text);
  std::filesystem::create_directory(Config() + ".bak");
  keeper_.Load();
  EXPECT_FALSE(keeper_.SaveAtClose());
  ASSERT_EQ(messages_.Errors.size(), 1u);
  EXPECT_EQ(messages_.Errors[0].rfind("The settings were not saved: " + Config() +
                                          " could not be kept as " + Config() + ".bak. ",
                                      0),
            0u)
      << messages_.Errors[0];
  EXPECT_EQ(ReadFile(Config()), text);
}

}  // namespace
}  // namespace halvoric::testing
