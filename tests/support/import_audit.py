#!/usr/bin/env python3
# The program's imports, as the cross toolchain's objdump reads them, against allowed_imports.txt: Wine
# exports every function by name, so only this audit notices an import that stops the loader on
# Windows 7. Fails naming every import the list lacks, every entry newer than Windows 7 and every entry
# the exe no longer imports. Usage: import_audit.py <objdump> <exe> <allowed_imports.txt>
import re
import shutil
import subprocess
import sys

# Windows releases in order, as the list names them; "every" is msvcrt.dll, which every Windows has.
RELEASES = ["every", "NT4", "2000", "XP", "Vista", "7", "8", "8.1", "10", "11"]


def imports_of(objdump, exe):
    """{"dll!function" with the DLL in lower case: "DLL!function" as objdump -p shows it}"""
    found, dll = {}, None
    for line in subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        entry = re.match(r"\t[0-9a-f]+\s+(\d+)\s+(\S+)", line)
        if named:
            dll = named.group(1)
        elif not line.strip():
            dll = None
        elif dll and entry:
            function = "#" + entry.group(1) if entry.group(2) == "<none>" else entry.group(2)
            found[dll.lower() + "!" + function] = dll + "!" + function
    return found


def main(objdump, exe, list_path):
    if shutil.which(objdump) is None:
        print(f"FAILED: {objdump} is missing (Debian's binutils-mingw-w64-i686; scripts/install-deps.sh)")
        return 1
    problems, listed = [], {}
    for line in open(list_path, encoding="utf-8").read().splitlines():
        fields = line.split()
        if not fields or fields[0].startswith("#"):
            continue
        if len(fields) != 3:
            problems.append(f"not \"DLL function oldest-Windows\": {line}")
            continue
        dll, function, oldest = fields
        listed[dll.lower() + "!" + function] = dll + "!" + function
        if oldest not in RELEASES:
            problems.append(f"{dll}!{function}: \"{oldest}\" is no Windows release the list knows")
        elif RELEASES.index(oldest) > RELEASES.index("7"):
            problems.append(f"{dll}!{function} is newer than Windows 7 ({oldest}): look it up at run time")
    imported = imports_of(objdump, exe)
    if not imported:
        problems.append(f"{objdump} -p shows no imports in {exe}")
    for name in sorted(imported.keys() - listed.keys()):
        problems.append(f"{imported[name]} is imported but not listed: check its \"Minimum supported client\"")
    for name in sorted(listed.keys() - imported.keys()):
        problems.append(f"{listed[name]} is listed but no longer imported: take it off the list")
    for problem in problems:
        print("FAILED:", problem)
    print(f"{len(imported)} imports, {len(listed)} listed, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
