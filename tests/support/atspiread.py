#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# A screen reader's view of a running program, over AT-SPI: finds the
# application by name and runs the steps given, printing one JSON line each.
#   atspiread.py APP STEP...
#   read:NAME        the object so named: its role, value text, number and maximum
#   set:NAME=NUMBER  sets its value as a reader's user would, then reads it again
#   press:NAME       does the object's first action (a button's click)
#   listen           from here on, hears what the program says has changed:
#                    values and names
#   key:NAME=KEY     gives NAME the focus and types KEY (Left, Right, Up, Down)
#   heard:NAME       waits for what was heard of NAME since the last heard
#                    step, and prints it (values in order; names as changed)
# A NAME may end in @ROLE ("Tone@page tab") where the name alone is not enough.
# Objects appear once the program has built and shown them, so each step
# waits for its object (up to TIMEOUT seconds, 60 unless set in the environment).
import json
import os
import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = float(os.environ.get("ATSPI_TIMEOUT", "60"))


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def showing(obj):
    try:
        return obj.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def find(app, name, role):
    # Only what is on screen: a sheet not shown holds controls of the same names.
    stack = [app]
    while stack:
        obj = stack.pop()
        if obj is None:
            continue
        try:
            if obj.name == name and showing(obj) and (not role or obj.getRoleName() == role):
                return obj
            if obj is not app and not showing(obj):
                continue
            stack.extend(obj.getChildAtIndex(i) for i in range(obj.childCount))
        except Exception:
            continue
    return None


def wait_for(app_name, name):
    name, _, role = name.partition("@")
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        app = application(app_name)
        if app is not None:
            obj = find(app, name, role)
            if obj is not None:
                return obj
        time.sleep(0.2)
    return None


def top_level(obj):
    while obj is not None and obj.getRoleName() not in ("frame", "dialog", "window"):
        obj = obj.parent
    return obj


def describe(obj):
    out = {"name": obj.name, "role": obj.getRoleName()}
    try:
        text = obj.queryText()
        out["text"] = text.getText(0, text.characterCount)
    except NotImplementedError:
        pass
    try:
        value = obj.queryValue()
        out["value"] = value.currentValue
        out["maximum"] = value.maximumValue
    except NotImplementedError:
        pass
    return out


HEARD = []


def hear(event):
    try:
        source = event.source
        entry = {"source": source.name}
        if event.type.endswith("accessible-value"):
            entry["value"] = source.queryValue().currentValue
        else:
            entry["name"] = event.any_data if isinstance(event.any_data, str) else source.name
        HEARD.append(entry)
    except Exception as e:
        HEARD.append({"error": str(e)})


def pump(until):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        if until():
            return True
        time.sleep(0.05)
    return False


# Key codes of the X server's own keymap (Xvfb's, a PC's).
KEY_CODES = {"Left": 113, "Right": 114, "Up": 111, "Down": 116}


def run(app_name, step):
    kind, _, arg = step.partition(":")
    if kind == "listen":
        pyatspi.Registry.registerEventListener(
            hear, "object:property-change:accessible-value", "object:property-change:accessible-name")
        return {"step": step}
    if kind == "heard":
        def said():
            return [e for e in HEARD if e.get("source") == arg or e.get("name") == arg]
        pump(lambda: said())
        # What follows at once belongs to the same change.
        time.sleep(0.3)
        pump(lambda: True)
        result = {"step": step, "heard": said()}
        HEARD.clear()
        return result
    if kind in ("set", "key"):
        name, _, number = arg.rpartition("=")
    else:
        name = arg
    obj = wait_for(app_name, name)
    if obj is None:
        return {"step": step, "error": "not found within %g s" % TIMEOUT}
    if kind == "set":
        before = describe(obj).get("text")
        obj.queryValue().currentValue = float(number)
        deadline = time.monotonic() + TIMEOUT
        while describe(obj).get("text") == before and time.monotonic() < deadline:
            time.sleep(0.1)
    elif kind == "press":
        obj.queryAction().doAction(0)
    elif kind == "key":
        obj.queryComponent().grabFocus()
        # The focus shows only in an active window. Without a window manager
        # (a bare X server) none is ever active, and the key goes where the
        # server sends it: the window under the pointer (the screen's middle,
        # which a window of the program's first size covers), which hands it
        # to the control that has the window's focus.
        window = top_level(obj)
        pump(lambda: obj.getState().contains(pyatspi.STATE_FOCUSED)
             or not (window and window.getState().contains(pyatspi.STATE_ACTIVE)))
        pyatspi.Registry.generateKeyboardEvent(KEY_CODES[number], None, pyatspi.KEY_PRESSRELEASE)
    result = describe(obj)
    result["step"] = step
    return result


def main():
    for step in sys.argv[2:]:
        result = run(sys.argv[1], step)
        print(json.dumps(result), flush=True)
        # The steps after one that failed would each wait in vain.
        if "error" in result:
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
