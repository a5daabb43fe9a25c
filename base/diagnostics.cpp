// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/diagnostics.h"

#include <atomic>
#include <utility>

namespace halvoric {
namespace {

std::atomic<DiagnosticSink> installed{nullptr};

}  // namespace

DiagnosticSink SetDiagnosticSink(DiagnosticSink sink) { return installed.exchange(sink); }

void Diagnose(DiagnosticArea area, std::string_view text) {
  if (const DiagnosticSink sink = installed.load()) sink(area, text);
}

void ChangeDiagnostics::Tell(unsigned key, std::string text) {
  std::string& last = last_[key];
  if (last == text) return;
  Diagnose(area_, text);
  last = std::move(text);
}

}  // namespace halvoric
