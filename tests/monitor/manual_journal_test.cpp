// SPDX-License-Identifier: GPL-3.0-or-later
// The manual's table of journal lines (the Preferences page in help.html)
// says what the code writes: each box's on and off line, and the line of a
// new critical temperature. A change on either side fails here.
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <utility>

#include "settings/preferences.h"
#include "tests/monitor/monitor_fakes.h"

namespace halvoric::testing {
namespace {

using Lines = std::set<std::pair<std::string, std::string>>;

struct NoPage final : PreferencesView {
  void FocusCriticalTemperature() override {}
  void ShowSoundPath(const std::string&) override {}
};

// The journal column of the table that follows the Preferences heading:
// "“on” / “off”" cells as pairs, single quoted lines paired with "".
Lines ManualLines() {
  std::ifstream file(HALVORIC_HELP_HTML);
  std::stringstream text;
  text << file.rdbuf();
  const std::string html = text.str();
  const std::size_t start = html.find("<table>", html.find("id=\"preferences\""));
  const std::string table = html.substr(start, html.find("</table>", start) - start);
  Lines lines;
  const std::regex quoted("“([^”]*)”(?:\\s*/\\s*“([^”]*)”)?");
  std::size_t rowStart = 0;
  for (std::size_t end = table.find("</tr>"); end != std::string::npos;
       rowStart = end, end = table.find("</tr>", end + 1)) {
    const std::size_t cell = table.rfind("<td>", end);
    if (cell == std::string::npos || cell < rowStart) continue;  // a heading row
    const std::string last = table.substr(cell, end - cell);
    std::smatch line;
    if (std::regex_search(last, line, quoted)) lines.emplace(line[1], line[2]);
  }
  return lines;
}

TEST(ManualJournalLines, TheManualsTableIsWhatTheCodeWrites) {
  RecordingJournal journal;
  Settings settings;
  NoPage page;
  FakeStartAtLogon startAtLogon;
  FakeMessages messages;
  FakeDialogs dialogs;
  FakeUrls urls;
  Preferences preferences(page, settings, journal, {startAtLogon, messages, dialogs, urls}, "");
  WatchRig rig;
  sim::SimulatedDisks disks(ScenarioOrFail("[drive 0]\nmodel = A\n"));
  DriveReader drives(disks);
  FakeMailer mail;
  ImmediateMailQueue queue(mail);
  TemperatureWatch watch = rig.Watch(drives, queue, mail);

  Lines code;
  auto both = [&](auto change) {
    journal.Lines.clear();
    rig.Journal.Lines.clear();
    change(true);
    change(false);
    std::vector<std::string> written = journal.Lines;
    written.insert(written.end(), rig.Journal.Lines.begin(), rig.Journal.Lines.end());
    if (written.size() == 2) code.emplace(written[0], written[1]);
  };
  for (void (Preferences::*box)(bool) :
       {&Preferences::StartAtLogonChanged, &Preferences::LogEventsChanged,
        &Preferences::SystemLogChanged, &Preferences::DiskStatusChanged,
        &Preferences::HibernationChanged, &Preferences::PopupChanged, &Preferences::SoundChanged})
    both([&](bool on) { (preferences.*box)(on); });
  both([&](bool on) { watch.WarningChanged(on); });
  journal.Lines.clear();
  preferences.CriticalTemperatureEdited("55");
  preferences.CriticalTemperatureLeft("55");
  ASSERT_EQ(journal.Lines.size(), 1u);
  code.emplace(journal.Lines[0], "");

  Lines manual = ManualLines();
  // The sound file's line names the file the user chose: a pattern only.
  EXPECT_EQ(manual.erase({"CHANGED sound file to: <i>file</i>", ""}), 1u);
  EXPECT_EQ(manual, code);
}

}  // namespace
}  // namespace halvoric::testing
