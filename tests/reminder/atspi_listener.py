#!/usr/bin/python3
# A screen reader's ear on the accessibility bus: records every object that starts showing or
# changes its accessible name, one line per event: type, role, name, and for "showing" whether it
# shows (1) or no longer (0). Writes "ready"
# once it listens; ends after the given seconds.
import sys

import pyatspi
from gi.repository import GLib

out = open(sys.argv[1], "a", encoding="utf-8")


def heard(event):
    try:
        role, name = event.source.getRoleName(), event.source.name
    except GLib.Error:  # gone before it could be asked
        role, name = "", ""
    out.write(f"{event.type}\t{role}\t{name}\t{event.detail1}\n")
    out.flush()


pyatspi.Registry.registerEventListener(
    heard, "object:state-changed:showing", "object:property-change:accessible-name")
out.write("ready\n")
out.flush()
GLib.timeout_add_seconds(int(sys.argv[2]), pyatspi.Registry.stop)
pyatspi.Registry.start()
