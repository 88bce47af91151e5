#!/usr/bin/python3
# A stand-in for Cinnamon's window manager on a private session bus: only its idle monitor,
# under its own name, object and interface. The idle time runs from the start and from each
# ResetIdletime, which stands for input. Run on the session bus it is to serve.
from gi.repository import Gio, GLib

NAME = PATH_IFACE = "org.cinnamon.Muffin.IdleMonitor"
PATH = "/org/cinnamon/Muffin/IdleMonitor/Core"
XML = """<node><interface name="org.cinnamon.Muffin.IdleMonitor">
<method name="GetIdletime"><arg type="t" direction="out"/></method>
<method name="AddIdleWatch"><arg type="t" direction="in"/><arg type="u" direction="out"/></method>
<method name="AddUserActiveWatch"><arg type="u" direction="out"/></method>
<method name="RemoveWatch"><arg type="u" direction="in"/></method>
<method name="ResetIdletime"/>
<signal name="WatchFired"><arg type="u"/></signal>
</interface></node>"""

watches = {}  # id: [caller, idle ms or None for the next input, timer]
last_input = GLib.get_monotonic_time()
next_id = 1


def idle_ms():
    return (GLib.get_monotonic_time() - last_input) // 1000


def fire(bus, wid):
    # As the real one does: the signal goes to the caller that added the watch, and only to it.
    bus.emit_signal(watches[wid][0], PATH, PATH_IFACE, "WatchFired", GLib.Variant("(u)", (wid,)))


def arm(bus, wid):
    watch = watches[wid]
    if watch[2]:
        GLib.source_remove(watch[2])

    def due():
        watch[2] = 0
        if wid in watches:
            fire(bus, wid)
        return False

    watch[2] = GLib.timeout_add(max(0, watch[1] - idle_ms()), due)


def call(bus, caller, path, iface, method, args, invocation):
    global last_input, next_id
    answer = None
    if method == "GetIdletime":
        answer = GLib.Variant("(t)", (idle_ms(),))
    elif method in ("AddIdleWatch", "AddUserActiveWatch"):
        wid, next_id = next_id, next_id + 1
        watches[wid] = [caller, args[0] if method == "AddIdleWatch" else None, 0]
        if method == "AddIdleWatch":
            arm(bus, wid)
        answer = GLib.Variant("(u)", (wid,))
    elif method == "RemoveWatch":
        watch = watches.pop(args[0], None)
        if watch and watch[2]:
            GLib.source_remove(watch[2])
    elif method == "ResetIdletime":
        last_input = GLib.get_monotonic_time()
        for wid in list(watches):
            if watches[wid][1] is None:
                fire(bus, wid)
                del watches[wid]
            else:
                arm(bus, wid)
    invocation.return_value(answer)


bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.register_object(PATH, Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0], call, None, None)
Gio.bus_own_name_on_connection(bus, NAME, Gio.BusNameOwnerFlags.NONE, None, None)
GLib.MainLoop().run()
