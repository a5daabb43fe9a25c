// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/sound.h"

#include <canberra.h>

#include <memory>

#include "desktop/sound_backend_pin.h"

namespace halvoric {
namespace {

struct ProplistDeleter {
  void operator()(ca_proplist* list) const { ca_proplist_destroy(list); }
};

Result<> CanberraFailure(const std::string& what, int code) {
  return Failure{what + ": " + ca_strerror(code)};
}

}  // namespace

CanberraSoundPlayer::CanberraSoundPlayer(std::string driver, FinishHandler onFinish)
    : driver_(std::move(driver)), onFinish_(std::move(onFinish)) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
  if (context_ != nullptr) ca_context_destroy(context_);
}

Result<> CanberraSoundPlayer::EnsureContext() {
  if (context_ != nullptr) return Result<>::Done();
  int code = ca_context_create(&context_);
  if (code != CA_SUCCESS) return CanberraFailure("No sound output", code);
  if (!driver_.empty()) code = ca_context_set_driver(context_, driver_.c_str());
  if (code == CA_SUCCESS) {
    code = ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Halvoric", nullptr);
  }
  // Opening now loads the backend, so that it can be pinned before any sound.
  if (code == CA_SUCCESS) code = ca_context_open(context_);
  if (code != CA_SUCCESS) {
    ca_context_destroy(context_);
    context_ = nullptr;
    return CanberraFailure("No sound output", code);
  }
  PinLoadedSoundBackends();
  return Result<>::Done();
}

Result<> CanberraSoundPlayer::Play(const std::string& wavPath) {
  std::uint32_t id = 0;
  {
    std::lock_guard lock(mutex_);
    const Result<> ready = EnsureContext();
    if (!ready.Ok()) return ready;
    id = nextId_++;
    playing_.insert(id);
  }
  ca_proplist* raw = nullptr;
  int code = ca_proplist_create(&raw);
  std::unique_ptr<ca_proplist, ProplistDeleter> properties(raw);
  if (code == CA_SUCCESS) code = ca_proplist_sets(raw, CA_PROP_MEDIA_FILENAME, wavPath.c_str());
  // The user may replace the file under the same name; a sound server must
  // not keep playing the old one from its cache.
  if (code == CA_SUCCESS) code = ca_proplist_sets(raw, CA_PROP_CANBERRA_CACHE_CONTROL, "never");
  if (code == CA_SUCCESS) code = ca_context_play_full(context_, id, raw, &Finished, this);
  if (code == CA_SUCCESS) return Result<>::Done();

  std::lock_guard lock(mutex_);
  playing_.erase(id);
  return CanberraFailure("Cannot play " + wavPath, code);
}

void CanberraSoundPlayer::Finished(ca_context*, std::uint32_t id, int code, void* self) {
  auto* player = static_cast<CanberraSoundPlayer*>(self);
  {
    // Some backends report a sound more than once; only the first counts.
    std::lock_guard lock(player->mutex_);
    if (player->playing_.erase(id) == 0) return;
  }
  if (!player->onFinish_) return;
  player->onFinish_(code == CA_SUCCESS ? Result<>::Done()
                                       : CanberraFailure("Sound broke off", code));
}

}  // namespace halvoric
