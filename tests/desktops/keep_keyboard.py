# Opens a remote-desktop session of mutter directly (no portal, no dialog) and keeps its virtual
# keyboard: a seat that has a keyboard device does not lose the first keys of the next one.
# With an argument, types it (keysyms of its characters, then Return) as a check.
import sys, time
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
# mutter offers its remote desktop a moment after the compositor's socket appears.
for _ in range(100):
    if bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                     GLib.Variant("(s)", ("org.gnome.Mutter.RemoteDesktop",)), None, 0, 5000, None).unpack()[0]:
        break
    time.sleep(0.1)
def call(path, iface, method, args, sig):
    return bus.call_sync("org.gnome.Mutter.RemoteDesktop", path, iface, method,
                         GLib.Variant(sig, args) if sig else None, None, 0, 5000, None)
session = call("/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop", "CreateSession", (), None).unpack()[0]
call(session, "org.gnome.Mutter.RemoteDesktop.Session", "Start", (), None)
def key(sym, down):
    call(session, "org.gnome.Mutter.RemoteDesktop.Session", "NotifyKeyboardKeysym", (sym, down), "(ub)")
key(0xffe1, True); key(0xffe1, False)   # Shift_L: makes the device
print("keyboard open", session, flush=True)
if len(sys.argv) > 1:
    time.sleep(0.5)
    for ch in sys.argv[1]:
        key(ord(ch), True); key(ord(ch), False)
    key(0xff0d, True); key(0xff0d, False)
    print("typed", flush=True)
loop = GLib.MainLoop()
loop.run()
