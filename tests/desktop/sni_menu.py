# SPDX-License-Identifier: GPL-3.0-or-later
"""Does with a StatusNotifierItem's exported menu (com.canonical.dbusmenu)
what a panel does: prints its labels, one a line, or clicks the item with
the label given.
Usage: sni_menu.py BUS_NAME [LABEL]"""

import sys

import dbus


def walk(node):
    node_id, properties, children = node
    yield int(node_id), str(properties.get("label", ""))
    for child in children:
        yield from walk(child)


def main():
    bus = dbus.SessionBus()
    item = bus.get_object(sys.argv[1], "/StatusNotifierItem")
    path = item.Get("org.kde.StatusNotifierItem", "Menu",
                    dbus_interface="org.freedesktop.DBus.Properties")
    menu = dbus.Interface(bus.get_object(sys.argv[1], path), "com.canonical.dbusmenu")
    menu.AboutToShow(0)
    _, layout = menu.GetLayout(0, -1, ["label"])
    # Mnemonic marks are left out: the label as people read it.
    items = {label.replace("_", "").replace("&", ""): node_id
             for node_id, label in walk(layout) if node_id != 0}
    if len(sys.argv) < 3:
        print("\n".join(items))
        return 0
    if sys.argv[2] not in items:
        print("no menu item %r among %r" % (sys.argv[2], list(items)), file=sys.stderr)
        return 1
    menu.Event(items[sys.argv[2]], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0))
    return 0


if __name__ == "__main__":
    sys.exit(main())
