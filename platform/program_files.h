// Files the programs keep for their own use: the manual and the mail library.
// Installed, they lie in lib/halvoric/ beside the programs' bin/ folder
// (Debian's place for a program's private files, and the same in an unpacked
// tree); in the build tree, in the programs' own folder.
#pragma once

#include <filesystem>
#include <string_view>

namespace halvoric {

inline constexpr std::string_view kPrivateFolder = "../lib/halvoric";

// `name` for the programs in `programDir`: in the private folder when it is
// there, else in `programDir` when it is there. The private folder comes
// first, so a copy left in bin/ by an older install is not taken. In
// neither, the private folder's path, so that the message of whoever opens
// it names where an installation puts it. The bare name when `programDir`
// is empty, which the mail loader refuses rather than let the system search.
std::filesystem::path ProgramFile(const std::filesystem::path& programDir, std::string_view name);

// The same for the running executable's folder.
std::filesystem::path ProgramFileOfRunningExecutable(std::string_view name);

}  // namespace halvoric
