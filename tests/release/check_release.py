#!/usr/bin/env python3
"""Checks the make-up of a built Kestrum.exe by reading the PE file itself.

Usage: check_release.py PATH.exe --arch x86|amd64

What is checked:
  * Headers: PE32 and i386 for x86, PE32+ and AMD64 for amd64; the Windows GUI
    subsystem; a stack of 0x40000 bytes reserved and 0x2000 committed.
  * Imports: only the platform's own DLLs (kernel32, user32, gdi32, comdlg32,
    shell32, comctl32), every one of them, and so no C or C++ runtime; the
    entry point inside an executable section; no TLS directory.
  * Resources: the main dialog (101, language neutral) field by field and
    control by control; the icon group (106) with its one 16 x 16 image at
    8 bits per pixel; the version block (2.4.2257.0, US English, Unicode);
    the manifest asking for version 6 of the common controls on this
    architecture.
It prints one line per check, "ok: ..." or "FAIL: ...", plus "info: ..."
lines (the imported DLLs, the file size), and exits with status 1 if any
check failed.  Only the Python standard library is used.
"""
import argparse
import collections
import fnmatch
import re
import struct
import sys
import xml.etree.ElementTree as ET


# --- What the program must be made of -------------------------------------

Arch = collections.namedtuple("Arch", "magic machine manifest_arch")
ARCHES = {
    "x86": Arch(magic=0x10B, machine=0x14C, manifest_arch="x86"),
    "amd64": Arch(magic=0x20B, machine=0x8664, manifest_arch="amd64"),
}

SUBSYSTEM_WINDOWS_GUI = 2
STACK_RESERVE = 0x40000
STACK_COMMIT = 0x2000

# The program calls into each of these and must need nothing else, so it
# runs on a bare Windows without any redistributable.
PLATFORM_DLLS = {"kernel32", "user32", "gdi32", "comdlg32", "shell32", "comctl32"}
# Named separately so that a stray runtime gets a message saying what it is.
RUNTIME_DLL_PATTERNS = ("msvcr*", "msvcp*", "libgcc*", "libstdc++*",
                        "libwinpthread*", "ucrt*", "api-ms-*", "vcruntime*")

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 14, 16, 24
LANG_NEUTRAL = 0
LANG_EN_US = 1033

IDD_MAIN = 101
IDI_MAIN = 106
VS_VERSION_INFO_ID = 1
MANIFEST_ID = 1

DS_SETFONT = 0x40  # DS_SHELLFONT includes it
Dialog = collections.namedtuple(
    "Dialog", "style ex_style x y cx cy menu window_class caption "
              "point_size weight italic charset typeface")
MAIN_DIALOG = Dialog(style=0x80CA08C0, ex_style=0, x=0, y=0, cx=232, cy=121,
                     menu="", window_class="", caption="Kestrum",
                     point_size=9, weight=400, italic=0, charset=0,
                     typeface="宋体")

# The link's text is checked by shape rather than by value: one anchor whose
# target is also what the user reads, so the link never lies about where it
# leads.
LINK_TO_ITSELF = object()

Control = collections.namedtuple("Control", "id cls text style x y cx cy")
MAIN_DIALOG_CONTROLS = [
    Control(102, "Edit", "", 0x50811084, 35, 5, 190, 50),
    Control(103, "Button", "文件哈希值(&F)", 0x50010000, 5, 95, 61, 15),
    Control(104, "Edit", "", 0x50810880, 35, 60, 190, 12),
    Control(-1, "Static", "字符串:", 0x50020000, 5, 23, 29, 8),
    Control(-1, "Static", "MD5值:", 0x50020000, 5, 61, 25, 8),
    Control(105, "Button", "拷贝(&C)", 0x50010000, 72, 95, 48, 15),
    Control(1000, "SysLink", LINK_TO_ITSELF, 0x50010000, 6, 111, 117, 8),
    Control(-1, "Static", "参照值:", 0x50020000, 5, 78, 29, 8),
    Control(1002, "Edit", "", 0x50810080, 35, 76, 190, 12),
    Control(1004, "Button", "清空(&E)", 0x50010001, 125, 95, 48, 15),
    Control(1, "Button", "关闭(&X)", 0x50010000, 178, 95, 48, 15),
]
# Predefined window classes may be written as atoms instead of names.
CLASS_ATOMS = {0x80: "Button", 0x81: "Edit", 0x82: "Static"}

