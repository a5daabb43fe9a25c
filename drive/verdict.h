// SPDX-License-Identifier: GPL-3.0-or-later
// A drive's verdict: what the list, the tray, the command-line tool and
// JSON say of it, and why.
#pragma once

#include <optional>
#include <vector>

#include "drive/ata_blocks.h"
#include "drive/attributes.h"
#include "drive/summary.h"

namespace halvoric {

// BAD when an attribute reads BAD; WARN when a defect count is above 0 or
// an attribute failed in the past; OK otherwise. The reasons name each.
void JudgeTables(const std::vector<TableAttribute>& attributes, TableSource source,
                 DriveSummary& summary);

// The drive's answer to SMART RETURN STATUS: true when it says it is
// failing; none when the answer carries neither signature.
std::optional<bool> DriveSaysFailing(const RegisterAnswer& answer);

// The whole verdict of one read: the tables' own, BAD whatever they say
// when the drive says it is failing, else N/A when the tables did not
// come back.
void JudgeDrive(bool tablesRead, std::optional<bool> driveSaysFailing, DriveSummary& summary);

// A drive whose latest self-test failed reads WARN, unless its verdict is
// already worse or unknown: a later passing test clears it.
void JudgeLastSelfTest(std::optional<bool> latestPassed, DriveSummary& summary);

}  // namespace halvoric
