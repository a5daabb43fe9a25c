// SPDX-License-Identifier: GPL-3.0-or-later
#include "disks/helper_disk_control.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/diagnostics.h"
#include "base/full_transfer.h"
#include "drive/drive_number.h"
#include "drive/helper_protocol.h"

namespace halvoric {
namespace {

// A socket rather than pipes: a helper that died must give us an error on
// send, not a SIGPIPE that ends the whole program.
bool SendAll(int socket, const void* buffer, std::size_t size) {
  const auto send = [&](std::size_t offset, std::size_t count) {
    return ::send(socket, static_cast<const char*>(buffer) + offset, count, MSG_NOSIGNAL);
  };
  return TransferFully(size, send).Complete();
}

// Waits no longer than `timeout` for the whole reply: a helper stuck on a
// drive must not hold up the series for good.
bool ReceiveAll(int socket, void* buffer, std::size_t size, std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point due = Clock::now() + timeout;
  const auto receive = [&](std::size_t offset, std::size_t count) -> ssize_t {
    for (;;) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
      pollfd ready{socket, POLLIN, 0};
      const int polled = left > 0 ? ::poll(&ready, 1, static_cast<int>(left)) : 0;
      if (polled < 0 && errno == EINTR) continue;
      if (polled <= 0) {
        if (polled == 0) errno = ETIMEDOUT;
        return -1;
      }
      return ::recv(socket, static_cast<char*>(buffer) + offset, count, 0);
    }
  };
  return TransferFully(size, receive).Complete();
}

bool Exchange(int socket, const HelperRequest& request, HelperReply& reply,
              std::chrono::milliseconds timeout) {
  return SendAll(socket, &request, sizeof request) &&
         ReceiveAll(socket, &reply, sizeof reply, timeout) && reply.Magic == kHelperReplyMagic &&
         reply.OutSize <= sizeof reply.Out;
}

const char* StatusText(std::uint32_t status) {
  switch (static_cast<HelperStatus>(status)) {
    case HelperStatus::Ok:
      return "done";
    case HelperStatus::RequestFailed:
      return "the request failed";
    case HelperStatus::Refused:
      return "refused";
    case HelperStatus::NotFound:
      return "no such disk";
    case HelperStatus::PermissionDenied:
      return "no right to the disk";
    case HelperStatus::OpenFailed:
      return "the open failed";
  }
  return "an unknown answer";
}

OpenError ErrorOf(std::uint32_t status) {
  switch (static_cast<HelperStatus>(status)) {
    case HelperStatus::NotFound:
      return OpenError::NotFound;
    case HelperStatus::PermissionDenied:
      return OpenError::PermissionDenied;
    default:
      return OpenError::Other;
  }
}

}  // namespace

HelperDiskControl::HelperDiskControl(std::vector<std::string> command,
                                     std::chrono::milliseconds replyTimeout)
    : command_(std::move(command)), replyTimeout_(replyTimeout) {}

HelperDiskControl::~HelperDiskControl() {
  for (const auto& [handle, helper] : helpers_) Stop(helper);
  ReapEnded();
}

OpenResult HelperDiskControl::Open(const std::string& path) {
  const std::optional<DriveNumber> driveNumber = ParseDrivePath(path);
  if (!driveNumber) return {OpenError::NotFound, "not a drive path: " + path};
  const std::string drive = "drive " + std::to_string(*driveNumber);
  ReapEnded();
  int sockets[2];
  if (command_.empty() || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
    const std::string why = command_.empty() ? "no command" : std::strerror(errno);
    Diagnose(DiagnosticArea::Helper, "no helper started for " + drive + ": " + why);
    return {OpenError::Other, "cannot talk to the helper"};
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, sockets[1], STDOUT_FILENO);
  std::vector<char*> argv;
  for (std::string& word : command_) argv.push_back(word.data());
  argv.push_back(nullptr);
  char* noEnvironment[] = {nullptr};
  Helper helper;
  const int spawnError =
      posix_spawn(&helper.Pid, argv[0], &actions, nullptr, argv.data(), noEnvironment);
  posix_spawn_file_actions_destroy(&actions);
  ::close(sockets[1]);
  helper.Socket = sockets[0];
  if (spawnError != 0) {
    ::close(helper.Socket);
    const std::string why = command_[0] + ": " + std::strerror(spawnError);
    Diagnose(DiagnosticArea::Helper, "cannot start " + why);
    return {OpenError::Other, why};
  }
  const std::string started = command_[0] + " (pid " + std::to_string(helper.Pid) + ")";
  Diagnose(DiagnosticArea::Helper, "started " + started + " for " + drive);

  HelperRequest request{};
  request.Magic = kHelperRequestMagic;
  request.Operation = kHelperOpen;
  request.DriveNumber = *driveNumber;
  HelperReply reply{};
  if (!Exchange(helper.Socket, request, reply, replyTimeout_)) {
    End(helper, "did not answer the open of " + drive);
    return {OpenError::Other, "the helper did not answer"};
  }
  if (reply.Status != static_cast<std::uint32_t>(HelperStatus::Ok)) {
    Diagnose(DiagnosticArea::Helper,
             started + " did not open " + drive + ": " + StatusText(reply.Status));
    Stop(helper);
    const OpenError kind = ErrorOf(reply.Status);
    return {kind, kind == OpenError::PermissionDenied
                      ? "halvoric-ata is not installed with its capability"
                      : "halvoric-ata could not open drive " + std::to_string(*driveNumber)};
  }
  const DeviceHandle handle = nextHandle_++;
  helpers_[handle] = helper;
  return handle;
}

