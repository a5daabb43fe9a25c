#include "platform/program_files.h"

#include "platform/running_executable.h"

namespace halvoric {
namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::filesystem::path ProgramFile(const std::filesystem::path& programDir, std::string_view name) {
  if (programDir.empty()) return name;
  const std::filesystem::path installed = (programDir / kPrivateFolder / name).lexically_normal();
  const std::filesystem::path beside = programDir / name;
  if (!IsFile(installed) && IsFile(beside)) return beside;
  return installed;
}

std::filesystem::path ProgramFileOfRunningExecutable(std::string_view name) {
  return ProgramFile(RunningExecutable().parent_path(), name);
}

}  // namespace halvoric
