#include "platform/drive_path.h"

namespace halvoric {
namespace {

constexpr std::string_view kPrefix = R"(\\.\PhysicalDrive)";
// Nine digits always fit an unsigned; no machine has that many disks anyway.
constexpr std::size_t kMaxDigits = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<unsigned> ParseDrivePath(std::string_view path) {
  if (!path.starts_with(kPrefix)) return std::nullopt;
  const std::string_view digits = path.substr(kPrefix.size());
  if (digits.empty() || digits.size() > kMaxDigits) return std::nullopt;
  if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
  unsigned number = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  return number;
}

}  // namespace halvoric