bool HelperDiskControl::Control(DeviceHandle handle, std::uint32_t code, const void* in,
                                std::size_t inSize, void* out, std::size_t outSize) {
  const auto found = helpers_.find(handle);
  if (found == helpers_.end() || out == nullptr || outSize > kHelperMaxOut) return false;
  HelperRequest request{};
  request.Magic = kHelperRequestMagic;
  request.Operation = code;
  request.OutSize = static_cast<std::uint32_t>(outSize);
  if (code != SMART_GET_VERSION) {
    if (in == nullptr || inSize != sizeof request.Ata) return false;
    std::memcpy(&request.Ata, in, sizeof request.Ata);
  } else if (inSize != 0) {
    return false;
  }
  HelperReply reply{};
  if (!Exchange(found->second.Socket, request, reply, replyTimeout_)) {
    // Later requests of the series fail at once instead of waiting again.
    End(found->second, "did not answer a request");
    helpers_.erase(found);
    return false;
  }
  std::memcpy(out, reply.Out, std::min<std::size_t>(reply.OutSize, outSize));
  return reply.Status == static_cast<std::uint32_t>(HelperStatus::Ok);
}

void HelperDiskControl::Close(DeviceHandle handle) {
  const auto found = helpers_.find(handle);
  if (found == helpers_.end()) return;
  Stop(found->second);
  helpers_.erase(found);
}

void HelperDiskControl::Stop(const Helper& helper) {
  // End of input ends the helper; wait so no zombie is left behind.
  ::close(helper.Socket);
  int status = 0;
  pid_t waited = -1;
  while ((waited = ::waitpid(helper.Pid, &status, 0)) < 0 && errno == EINTR) {
  }
  if (waited == helper.Pid) ReportEnd(helper.Pid, status);
}

void HelperDiskControl::End(const Helper& helper, const std::string& why) {
  Diagnose(DiagnosticArea::Helper,
           "halvoric-ata (pid " + std::to_string(helper.Pid) + ") " + why + "; ending it");
  ::kill(helper.Pid, SIGKILL);
  ::close(helper.Socket);
  // A helper inside a drive request ends only when the kernel gives the
  // request up, which for a drive being reset can take minutes: it is
  // waited for later instead of now.
  unreaped_.push_back(helper.Pid);
  ReapEnded();
}

void HelperDiskControl::ReapEnded() {
  std::erase_if(unreaped_, [](pid_t pid) {
    int status = 0;
    pid_t waited = -1;
    while ((waited = ::waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    if (waited == pid) ReportEnd(pid, status);
    return waited != 0;
  });
}

void HelperDiskControl::ReportEnd(pid_t pid, int status) {
  const std::string ended = "halvoric-ata (pid " + std::to_string(pid) + ")";
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    Diagnose(DiagnosticArea::Helper,
             ended + " ended with exit status " + std::to_string(WEXITSTATUS(status)));
  } else if (WIFSIGNALED(status)) {
    Diagnose(DiagnosticArea::Helper,
             ended + " was ended by signal " + std::to_string(WTERMSIG(status)));
  }
}

std::filesystem::path HelperBesideExecutable() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return self.parent_path() / "halvoric-ata";
}

}  // namespace halvoric
