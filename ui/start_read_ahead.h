// SPDX-License-Identifier: GPL-3.0-or-later
// Work every start needs that needs no application object, done on a thread
// of its own beside the application object's making, which leaves the
// second core idle: the system's font configuration read, then the JPEG
// pictures every start shows decoded.
#pragma once

namespace halvoric {

// Made first in main, on the main thread. A program ending early waits for
// the thread before Qt's resources go.
class StartReadAhead {
 public:
  StartReadAhead();
  ~StartReadAhead();
  StartReadAhead(const StartReadAhead&) = delete;
  StartReadAhead& operator=(const StartReadAhead&) = delete;
};

// Returns once the font configuration is read, when a StartReadAhead reads
// it; at once otherwise. Reading it twice at once would do the work twice.
void AwaitFontConfiguration();

}  // namespace halvoric
