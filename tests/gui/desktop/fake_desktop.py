#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A desktop's bus services for the tests, on the session bus:

  notifications LOG  org.freedesktop.Notifications; every Notify call is one
                     JSON line in LOG (app_name, replaces_id, app_icon,
                     summary, body, hints, expire_timeout, id).
  tray LOG           org.kde.StatusNotifierWatcher with a registered host;
                     every registered item is one line in LOG.
  kwin LOG           org.kde.KWin's input devices: one mouse, event5; every
                     property set is one JSON line in LOG (path, name,
                     value), and so is every kdeglobals ConfigChanged signal.

Runs until killed.
"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NOTIFY_IFACE = "org.freedesktop.Notifications"
WATCHER_IFACE = "org.kde.StatusNotifierWatcher"


def plain(value):
    if isinstance(value, (dbus.Byte, dbus.UInt32, dbus.Int32, dbus.Boolean)):
        return int(value)
    if isinstance(value, dbus.Dictionary):
        return {str(k): plain(v) for k, v in value.items()}
    if isinstance(value, dbus.Array):
        return [plain(v) for v in value]
    return str(value)


class Notifications(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.last_id = 0

    @dbus.service.method(NOTIFY_IFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout):
        if replaces_id:
            nid = int(replaces_id)
        else:
            self.last_id += 1
            nid = self.last_id
        entry = dict(app_name=str(app_name), replaces_id=int(replaces_id), app_icon=str(app_icon),
                     summary=str(summary), body=str(body), hints=plain(hints),
                     expire_timeout=int(expire_timeout), id=nid)
        with open(self.log, "a") as f:
            f.write(json.dumps(entry) + "\n")
        return nid

    @dbus.service.method(NOTIFY_IFACE, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body"]

    @dbus.service.method(NOTIFY_IFACE, in_signature="u", out_signature="")
    def CloseNotification(self, nid):
        self.NotificationClosed(nid, 3)

    @dbus.service.method(NOTIFY_IFACE, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("fake", "tests", "1", "1.2")

    @dbus.service.signal(NOTIFY_IFACE, signature="uu")
    def NotificationClosed(self, nid, reason):
        pass


class Watcher(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/StatusNotifierWatcher")
        self.log = log
        self.items = []

    @dbus.service.method(WATCHER_IFACE, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        item = service if service.startswith(":") or "." in service else sender
        if service.startswith("/"):
            item = sender + service
        self.items.append(str(item))
        with open(self.log, "a") as f:
            f.write(str(item) + "\n")
        self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER_IFACE, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER_IFACE, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER_IFACE, signature="s")
    def StatusNotifierHostRegistered(self, host):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, iface, name):
        return self.GetAll(iface)[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, iface):
        return {"RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
                "IsStatusNotifierHostRegistered": True, "ProtocolVersion": dbus.Int32(0)}

    # Qt reads the properties through an introspected interface: they must be
    # declared.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s")
    def Introspect(self):
        return """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
<signal name="StatusNotifierHostRegistered"/>
</interface></node>"""


KWIN_DEVICE_IFACE = "org.kde.KWin.InputDevice"


class KWinObject(dbus.service.Object):
    def __init__(self, bus, path, iface, props, log):
        super().__init__(bus, path)
        self.path, self.iface, self.props, self.log = path, iface, props, log

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, iface, name):
        return self.props[name]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, iface):
        return self.props

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ssv", out_signature="")
    def Set(self, iface, name, value):
        if name not in self.props:
            raise dbus.exceptions.DBusException("no property " + name)
        self.props[name] = value
        with open(self.log, "a") as f:
            f.write(json.dumps(dict(path=self.path, name=str(name), value=plain(value) if not isinstance(
                value, dbus.Double) else float(value))) + "\n")


def kwin(bus, log):
    objs = [KWinObject(bus, "/org/kde/KWin/InputDevice", "org.kde.KWin.InputDeviceManager",
                       {"devicesSysNames": dbus.Array(["event5", "event6"], signature="s")}, log),
            KWinObject(bus, "/org/kde/KWin/InputDevice/event5", KWIN_DEVICE_IFACE,
                       {"pointer": True, "pointerAcceleration": dbus.Double(0.0),
                        "pointerAccelerationProfileFlat": False,
                        "pointerAccelerationProfileAdaptive": True}, log),
            KWinObject(bus, "/org/kde/KWin/InputDevice/event6", KWIN_DEVICE_IFACE,
                       {"pointer": False, "keyboard": True}, log)]

    def changed(groups):
        with open(log, "a") as f:
            f.write(json.dumps(dict(signal="ConfigChanged", groups=plain(groups))) + "\n")
    bus.add_signal_receiver(changed, "ConfigChanged", "org.kde.kconfig.notify", path="/kdeglobals")
    return objs


def main():
    kind, log = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    if kind == "notifications":
        name = dbus.service.BusName(NOTIFY_IFACE, bus)
        obj = Notifications(bus, log)
    elif kind == "kwin":
        name = dbus.service.BusName("org.kde.KWin", bus)
        obj = kwin(bus, log)
    else:
        name = dbus.service.BusName(WATCHER_IFACE, bus)
        obj = Watcher(bus, log)
        obj.StatusNotifierHostRegistered("")
    open(log, "a").close()  # the log's presence says the name is owned
    GLib.MainLoop().run()
    del name, obj


if __name__ == "__main__":
    main()
