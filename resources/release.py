#!/usr/bin/env python3
"""Release steps of the Windows build whose bytes must not depend on the folder or the time of the build.

  release.py epoch <source dir> <out file>       the release's time stamp (rewritten only when it changes)
  release.py zip <epoch file> <zip> <folder> <file>...   the portable zip: <folder>/<file name> entries
  release.py sums <out file> <file>...           SHA256SUMS of the given files, in sha256sum's format
  release.py debuglink <exe> <debug file>        exit 1 unless <exe> names <debug file> with its CRC
"""
import hashlib
import os
import struct
import subprocess
import sys
import time
import zipfile
import zlib

# 1980-01-01 00:00 UTC, the earliest time a zip entry can hold: the release time without git.
FALLBACK_EPOCH = 315532800


def source_date_epoch(source_dir):
    """SOURCE_DATE_EPOCH when the caller sets it, else the time of the source tree's last commit."""
    if os.environ.get("SOURCE_DATE_EPOCH", "").isdigit():
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        # Only a checkout of its own: a copy of the sources inside some other repository must not
        # take that repository's last commit.
        top = subprocess.run(["git", "-C", source_dir, "rev-parse", "--show-toplevel"],
                             capture_output=True, text=True, check=True).stdout.strip()
        if os.path.realpath(top) != os.path.realpath(source_dir):
            return FALLBACK_EPOCH
        return int(subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                                  capture_output=True, text=True, check=True).stdout.strip())
    except (OSError, subprocess.CalledProcessError, ValueError):
        return FALLBACK_EPOCH


def write_if_changed(path, data):
    """Leaves an unchanged file alone, so that the build does not remake what depends on it."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def epoch(source_dir, out):
    write_if_changed(out, f"{source_date_epoch(source_dir)}\n".encode())


def pack_zip(epoch_file, zip_path, folder, files):
    with open(epoch_file) as f:
        stamp = max(int(f.read().strip()), FALLBACK_EPOCH)
    # Zip entry times are local times without a zone; the release's are taken in UTC.
    date_time = time.gmtime(stamp)[:6]

    def entry(name, mode):
        info = zipfile.ZipInfo(name, date_time)
        info.create_system = 3  # Unix, so that the mode below means the same everywhere
        info.external_attr = mode << 16
        if name.endswith("/"):
            info.external_attr |= 0x10  # MS-DOS directory flag
        else:
            info.compress_type = zipfile.ZIP_DEFLATED
        return info

    with zipfile.ZipFile(zip_path + ".tmp", "w") as z:
        z.writestr(entry(folder + "/", 0o40755), b"")
        for path in sorted(files, key=os.path.basename):
            with open(path, "rb") as f:
                z.writestr(entry(f"{folder}/{os.path.basename(path)}", 0o100644), f.read())
    os.replace(zip_path + ".tmp", zip_path)


def sums(out, files):
    lines = []
    for path in sorted(files, key=os.path.basename):
        with open(path, "rb") as f:
            lines.append(f"{hashlib.sha256(f.read()).hexdigest()}  {os.path.basename(path)}\n")
    with open(out, "w") as f:
        f.write("".join(lines))


def pe_section(path, wanted):
    """The raw bytes of the section named `wanted` of a PE image, or None. Names longer than eight
    characters are kept in the COFF string table, as "/offset"."""
    with open(path, "rb") as f:
        image = f.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path}: not a PE image")
    count, = struct.unpack_from("<H", image, pe + 6)
    symbols, symbol_count = struct.unpack_from("<II", image, pe + 12)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    strings = symbols + 18 * symbol_count
    table = pe + 24 + optional_size
    for i in range(count):
        header = table + 40 * i
        name = image[header:header + 8].rstrip(b"\0")
        if name.startswith(b"/"):
            start = strings + int(name[1:])
            name = image[start:image.index(b"\0", start)]
        raw_size, raw_offset = struct.unpack_from("<II", image, header + 16)
        if name.decode("latin-1") == wanted:
            return image[raw_offset:raw_offset + raw_size]
    return None


def debuglink(exe, debug_file):
    link = pe_section(exe, ".gnu_debuglink")
    if link is None:
        print(f"{exe}: no .gnu_debuglink section")
        return 1
    name = link[:link.index(b"\0")].decode()
    crc, = struct.unpack_from("<I", link, (len(name) + 4) // 4 * 4)
    with open(debug_file, "rb") as f:
        actual = zlib.crc32(f.read())
    if name != os.path.basename(debug_file) or crc != actual:
        print(f"{exe}: links {name} with CRC {crc:08x}, not {os.path.basename(debug_file)} "
              f"with CRC {actual:08x}")
        return 1
    return 0


def main(argv):
    command, args = argv[1], argv[2:]
    if command == "epoch":
        epoch(*args)
    elif command == "zip":
        pack_zip(args[0], args[1], args[2], args[3:])
    elif command == "sums":
        sums(args[0], args[1:])
    elif command == "debuglink":
        return debuglink(*args)
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