Icon = collections.namedtuple("Icon", "width height colour_count bit_count")
MAIN_ICON = Icon(width=16, height=16, colour_count=0, bit_count=8)
MAIN_ICON_IMAGE_ID = 1

VERSION = (2, 4, 2257, 0)
VERSION_TEXT = ".".join(map(str, VERSION))
VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
STRING_TABLE = "040904B0"
VERSION_KEYS = ("CompanyName", "FileDescription", "FileVersion", "InternalName",
                "LegalCopyright", "OriginalFilename", "ProductName",
                "ProductVersion")
TRANSLATION = (0x0409, 0x04B0)

ASM_NS = "{urn:schemas-microsoft-com:asm.v1}"
COMMON_CONTROLS = {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                   "version": "6.0.0.0", "publicKeyToken": "6595b64144ccf1df",
                   "language": "*"}


# --- Reporting --------------------------------------------------------------

class FormatError(Exception):
    """The file does not hold the structure it is being read as."""


class Report:
    def __init__(self):
        self.failures = 0

    def check(self, ok, what, why=""):
        if ok:
            print(f"ok: {what}")
        else:
            self.failures += 1
            print(f"FAIL: {what}" + (f": {why}" if why else ""))
        return ok

    def equal(self, what, actual, expected, show=repr):
        return self.check(actual == expected, f"{what} is {show(expected)}",
                          f"found {show(actual)}")

    def info(self, text):
        print(f"info: {text}")


# --- Reading the PE file ----------------------------------------------------

def unpack(fmt, data, offset):
    try:
        return struct.unpack_from("<" + fmt, data, offset)
    except struct.error:
        raise FormatError(f"{struct.calcsize('<' + fmt)} bytes at offset "
                          f"{offset:#x} run past the end ({len(data):#x})")


Section = collections.namedtuple("Section", "name rva virtual_size raw_offset raw_size flags")
IMAGE_SCN_MEM_EXECUTE = 0x20000000
DIR_IMPORT, DIR_RESOURCE, DIR_TLS = 1, 2, 9


class PEImage:
    """The headers, sections and data directories of one PE file."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise FormatError("no MZ signature")
        (pe_offset,) = unpack("I", data, 0x3C)
        if data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise FormatError("no PE signature")
        coff = pe_offset + 4
        self.machine, section_count = unpack("HH", data, coff)
        (optional_size,) = unpack("H", data, coff + 16)
        optional = coff + 20
        self._read_optional_header(optional)
        self.sections = [self._read_section(optional + optional_size + 40 * i)
                         for i in range(section_count)]

    def _read_optional_header(self, at):
        data = self.data
        (self.magic,) = unpack("H", data, at)
        (self.entry_rva,) = unpack("I", data, at + 16)
        (self.subsystem,) = unpack("H", data, at + 68)
        # The layouts part at the stack sizes: PE32+ widens them to 64 bits.
        if self.magic == 0x20B:
            self.stack_reserve, self.stack_commit = unpack("QQ", data, at + 72)
            directories = at + 112
        elif self.magic == 0x10B:
            self.stack_reserve, self.stack_commit = unpack("II", data, at + 72)
            directories = at + 96
        else:
            raise FormatError(f"unknown optional header magic {self.magic:#x}")
        (count,) = unpack("I", data, directories - 4)
        self.directories = [unpack("II", data, directories + 8 * i)
                            for i in range(count)]

    def _read_section(self, at):
        name, vsize, rva, raw_size, raw_offset = unpack("8sIIII", self.data, at)
        (flags,) = unpack("I", self.data, at + 36)
        return Section(name.rstrip(b"\0").decode("ascii", "replace"),
                       rva, vsize, raw_offset, raw_size, flags)

    def directory(self, index):
        """(rva, size) of a data directory, (0, 0) when the table is short."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, rva):
        for section in self.sections:
            if section.rva <= rva < section.rva + max(section.virtual_size, section.raw_size):
                return section
        return None

    def offset(self, rva):
        section = self.section_of(rva)
        if section is None or rva - section.rva >= section.raw_size:
            raise FormatError(f"RVA {rva:#x} is not backed by the file")
        return section.raw_offset + rva - section.rva

    def bytes_at(self, rva, size):
        start = self.offset(rva)
        if start + size > len(self.data):
            raise FormatError(f"{size} bytes at RVA {rva:#x} run past the end")
        return self.data[start:start + size]

    def c_string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise FormatError(f"unterminated string at RVA {rva:#x}")
        return self.data[start:end].decode("ascii", "replace")

    def imported_dlls(self):
        rva, _ = self.directory(DIR_IMPORT)
        names = []
        while rva:
            # IMAGE_IMPORT_DESCRIPTOR: 20 bytes, the DLL name's RVA at 12;
            # an all-zero descriptor ends the table.
            descriptor = self.bytes_at(rva, 20)
            if descriptor == bytes(20):
                break
            names.append(self.c_string(unpack("I", descriptor, 12)[0]))
            rva += 20
        return names

    def resources(self):
        """{(type, name): {language: bytes}}; type and name are ints or strings."""
        rva, size = self.directory(DIR_RESOURCE)
        if not rva:
            return {}
        tree = self.bytes_at(rva, size)
        found = {}
        for rtype, type_dir in _directory_entries(tree, 0):
            for name, name_dir in _directory_entries(tree, type_dir):
                for language, leaf in _directory_entries(tree, name_dir, leaves=True):
                    data_rva, data_size = unpack("II", tree, leaf)
                    found.setdefault((rtype, name), {})[language] = \
                        self.bytes_at(data_rva, data_size)
        return found


