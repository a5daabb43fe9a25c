// SPDX-License-Identifier: GPL-3.0-or-later
// A shared library that looks like a mail library but lacks its entry point.
extern "C" __attribute__((visibility("default"))) int SendMessage() { return 0; }
