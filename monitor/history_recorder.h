// SPDX-License-Identifier: GPL-3.0-or-later
// Hands every reading the watches take to the history store, stamped with
// the calendar time. The store is written through `writer`, which the
// program runs away from the window: a commit can wait for a busy disk.
// The store is opened at the first reading; a store that
// cannot be used is journalled once and tried again at the next reading, so
// that a folder made writable or a damaged file moved away is picked up
// without a restart. It never stops a watch.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "base/work_thread.h"
#include "drive/drive_reader.h"
#include "monitor/history_store.h"
#include "services/clock.h"
#include "settings/journal.h"

namespace halvoric {

// What the watches hand their readings to.
class ReadingLog {
 public:
  virtual ~ReadingLog() = default;
  // A reading of drive `n`. One without a serial (a drive asleep, which was
  // not asked who it is, or one whose serial field is blank) goes under the
  // serial `n` last had.
  virtual void Keep(DriveNumber n, HistoryReading reading) = 0;
};

// Whether a plot of the history shows the reading: one with a temperature,
// or of a drive asleep. A health check's counts alone are not drawn. The
// same rule as HistoryStore::Points.
bool PlotShows(const HistoryReading& reading);

// Who follows which drive's readings; shared by the recorder with the
// follows, which only look it up.
struct HistoryFollowers {
  struct Follower {
    std::string Serial;
    std::function<void()> Told;
  };
  std::map<std::uint64_t, Follower> Following;
  std::uint64_t Next = 0;
};

// One follower's place on the recorder's list, given up when it ends. The
// list goes with the recorder: a window that outlives it at the program's
// end finds nothing left to give up.
class HistoryFollow {
 public:
  HistoryFollow() = default;
  HistoryFollow(std::weak_ptr<HistoryFollowers> list, std::uint64_t id)
      : list_(std::move(list)), id_(id) {}
  HistoryFollow(HistoryFollow&& other) noexcept { *this = std::move(other); }
  HistoryFollow& operator=(HistoryFollow&& other) noexcept;
  HistoryFollow(const HistoryFollow&) = delete;
  HistoryFollow& operator=(const HistoryFollow&) = delete;
  ~HistoryFollow() { End(); }

  void End();

 private:
  std::weak_ptr<HistoryFollowers> list_;
  std::uint64_t id_ = 0;
};

class HistoryRecorder final : public ReadingLog {
 public:
  // Work already given to `writer` must have run before the recorder goes.
  HistoryRecorder(JournalLines& journal, const WallClock& clock, std::string path,
                  WorkRunner& writer = InPlace())
      : journal_(journal), clock_(clock), path_(std::move(path)), writer_(writer) {}

  void Keep(DriveNumber n, HistoryReading reading) override;
  // The serial drive `n` last read with; none before it identified itself.
  std::optional<std::string> SerialOf(DriveNumber n) const;
  const std::string& Path() const { return path_; }
  // Until the follow ends, `told` runs on the thread that hands over the
  // readings once each reading of drive `serial` that a plot shows is in
  // the file. It may end follows, its own included.
  [[nodiscard]] HistoryFollow Follow(std::string serial, std::function<void()> told);

 private:
  void Journal(const std::string& message);
  bool Followed(const std::string& serial) const;
  void Tell(const std::string& serial);

  static WorkRunner& InPlace();

  JournalLines& journal_;
  const WallClock& clock_;
  std::string path_;
  WorkRunner& writer_;
  // Touched by the writer's work only.
  std::optional<HistoryStore> store_;
  std::map<DriveNumber, std::string> serials_;
  bool failureJournalled_ = false;
  std::shared_ptr<HistoryFollowers> followers_ = std::make_shared<HistoryFollowers>();
};

// The history's reading of a summary series; its time is the recorder's.
HistoryReading SummaryHistory(const SummaryReading& reading);

}  // namespace halvoric
