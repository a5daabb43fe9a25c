// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

TEST(SettingsFile, SavesTheExactLayout) {
  testing::TempDir dir;
  const std::string path = dir.File(ConfigFileName);
  ASSERT_TRUE(SaveSettings(Settings{.AutoRun = true}, path).Ok());
  EXPECT_EQ(testing::ReadFile(path),
            "<?xml version='1.0' encoding='UTF-8' ?>\r\n<Tessivar>\r\n"
            "  <AutoRun>-1\r\n  </AutoRun>\r\n  <LogEvents>0\r\n  </LogEvents>\r\n"
            "  <SystemLog>0\r\n  </SystemLog>\r\n  <DiskStatus>0\r\n  </DiskStatus>\r\n"
            "  <Hibernation>0\r\n  </Hibernation>\r\n  <TempWarn>0\r\n  </TempWarn>\r\n"
            "  <Temp>50\r\n  </Temp>\r\n"
            "  <PopupNotification>0\r\n  </PopupNotification>\r\n"
            "  <EmailNotification>0\r\n  </EmailNotification>\r\n  <EmailAddr/>\r\n"
            "  <PlaySound>0\r\n  </PlaySound>\r\n  <SoundPath>alert.wav\r\n  </SoundPath>\r\n"
            // Added later, after the twelve; readers that do not know them skip them.
            "  <HealthWarn>-1\r\n  </HealthWarn>\r\n  <HealthMinutes>10\r\n  </HealthMinutes>\r\n"
            "  <MailRepeatMinutes>60\r\n  </MailRepeatMinutes>\r\n"
            "  <UseDriveLimits>0\r\n  </UseDriveLimits>\r\n"
            "  <MetricsFile/>\r\n  <SelfTestSchedule/>\r\n"
            "</Tessivar>");
}

TEST(SettingsFile, RoundTripsEverySetting) {
  testing::TempDir dir;
  const std::string path = dir.File(ConfigFileName);
  const Settings saved{.AutoRun = true,
                       .SystemLog = true,
                       .DiskStatus = true,
                       .TempWarn = true,
                       .Temp = " 61 ",
                       .PopupNotification = true,
                       .EmailAddr = "a&b <c@d> ]]> \"q\"",
                       .PlaySound = true,
                       .SoundPath = "/snd/\xC3\xA9t\xC3\xA9.wav",
                       .HealthWarn = false,
                       .HealthMinutes = 1440,
                       .MailRepeatMinutes = 0,
                       .UseDriveLimits = true};
  ASSERT_TRUE(SaveSettings(saved, path).Ok());

  Settings expected = saved;
  expected.Temp = "61";
  expected.CritTempValue = 61;
  const SettingsLoad load = LoadSettingsFile(path);
  EXPECT_EQ(load.Values, expected);
  EXPECT_TRUE(load.Errors.empty());
}

struct LoadCase {
  std::string name;
  std::string body;  // what stands inside the root element
  Settings expected;
  std::vector<std::string> errors{};
  std::vector<RefusedSetting> refused{};
};

class Load : public ::testing::TestWithParam<LoadCase> {};

