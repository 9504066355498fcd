#!/usr/bin/env python3
"""End-to-end tests of the Linux program: the real executable, started as a
process in a temporary folder with its own settings file, on real directories.

Usage: linux_e2e.py PATH-TO-quorvane [unittest arguments]"""
import filecmp
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

PROGRAM = None
ALREADY_RUNNING = "二重起動はできません。"
CHECK_SETTINGS = "ディレクトリの設定がされていません。"
TEMPLATE_RAMDISK = "RAM ディスクのパス"
TEMPLATE_BACKUP = "バックアップディレクトリのパス(RAM ディスクのコピー)"
TIMEOUT = 60


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def tree(root):
    """Every file under root with its bytes, and every directory, by relative path."""
    result = {}
    for base, dirs, files in os.walk(root):
        for name in dirs:
            result[os.path.relpath(os.path.join(base, name), root) + "/"] = None
        for name in files:
            with open(os.path.join(base, name), "rb") as f:
                result[os.path.relpath(os.path.join(base, name), root)] = f.read()
    return result


class Instance:
    """One started program, its output collected in files."""

    def __init__(self, program, cwd):
        self.out = tempfile.TemporaryFile()
        self.err = tempfile.TemporaryFile()
        env = dict(os.environ, ASAN_OPTIONS="detect_leaks=1", LANG="C.UTF-8")
        self.process = subprocess.Popen([program], cwd=cwd, stdout=self.out, stderr=self.err,
                                        stdin=subprocess.DEVNULL, env=env)

    def wait(self, timeout=TIMEOUT):
        return self.process.wait(timeout=timeout)

    def stderr(self):
        self.err.seek(0)
        return self.err.read().decode("utf-8", "replace")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.out.close()
        self.err.close()


class ProgramTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="qve2e-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.bin = os.path.join(self.dir, "bin")
        os.makedirs(self.bin)
        self.program = os.path.join(self.bin, "quorvane")
        shutil.copy2(PROGRAM, self.program)
        self.ini = self.program + ".ini"
        self.ram = os.path.join(self.dir, "ram")
        self.backup = os.path.join(self.dir, "backup")
        self.backup2 = os.path.join(self.dir, "backup2")
        self.instances = []

    def tearDown(self):
        for instance in self.instances:
            instance.kill()

    def start(self, program=None):
        instance = Instance(program or self.program, self.dir)
        self.instances.append(instance)
        return instance

    def settings(self, ram=None, backup=None, backup2=None):
        lines = ["[Path]", "RAMDisk=" + (ram or self.ram), "BackupDir=" + (backup or self.backup)]
        if backup2 is not False:
            lines.append("BackupDir2=" + (backup2 or self.backup2))
        write(self.ini, "\n".join(lines) + "\n")

    def wait_for(self, condition, what):
        deadline = time.time() + TIMEOUT
        while time.time() < deadline:
            if condition():
                return
            time.sleep(0.05)
        self.fail("timed out waiting for " + what)

    def started(self, instance):
        """Waits until the program has restored and waits for the session end: its one
        thread sleeps in the signal wait of the message loop."""
        def waiting():
            if instance.process.poll() is not None:
                return True
            try:
                with open("/proc/%d/wchan" % instance.process.pid) as f:
                    wchan = f.read()
                with open("/proc/%d/syscall" % instance.process.pid) as f:
                    syscall = f.read().split(" ")[0]
                with open("/proc/%d/status" % instance.process.pid) as f:
                    threads = [line for line in f if line.startswith("Threads:")]
            except OSError:
                return False
            # rt_sigtimedwait is system call 128 on x86-64, where wchan may be hidden.
            waiting_for_signal = "sigtimedwait" in wchan or (os.uname().machine == "x86_64" and syscall == "128")
            return waiting_for_signal and threads == ["Threads:\t1\n"]
        self.wait_for(waiting, "the restore")
        self.assertIsNone(instance.process.poll(), instance.stderr())

    def test_restore_then_sigterm_saves_and_ends_with_zero(self):
        write(os.path.join(self.backup, "marker"), "m")
        write(os.path.join(self.backup, "a.txt"), "backup a")
        write(os.path.join(self.backup, "nested/deeper/b.bin"), bytes(range(256)) * 40)
        write(os.path.join(self.backup, "gone.txt"), "to be removed")
        write(os.path.join(self.ram, "a.txt"), "stale, replaced by the backup's")
        write(os.path.join(self.ram, "only-ram.txt"), "stays")
        self.settings()
        instance = self.start()
        self.started(instance)
        self.assertEqual(b"backup a", tree(self.ram)["a.txt"])
        self.assertEqual(bytes(range(256)) * 40, tree(self.ram)["nested/deeper/b.bin"])
        self.assertEqual(b"stays", tree(self.ram)["only-ram.txt"])

        write(os.path.join(self.ram, "nested/new.txt"), "new")
        write(os.path.join(self.ram, "a.txt"), "changed")
        os.remove(os.path.join(self.ram, "gone.txt"))
        instance.process.send_signal(signal.SIGTERM)
        self.assertEqual(0, instance.wait(), instance.stderr())
        self.assertEqual(tree(self.ram), tree(self.backup))
        second = tree(self.backup2)
        for path, data in tree(self.ram).items():
            self.assertEqual(data, second.get(path, "<missing>"), path)

    def test_interrupt_and_hangup_also_end_the_session(self):
        write(os.path.join(self.backup, "marker"), "m")
        self.settings(backup2=False)
        for number in (signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=number):
                instance = self.start()
                self.started(instance)
                write(os.path.join(self.ram, "by-%d" % number), "x")
                instance.process.send_signal(number)
                self.assertEqual(0, instance.wait(), instance.stderr())
                self.assertIn("by-%d" % number, tree(self.backup))

    def test_second_instance_from_the_same_path_is_refused(self):
        write(os.path.join(self.backup, "marker"), "m")
        self.settings()
        first = self.start()
        self.started(first)
        before = tree(self.dir)
        second = self.start()
        self.assertEqual(1, second.wait())
        self.assertIn(ALREADY_RUNNING, second.stderr())
        self.assertEqual(before, tree(self.dir))

        # A copy of the program in another folder is another instance.
        other = os.path.join(self.dir, "other")
        os.makedirs(other)
        shutil.copy2(PROGRAM, os.path.join(other, "quorvane"))
        other_ram = os.path.join(self.dir, "other-ram")
        write(os.path.join(other, "quorvane.ini"),
              "[Path]\nRAMDisk=%s\nBackupDir=%s\n" % (other_ram, os.path.join(self.dir, "other-backup")))
        copy = self.start(os.path.join(other, "quorvane"))
        self.started(copy)
        for instance in (first, copy):
            instance.process.send_signal(signal.SIGTERM)
            self.assertEqual(0, instance.wait(), instance.stderr())

    def test_no_settings_file_writes_the_template(self):
        instance = self.start()
        self.assertEqual(1, instance.wait())
        self.assertIn(CHECK_SETTINGS, instance.stderr())
        self.assertIn("Quorvane", instance.stderr())
        with open(self.ini, encoding="utf-8") as f:
            text = f.read()
        self.assertIn("RAMDisk=" + TEMPLATE_RAMDISK, text)
        self.assertIn("BackupDir=" + TEMPLATE_BACKUP, text)
        # The next start does not take the template for paths.
        again = self.start()
        self.assertEqual(1, again.wait())
        self.assertEqual(["bin"], sorted(os.listdir(self.dir)))

    def test_unreachable_ram_disk_keeps_the_users_values(self):
        write(os.path.join(self.dir, "file"), "a file, not a directory")
        ram = os.path.join(self.dir, "file", "ram")
        self.settings(ram=ram)
        with open(self.ini, "rb") as f:
            before = f.read()
        instance = self.start()
        self.assertEqual(1, instance.wait())
        self.assertIn(CHECK_SETTINGS, instance.stderr())
        with open(self.ini, "rb") as f:
            self.assertEqual(before, f.read())
        self.assertFalse(os.path.exists(self.backup))


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
