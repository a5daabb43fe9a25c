// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/prometheus_text.h"

#include "base/utf8.h"
#include "report/prometheus_exposition.h"

namespace halvoric {
namespace exposition {

void Exposition::Family(const char* name, const char* help, const char* type,
                        const std::function<void()>& samples) {
  name_ = name;
  text_ += std::string("# HELP ") + name + " " + help + "\n";
  text_ += std::string("# TYPE ") + name + " " + type + "\n";
  samples();
}

void Exposition::Sample(const Labels& labels, const std::string& value) {
  text_ += name_;
  if (!labels.empty()) {
    text_ += '{';
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (i) text_ += ',';
      text_ += labels[i].first + "=\"" + EscapeLabelValue(labels[i].second) + '"';
    }
    text_ += '}';
  }
  text_ += ' ' + value + '\n';
}

bool Awake(const LabelledRecord& drive) {
  return drive.Record.OpenFailure == OpenError::None && !drive.Record.LeftAsleep;
}

bool TableRead(const LabelledRecord& drive) {
  return drive.Record.OpenFailure == OpenError::None && drive.Record.SmartRead;
}

}  // namespace exposition

std::string SimulatedDeviceName(DriveNumber n) { return "sim" + std::to_string(n); }

std::string EscapeLabelValue(std::string_view value) {
  std::string escaped;
  escaped.reserve(value.size());
  for (std::size_t at = 0; at < value.size();) {
    const std::size_t length = Utf8SequenceAt(value, at);
    if (length == 0) {
      escaped += "\xEF\xBF\xBD";
      ++at;
      continue;
    }
    const char c = value[at];
    if (c == '\\') {
      escaped += "\\\\";
    } else if (c == '"') {
      escaped += "\\\"";
    } else if (c == '\n') {
      escaped += "\\n";
    } else {
      escaped.append(value.substr(at, length));
    }
    at += length;
  }
  return escaped;
}

std::string PrometheusText(const std::vector<LabelledRecord>& drives) {
  exposition::Exposition out;
  const exposition::EachDrive each = [&drives](const auto& add) {
    for (const LabelledRecord& drive : drives) add(drive);
  };
  exposition::AddSmartctlFamilies(out, each, drives.size());
  exposition::AddHalvoricFamilies(out, each);
  return out.Take();
}

}  // namespace halvoric
