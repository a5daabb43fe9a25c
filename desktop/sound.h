// SPDX-License-Identifier: GPL-3.0-or-later
// The alert sound: a WAV file played through libcanberra, which reaches
// PulseAudio, PipeWire or ALSA. The path goes to the library as a property,
// never through a shell, so any file name plays. The library is loaded at
// the first sound.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "services/sound_player.h"

struct ca_context;

namespace halvoric {

struct CanberraLibrary;

// The soname the system's loader finds in its usual folders.
inline constexpr const char* kCanberraLibrary = "libcanberra.so.0";

class CanberraSoundPlayer final : public SoundPlayer {
 public:
  // Told once for every sound that started, when it ended or broke off.
  // Runs on libcanberra's own thread.
  using FinishHandler = std::function<void(const Result<>&)>;

  // `driver` picks a libcanberra backend ("alsa", "pulse"); empty lets the
  // library choose. `library` names libcanberra as the system's loader
  // finds it; a Play that cannot load it fails with the reason.
  explicit CanberraSoundPlayer(std::string driver = {}, FinishHandler onFinish = {},
                               std::string library = kCanberraLibrary);
  // Stops the sounds that still play.
  ~CanberraSoundPlayer() override;
  CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
  CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;

  Result<> Play(const std::string& wavPath) override;

 private:
  static void Finished(ca_context* context, std::uint32_t id, int code, void* self);
  Result<> EnsureContext();
  Result<> CanberraFailure(const std::string& what, int code) const;

  std::string driver_;
  FinishHandler onFinish_;
  std::string libraryName_;
  std::unique_ptr<const CanberraLibrary> ca_;  // loaded at the first Play
  ca_context* context_ = nullptr;
  std::mutex mutex_;
  std::uint32_t nextId_ = 1;
  std::set<std::uint32_t> playing_;  // sounds whose finish has not been told yet
};

}  // namespace halvoric
