// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/full_transfer.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace halvoric {
namespace {

// Both ends of a pipe, closed on the way out.
struct Pipe {
  int Read = -1;
  int Write = -1;
  Pipe() {
    int fds[2];
    if (::pipe(fds) == 0) {
      Read = fds[0];
      Write = fds[1];
    }
  }
  ~Pipe() {
    CloseWriter();
    if (Read >= 0) ::close(Read);
  }
  void CloseWriter() {
    if (Write >= 0) ::close(Write);
    Write = -1;
  }
};

struct ReadCase {
  const char* name;
  std::string written;  // what is in the pipe before the read
  bool writerClosed;    // end of input after it
  std::size_t wanted;
  std::size_t perCall;  // the most one read(2) may take, to force short reads
  std::size_t moved;
  bool atEnd;
};

TEST(TransferFully, ReadsUntilEverythingOrTheEndOfInput) {
  const ReadCase cases[] = {
      {"in one call", "abcdefgh", false, 8, 8, 8, false},
      {"in short reads", "abcdefgh", false, 8, 3, 8, false},
      {"in one-byte reads", "abcdefgh", false, 8, 1, 8, false},
      {"leaving the rest", "abcdefgh", false, 5, 2, 5, false},
      {"nothing wanted", "", false, 0, 8, 0, false},
      {"end of input first", "", true, 8, 8, 0, true},
      {"end of input midway", "abc", true, 8, 2, 3, true},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    Pipe pipe;
    ASSERT_GE(pipe.Read, 0);
    ASSERT_EQ(::write(pipe.Write, c.written.data(), c.written.size()),
              static_cast<ssize_t>(c.written.size()));
    if (c.writerClosed) pipe.CloseWriter();
    std::string buffer(c.wanted, '\0');
    const Transfer t = TransferFully(c.wanted, [&](std::size_t offset, std::size_t count) {
      return ::read(pipe.Read, buffer.data() + offset, std::min(count, c.perCall));
    });
    EXPECT_EQ(t.Moved, c.moved);
    EXPECT_EQ(t.AtEnd, c.atEnd);
    EXPECT_EQ(t.Error, 0);
    EXPECT_EQ(t.Complete(), !c.atEnd);
    EXPECT_EQ(buffer.substr(0, t.Moved), c.written.substr(0, t.Moved));
  }
}

TEST(TransferFully, WritesInShortPiecesInOrder) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  const std::string text = "the whole request";
  const Transfer t = TransferFully(text.size(), [&](std::size_t offset, std::size_t count) {
    return ::send(fds[0], text.data() + offset, std::min<std::size_t>(count, 4), MSG_NOSIGNAL);
  });
  EXPECT_TRUE(t.Complete());
  EXPECT_EQ(t.Moved, text.size());
  std::string received(text.size(), '\0');
  EXPECT_EQ(::recv(fds[1], received.data(), received.size(), MSG_WAITALL),
            static_cast<ssize_t>(text.size()));
  EXPECT_EQ(received, text);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(TransferFully, StopsAtAFailureWithItsErrno) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  ::close(fds[1]);
  int calls = 0;
  const char byte = 'x';
  const Transfer t = TransferFully(1, [&](std::size_t, std::size_t count) {
    ++calls;
    return ::send(fds[0], &byte, count, MSG_NOSIGNAL);
  });
  EXPECT_FALSE(t.Complete());
  EXPECT_FALSE(t.AtEnd);
  EXPECT_EQ(t.Error, EPIPE);
  EXPECT_EQ(t.Moved, 0u);
  EXPECT_EQ(calls, 1);
  ::close(fds[0]);
}

std::atomic<int> signalsCaught{0};
void CountSignal(int) { ++signalsCaught; }

// A signal that arrives while read(2) waits makes it fail with EINTR (the
// handler is installed without SA_RESTART); the transfer reads on.
TEST(TransferFully, ReadsOnAfterASignal) {
  struct sigaction counting {};
  counting.sa_handler = CountSignal;
  sigemptyset(&counting.sa_mask);
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGUSR1, &counting, &previous), 0);

  Pipe pipe;
  ASSERT_GE(pipe.Read, 0);
  std::atomic<int> interrupted{0};
  char buffer[4] = {};
  Transfer t;
  std::thread reader([&] {
    t = TransferFully(sizeof buffer, [&](std::size_t offset, std::size_t count) {
      const ssize_t n = ::read(pipe.Read, buffer + offset, count);
      if (n < 0 && errno == EINTR) ++interrupted;
      return n;
    });
  });
  // A signal sent before the reader waits in read(2) interrupts nothing, so
  // keep sending until one did.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (interrupted == 0 && std::chrono::steady_clock::now() < deadline) {
    ::pthread_kill(reader.native_handle(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Two writes, so the reader may also have to put two reads together.
  EXPECT_EQ(::write(pipe.Write, "ab", 2), 2);
  EXPECT_EQ(::write(pipe.Write, "cd", 2), 2);
  reader.join();
  ::sigaction(SIGUSR1, &previous, nullptr);

  EXPECT_GT(interrupted, 0);
  EXPECT_GT(signalsCaught, 0);
  EXPECT_TRUE(t.Complete());
  EXPECT_EQ(std::string(buffer, sizeof buffer), "abcd");
}

}  // namespace
}  // namespace halvoric
