// SPDX-License-Identifier: GPL-3.0-or-later
// Files the programs keep for their own use: the mail library and the
// manual. In the build tree they lie beside the programs; installed, the
// library lies in lib/halvoric/ and the manual in share/halvoric/ under the
// prefix whose bin/ holds the programs (Debian's places for a program's
// private libraries and for data of any architecture).
#pragma once

#include <filesystem>
#include <string_view>

#include "base/result.h"

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

// dlopen()s a library of the programs' own with `flags`, checked right
// before the load: the file, not a link, and every folder from the root down
// to it, each opened in the one above, must be owned by root or this user and
// writable by nobody else, so a library planted after start-up is refused,
// and the file checked is the file loaded. A sticky folder such as /tmp
// passes: others may write it but not replace what is ours in it. The
// handle stays for the program's life.
Result<void*> LoadProgramLibrary(const std::filesystem::path& file, int flags);

}  // namespace halvoric
