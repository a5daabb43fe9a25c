// SPDX-License-Identifier: GPL-3.0-or-later
// The program's side of the mail library: the Linux implementation of the
// Mailer seam that loads libhalvoric-sendmail.so at run time and calls its
// SendMail with the nine arguments in their fixed order.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "services/mailer.h"

namespace halvoric {

inline constexpr const char* kMailLibraryFileName = "libhalvoric-sendmail.so";

// Never null: when the library or its entry points cannot be found, the
// returned mailer fails every Send with the reason.
std::unique_ptr<Mailer> LoadMailer(const std::filesystem::path& library);

// The same, loaded at the first Send: libcurl and its TLS libraries cost
// several MiB that a program which never mails need not carry. Send may be
// called from several threads.
std::unique_ptr<Mailer> LoadMailerAtFirstSend(std::filesystem::path library);

// The library of the running executable: in its private folder once
// installed, beside it in the build tree (platform/program_files.h).
std::filesystem::path MailLibraryOfRunningExecutable();

}  // namespace halvoric
