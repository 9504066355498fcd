#!/usr/bin/env python3
"""End-to-end cases for quorvane.exe, run under Wine by scripts/wine-env.sh.

Each case gets a folder of its own holding a copy of the executable, its
settings file and the directories it works on; the program reaches them
through Wine's drive Z:, which maps the Unix root. Windows that a user or
another program would act on are handled by qvtool.exe.

    e2e.py --exe quorvane.exe --qvtool qvtool.exe --texts texts_cp932.inc CASE
"""

import argparse
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

WINDOW_CLASS = "pelko.quorvane.shutdown_notifier"
CAPTION = "Quorvane"
WAIT = 30  # seconds for any one thing to happen


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def parse_texts(path):
    """The #define'd narrow string literals of a texts file, as bytes."""
    texts = {}
    literal = re.compile(r'"((?:[^"\\]|\\.)*)"')
    with open(path, encoding="utf-8") as source:
        for line in source:
            match = re.match(r"#define\s+(\w+)\s+(.*)$", line)
            if not match or match.group(2).lstrip().startswith("L"):
                continue
            value = b""
            for part in literal.findall(match.group(2)):
                value += unescape(part)
            texts[match.group(1)] = value
    return texts


def unescape(text):
    simple = {"n": b"\n", "r": b"\r", "t": b"\t", "\\": b"\\", '"': b'"', "'": b"'"}
    out = b""
    i = 0
    while i < len(text):
        if text[i] != "\\":
            out += text[i].encode("ascii")
            i += 1
            continue
        octal = re.match(r"[0-7]{1,3}", text[i + 1:])
        if octal:
            out += bytes([int(octal.group(0), 8)])
            i += 1 + len(octal.group(0))
        else:
            out += simple[text[i + 1]]
            i += 2
    return out


