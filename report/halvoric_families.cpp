// SPDX-License-Identifier: GPL-3.0-or-later
// The families of what is ours: the verdict and its reasons, the power
// mode, the drive's own temperature limits, a self-test under way and what
// could not be read.
#include "report/prometheus_exposition.h"

namespace halvoric::exposition {
namespace {

// Judged rows: an ATA row with its value and threshold both reported; every
// row of an NVMe table, which NVMe's own rules judge.
bool Judged(const DriveRecord& record, const AttributeRecord& attribute) {
  return record.Source == TableSource::Nvme || (attribute.Value && attribute.Threshold);
}

// 0 OK, 1 WARN, 2 BAD, 3 N/A: worse is higher, so max() over drives is the
// worst of them.
int VerdictCode(Status health) {
  switch (health) {
    case Status::Ok:
      return 0;
    case Status::Warn:
      return 1;
    case Status::Bad:
      return 2;
    case Status::Unknown:
      break;
  }
  return 3;
}

void AddVerdict(Exposition& out, const EachDrive& each) {
  out.Family("halvoric_drive_verdict",
             "The drive's verdict, as the drive list shows it: 0 OK, 1 WARN, 2 BAD, 3 N/A "
             "(nothing could be read to judge it by)",
             "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 if (d.Record.OpenFailure == OpenError::NotFound) return;
                 const Status health = TableRead(d) ? d.Record.Summary.Health : Status::Unknown;
                 out.Sample({{"device", d.Device}}, std::to_string(VerdictCode(health)));
               });
             });
  out.Family("halvoric_drive_verdict_reason",
             "1 for each reason the verdict gives, worst first by the order label", "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 if (!TableRead(d)) return;
                 const auto& reasons = d.Record.Summary.Reasons;
                 for (std::size_t i = 0; i < reasons.size(); ++i) {
                   out.Sample(
                       {{"device", d.Device}, {"order", std::to_string(i)}, {"reason", reasons[i]}},
                       "1");
                 }
               });
             });
}

void AddLimitsAndSelfTest(Exposition& out, const EachDrive& each) {
  out.Family("halvoric_drive_temperature_limit_celsius",
             "The temperature limits the drive names itself (NVMe WCTEMP and CCTEMP, else "
             "the kernel's hwmon)",
             "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 if (!Awake(d)) return;
                 if (d.Record.DriveWarning) {
                   out.Sample({{"device", d.Device}, {"limit", "warning"}},
                              Number(std::int64_t{*d.Record.DriveWarning}));
                 }
                 if (d.Record.DriveCritical) {
                   out.Sample({{"device", d.Device}, {"limit", "critical"}},
                              Number(std::int64_t{*d.Record.DriveCritical}));
                 }
               });
             });
  out.Family("halvoric_drive_self_test_running",
             "1 while the drive runs a self-test, 0 when it runs none; absent where the drive "
             "does not say",
             "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 const auto& state = d.Record.Logs.SelfTest;
                 if (!state) return;
                 out.Sample(
                     {{"device", d.Device}, {"self_test_type", state->Running ? state->Kind : ""}},
                     state->Running ? "1" : "0");
               });
             });
  out.Family("halvoric_drive_self_test_remaining_percent",
             "What is left of the self-test under way, percent", "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 const auto& state = d.Record.Logs.SelfTest;
                 if (!state || !state->Running || !state->PercentLeft) return;
                 out.Sample({{"device", d.Device}, {"self_test_type", state->Kind}},
                            std::to_string(*state->PercentLeft));
               });
             });
}

}  // namespace

void AddHalvoricFamilies(Exposition& out, const EachDrive& each) {
  out.Family(
      "halvoric_drive_power_mode",
      "Power mode as CHECK POWER MODE reported it: 0 active, 1 standby, 2 sleep, 3 unknown",
      "gauge", [&] {
        each([&](const LabelledRecord& d) {
          if (d.Record.OpenFailure != OpenError::None) return;
          out.Sample({{"device", d.Device}}, std::to_string(PowerModeMetricCode(d.Record.Power)));
        });
      });
  out.Family("halvoric_drive_read_ok",
             "1 when the attribute table was read this time; 0 when the drive could not be "
             "opened or read, or was left asleep",
             "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 out.Sample({{"device", d.Device}}, TableRead(d) ? "1" : "0");
               });
             });
  AddVerdict(out, each);
  AddLimitsAndSelfTest(out, each);
  out.Family("halvoric_drive_attribute_failing",
             "1 when the attribute reads BAD on the SMART Info page: at or below its threshold, "
             "or by NVMe's rules for an NVMe drive",
             "gauge", [&] {
               each([&](const LabelledRecord& d) {
                 if (!TableRead(d)) return;
                 for (const AttributeRecord& attribute : d.Record.Attributes) {
                   if (!Judged(d.Record, attribute)) continue;
                   out.Sample({{"attribute_id", std::to_string(attribute.Id)},
                               {"attribute_name", attribute.SmartctlName},
                               {"device", d.Device}},
                              attribute.State == Status::Ok ? "0" : "1");
                 }
               });
             });
}

}  // namespace halvoric::exposition