TEST_P(Load, ReadsWhatIsThereAndKeepsDefaults) {
  testing::TempDir dir;
  const std::string path = dir.File(ConfigFileName);
  testing::WriteFile(path, "<?xml version='1.0' encoding='UTF-8' ?>\r\n<Tessivar>" +
                               GetParam().body + "</Tessivar>");
  const SettingsLoad load = LoadSettingsFile(path);
  EXPECT_EQ(load.Values, GetParam().expected);
  EXPECT_EQ(load.Errors, GetParam().errors);
  EXPECT_EQ(load.Refused, GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Load,
    ::testing::Values(
        LoadCase{"BooleanForms",
                 "<AutoRun>1</AutoRun><LogEvents>TRUE</LogEvents><SystemLog>true</SystemLog>"
                 "<DiskStatus>0</DiskStatus><Hibernation>false</Hibernation>",
                 {.AutoRun = true, .LogEvents = true, .SystemLog = true}},
        LoadCase{"BadBooleansKeepDefaultsRestLoads",
                 "<AutoRun>-1</AutoRun><LogEvents>yes</LogEvents><TempWarn>-1</TempWarn>"
                 "<PlaySound> abc </PlaySound><SoundPath>s.wav</SoundPath>",
                 {.AutoRun = true, .TempWarn = true, .SoundPath = "s.wav"},
                 {"'yes' is not a valid boolean value", "'abc' is not a valid boolean value"},
                 {{"LogEvents", "yes"}, {"PlaySound", "abc"}}},
        LoadCase{"TempNotANumber", "<Temp>abc</Temp>", {}, {}, {{"Temp", "abc"}}},
        LoadCase{"TempOutOfRange", "<Temp>300</Temp>", {}, {}, {{"Temp", "300"}}},
        LoadCase{"TempNegative", "<Temp>-5000</Temp>", {}, {}, {{"Temp", "-5000"}}},
        LoadCase{"TempEmpty", "<Temp/>", {.Temp = ""}},
        LoadCase{"TempInRange", "<Temp> 7 </Temp>", {.Temp = "7", .CritTempValue = 7}},
        LoadCase{"EmptyEmailAddr",
                 "<EmailAddr/><EmailNotification>-1</EmailNotification>",
                 {.EmailNotification = true}},
        LoadCase{"ReorderedExtraAndDuplicate",
                 "<SoundPath>b.wav</SoundPath><Extra>1</Extra><AutoRun>0</AutoRun>"
                 "<AutoRun>-1</AutoRun><SoundPath>c.wav</SoundPath>",
                 {.SoundPath = "b.wav"}},
        LoadCase{"OnlyDirectChildrenWithExactNames",
                 "<Group><AutoRun>-1</AutoRun></Group><autorun>-1</autorun>",
                 {}},
        LoadCase{"AddedSettings",
                 "<HealthWarn>0</HealthWarn><HealthMinutes> 30 </HealthMinutes>"
                 "<MailRepeatMinutes>0</MailRepeatMinutes><UseDriveLimits>-1</UseDriveLimits>",
                 {.HealthWarn = false,
                  .HealthMinutes = 30,
                  .MailRepeatMinutes = 0,
                  .UseDriveLimits = true}},
        LoadCase{"AddedSettingsOutOfRangeKeepTheirDefaults",
                 "<HealthMinutes>0</HealthMinutes><MailRepeatMinutes>1e3</MailRepeatMinutes>"
                 "<HealthWarn>maybe</HealthWarn><UseDriveLimits>often</UseDriveLimits>",
                 {},
                 {"'maybe' is not a valid boolean value",
                  "'0' is not a valid number of minutes for HealthMinutes (1 to 1440)",
                  "'1e3' is not a valid number of minutes for MailRepeatMinutes (0 to 10080)",
                  "'often' is not a valid boolean value"},
                 {{"HealthWarn", "maybe"},
                  {"HealthMinutes", "0"},
                  {"MailRepeatMinutes", "1e3"},
                  {"UseDriveLimits", "often"}}},
        LoadCase{"SyntaxErrorKeepsEarlierElements",
                 "<AutoRun>-1</AutoRun><Temp>7</Temp><Bad a><TempWarn>-1</TempWarn>",
                 {.AutoRun = true, .Temp = "7", .CritTempValue = 7}}),
    [](const auto& info) { return info.param.name; });

TEST(SettingsFile, AbsentFileGivesDefaults) {
  testing::TempDir dir;
  const SettingsLoad load = LoadSettingsFile(dir.File(ConfigFileName));
  EXPECT_EQ(load.Values, Settings{});
  EXPECT_TRUE(load.Errors.empty());
}

TEST(SettingsFile, UnreadableFileIsReported) {
  testing::TempDir dir;
  const std::string path = dir.File(ConfigFileName);
  std::filesystem::create_directory(path);
  const SettingsLoad load = LoadSettingsFile(path);
  EXPECT_EQ(load.Values, Settings{});
  EXPECT_EQ(load.Errors,
            std::vector<std::string>{"Cannot open file \"" + path + "\". Is a directory"});
}

// Root writes into any directory, so the save runs in a child that gave up
// root; the child sends back the error it got.
std::string SaveWithoutPrivileges(const Settings& settings, const std::string& path) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(1);
    const Result<> saved = SaveSettings(settings, path);
    const std::string message = saved.Ok() ? "saved" : saved.Message;
    ::_exit(::write(pipeFds[1], message.data(), message.size()) < 0 ? 1 : 0);
  }
  ::close(pipeFds[1]);
  std::string message;
  char chunk[256];
  for (ssize_t got; (got = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) {
    message.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(pipeFds[0]);
  ::waitpid(child, nullptr, 0);
  return message;
}

TEST(SettingsFile, SaveIntoReadOnlyDirectoryChangesNothing) {
  testing::TempDir dir;
  const std::string path = dir.File(ConfigFileName);
  testing::WriteFile(path, "old");
  ::chmod(dir.Path().c_str(), 0555);
  EXPECT_EQ(SaveWithoutPrivileges(Settings{}, path),
            "Cannot create file \"" + path + "\". Permission denied");
  EXPECT_EQ(testing::ReadFile(path), "old");
  EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
}  // namespace halvoric