def _directory_entries(tree, at, leaves=False):
    """Yields (name or ID, offset) for each entry of one resource directory.

    The top bit of an entry's offset says whether it leads to another
    directory; the tree is types, then names, then languages, so a leaf must
    come exactly at the third level and nowhere else.
    """
    named, numbered = unpack("HH", tree, at + 12)
    for i in range(named + numbered):
        name, target = unpack("II", tree, at + 16 + 8 * i)
        is_directory = bool(target & 0x80000000)
        if is_directory == leaves:
            raise FormatError(f"resource entry at {at:#x} has the wrong kind of target")
        yield _entry_name(tree, name), target & 0x7FFFFFFF


def _entry_name(tree, name):
    if not name & 0x80000000:
        return name
    at = name & 0x7FFFFFFF
    (length,) = unpack("H", tree, at)
    return tree[at + 2:at + 2 + 2 * length].decode("utf-16-le")


# --- Reading resource formats -----------------------------------------------

class Cursor:
    """Reads little-endian fields and UTF-16 strings from a byte string."""

    def __init__(self, data, at=0):
        self.data = data
        self.at = at

    def read(self, fmt):
        values = unpack(fmt, self.data, self.at)
        self.at += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, boundary=4):
        self.at += -self.at % boundary

    def utf16z(self):
        end = self.at
        while True:
            if end + 2 > len(self.data):
                raise FormatError(f"unterminated UTF-16 string at {self.at:#x}")
            if self.data[end:end + 2] == b"\0\0":
                break
            end += 2
        text = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return text

    def sz_or_ord(self):
        """0xFFFF then an ordinal (returned as int), else a string ("" when absent)."""
        (first,) = unpack("H", self.data, self.at)
        if first == 0xFFFF:
            self.at += 2
            return self.read("H")
        return self.utf16z()


def parse_dialog_ex(data):
    """A DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items."""
    cur = Cursor(data)
    version, signature = cur.read("HH")
    if (version, signature) != (1, 0xFFFF):
        raise FormatError(f"not a DLGTEMPLATEEX (dlgVer {version}, signature {signature:#x})")
    _help_id, ex_style, style, item_count = cur.read("IIIH")
    x, y, cx, cy = cur.read("hhhh")
    menu, window_class, caption = cur.sz_or_ord(), cur.sz_or_ord(), cur.utf16z()
    font = (None, None, None, None, None)
    if style & DS_SETFONT:  # the font fields exist only with this style
        point_size, weight, italic, charset = cur.read("HHBB")
        font = (point_size, weight, italic, charset, cur.utf16z())
    dialog = Dialog(style, ex_style, x, y, cx, cy, menu, window_class, caption, *font)
    return dialog, [_parse_item(cur) for _ in range(item_count)]


def _parse_item(cur):
    cur.align()  # each DLGITEMTEMPLATEEX starts on a DWORD boundary
    _help_id, _ex_style, style = cur.read("III")
    x, y, cx, cy = cur.read("hhhh")
    control_id = cur.read("I")
    cls, text = cur.sz_or_ord(), cur.sz_or_ord()
    extra = cur.read("H")
    cur.at += extra  # creation data: skipped, this program passes none
    return Control(control_id, cls, text, style, x, y, cx, cy)


