#!/usr/bin/env python3
"""Release steps of the Windows build whose bytes must not depend on the folder or the time of the build.

  release.py epoch <source dir> <out file>       the release's time stamp (rewritten only when it changes)
  release.py zip <epoch file> <zip> <folder> <file>...   the portable zip: <folder>/<file name> entries
  release.py sums <out file> <file>...           SHA256SUMS of the given files, in sha256sum's format
  release.py debuglink <exe> <debug file>        exit 1 unless <exe> names <debug file> with its CRC
  release.py manifests <installer.nsi> <out dir> <release url> <setup.exe> <zip>
                                                 winget's and Scoop's manifests of those two files
"""
import hashlib
import json
import os
import re
import struct
import subprocess
import sys
import time
import zipfile
import zlib

PORTABLE_MARK = "portable"
PACKAGE_ID = "Vendrel.CorvalinTimerSoftware"
SCOOP_NAME = "corvalin-timer-software"
WINGET_SCHEMA = "1.6.0"
DESCRIPTION = "A countdown timer that waits behind its tray icon and rings an alarm when the time is up."
LICENSE = "Proprietary"

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

    contents = {os.path.basename(path): path for path in files}
    # The program keeps its settings beside itself when this empty file is there; a settings file of
    # the build's own must never go out with it.
    contents[PORTABLE_MARK] = None
    if any(name.lower().endswith(".ini") for name in contents):
        raise ValueError("a settings file in the portable zip")
    with zipfile.ZipFile(zip_path + ".tmp", "w") as z:
        z.writestr(entry(folder + "/", 0o40755), b"")
        for name, path in sorted(contents.items()):
            data = b""
            if path is not None:
                with open(path, "rb") as f:
                    data = f.read()
            z.writestr(entry(f"{folder}/{name}", 0o100644), data)
    os.replace(zip_path + ".tmp", zip_path)


def sums(out, files):
    lines = []
    for path in sorted(files, key=os.path.basename):
        with open(path, "rb") as f:
            lines.append(f"{hashlib.sha256(f.read()).hexdigest()}  {os.path.basename(path)}\n")
    with open(out, "w") as f:
        f.write("".join(lines))


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def nsis_defines(nsi):
    """The installer's !define texts, each with the defines it names filled in."""
    defines = {}
    with open(nsi, encoding="utf-8") as f:
        for name, value in re.findall(r'^!define (\w+) "(.*)"$', f.read(), re.MULTILINE):
            defines[name] = re.sub(r"\$\{(\w+)\}", lambda m: defines.get(m[1], m[0]), value)
    return defines


def yaml_document(kind, fields):
    """A winget manifest file: `fields` as YAML, every text quoted (a bare 7.00 would be a number)."""
    def lines(value, indent):
        for key, item in value.items():
            if isinstance(item, dict):
                yield f"{indent}{key}:"
                yield from lines(item, indent + "  ")
            elif isinstance(item, list):
                yield f"{indent}{key}:"
                for element in item:
                    nested = list(lines(element, indent + "  "))
                    yield f"{indent}- {nested[0].lstrip()}"
                    yield from nested[1:]
            else:
                yield f"{indent}{key}: {json.dumps(item)}"
    fields = {**fields, "ManifestType": kind, "ManifestVersion": WINGET_SCHEMA}
    schema = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{WINGET_SCHEMA}.schema.json"
    return "\n".join([schema, "", *lines(fields, ""), ""])


def manifests(nsi, out, url, setup, zip_path):
    """winget's multi-file manifest of the installer and Scoop's of the portable zip, with the hashes
    of the files as they are and the Add/Remove entry exactly as installer.nsi writes it, so that
    winget recognises an installed copy and upgrades it."""
    d = nsis_defines(nsi)
    product, version, publisher = d["PRODUCT"], d["VERSION"], d["PUBLISHER"]
    product_code = d["UNINSTALL_KEY"].rsplit("\\", 1)[1]
    url = url.rstrip("/")
    head = {"PackageIdentifier": PACKAGE_ID, "PackageVersion": version}
    files = {
        f"{PACKAGE_ID}.yaml": yaml_document("version", {**head, "DefaultLocale": "en-US"}),
        f"{PACKAGE_ID}.locale.en-US.yaml": yaml_document("defaultLocale", {
            **head, "PackageLocale": "en-US", "Publisher": publisher, "PackageName": product,
            "PackageUrl": url, "License": LICENSE, "ShortDescription": DESCRIPTION}),
    }

    def installer(scope, switch, extra):
        return {"Architecture": "x86", "Scope": scope, "InstallerUrl": f"{url}/{os.path.basename(setup)}",
                "InstallerSha256": sha256(setup).upper(),
                "InstallerSwitches": {"Silent": f"/S {switch}", "SilentWithProgress": f"/S {switch}",
                                      "Interactive": switch}, **extra}
    files[f"{PACKAGE_ID}.installer.yaml"] = yaml_document("installer", {
        **head, "InstallerType": "nullsoft", "UpgradeBehavior": "install", "ProductCode": product_code,
        "AppsAndFeaturesEntries": [{"DisplayName": product, "Publisher": publisher, "DisplayVersion": version,
                                    "ProductCode": product_code}],
        "Installers": [installer("user", "/CurrentUser", {}),
                       installer("machine", "/AllUsers", {"ElevationRequirement": "elevatesSelf"})]})
    folder = os.path.join(out, "winget", "manifests", PACKAGE_ID[0].lower(), *PACKAGE_ID.split("."), version)
    os.makedirs(folder, exist_ok=True)
    for name, text in files.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)

    zip_name = os.path.basename(zip_path)
    zip_pattern = "([\\d.]+)".join(part.replace(".", "\\.") for part in zip_name.split(version))
    ini = f"{product}.ini"
    scoop = {
        "version": version,
        "description": DESCRIPTION,
        "homepage": url,
        "license": LICENSE,
        "url": f"{url}/{zip_name}",
        "hash": sha256(zip_path),
        "extract_dir": product,
        "bin": [[f"{product}.exe", SCOOP_NAME]],
        "shortcuts": [[f"{product}.exe", product]],
        # Scoop would make a folder of a persisted file that is not there yet.
        "pre_install": f'if (!(Test-Path "$persist_dir\\{ini}")) '
                       f'{{ New-Item "$dir\\{ini}" -ItemType File | Out-Null }}',
        "persist": ini,
        "checkver": {"url": f"{url}/SHA256SUMS", "regex": zip_pattern},
        "autoupdate": {"url": f"{url}/{zip_name.replace(version, '$version')}",
                       "hash": {"url": "$baseurl/SHA256SUMS"}},
    }
    os.makedirs(os.path.join(out, "scoop"), exist_ok=True)
    with open(os.path.join(out, "scoop", f"{SCOOP_NAME}.json"), "w", encoding="utf-8", newline="\n") as f:
        f.write(json.dumps(scoop, indent=4) + "\n")


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
    elif command == "manifests":
        manifests(*args)
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
