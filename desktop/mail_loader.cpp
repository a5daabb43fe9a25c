// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/mail_loader.h"

#include <dlfcn.h>

#include <mutex>

#include "desktop/program_files.h"

namespace halvoric {
namespace {

using SendMailEntry = int (*)(char**, const char*, const char*, int, int, const char*, const char*,
                              int, int);
using FreeTextEntry = void (*)(char*);

class LoadedMailer final : public Mailer {
 public:
  LoadedMailer(SendMailEntry send, FreeTextEntry freeText) : send_(send), freeText_(freeText) {}

  Result<> Send(const MailArguments& mail) override {
    char* error = nullptr;
    const int accepted =
        send_(&error, mail.Sender.c_str(), mail.Recipient.c_str(), mail.Reserved4, mail.Reserved5,
              mail.Subject.c_str(), mail.Body.c_str(), mail.Reserved8, mail.Reserved9);
    std::string text = error != nullptr ? error : "";
    freeText_(error);
    if (accepted != 0) return Result<>::Done();
    return Failure{text.empty() ? "The mail library did not send the mail." : text};
  }

 private:
  SendMailEntry send_;
  FreeTextEntry freeText_;
};

class UnavailableMailer final : public Mailer {
 public:
  explicit UnavailableMailer(std::string reason) : reason_(std::move(reason)) {}
  Result<> Send(const MailArguments&) override { return Failure{reason_}; }

 private:
  std::string reason_;
};

class MailerLoadedAtFirstSend final : public Mailer {
 public:
  explicit MailerLoadedAtFirstSend(std::filesystem::path library) : library_(std::move(library)) {}

  Result<> Send(const MailArguments& mail) override {
    std::call_once(loaded_, [this] { mailer_ = LoadMailer(library_); });
    return mailer_->Send(mail);
  }

 private:
  std::filesystem::path library_;
  std::once_flag loaded_;
  std::unique_ptr<Mailer> mailer_;
};

std::string LastLoaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown reason";
}

}  // namespace

std::unique_ptr<Mailer> LoadMailer(const std::filesystem::path& library) {
  const std::string name = "The mail library " + library.string();
  // Never unloaded: libcurl and OpenSSL keep process-wide state that must
  // outlive any one mailer.
  // A name without a folder would make dlopen search the system's library
  // folders and load whatever carries that name.
  if (!library.has_parent_path()) {
    return std::make_unique<UnavailableMailer>(name +
                                               " could not be found: the program's own "
                                               "folder is unknown");
  }
  const Result<void*> loaded = LoadProgramLibrary(library, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!loaded.Ok()) {
    return std::make_unique<UnavailableMailer>(name + " could not be loaded: " + loaded.Message);
  }
  void* handle = *loaded;
  for (const char* entry : {"SendMail", "SendMail_FreeText"}) {
    if (dlsym(handle, entry) == nullptr) {
      std::string reason = name + " has no " + entry + ": " + LastLoaderError();
      dlclose(handle);
      return std::make_unique<UnavailableMailer>(std::move(reason));
    }
  }
  return std::make_unique<LoadedMailer>(
      reinterpret_cast<SendMailEntry>(dlsym(handle, "SendMail")),
      reinterpret_cast<FreeTextEntry>(dlsym(handle, "SendMail_FreeText")));
}

std::unique_ptr<Mailer> LoadMailerAtFirstSend(std::filesystem::path library) {
  return std::make_unique<MailerLoadedAtFirstSend>(std::move(library));
}

std::filesystem::path MailLibraryOfRunningExecutable() {
  return ProgramFileOfRunningExecutable(kLibraryFolder, kMailLibraryFileName);
}

}  // namespace halvoric
