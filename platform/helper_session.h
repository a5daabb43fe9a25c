// The privileged helper's whole behaviour apart from process set-up: reading
// fixed-size requests, checking each, and answering from one whole disk.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "platform/helper_protocol.h"
#include "platform/sg_io.h"

namespace halvoric {

class HelperSession {
 public:
  // Without `rawIo` (the right to send ATA commands) every open is answered
  // PermissionDenied. `afterOpen` runs once the disk is open (or its open
  // failed), so the caller can give up the rights that only the open needed.
  HelperSession(std::filesystem::path sysfsRoot, std::filesystem::path devRoot, SgIo& sgIo,
                bool rawIo, std::function<void()> afterOpen);
  ~HelperSession();
  HelperSession(const HelperSession&) = delete;
  HelperSession& operator=(const HelperSession&) = delete;

  // The answer to one request. A refused request gets HelperStatus::Refused
  // and `problem` says why; nothing reached the device then.
  HelperReply Answer(const HelperRequest& request, std::string& problem);

 private:
  HelperReply Open(const HelperRequest& request, std::string& problem);
  HelperReply Control(const HelperRequest& request, std::string& problem);

  std::filesystem::path sysfsRoot_;
  std::filesystem::path devRoot_;
  SgIo& sgIo_;
  bool rawIo_;
  std::function<void()> afterOpen_;
  bool openTried_ = false;
  int fd_ = -1;
  unsigned driveNumber_ = 0;
};

inline constexpr int kHelperExitOk = 0;
inline constexpr int kHelperExitRefused = 1;

// Answers requests from `in` on `out` until end of input. The first refusal
// or malformed request is reported on `err` and ends the session.
int ServeHelper(HelperSession& session, int in, int out, std::ostream& err);

}  // namespace halvoric
