#!/usr/bin/env python3
"""Checks the shipped executable as Windows will see it.

    check_pe.py --machine i386|x86-64 quorvane.exe

- a PE32 (i386) or PE32+ (x86-64) image for the Windows GUI subsystem;
- it imports only DLLs that every Windows installation has, so that it runs
  from a bare folder: no compiler runtime DLLs, no Universal CRT;
- its resources are exactly one icon group, number 100, holding one 32 x 32
  icon with 8 bits per pixel, icon number 1, both in language 0x0409
  (English, United States): no version block, dialog, menu or string table.

Uses the mingw-w64 objdump for the machine (or $OBJDUMP) and wrestool from
icoutils. Prints every problem found; exit code 1 when there is any.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys

MACHINES = {
    # --machine: objdump, file format, magic, machine field
    "i386": ("i686-w64-mingw32-objdump", "pei-i386", "010b", "014c"),
    "x86-64": ("x86_64-w64-mingw32-objdump", "pei-x86-64", "020b", "8664"),
}

# Part of every Windows release the program targets.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "msvcrt.dll", "gdi32.dll", "advapi32.dll"}

RT_ICON = 3
RT_GROUP_ICON = 14
LANG_EN_US = 0x0409


def run(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
    if result.returncode != 0:
        raise SystemExit("%s failed: %s" % (" ".join(command), result.stderr.decode(errors="replace")))
    return result.stdout


def check_headers(exe, machine, problems):
    objdump, file_format, magic, machine_field = MACHINES[machine]
    objdump = os.environ.get("OBJDUMP", objdump)
    text = run([objdump, "-p", exe]).decode(errors="replace")
    found = re.search(r"file format (\S+)", text)
    if not found or found.group(1) != file_format:
        problems.append("file format %s, expected %s" % (found.group(1) if found else "?", file_format))
    found = re.search(r"^Magic\s+([0-9a-fA-F]+)", text, re.M)
    if not found or found.group(1).lower() != magic:
        problems.append("optional header magic %s, expected %s" % (found.group(1) if found else "?", magic))
    subsystem = re.search(r"^Subsystem\s+([0-9a-fA-F]+)", text, re.M)
    if not subsystem or int(subsystem.group(1), 16) != 2:
        problems.append("subsystem %s, expected 2 (Windows GUI)" % (subsystem.group(1) if subsystem else "?"))
    # The machine field, read from the file itself.
    with open(exe, "rb") as source:
        data = source.read(4096)
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    if data[offset:offset + 4] != b"PE\0\0":
        problems.append("no PE signature")
    elif "%04x" % struct.unpack_from("<H", data, offset + 4)[0] != machine_field:
        problems.append("machine %04x, expected %s" % (struct.unpack_from("<H", data, offset + 4)[0],
                                                       machine_field))
    dlls = [name.strip() for name in re.findall(r"DLL Name:\s*(\S+)", text)]
    if not dlls:
        problems.append("no imports found")
    for dll in dlls:
        if dll.lower() not in SYSTEM_DLLS:
            problems.append("imports %s, which a bare Windows does not have" % dll)


def resources(exe):
    """(type, name, language) of every resource, from wrestool's listing."""
    listing = run(["wrestool", "-l", exe]).decode(errors="replace")
    found = []
    for line in listing.splitlines():
        fields = dict(re.findall(r"--(type|name|language)=(\S+)", line))
        if fields:
            found.append((fields.get("type"), fields.get("name"), fields.get("language")))
    return found


def extract(exe, kind, name, language):
    return run(["wrestool", "-x", "--raw", "--type=%d" % kind, "--name=%d" % name,
                "--language=%d" % language, exe])


def check_resources(exe, problems):
    found = sorted(resources(exe))
    expected = sorted([(str(RT_ICON), "1", str(LANG_EN_US)), (str(RT_GROUP_ICON), "100", str(LANG_EN_US))])
    if found != expected:
        problems.append("resources %r, expected exactly %r" % (found, expected))
        return
    group = extract(exe, RT_GROUP_ICON, 100, LANG_EN_US)
    if len(group) < 6:
        problems.append("icon group 100 is %d bytes long" % len(group))
        return
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    if reserved != 0 or kind != 1 or count != 1 or len(group) != 6 + 14 * count:
        problems.append("icon group 100: type %d, %d entries, %d bytes; expected one icon" % (kind, count, len(group)))
        return
    width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
    if (width, height, bits, icon_id) != (32, 32, 8, 1):
        problems.append("icon group entry: %d x %d, %d bpp, icon %d; expected 32 x 32, 8 bpp, icon 1"
                        % (width, height, bits, icon_id))
    icon = extract(exe, RT_ICON, 1, LANG_EN_US)
    if len(icon) != size:
        problems.append("icon 1 is %d bytes, the group says %d" % (len(icon), size))
    if len(icon) >= 16:
        header, icon_width, icon_height, _, icon_bits = struct.unpack_from("<IiiHH", icon, 0)
        # A DIB icon: its height counts the image and the mask.
        if (header, icon_width, icon_height, icon_bits) != (40, 32, 64, 8):
            problems.append("icon 1 image: header %d, %d x %d, %d bpp; expected a 32 x 32 8 bpp DIB"
                            % (header, icon_width, icon_height // 2, icon_bits))
    else:
        problems.append("icon 1 is too short")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("exe")
    args = parser.parse_args()
    if shutil.which("wrestool") is None:
        raise SystemExit("wrestool (icoutils) is not installed")
    problems = []
    check_headers(args.exe, args.machine, problems)
    check_resources(args.exe, problems)
    for problem in problems:
        print("%s: %s" % (args.exe, problem))
    if not problems:
        print("%s: ok" % args.exe)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
