// SPDX-License-Identifier: GPL-3.0-or-later
// Developer diagnostics: the decisions the program takes about a machine
// (which way each drive is read, the helper starting or failing, each
// fallback), for whoever finds out why a drive shows less than expected.
// Nothing happens until a program installs a sink; this file needs no Qt,
// so the privileged helper and the command-line tool can link it.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace halvoric {

enum class DiagnosticArea {
  Access,   // which way a drive is read, and each step down to a lesser way
  Helper,   // halvoric-ata: started, not started, refused, gone
  Sysfs,    // what sysfs and hwmon have for a drive read without rights
  Tray,     // which tray the desktop has, its host coming and going, balloon events
  Startup,  // each phase of the start-up as it ends; the sink adds the time
};

using DiagnosticSink = void (*)(DiagnosticArea area, std::string_view text);

// Installs `sink`, or none for nullptr; returns the sink it replaces. Safe
// to call while other threads diagnose.
DiagnosticSink SetDiagnosticSink(DiagnosticSink sink);

// Hands `text` to the installed sink, if any.
void Diagnose(DiagnosticArea area, std::string_view text);

// Diagnoses, for each key, only text that differs from what that key said
// last: a drive opened every few seconds is told about once, and again when
// something about it changes.
class ChangeDiagnostics {
 public:
  explicit ChangeDiagnostics(DiagnosticArea area) : area_(area) {}

  void Tell(unsigned key, std::string text);

 private:
  DiagnosticArea area_;
  std::map<unsigned, std::string> last_;
};

}  // namespace halvoric