VersionNode = collections.namedtuple("VersionNode", "key type value children")


def parse_version_node(data, at=0):
    """One VS_VERSIONINFO-style node: header, key, value, then child nodes."""
    length, value_length, value_type = unpack("HHH", data, at)
    end = at + length
    if length < 6 or end > len(data):
        raise FormatError(f"version node at {at:#x} has bad length {length}")
    cur = Cursor(data[:end], at + 6)
    key = cur.utf16z()
    cur.align()
    # Text values count their length in UTF-16 units, binary ones in bytes.
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[cur.at:min(cur.at + value_size, end)]
    cur.at += value_size
    children = []
    cur.align()
    while cur.at < end:
        node, cur.at = parse_version_node(data[:end], cur.at)
        children.append(node)
        cur.align()
    return VersionNode(key, value_type, value, children), end


def version_text(node):
    return node.value.decode("utf-16-le").rstrip("\0")


def child(node, key):
    """The child with this key; version keys compare without regard to case."""
    for each in node.children:
        if each.key.lower() == key.lower():
            return each
    raise FormatError(f"no {key!r} block under {node.key!r}")


# --- The checks ----------------------------------------------------------------

def check_headers(report, pe, arch):
    show = hex
    report.equal("optional header magic", pe.magic, arch.magic, show)
    report.equal("machine", pe.machine, arch.machine, show)
    report.equal("subsystem (Windows GUI)", pe.subsystem, SUBSYSTEM_WINDOWS_GUI)
    report.equal("SizeOfStackReserve", pe.stack_reserve, STACK_RESERVE, show)
    report.equal("SizeOfStackCommit", pe.stack_commit, STACK_COMMIT, show)


def check_imports(report, pe):
    dlls = pe.imported_dlls()
    report.info("imported DLLs: " + (", ".join(dlls) or "(none)"))
    bases = {re.sub(r"\.dll$", "", name.lower()) for name in dlls}
    runtime = sorted(b for b in bases
                     if any(fnmatch.fnmatch(b, p) for p in RUNTIME_DLL_PATTERNS))
    report.check(not runtime, "no C or C++ runtime DLL is imported",
                 "imports " + ", ".join(runtime))
    report.check(bases <= PLATFORM_DLLS, "only the platform's own DLLs are imported",
                 "also imports " + ", ".join(sorted(bases - PLATFORM_DLLS)))
    report.check(PLATFORM_DLLS <= bases, "every DLL the program uses is imported",
                 "missing " + ", ".join(sorted(PLATFORM_DLLS - bases)))


def check_start_up(report, pe):
    section = pe.section_of(pe.entry_rva)
    executable = section is not None and section.flags & IMAGE_SCN_MEM_EXECUTE
    where = f"in {section.name} (flags {section.flags:#x})" if section else "in no section"
    report.check(executable, f"entry point {pe.entry_rva:#x} lies in an executable section",
                 "it is " + where)
    # A TLS directory would mean C runtime start-up code (or thread-local
    # data) crept in; the program starts straight from its own entry.
    report.equal("TLS directory (rva, size)", pe.directory(DIR_TLS), (0, 0),
                 lambda pair: "(%#x, %#x)" % pair)


def resource_languages(report, resources, rtype, name, what):
    languages = resources.get((rtype, name))
    report.check(languages is not None, f"{what} resource ({rtype}, {name}) exists",
                 "not found")
    return languages or {}


def check_dialog(report, resources):
    languages = resource_languages(report, resources, RT_DIALOG, IDD_MAIN, "main dialog")
    if not languages:
        return
    report.equal("main dialog languages (neutral only)", sorted(languages), [LANG_NEUTRAL])
    dialog, controls = parse_dialog_ex(next(iter(languages.values())))
    for field in Dialog._fields:
        show = hex if "style" in field else repr
        report.equal(f"dialog {field}", getattr(dialog, field),
                     getattr(MAIN_DIALOG, field), show)
    report.equal("dialog control count", len(controls), len(MAIN_DIALOG_CONTROLS))
    for number, (actual, wanted) in enumerate(zip(controls, MAIN_DIALOG_CONTROLS), 1):
        problems = control_problems(actual, wanted)
        report.check(not problems, f"control {number}: {describe(wanted)}",
                     "; ".join(problems))


