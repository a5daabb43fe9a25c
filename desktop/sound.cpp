// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/sound.h"

#include <memory>

#include "desktop/canberra_library.h"
#include "desktop/sound_backend_pin.h"

namespace halvoric {

CanberraSoundPlayer::CanberraSoundPlayer(std::string driver, FinishHandler onFinish,
                                         std::string library)
    : driver_(std::move(driver)),
      onFinish_(std::move(onFinish)),
      libraryName_(std::move(library)) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
  if (context_ != nullptr) ca_->ContextDestroy(context_);
}

Result<> CanberraSoundPlayer::CanberraFailure(const std::string& what, int code) const {
  return Failure{what + ": " + ca_->StrError(code)};
}

Result<> CanberraSoundPlayer::EnsureContext() {
  if (context_ != nullptr) return Result<>::Done();
  if (!ca_) {
    Result<CanberraLibrary> loaded = LoadCanberraLibrary(libraryName_);
    if (!loaded.Ok()) return Failure{std::move(loaded.Message)};
    ca_ = std::make_unique<const CanberraLibrary>(*loaded);
  }
  int code = ca_->ContextCreate(&context_);
  if (code != CA_SUCCESS) return CanberraFailure("No sound output", code);
  if (!driver_.empty()) code = ca_->ContextSetDriver(context_, driver_.c_str());
  if (code == CA_SUCCESS) {
    code = ca_->ContextChangeProps(context_, CA_PROP_APPLICATION_NAME, "Halvoric", nullptr);
  }
  // Opening now loads the backend, so that it can be pinned before any sound.
  if (code == CA_SUCCESS) code = ca_->ContextOpen(context_);
  if (code != CA_SUCCESS) {
    ca_->ContextDestroy(context_);
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
  const auto destroy = [this](ca_proplist* list) { ca_->ProplistDestroy(list); };
  ca_proplist* raw = nullptr;
  int code = ca_->ProplistCreate(&raw);
  std::unique_ptr<ca_proplist, decltype(destroy)> properties(raw, destroy);
  if (code == CA_SUCCESS) code = ca_->ProplistSets(raw, CA_PROP_MEDIA_FILENAME, wavPath.c_str());
  // The user may replace the file under the same name; a sound server must
  // not keep playing the old one from its cache.
  if (code == CA_SUCCESS) code = ca_->ProplistSets(raw, CA_PROP_CANBERRA_CACHE_CONTROL, "never");
  if (code == CA_SUCCESS) code = ca_->ContextPlayFull(context_, id, raw, &Finished, this);
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
                                       : player->CanberraFailure("Sound broke off", code));
}

}  // namespace halvoric
