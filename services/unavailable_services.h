// Stand-ins for the services the program cannot reach yet on this desktop.
// Each reports failure and does nothing else.
#pragma once

#include "services/autostart.h"
#include "services/mailer.h"
#include "services/power.h"
#include "services/sound.h"

namespace halvoric {

class NoAutostart final : public Autostart {
 public:
  bool Enable() override { return false; }
  bool Disable() override { return false; }
};

class NoMailer final : public Mailer {
 public:
  MailResult Send(const MailMessage&) override { return {false, "Mail is not available."}; }
};

class NoSound final : public Sound {
 public:
  void Play(const std::string&) override {}
};

class NoPower final : public Power {
 public:
  bool Hibernate() override { return false; }
};

}  // namespace halvoric
