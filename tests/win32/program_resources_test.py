"""The Windows programs' resources, read back from the built files: the icon
group holds the icon file's five pictures (16, 24, 32, 48 and 256 pixels) byte
for byte, and the version details carry the version package-tool.exe --version
prints (under wine) and the fixed version's four numbers.
    program_resources_test.py WINE_RUN PREFIX ICON.ico NUMBERS PROGRAM.exe...
NUMBERS: the fixed version, comma-separated ("0,2,1,0").
Exit status 0 passed, 1 failed."""
import struct
import subprocess
import sys

import pefile

ICON_SIZES = [16, 24, 32, 48, 256]
RT_ICON = pefile.RESOURCE_TYPE["RT_ICON"]
RT_GROUP_ICON = pefile.RESOURCE_TYPE["RT_GROUP_ICON"]


def icon_file_pictures(path):
    """{side: picture bytes} of an .ico file (a side of 0 stands for 256)."""
    data = open(path, "rb").read()
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    assert kind == 1, f"{path} is no icon file"
    pictures = {}
    for i in range(count):
        width, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        pictures[width or 256] = data[offset:offset + size]
    return pictures


def resources(pe, kind):
    """{id: bytes} of every resource of the given type (first language)."""
    found = {}
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != kind:
            continue
        for item in entry.directory.entries:
            language = item.directory.entries[0]
            found[item.id] = pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)
    return found


def check_program(path, pictures, version, numbers):
    problems = []
    pe = pefile.PE(path)
    groups = resources(pe, RT_GROUP_ICON) if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else {}
    icons = resources(pe, RT_ICON) if groups else {}
    if 1 not in groups:
        problems.append(f"no icon group 1 (groups: {sorted(groups)})")
    else:
        group = groups[1]
        count = struct.unpack_from("<H", group, 4)[0]
        sides = []
        for i in range(count):
            width, _, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            side = width or 256
            sides.append(side)
            if icons.get(icon_id) != pictures.get(side):
                problems.append(f"the {side}-pixel picture differs from the icon file's")
        if sorted(sides) != ICON_SIZES:
            problems.append(f"icon sizes {sorted(sides)}, not {ICON_SIZES}")

    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0] if hasattr(pe, "FileInfo") else []:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for key in ("FileVersion", "ProductVersion"):
        if strings.get(key) != version:
            problems.append(f"{key} is {strings.get(key)!r}, --version says {version!r}")
    for key in ("ProductName", "FileDescription", "LegalCopyright", "CompanyName"):
        if not strings.get(key):
            problems.append(f"no {key}")
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    if not fixed:
        problems.append("no fixed version")
    else:
        info = fixed[0]
        for name, high, low in (("file", info.FileVersionMS, info.FileVersionLS),
                                ("product", info.ProductVersionMS, info.ProductVersionLS)):
            got = [high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF]
            if got != numbers:
                problems.append(f"fixed {name} version {got}, not {numbers}")
    return problems


def main():
    wine_run, prefix, icon, numbers, *programs = sys.argv[1:]
    numbers = [int(n) for n in numbers.split(",")]
    tool = next(p for p in programs if p.endswith("package-tool.exe"))
    said = subprocess.run([wine_run, prefix, tool, "--version"], capture_output=True, text=True,
                          timeout=120, check=True).stdout.split()
    version = said[1]
    pictures = icon_file_pictures(icon)
    failed = False
    for program in programs:
        for problem in check_program(program, pictures, version, numbers):
            print(f"FAIL: {program}: {problem}")
            failed = True
    if not failed:
        print(f"{len(programs)} programs: icon at {ICON_SIZES}, version {version} ({numbers})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
