# A native Wayland text window (GTK 3): what the desktop's keyboard types is appended to the file
# given as text, a line per Enter ("\t" for Tab, Ctrl+letter as ^X), and each key's time
# (CLOCK_MONOTONIC, seconds) to FILE.times.
import sys, time, gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk, Gdk
out = open(sys.argv[1], "a", buffering=1, encoding="utf-8")
times = open(sys.argv[1] + ".times", "a", buffering=1)
def key(widget, event):
    if event.type != Gdk.EventType.KEY_PRESS:
        return True
    name = Gdk.keyval_name(event.keyval) or ""
    if name.startswith(("Shift", "Control", "Alt", "ISO_Level3", "Meta", "Super")):
        return True
    ch = chr(Gdk.keyval_to_unicode(event.keyval)) if Gdk.keyval_to_unicode(event.keyval) else ""
    if name == "Return":
        text = "\n"
    elif name == "Tab":
        text = "\t"
    elif event.state & Gdk.ModifierType.CONTROL_MASK and ch:
        text = "^" + ch.upper()
    else:
        text = ch or "<" + name + ">"
    out.write(text)
    times.write("%.6f\n" % time.clock_gettime(time.CLOCK_MONOTONIC))
    return True
win = Gtk.Window(title="travek-target")
win.set_default_size(400, 200)
win.connect("key-press-event", key)
win.connect("destroy", Gtk.main_quit)
win.show_all()
win.present()
sys.stderr.write("ready\n"); sys.stderr.flush()
Gtk.main()