def describe(control):
    text = "<a> to itself" if control.text is LINK_TO_ITSELF else repr(control.text)
    return (f"{control.id} {control.cls} {text} {control.style:#010x} "
            f"({control.x},{control.y},{control.cx},{control.cy})")


def control_problems(actual, wanted):
    problems = []
    if actual.id != wanted.id & 0xFFFFFFFF:  # the ID is a DWORD, so -1 is 0xFFFFFFFF
        problems.append(f"id {actual.id:#x}, want {wanted.id & 0xFFFFFFFF:#x}")
    cls = CLASS_ATOMS.get(actual.cls, actual.cls)
    if not isinstance(cls, str) or cls.lower() != wanted.cls.lower():
        problems.append(f"class {actual.cls!r}, want {wanted.cls!r}")
    problems += text_problems(actual.text, wanted.text)
    if actual.style != wanted.style:
        problems.append(f"style {actual.style:#010x}, want {wanted.style:#010x}")
    for field in ("x", "y", "cx", "cy"):
        if getattr(actual, field) != getattr(wanted, field):
            problems.append(f"{field} {getattr(actual, field)}, want {getattr(wanted, field)}")
    return problems


def text_problems(actual, wanted):
    if wanted is LINK_TO_ITSELF:
        match = re.fullmatch(r'<a href="([^"]+)">([^<]+)</a>', str(actual))
        if match and match.group(1) == match.group(2):
            return []
        return [f"text {actual!r}, want one <a> whose href is its own text"]
    if actual != wanted:
        return [f"text {actual!r}, want {wanted!r}"]
    return []


def check_icon(report, resources):
    groups = resource_languages(report, resources, RT_GROUP_ICON, IDI_MAIN, "icon group")
    if not groups:
        return
    group = next(iter(groups.values()))
    reserved, kind, count = unpack("HHH", group, 0)
    report.equal("icon group header (reserved, type)", (reserved, kind), (0, 1))
    report.equal("icon group entry count", count, 1)
    if count < 1:
        return
    width, height, colours, _, _planes, bits, size, image_id = unpack("BBBBHHIH", group, 6)
    # A width or height byte of 0 stands for 256.
    entry = Icon(width or 256, height or 256, colours, bits)
    for field in Icon._fields:
        report.equal(f"icon entry {field}", getattr(entry, field), getattr(MAIN_ICON, field))
    report.equal("icon entry's image ID", image_id, MAIN_ICON_IMAGE_ID)
    check_icon_image(report, resources, image_id, size)


def check_icon_image(report, resources, image_id, size_in_group):
    images = resource_languages(report, resources, RT_ICON, image_id, "icon image")
    if not images:
        return
    image = next(iter(images.values()))
    report.equal("icon image size (as its group entry says)", len(image), size_in_group)
    header_size, width, height, _planes, bits = unpack("IiiHH", image, 0)
    report.equal("icon image header size (BITMAPINFOHEADER)", header_size, 40)
    # The height covers the colour image and the transparency mask stacked.
    report.equal("icon image (width, height, bits)", (width, height, bits),
                 (MAIN_ICON.width, 2 * MAIN_ICON.height, MAIN_ICON.bit_count))


def check_version(report, resources):
    languages = resource_languages(report, resources, RT_VERSION, VS_VERSION_INFO_ID,
                                   "version")
    if not languages:
        return
    report.equal("version languages (US English only)", sorted(languages), [LANG_EN_US])
    root, _ = parse_version_node(next(iter(languages.values())))
    report.equal("version root key", root.key, "VS_VERSION_INFO")
    check_fixed_file_info(report, root.value)
    check_string_table(report, child(child(root, "StringFileInfo"), STRING_TABLE))
    translation = child(child(root, "VarFileInfo"), "Translation").value
    report.equal("version Translation", unpack("HH", translation, 0), TRANSLATION,
                 lambda pair: "(%#06x, %#06x)" % pair)


