// Files the programs keep for their own use: the mail library and the
// manual. In the build tree they lie beside the programs; installed, the
// library lies in lib/halvoric/ and the manual in share/halvoric/ under the
// prefix whose bin/ holds the programs (Debian's places for a program's
// private libraries and for data of any architecture).
#pragma once

#include <filesystem>
#include <string_view>

namespace halvoric {

// Where an installation puts each, from the programs' own folder.
inline constexpr std::string_view kLibraryFolder = "../lib/halvoric";
inline constexpr std::string_view kDataFolder = "../share/halvoric";

// `name` for the programs in `programDir`: beside them when it is there,
// else in `installedFolder` (one of the above) when that holds it and only
// root or this user could have put it there: a folder above the programs'
// own may be one anybody can write to, and the library is loaded into the
// program. Otherwise the installed path, so that the message of whoever
// opens it names where an installation puts it. The bare name when
// `programDir` is empty, which the mail loader refuses rather than let the
// system search.
std::filesystem::path ProgramFile(const std::filesystem::path& programDir,
                                  std::string_view installedFolder, std::string_view name);

// The same for the running executable's folder.
std::filesystem::path ProgramFileOfRunningExecutable(std::string_view installedFolder,
                                                     std::string_view name);

}  // namespace halvoric
