// The text of the XDG autostart entry that starts the program at logon.
#pragma once

#include <string>
#include <string_view>

namespace halvoric {

struct EntryText {
  std::string Text;
  std::string Error;  // why no entry can start this path; empty when Text is good

  bool Ok() const { return Error.empty(); }
};

// The Exec value that runs `executable` with no arguments: the path in double
// quotes with ", `, $ and \ escaped, then the key file's own escaping of \,
// and % doubled so that it is no field code.
std::string QuotedExecValue(std::string_view executable);

// The whole desktop entry; refuses paths that a key file cannot hold
// (line breaks, bytes that are not UTF-8). A non-empty `workingDirectory`
// becomes the entry's Path, the folder the program starts in at logon.
EntryText AutostartEntryText(std::string_view executable, std::string_view workingDirectory = {});

}  // namespace halvoric
