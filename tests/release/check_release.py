#!/usr/bin/env python3
"""The program file's make-up, where a fault would break users:
    check_release.py PROGRAM.exe OBJDUMP OBJECT...
No OBJECT (the program's object files and libraries) may carry a static
initialiser: the program runs no C runtime start-up that would call it.
"""
import subprocess
import sys
import xml.etree.ElementTree as ET

import pefile

program, objdump, *objects = ";".join(sys.argv[1:]).split(";")
pe = pefile.PE(program)
header, failed = pe.OPTIONAL_HEADER, []


def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what)
    failed.extend([] if ok else [what])


check((pe.FILE_HEADER.Machine, header.Magic) == (0x14C, 0x10B), "a PE32 file for x86")
check(header.Subsystem == 2, "Windows GUI subsystem")
dlls = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
system = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "shell32.dll", "comctl32.dll"}
check(dlls <= system, f"imports only system DLLs: {' '.join(sorted(dlls))}")
check(header.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_TLS"]].Size == 0, "no TLS")
for name in objects:
    sections = subprocess.run([objdump, "-h", name], capture_output=True, text=True, check=True).stdout
    check(".ctors" not in sections and ".CRT$XC" not in sections, f"no static initialiser in {name}")

manifest = next(leaf.data.struct for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries if kind.id == 24
                for name in kind.directory.entries for leaf in name.directory.entries)
root = ET.fromstring(pe.get_data(manifest.OffsetToData, manifest.Size))
identities = root.findall(".//{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
check(len(identities) == 2 and all(i.get("processorArchitecture").lower() == "x86" for i in identities),
      "manifest for x86")
check(any(i.get("name") == "Microsoft.Windows.Common-Controls" and i.get("version") == "6.0.0.0"
          for i in identities), "manifest asks for the common controls 6")
sys.exit(1 if failed else 0)
