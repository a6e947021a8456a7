#!/usr/bin/env python3
"""The program file's make-up, where a fault would break users:
    check_release.py PROGRAM.exe x86|amd64 VERSION OBJDUMP OBJECT...
OBJECT: the program's object files and libraries, none of which may carry a
static initialiser, since the program runs no C runtime start-up to call it.
"""
import subprocess
import sys
import xml.etree.ElementTree as ET

import pefile

program, arch, version, objdump, *objects = ";".join(sys.argv[1:]).split(";")
pe = pefile.PE(program)
header = pe.OPTIONAL_HEADER
failed = []


def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok:
        failed.append(what)


check(pe.FILE_HEADER.Machine == {"x86": 0x14C, "amd64": 0x8664}[arch], f"machine {arch}")
check(header.Magic == {"x86": 0x10B, "amd64": 0x20B}[arch], "PE32 for x86, PE32+ for amd64")
check(header.Subsystem == 2, "Windows GUI subsystem")
check((header.SizeOfStackReserve, header.SizeOfStackCommit) == (0x40000, 0x2000),
      "stack of 256 KiB reserved, 8 KiB committed")
dlls = sorted(entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT)
system = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "shell32.dll", "comctl32.dll"}
check(set(dlls) <= system, f"imports only system DLLs: {' '.join(dlls)}")
check(header.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_TLS"]].Size == 0, "no TLS")
for name in objects:
    sections = subprocess.run([objdump, "-h", name], capture_output=True, text=True, check=True).stdout
    check(".ctors" not in sections and ".CRT$XC" not in sections, f"no static initialiser in {name}")

fixed = pe.VS_FIXEDFILEINFO[0]
numbers = (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16,
           fixed.FileVersionLS & 0xFFFF)
check(".".join(map(str, numbers)) == version, f"file version {version}")
strings = {k.decode(): v.decode() for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
           for table in info.StringTable for k, v in table.entries.items()}
check(strings.get("FileVersion") == strings.get("ProductVersion") == version,
      f"version strings {version}")

manifests = [entry for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries if kind.id == 24
             for name in kind.directory.entries for entry in name.directory.entries]
data = manifests[0].data.struct if manifests else None
text = pe.get_data(data.OffsetToData, data.Size) if data else b"<none/>"
ns = {"a": "urn:schemas-microsoft-com:asm.v1"}
root = ET.fromstring(text)
identities = root.findall("a:assemblyIdentity", ns) + root.findall(".//a:dependentAssembly/a:assemblyIdentity", ns)
check(all(i.get("processorArchitecture", "").lower() == arch for i in identities) and len(identities) == 2,
      f"manifest for {arch}")
check(any(i.get("name") == "Microsoft.Windows.Common-Controls" and i.get("version") == "6.0.0.0"
          for i in identities), "manifest asks for common controls 6")
sys.exit(1 if failed else 0)
