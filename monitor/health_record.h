// The last reading of each drive's attributes, by serial number, kept in a
// small file beside config.xml so that a restart neither forgets a change
// nor reports it twice.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/result.h"
#include "drive/attributes.h"

namespace halvoric {

inline constexpr char HealthRecordFileName[] = "drive-health.txt";

using HealthRecords = std::map<std::string, std::vector<AttributeReading>>;

// An absent file is an empty record. Lines that cannot be read are left out:
// a drive forgotten is only read afresh, never reported as changed.
HealthRecords LoadHealthRecords(const std::string& path);

// Replaces the file whole, or leaves it as it was.
Result<> SaveHealthRecords(const std::string& path, const HealthRecords& records);

}  // namespace halvoric