def check_fixed_file_info(report, fixed):
    signature, _, file_ms, file_ls, product_ms, product_ls = unpack("6I", fixed, 0)
    report.equal("VS_FIXEDFILEINFO signature", signature, VS_FIXEDFILEINFO_SIGNATURE, hex)
    major, minor, build, revision = VERSION
    wanted = ((major << 16) | minor, (build << 16) | revision)
    show = lambda pair: "(%#010x, %#010x)" % pair
    report.equal("file version (MS, LS)", (file_ms, file_ls), wanted, show)
    report.equal("product version (MS, LS)", (product_ms, product_ls), wanted, show)


def check_string_table(report, table):
    strings = {node.key: version_text(node) for node in table.children}
    missing = [key for key in VERSION_KEYS if not strings.get(key)]
    report.check(not missing, f"string table {STRING_TABLE} has all {len(VERSION_KEYS)} "
                 "keys, none empty", "missing or empty: " + ", ".join(missing))
    for key in ("FileVersion", "ProductVersion"):
        report.equal(f"version string {key}", strings.get(key), VERSION_TEXT)


def check_manifest(report, resources, arch):
    languages = resource_languages(report, resources, RT_MANIFEST, MANIFEST_ID, "manifest")
    if not languages:
        return
    try:
        root = ET.fromstring(next(iter(languages.values())))
    except ET.ParseError as error:
        report.check(False, "manifest is well-formed XML", str(error))
        return
    report.equal("manifest root element", root.tag, ASM_NS + "assembly")
    report.equal("manifestVersion", root.get("manifestVersion"), "1.0")
    identity = root.find(ASM_NS + "assemblyIdentity")
    report.check(identity is not None, "manifest has an assemblyIdentity", "none found")
    if identity is not None:
        check_identity(report, "program identity", identity,
                       {"version": "1.0.0.0", "type": "win32"}, arch)
    path = f"{ASM_NS}dependency/{ASM_NS}dependentAssembly/{ASM_NS}assemblyIdentity"
    wanted_name = COMMON_CONTROLS["name"].lower()
    controls = [each for each in root.findall(path)
                if (each.get("name") or "").lower() == wanted_name]
    report.equal("dependencies on the common controls", len(controls), 1)
    if len(controls) == 1:
        check_identity(report, "common controls dependency", controls[0],
                       COMMON_CONTROLS, arch)


def check_identity(report, what, identity, attributes, arch):
    problems = [f"{name}={identity.get(name)!r}, want {value!r}"
                for name, value in attributes.items() if identity.get(name) != value]
    # Windows compares the architecture without regard to case.
    found_arch = identity.get("processorArchitecture") or ""
    if found_arch.lower() != arch.manifest_arch:
        problems.append(f"processorArchitecture={found_arch!r}, want {arch.manifest_arch!r}")
    report.check(not problems, f"{what} is " + ", ".join(
        f"{k}={v}" for k, v in {**attributes, "arch": arch.manifest_arch}.items()),
        "; ".join(problems))


def check_resources(report, pe, arch):
    resources = pe.resources()
    run_group(report, "dialog", check_dialog, resources)
    run_group(report, "icon", check_icon, resources)
    run_group(report, "version", check_version, resources)
    run_group(report, "manifest", check_manifest, resources, arch)


# --- Driver -------------------------------------------------------------------

def run_group(report, label, check, *args):
    """Runs one group of checks; a structure that cannot be read is a failure."""
    try:
        check(report, *args)
    except (FormatError, UnicodeDecodeError) as error:
        report.check(False, f"{label} can be read", str(error))


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    # Any case, so the build can pass its manifest spelling ("X86") as it is.
    parser.add_argument("--arch", required=True, type=str.lower, choices=sorted(ARCHES))
    args = parser.parse_args(argv)
    # The dialog's texts are Chinese; never let the console's encoding crash us.
    sys.stdout.reconfigure(errors="backslashreplace")
    arch = ARCHES[args.arch]
    with open(args.exe, "rb") as exe:
        data = exe.read()
    report = Report()
    report.info(f"file size of {args.exe}: {len(data)} bytes")
    try:
        pe = PEImage(data)
    except FormatError as error:
        report.check(False, "file is a readable PE image", str(error))
        return 1
    run_group(report, "headers", check_headers, pe, arch)
    run_group(report, "imports", check_imports, pe)
    run_group(report, "start-up", check_start_up, pe)
    run_group(report, "resources", check_resources, pe, arch)
    print(f"{report.failures} check(s) failed" if report.failures else "all checks passed")
    return 1 if report.failures else 0


if __name__ == "__main__":
    sys.exit(main())
