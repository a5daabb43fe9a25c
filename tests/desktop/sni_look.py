# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints what a panel shows of a StatusNotifierItem: its tooltip's title,
then the mark on its icon, "amber", "red" or "none".
Usage: sni_look.py BUS_NAME"""

import sys

import dbus

item = dbus.SessionBus().get_object(sys.argv[1], "/StatusNotifierItem")
get = lambda name: item.Get("org.kde.StatusNotifierItem", name,
                            dbus_interface="org.freedesktop.DBus.Properties")
print(str(get("ToolTip")[2]))
# The largest picture; its pixels are ARGB32 in network byte order.
width, height, data = max(get("IconPixmap"), key=lambda p: int(p[0]) * int(p[1]))
pixels = [bytes(data)[i:i + 4] for i in range(0, int(width) * int(height) * 4, 4)]
bright = [g for a, r, g, b in pixels if a >= 200 and r >= 200 and b <= 80]
print("red" if any(g < 80 for g in bright) else
      "amber" if any(120 < g < 200 for g in bright) else "none")
