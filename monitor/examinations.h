// SPDX-License-Identifier: GPL-3.0-or-later
// A drive examined on the user's request: its self-test started or
// aborted, its logs read. Both run on the drive queue, behind the watches'
// series and under their deadline, and come back on the window's thread.
// What the last of them said of a drive's self-tests is kept, so that the
// drive list's menu can offer only what the drive runs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "base/result.h"
#include "drive/drive_logs.h"
#include "drive/drive_queue.h"
#include "drive/power_mode.h"
#include "monitor/tray_status.h"
#include "settings/journal.h"

namespace halvoric {

class SelfTestWatch;

// Whether reading a drive's logs may spin it up.
enum class Waking : std::uint8_t { LeaveAsleep, Wake };

struct LogsReading {
  // Standby or Sleep when the drive was left asleep and nothing was read.
  PowerMode LeftIn = PowerMode::Active;
  DriveLogs Logs;
  bool LeftAsleep() const { return LeftIn == PowerMode::Standby || LeftIn == PowerMode::Sleep; }
};

struct KnownSelfTests {
  SelfTestAbilities Abilities;
  bool Running = false;  // as the drive last said, or since a start or abort
  // Whether `action` may be asked of the drive now: a test it runs while
  // none runs, an abort while one does.
  bool Allows(SelfTestAction action) const;
};

class Examinations {
 public:
  // `selfTests` follows each test begun here; none follows nothing.
  Examinations(DriveQueue& drives, JournalLines& journal, TrayStatusView& notices,
               SelfTestWatch* selfTests = nullptr)
      : drives_(drives), journal_(journal), notices_(notices), selfTests_(selfTests) {}

  using LogsDone = std::function<void(const LogsReading&)>;
  void ReadLogs(DriveNumber n, Waking waking, LogsDone done);

  // The notice journalled and shown in the balloon ("Extended self-test
  // started on drive 1: about 95 minutes"), or why nothing started, as a
  // sentence. A second start on a drive waits for no answer to the first:
  // it is refused.
  using StartDone = std::function<void(const Result<std::string>&)>;
  void StartSelfTest(DriveNumber n, SelfTestAction action, StartDone done);

  // Null while no log read or start has reached the drive.
  const KnownSelfTests* Known(DriveNumber n) const;

 private:
  // Every test that began, or was aborted, on request passes here: the one
  // place the rest of the monitor learns of it.
  void Began(DriveNumber n, const SelfTestStarted& started);

  DriveQueue& drives_;
  JournalLines& journal_;
  TrayStatusView& notices_;
  SelfTestWatch* selfTests_;
  std::map<DriveNumber, KnownSelfTests> known_;
  std::set<DriveNumber> starting_;
};

// "Extended self-test started on drive 1: about 95 minutes".
std::string SelfTestNotice(DriveNumber n, const SelfTestStarted& started);

}  // namespace halvoric
