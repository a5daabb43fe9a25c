// SPDX-License-Identifier: GPL-3.0-or-later
TEST SSD 250GB
{ "Test SSDs", "TEST SSD [0-9]+GB", "", "warn", "-v 1,raw48:012345,X -v 9,msec24hour32 -v N,raw8" },
