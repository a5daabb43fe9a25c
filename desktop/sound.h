// SPDX-License-Identifier: GPL-3.0-or-later
// The alert sound: a WAV file played through libcanberra, which reaches
// PulseAudio, PipeWire or ALSA. The path goes to the library as a property,
// never through a shell, so any file name plays.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include "services/sound_player.h"

struct ca_context;

namespace halvoric {

class CanberraSoundPlayer final : public SoundPlayer {
 public:
  // Told once for every sound that started, when it ended or broke off.
  // Runs on libcanberra's own thread.
  using FinishHandler = std::function<void(const Result<>&)>;

  // `driver` picks a libcanberra backend ("alsa", "pulse"); empty lets the
  // library choose.
  explicit CanberraSoundPlayer(std::string driver = {}, FinishHandler onFinish = {});
  // Stops the sounds that still play.
  ~CanberraSoundPlayer() override;
  CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
  CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;

  Result<> Play(const std::string& wavPath) override;

 private:
  static void Finished(ca_context* context, std::uint32_t id, int code, void* self);
  Result<> EnsureContext();

  std::string driver_;
  FinishHandler onFinish_;
  ca_context* context_ = nullptr;
  std::mutex mutex_;
  std::uint32_t nextId_ = 1;
  std::set<std::uint32_t> playing_;  // sounds whose finish has not been told yet
};

}  // namespace halvoric
