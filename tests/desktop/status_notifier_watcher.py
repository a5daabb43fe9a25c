# SPDX-License-Identifier: GPL-3.0-or-later
"""python3-dbusmock template: a StatusNotifierWatcher with a host registered,
as a desktop's panel offers it. Items that register are listed and
announced."""

import dbus

BUS_NAME = "org.kde.StatusNotifierWatcher"
MAIN_OBJ = "/StatusNotifierWatcher"
MAIN_IFACE = "org.kde.StatusNotifierWatcher"
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperties(
        MAIN_IFACE,
        {
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
            "RegisteredStatusNotifierItems": dbus.Array([], signature="s"),
        },
    )
    mock.AddMethods(
        MAIN_IFACE,
        [
            (
                "RegisterStatusNotifierItem",
                "s",
                "",
                "items = self.Get('%s', 'RegisteredStatusNotifierItems')\n"
                "self.Set('%s', 'RegisteredStatusNotifierItems', items + [args[0]])\n"
                "self.EmitSignal('%s', 'StatusNotifierItemRegistered', 's', [args[0]])"
                % (MAIN_IFACE, MAIN_IFACE, MAIN_IFACE),
            ),
            ("RegisterStatusNotifierHost", "s", "", ""),
        ],
    )
