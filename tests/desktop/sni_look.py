# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads what a panel shows of a StatusNotifierItem: prints its tooltip's
title, then the mark on its icon ("amber", "red" or "none"), as a panel
would draw them.
Usage: sni_look.py BUS_NAME"""

import sys

import dbus


def mark(pixmaps):
    # The largest picture; its pixels are ARGB32 in network byte order.
    width, height, data = max(pixmaps, key=lambda p: int(p[0]) * int(p[1]))
    data = bytes(data)
    found = "none"
    for i in range(0, int(width) * int(height) * 4, 4):
        alpha, red, green, blue = data[i:i + 4]
        if alpha < 200 or red < 200 or blue > 80:
            continue
        if green < 80:
            return "red"
        if 120 < green < 200:
            found = "amber"
    return found


def main():
    bus = dbus.SessionBus()
    item = bus.get_object(sys.argv[1], "/StatusNotifierItem")
    properties = dbus.Interface(item, "org.freedesktop.DBus.Properties")
    _, _, title, _ = properties.Get("org.kde.StatusNotifierItem", "ToolTip")
    print(str(title))
    print(mark(properties.Get("org.kde.StatusNotifierItem", "IconPixmap")))


if __name__ == "__main__":
    main()