def windows_path(path):
    """The Windows form of a Unix path, through drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_tree(root, files):
    for name, content in files.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(content)


def snapshot(root):
    """Everything under root: relative path -> bytes, or None for a directory."""
    tree = {}
    for directory, subdirectories, files in os.walk(root):
        for name in subdirectories:
            tree[os.path.relpath(os.path.join(directory, name), root)] = None
        for name in files:
            path = os.path.join(directory, name)
            with open(path, "rb") as source:
                tree[os.path.relpath(path, root)] = source.read()
    return tree


def describe_difference(actual, expected):
    lines = []
    for name in sorted(set(actual) | set(expected)):
        if name not in actual:
            lines.append("  missing: %s" % name)
        elif name not in expected:
            lines.append("  unexpected: %s" % name)
        elif actual[name] != expected[name]:
            lines.append("  differs: %s (%r, expected %r)" % (name, actual[name], expected[name]))
    return "\n".join(lines)


def check_tree(root, expected, what):
    actual = snapshot(root)
    check(actual == expected, "%s is not as expected:\n%s" % (what, describe_difference(actual, expected)))


def wait_tree(root, expected, what, seconds=10):
    """Like check_tree, for a result that may still be on its way."""
    deadline = time.monotonic() + seconds
    while snapshot(root) != expected and time.monotonic() < deadline:
        time.sleep(0.2)
    check_tree(root, expected, what)


class Harness:
    def __init__(self, args):
        self.wine = os.environ.get("WINE")
        if not self.wine:
            raise SystemExit("e2e.py runs inside scripts/wine-env.sh (WINE is not set)")
        self.exe = args.exe
        self.qvtool = args.qvtool
        self.texts = parse_texts(args.texts)
        base = os.environ.get("QV_WINE_TMP") or tempfile.gettempdir()
        self.root = tempfile.mkdtemp(prefix="case-", dir=base)
        self.processes = []

    # --- the program ----------------------------------------------------

    def install(self, name="app", settings=None):
        """A folder holding quorvane.exe and, when given, its settings file bytes."""
        folder = os.path.join(self.root, name)
        os.makedirs(folder, exist_ok=True)
        shutil.copy(self.exe, os.path.join(folder, "quorvane.exe"))
        if settings is not None:
            with open(os.path.join(folder, "quorvane.ini"), "wb") as out:
                out.write(settings)
        return folder

    def start(self, folder):
        process = subprocess.Popen([self.wine, os.path.join(folder, "quorvane.exe")], cwd=folder,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def wait_exit(self, process, what):
        try:
            return process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            raise Failure("%s did not end within %d s" % (what, WAIT))

    # --- other programs ---------------------------------------------------

    def qvtool_run(self, *arguments, timeout=WAIT + 15):
        try:
            result = subprocess.run([self.wine, self.qvtool] + list(arguments), stdin=subprocess.DEVNULL,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("qvtool %s did not finish" % " ".join(arguments))
        values = {}
        for line in result.stdout.decode("ascii", "replace").splitlines():
            parts = line.split()
            if len(parts) >= 2:
                values[parts[0]] = parts[1]
        return result.returncode, values

    def wait_window(self):
        """Waits until the notifier's window exists and its message loop runs."""
        code, values = self.qvtool_run("wait-window", WINDOW_CLASS, str(WAIT))
        check(values.get("found") == "1", "the notifier's window did not appear")
        check(values.get("visible") == "0", "the notifier's window is visible")
        check(values.get("responding") == "1", "the notifier's window does not answer messages")

    def window_exists(self):
        code, values = self.qvtool_run("wait-window", WINDOW_CLASS, "0")
        return values.get("found") == "1"

    def close_window(self):
        code, values = self.qvtool_run("close", WINDOW_CLASS)
        check(code == 0, "could not post WM_CLOSE to the notifier's window (%r)" % values)

    def message_box(self):
        """Waits for the program's message box, checks its form, presses OK; gives its text."""
        code, values = self.qvtool_run("msgbox", CAPTION, str(WAIT))
        check(values.get("found") == "1", "no message box captioned %s appeared" % CAPTION)
        check(values.get("dismissed") == "1", "the message box did not go away on OK")
        check(values.get("buttons") == "1" and values.get("ok") == "1",
              "the message box should have a single OK button: %r" % values)
        check(values.get("icon") == "1", "the message box shows no icon")
        check(values.get("owner") == "0", "the message box has an owner window")
        return bytes.fromhex(values.get("text", ""))

    def end_session(self):
        try:
            subprocess.run([self.wine, "wineboot", "--end-session", "--shutdown"], stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=WAIT + 30)
        except subprocess.TimeoutExpired:
            raise Failure("wineboot --end-session did not finish")

    def hold(self, path, seconds):
        """Starts a process that holds the file open with no sharing; returns it once it does."""
        process = subprocess.Popen([self.wine, self.qvtool, "hold", windows_path(path), str(seconds)],
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        ready, _, _ = select.select([process.stdout], [], [], WAIT)
        check(ready, "qvtool hold did not report within %d s" % WAIT)
        line = process.stdout.readline().decode("ascii", "replace").strip()
        check(line == "held 1", "could not hold %s: %r" % (path, line))
        return process

    def finish(self):
        """Ends, by process id, whatever a case left running."""
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    pass


def settings_bytes(ram, backup, backup2=None, encoding="ascii"):
    text = "[Path]\r\nRAMDisk=%s\r\nBackupDir=%s\r\n" % (windows_path(ram), windows_path(backup))
    if backup2 is not None:
        text += "BackupDir2=%s\r\n" % windows_path(backup2)
    return text.encode(encoding)


def with_directories(tree):
    """A tree of files with the directories along their names added."""
    full = dict(tree)
    for name in tree:
        parent = os.path.dirname(name)
        while parent:
            full[parent] = None
            parent = os.path.dirname(parent)
    return full


BACKUP_FILES = {
    "readme.txt": b"from the backup\r\n",
    "shared.txt": b"backup's copy",
    "sub/one.txt": b"one",
    "sub/deeper/two.bin": bytes(range(256)) * 4,
    "sub/deeper/deepest/three.txt": b"three",
}


def running_program(h, with_backup2=True):
    """Folder, paths and a started program whose restore has run."""
    ram = os.path.join(h.root, "ram")
    backup = os.path.join(h.root, "backup")
    backup2 = os.path.join(h.root, "second", "backup") if with_backup2 else None
    write_tree(backup, BACKUP_FILES)
    os.makedirs(ram)
    folder = h.install(settings=settings_bytes(ram, backup, backup2))
    process = h.start(folder)
    h.wait_window()
    wait_tree(ram, with_directories(BACKUP_FILES), "the RAM disk after start")
    return folder, ram, backup, backup2, process


def change_ram_disk(ram):
    """Adds, changes and removes files and a directory in the RAM disk."""
    write_tree(ram, {"new/made/at run.txt": b"new", "shared.txt": b"changed in the RAM disk"})
    os.remove(os.path.join(ram, "readme.txt"))
    shutil.rmtree(os.path.join(ram, "sub", "deeper", "deepest"))


# --- the cases ---------------------------------------------------------------


def case_start(h):
    ram = os.path.join(h.root, "ram")
    backup = os.path.join(h.root, "backup")
    write_tree(backup, BACKUP_FILES)
    write_tree(ram, {"only in ram.txt": b"stays", "shared.txt": b"older copy in the RAM disk"})
    process = h.start(h.install(settings=settings_bytes(ram, backup)))
    h.wait_window()
    expected = with_directories(BACKUP_FILES)
    expected["only in ram.txt"] = b"stays"
    wait_tree(ram, expected, "the RAM disk after start")
    check_tree(backup, with_directories(BACKUP_FILES), "the backup after start")
    check(process.poll() is None, "the program ended after start")
    h.close_window()
    h.wait_exit(process, "the program")


def case_session_end(h):
    folder, ram, backup, backup2, process = running_program(h)
    check(os.path.isdir(backup2), "the second backup's directories were not made at start")
    change_ram_disk(ram)
    h.end_session()
    h.wait_exit(process, "the program, after the session ended,")
    expected = snapshot(ram)
    check_tree(backup, expected, "the backup after the session ended")
    check_tree(backup2, expected, "the second backup after the session ended")


def case_window_closed(h):
    folder, ram, backup, backup2, process = running_program(h)
    change_ram_disk(ram)
    h.close_window()
    code = h.wait_exit(process, "the program, after its window was closed,")
    check(code == 0, "exit code %s after the window was closed, expected 0" % code)
    expected = snapshot(ram)
    check_tree(backup, expected, "the backup after the window was closed")
    check_tree(backup2, expected, "the second backup after the window was closed")


def case_duplicate_start(h):
    folder, ram, backup, backup2, first = running_program(h, with_backup2=False)
    # Settings that a second instance reading them would act on: it would
    # make these directories.
    settings = settings_bytes(os.path.join(h.root, "dup", "ram"), os.path.join(h.root, "dup", "backup"))
    ini = os.path.join(folder, "quorvane.ini")
    with open(ini, "wb") as out:
        out.write(settings)
    before = snapshot(h.root)
    second = h.start(folder)
    text = h.message_box()
    check(text == h.texts["QUORVANE_TEXT_ALREADY_RUNNING"], "message %r" % text)
    code = h.wait_exit(second, "the second instance")
    check(code == 1, "the second instance ended with %s, expected 1" % code)
    check_tree(h.root, before, "the files after the refused start")
    check(first.poll() is None, "the first instance ended")

    # A copy of the program in another folder is another program: it runs.
    other_ram = os.path.join(h.root, "other", "ram")
    other_backup = os.path.join(h.root, "other", "backup")
    write_tree(other_backup, {"other.txt": b"other"})
    copy = h.start(h.install(name="copy", settings=settings_bytes(other_ram, other_backup)))
    wait_tree(other_ram, {"other.txt": b"other"}, "the copy's RAM disk")
    code, values = h.qvtool_run("wait-window", "#32770", "2")
    check(values.get("found") == "0", "a message box appeared for the copy in another folder")
    check(copy.poll() is None, "the copy in another folder ended")

    # Each close request reaches one of the two windows; the next waits until it is gone.
    for _ in range(2):
        running = [process for process in (first, copy) if process.poll() is None]
        h.close_window()
        deadline = time.monotonic() + WAIT
        while all(process.poll() is None for process in running) and time.monotonic() < deadline:
            time.sleep(0.1)
    check(h.wait_exit(first, "the first instance") == 0, "the first instance did not end with 0")
    check(h.wait_exit(copy, "the copy") == 0, "the copy did not end with 0")


def template_lines(data):
    lines = data.split(b"\r\n") if b"\r\n" in data else data.split(b"\n")
    return [line.strip() for line in lines if line.strip()]


def case_no_settings(h):
    texts = h.texts
    ram_line = b"RAMDisk=" + texts["QUORVANE_TEXT_TEMPLATE_RAMDISK"]
    backup_line = b"BackupDir=" + texts["QUORVANE_TEXT_TEMPLATE_BACKUP"]
    check(len(texts["QUORVANE_TEXT_TEMPLATE_RAMDISK"]) == 18, "template text for RAMDisk is not 18 bytes")
    check(len(texts["QUORVANE_TEXT_TEMPLATE_BACKUP"]) == 52, "template text for BackupDir is not 52 bytes")
    variants = [
        # name, settings file or None, the lines expected afterwards
        ("no file", None, [b"[Path]", ram_line, backup_line]),
        # The user's own values stay; only the missing key gets its template.
        ("only RAMDisk and BackupDir2",
         b"[Path]\r\nRAMDisk=Z:\\nowhere\\ram\r\nBackupDir2=Z:\\nowhere\\second\r\n",
         [b"[Path]", b"RAMDisk=Z:\\nowhere\\ram", b"BackupDir2=Z:\\nowhere\\second", backup_line]),
    ]
    for name, settings, expected_lines in variants:
        folder = h.install(name=name.replace(" ", "_").replace(",", ""), settings=settings)
        process = h.start(folder)
        code, values = h.qvtool_run("wait-window", "#32770", str(WAIT))
        check(values.get("found") == "1", "%s: no message box" % name)
        check(not h.window_exists(), "%s: the notifier's window exists beside the message box" % name)
        text = h.message_box()
        check(text == texts["QUORVANE_TEXT_CHECK_SETTINGS"], "%s: message %r" % (name, text))
        code = h.wait_exit(process, "the program (%s)" % name)
        check(code == 1, "%s: exit code %s, expected 1" % (name, code))
        with open(os.path.join(folder, "quorvane.ini"), "rb") as source:
            written = source.read()
        check(template_lines(written) == expected_lines, "%s: settings file now holds %r" % (name, written))
        check(sorted(os.listdir(folder)) == ["quorvane.exe", "quorvane.ini"],
              "%s: the folder now holds %r" % (name, sorted(os.listdir(folder))))
        check(not os.path.exists(os.path.join(h.root, "nowhere")), "%s: a directory was made" % name)


def case_japanese_paths(h):
    # 表 ends in the byte 0x5C and ル's second byte lies in the lead-byte
    # range; ソ ends in 0x5C too.
    ram = os.path.join(h.root, "表計算", "ツール")
    backup = os.path.join(h.root, "バックアップ表", "控え")
    backup2 = os.path.join(h.root, "表", "二番目")
    files = {
        "表.txt": "表の中身".encode("utf-8"),
        "ルール/中身.txt": b"inside",
        "ルール/表/深い.bin": bytes(range(200)),
        "plain.txt": b"plain",
    }
    write_tree(backup, files)
    os.makedirs(ram)
    folder = h.install(settings=settings_bytes(ram, backup, backup2, encoding="cp932"))
    process = h.start(folder)
    h.wait_window()
    wait_tree(ram, with_directories(files), "the RAM disk after start")
    check(os.path.isdir(backup2), "the second backup was not made")
    write_tree(ram, {"新規ソ.txt": b"added", "ルール/表/追加.txt": b"added below"})
    os.remove(os.path.join(ram, "plain.txt"))
    h.close_window()
    code = h.wait_exit(process, "the program")
    check(code == 0, "exit code %s, expected 0" % code)
    expected = snapshot(ram)
    check_tree(backup, expected, "the backup")
    check_tree(backup2, expected, "the second backup")


def case_held_file(h):
    folder, ram, backup, backup2, process = running_program(h)
    change_ram_disk(ram)
    held = os.path.join(ram, "sub", "one.txt")
    with open(held, "wb") as out:
        out.write(b"changed while held")
    expected = snapshot(ram)
    expected[os.path.join("sub", "one.txt")] = BACKUP_FILES["sub/one.txt"]  # the previous copy stays
    holder = h.hold(held, WAIT * 3)
    h.end_session()
    h.wait_exit(process, "the program, after the session ended,")
    holder.kill()
    holder.wait(timeout=10)
    check_tree(backup, expected, "the backup after a session end with a file held open")


CASES = {
    "start": case_start,
    "session_end": case_session_end,
    "window_closed": case_window_closed,
    "duplicate_start": case_duplicate_start,
    "no_settings": case_no_settings,
    "japanese_paths": case_japanese_paths,
    "held_file": case_held_file,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--qvtool", required=True)
    parser.add_argument("--texts", required=True)
    parser.add_argument("case", nargs="+", choices=sorted(CASES))
    args = parser.parse_args()
    failed = 0
    for name in args.case:
        h = Harness(args)
        started = time.monotonic()
        try:
            CASES[name](h)
            print("PASS %s (%.1f s)" % (name, time.monotonic() - started))
        except Failure as failure:
            failed += 1
            print("FAIL %s: %s" % (name, failure))
        finally:
            h.finish()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
