// SPDX-License-Identifier: GPL-3.0-or-later
// CanberraSoundPlayer through libcanberra's ALSA backend into ALSA's file
// plugin: the test's own .asoundrc makes the default output a named pipe,
// which must carry exactly the samples of the WAV that was played. The pipe
// also holds the sound back until the test reads it, so a Play that returned
// before the reading began cannot have waited for the sound's end.
#include "desktop/sound.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <future>
#include <thread>

#include "tests/base/temp_files.h"

namespace halvoric {
namespace {

constexpr std::uint32_t kRate = 22050;
constexpr std::uint16_t kChannels = 2;
constexpr std::uint32_t kFrames = kRate * 2;  // more than a pipe buffer holds

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// 16-bit stereo PCM whose every sample differs from its neighbours, so that
// a lost, doubled or swapped frame shows.
std::string Samples() {
  std::string data;
  for (std::uint32_t frame = 0; frame < kFrames; ++frame) {
    PutLe(data, (frame * 7) & 0xFFFF, 2);
    PutLe(data, (0x8000 + frame * 13) & 0xFFFF, 2);
  }
  return data;
}

std::string Wav(const std::string& data) {
  std::string wav = "RIFF";
  PutLe(wav, 36 + static_cast<std::uint32_t>(data.size()), 4);
  wav += "WAVEfmt ";
  PutLe(wav, 16, 4);
  PutLe(wav, 1, 2);  // PCM
  PutLe(wav, kChannels, 2);
  PutLe(wav, kRate, 4);
  PutLe(wav, kRate * kChannels * 2, 4);
  PutLe(wav, kChannels * 2, 2);
  PutLe(wav, 16, 2);
  wav += "data";
  PutLe(wav, static_cast<std::uint32_t>(data.size()), 4);
  return wav + data;
}

// The reading end of the capture pipe, open before the player writes to it.
class PipeReader {
 public:
  explicit PipeReader(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK)) {}
  ~PipeReader() { ::close(fd_); }
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;

  // Everything written until the writer closed the pipe.
  std::string ReadToEnd() {
    std::string data;
    char buffer[65536];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      const ssize_t got = ::read(fd_, buffer, sizeof buffer);
      if (got > 0) {
        data.append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 && !data.empty()) {
        break;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    return data;
  }

 private:
  int fd_;
};

class CanberraSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A failed test closes the pipe first; the blocked writer must then fail
    // with EPIPE instead of ending the test program.
    std::signal(SIGPIPE, SIG_IGN);
    // ALSA reads ~/.asoundrc when it first loads its configuration.
    ::setenv("HOME", dir_.Path().c_str(), 1);
    testing::WriteFile(dir_.File(".asoundrc"),
                       "pcm.!default {\n"
                       "  type file\n"
                       "  slave.pcm \"null\"\n"
                       "  file \"" +
                           Captured() +
                           "\"\n"
                           "  format \"raw\"\n"
                           "}\n");
  }

  std::string Captured() const { return dir_.File("captured.raw"); }

  testing::TempDir dir_;
};

bool CanberraLoaded() { return ::dlopen(kCanberraLibrary, RTLD_NOW | RTLD_NOLOAD) != nullptr; }

TEST_F(CanberraSoundTest, AnyPathPlaysItsSamplesWhileTheCallReturnsAtOnce) {
  // The library comes with the first sound, not with the player.
  EXPECT_FALSE(CanberraLoaded());
  const std::string samples = Samples();
  const std::string names[] = {
      "alert.wav",
      "my sounds/it's \"hot\" $HOME `x`.wav",
      "; rm -rf nothing & echo.wav",
  };
  for (const std::string& name : names) {
    const std::filesystem::path wav = dir_.Path() / name;
    std::filesystem::create_directories(wav.parent_path());
    testing::WriteFile(wav.string(), Wav(samples));
    std::filesystem::remove(Captured());
    ASSERT_EQ(::mkfifo(Captured().c_str(), 0600), 0);

    std::promise<Result<>> finished;
    auto done = finished.get_future();
    CanberraSoundPlayer player("alsa", [&](const Result<>& o) { finished.set_value(o); });
    PipeReader capture(Captured());
    const Result<> started = player.Play(wav.string());
    ASSERT_TRUE(started.Ok()) << name << ": " << started.Message;
    EXPECT_TRUE(CanberraLoaded());
    EXPECT_EQ(done.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout)
        << name << ": the sound ended before anyone heard it";

    EXPECT_EQ(capture.ReadToEnd(), samples) << name;
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready) << name;
    const Result<> outcome = done.get();
    EXPECT_TRUE(outcome.Ok()) << outcome.Message;
  }
}

TEST_F(CanberraSoundTest, MissingOrBrokenFileFailsAtOnceWithTheReason) {
  testing::WriteFile(dir_.File("not a wave.wav"), "RIFF but nothing else");
  const struct {
    std::string Path;
    std::string Error;
  } cases[] = {
      {dir_.File("absent.wav"),
       "Cannot play " + dir_.File("absent.wav") + ": File or data not found"},
      {dir_.File("not a wave.wav"), "Cannot play " + dir_.File("not a wave.wav") + ": "},
  };
  int finishes = 0;
  {
    CanberraSoundPlayer player("alsa", [&](const Result<>&) { ++finishes; });
    for (const auto& c : cases) {
      const Result<> started = player.Play(c.Path);
      EXPECT_FALSE(started.Ok());
      EXPECT_EQ(started.Message.rfind(c.Error, 0), 0u) << started.Message;
    }
  }
  EXPECT_EQ(finishes, 0);
}

TEST_F(CanberraSoundTest, UnknownDriverIsReportedOnPlay) {
  testing::WriteFile(dir_.File("alert.wav"), Wav(Samples()));
  CanberraSoundPlayer player("no-such-backend");
  const Result<> started = player.Play(dir_.File("alert.wav"));
  EXPECT_FALSE(started.Ok());
  EXPECT_FALSE(started.Message.empty());
}

TEST_F(CanberraSoundTest, LibraryMissingOrNotCanberraIsReportedOnEveryPlay) {
  testing::WriteFile(dir_.File("alert.wav"), Wav(Samples()));
  const struct {
    std::string Library;
    std::string Error;
  } cases[] = {
      {"libhalvoric-no-such-sound.so.0",
       "The sound library libhalvoric-no-such-sound.so.0 could not be loaded: "
       "libhalvoric-no-such-sound.so.0: cannot open shared object file"},
      {"libm.so.6", "The sound library libm.so.6 has no ca_context_create"},
  };
  for (const auto& c : cases) {
    CanberraSoundPlayer player("alsa", {}, c.Library);
    for (int attempt = 0; attempt < 2; ++attempt) {
      const Result<> started = player.Play(dir_.File("alert.wav"));
      EXPECT_FALSE(started.Ok());
      EXPECT_EQ(started.Message.rfind(c.Error, 0), 0u) << started.Message;
    }
  }
}

}  // namespace
}  // namespace halvoric
