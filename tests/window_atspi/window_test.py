# SPDX-FileCopyrightText: 2026 The Nuvrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# The window as a user of assistive technology meets it, over the accessibility bus only: controls
# are found by role and accessible name, never by widget pointers. It checks that every control
# has a name of its own, picks the second of two velk-sim devices, programs an image with verify,
# reads it back and compares it, and hears the status line and progress bar change meanwhile.
# run_window_test.sh starts the display, the buses and the devices.
import hashlib
import os
import subprocess
import sys
import time
import zlib

import pyatspi
from gi.repository import GLib

BUILD = os.environ["NUVREL_BUILD"]
WORK = os.environ["NUVREL_WORK"]
CLI = os.path.join(BUILD, "nuvrel-cli", "nuvrel-cli")

INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON,
    pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_PROGRESS_BAR,
    pyatspi.ROLE_TABLE,
    pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_PAGE_TAB,
}


# Captions that more than one page gives a control: such a control needs a name that says more.
SHARED_CAPTIONS = {"Write", "Read", "In File", "Out File", "Verify data", "Refresh"}


class Failure(Exception):
    pass


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(what, check, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump()
        try:
            value = check()
        except Exception:  # the tree changes while it is read
            value = None
        if value:
            return value
        time.sleep(0.1)
    raise Failure("timed out waiting for " + what)


def descendants(node):
    for index in range(node.childCount):
        try:
            child = node.getChildAtIndex(index)
        except Exception:
            continue
        if child is None:
            continue
        yield child
        # A table's cells and a combo box's popup list are the widget's own parts.
        if child.getRole() not in (pyatspi.ROLE_TABLE, pyatspi.ROLE_COMBO_BOX):
            yield from descendants(child)


def find(root, role, name):
    found = [n for n in descendants(root) if n.getRole() == role and n.name == name]
    if len(found) != 1:
        raise Failure("%d controls with role %s and name %r" % (len(found), role, name))
    return found[0]


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next(app for app in desktop if app is not None and app.name == "Nuvrel")


def main_window(app):
    return next(w for w in app if w is not None and w.name == "Velk Series storage loader")


def press(node):
    action = node.queryAction()
    for index in range(action.nActions):
        if action.getName(index).lower() in ("press", "click", "toggle"):
            action.doAction(index)
            return
    raise Failure("%r cannot be pressed" % node.name)


def text_of(node):
    return node.queryText().getText(0, -1)


def naming_faults(window):
    faults = []
    seen = {}
    for node in descendants(window):
        if node.getRole() not in INTERACTIVE:
            continue
        name = node.name
        where = "%s in %r" % (node.getRoleName(), node.parent.name if node.parent else "")
        if not name:
            faults.append("no accessible name: " + where)
            continue
        if name.endswith(":"):
            # Qt's fallback: the text of a label or of the frame around the control.
            faults.append("named by a label or frame %r: %s" % (name, where))
        if name in SHARED_CAPTIONS:
            faults.append("only its caption %r, which another page shares: %s" % (name, where))
        parent = node.parent
        while parent is not None and parent != window:
            if parent.getRole() == pyatspi.ROLE_PANEL and parent.name == name:
                faults.append("named after its frame %r: %s" % (name, where))
            parent = parent.parent
        if name in seen:
            faults.append("%r twice: %s and %s" % (name, seen[name], where))
        seen[name] = where
    return faults


def answer_file_dialog(app, path, button):
    # Qt's own file dialog: its file name field takes the path, then its accept button.
    dialog = wait_for(
        "a file dialog",
        lambda: next(
            (w for w in app if w is not None and w.getRole() == pyatspi.ROLE_DIALOG
             and w.name != "Velk Series storage loader" and w.getState().contains(pyatspi.STATE_SHOWING)),
            None))
    field = wait_for(
        "the file name field",
        lambda: next(n for n in descendants(dialog)
                     if n.getRole() == pyatspi.ROLE_TEXT and n.getState().contains(pyatspi.STATE_EDITABLE)
                     and n.getState().contains(pyatspi.STATE_SHOWING)))
    field.queryEditableText().setTextContents(path)
    press(find(dialog, pyatspi.ROLE_PUSH_BUTTON, button))
    wait_for("the file dialog to close", lambda: not dialog.getState().contains(pyatspi.STATE_SHOWING) or True)


def choose_device(window, device):
    # Qt announces a combo box by the item it shows; its label names it for assistive technology.
    label = find(window, pyatspi.ROLE_LABEL, "Device:")
    combo = next(target for relation in label.getRelationSet()
                 if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR
                 for target in (relation.getTarget(i) for i in range(relation.getNTargets()))
                 if target.getRole() == pyatspi.ROLE_COMBO_BOX)
    # A keyboard user's way: focus the list and step through it with the arrow keys.
    combo.queryComponent().grabFocus()
    wait_for("the device list to take the focus", lambda: combo.getState().contains(pyatspi.STATE_FOCUSED))
    for _ in range(4):
        if device in text_of_combo(combo):
            return combo
        pyatspi.Registry.generateKeyboardEvent(0xFF54, None, pyatspi.KEY_SYM)  # Down
        time.sleep(0.3)
        pump()
    if device not in text_of_combo(combo):
        raise Failure("the device list never showed " + device)
    return combo


def text_of_combo(combo):
    # The item a combo box shows is its name.
    return combo.name


def expect_digests(field, data, what):
    expected = "CRC32 %08x  SHA-1 %s" % (zlib.crc32(data) & 0xFFFFFFFF, hashlib.sha1(data).hexdigest())
    shown = wait_for("the digests of " + what, lambda: text_of(field) or None, 30)
    if shown != expected:
        raise Failure("digests of %s: shown %r, expected %r" % (what, shown, expected))


def make_image(path, size):
    data = bytearray((i * 7 + i // 512) & 0x7F for i in range(size))
    data[0x100:0x110] = b"SEGA MEGA DRIVE "
    data[0x120:0x120 + 22] = b"NUVREL ACCESSIBLE TEST"
    with open(path, "wb") as file:
        file.write(data)
    return bytes(data)


def cli_verifies(device, image):
    run = subprocess.run([CLI, "rom", "verify", "--device", device, image],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print("nuvrel-cli rom verify --device %s: exit %d: %s" % (device, run.returncode, run.stdout.strip()))
    return run.returncode == 0


def main():
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen([os.path.join(BUILD, "Nuvrel", "app", "Nuvrel")], env=env,
                               stdout=open(os.path.join(WORK, "nuvrel.log"), "w"), stderr=subprocess.STDOUT)
    try:
        run()
    finally:
        program.terminate()
        try:
            program.wait(10)
        except subprocess.TimeoutExpired:
            program.kill()


def run():
    app = wait_for("Nuvrel on the accessibility bus", application)
    window = wait_for("the main window", lambda: main_window(app))
    wait_for("the window's controls", lambda: any(True for _ in descendants(window)))

    faults = naming_faults(window)
    if faults:
        raise Failure("controls without a name of their own:\n  " + "\n  ".join(faults))

    combo = choose_device(window, "sim:right")
    def device_note(text):
        return next((n for n in descendants(window)
                     if n.getRole() == pyatspi.ROLE_LABEL and n.name == text), None)

    wait_for("the status area to name the chosen device", lambda: device_note("Operations use sim:right"))

    heard = {"status": 0, "progress": 0}
    status = find(window, pyatspi.ROLE_TEXT, "Status, ROM operation")
    progress = find(window, pyatspi.ROLE_PROGRESS_BAR, "Progress, ROM operation")

    def listen(event):
        if event.source == status:
            heard["status"] += 1
        elif event.source == progress:
            heard["progress"] += 1

    pyatspi.Registry.registerEventListener(listen, "object:text-changed",
                                           "object:property-change:accessible-value")

    image = os.path.join(WORK, "image.bin")
    data = make_image(image, 256 * 1024)
    press(find(window, pyatspi.ROLE_PUSH_BUTTON, "In File for the ROM image"))
    answer_file_dialog(app, image, "Open")
    write = find(window, pyatspi.ROLE_PUSH_BUTTON, "Write ROM")
    wait_for("Write ROM to be usable", lambda: write.getState().contains(pyatspi.STATE_ENABLED))
    verify = find(window, pyatspi.ROLE_CHECK_BOX, "Verify ROM data")
    if not verify.getState().contains(pyatspi.STATE_CHECKED):
        press(verify)
        wait_for("Verify ROM data to be ticked", lambda: verify.getState().contains(pyatspi.STATE_CHECKED))
    press(write)
    wait_for("the device named while the write runs", lambda: device_note("Operation running on sim:right"), 30)
    wait_for("Write Complite", lambda: text_of(status) == "Write Complite", 300)

    digests = find(window, pyatspi.ROLE_TEXT, "Digests, last ROM file")
    expect_digests(digests, data, "the written image")
    if not cli_verifies("sim:right", image):
        raise Failure("the chosen device does not hold the image")
    if cli_verifies("sim:left", image):
        raise Failure("the other device was written as well")

    readback = os.path.join(WORK, "readback.bin")
    press(find(window, pyatspi.ROLE_PUSH_BUTTON, "Out File for the ROM read-back"))
    answer_file_dialog(app, readback, "Save")
    read = find(window, pyatspi.ROLE_PUSH_BUTTON, "Read ROM")
    wait_for("Read ROM to be usable", lambda: read.getState().contains(pyatspi.STATE_ENABLED))
    press(read)
    wait_for("Read Complite", lambda: text_of(status) == "Read Complite", 300)
    with open(readback, "rb") as file:
        read_back = file.read()
    if read_back[:len(data)] != data:
        raise Failure("the read-back differs from the image")
    expect_digests(digests, read_back, "the read-back file")

    wait_for("the status line and progress bar announced", lambda: heard["status"] >= 2 and heard["progress"] >= 1, 5)
    print("window test: %d controls named, device chosen, written, verified, read back, digests; "
          "%d status and %d progress announcements" % (
              sum(1 for n in descendants(window) if n.getRole() in INTERACTIVE),
              heard["status"], heard["progress"]))


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("window test failed: %s" % failure, file=sys.stderr)
        sys.exit(1)
