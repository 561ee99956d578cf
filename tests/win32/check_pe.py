#!/usr/bin/python3
"""Inspects Pathlet.dll and Pathlet_LANG.dll with an independent PE parser (pefile).
Usage: check_pe.py DIR i386|amd64"""
import sys

import pefile

directory, arch = sys.argv[1], sys.argv[2]
machine = {"i386": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
           "amd64": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]}[arch]
SYSTEM = {"comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "user32.dll", "version.dll",
          "advapi32.dll", "shell32.dll", "ole32.dll"}
failures = []

def check(condition, what):
    print(("  ok   " if condition else "  FAIL ") + what)
    if not condition:
        failures.append(what)

def version_of(pe):
    info = pe.VS_FIXEDFILEINFO[0]
    numbers = (info.FileVersionMS >> 16, info.FileVersionMS & 0xFFFF, info.FileVersionLS >> 16, info.FileVersionLS & 0xFFFF)
    return info, numbers

def strings_of(pe):
    table = {}
    for file_info in pe.FileInfo[0]:
        if getattr(file_info, "Key", b"") == b"StringFileInfo":
            for entry in file_info.StringTable:
                table.update({k.decode(): v.decode() for k, v in entry.entries.items()})
    return table

def resources_of(pe):
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        found[kind.id] = {entry.id for entry in kind.directory.entries}
    return found

print(f"{directory} ({arch})")
module = pefile.PE(f"{directory}/Pathlet.dll")
check(module.FILE_HEADER.Machine == machine, f"Pathlet.dll machine is {arch}")
exports = sorted(symbol.name.decode() for symbol in module.DIRECTORY_ENTRY_EXPORT.symbols)
check(exports == sorted(["OpenConduit", "GetConduitName", "GetConduitVersion", "GetConduitInfo", "ConfigureConduit",
                         "CfgConduit"]), f"exactly the six undecorated exports: {exports}")
imports = sorted(entry.dll.decode().lower() for entry in module.DIRECTORY_ENTRY_IMPORT)
check(set(imports) <= SYSTEM, f"only Windows system libraries imported: {imports}")
info, numbers = version_of(module)
check(numbers == (2, 3, 1, 0), f"file version {numbers}")
check((info.ProductVersionMS, info.ProductVersionLS) == (0x00020003, 0x00010000), "product version 2.3.1.0")
check((info.FileFlagsMask, info.FileFlags, info.FileOS, info.FileType) == (0x3F, 0x20, 0x4, 0x2),
      "flags mask 0x3F, flags 0x20, OS 0x4, type 0x2 (dynamic library)")
texts = strings_of(module)
check(all(texts.get(key) == "Pathlet" for key in ("FileDescription", "InternalName", "ProductName")),
      "FileDescription, InternalName, ProductName")
check(texts.get("FileVersion") == "2.3" and texts.get("ProductVersion") == "2.3", "version texts 2.3")
check(texts.get("OriginalFilename") == "Pathlet.dll", "OriginalFilename")
check(set(resources_of(module)) == {pefile.RESOURCE_TYPE["RT_VERSION"]}, "the module's only resource is its version block")

language = pefile.PE(f"{directory}/Pathlet_LANG.dll")
check(language.FILE_HEADER.Machine == machine, f"Pathlet_LANG.dll machine is {arch}")
check(version_of(language)[1] == (2, 3, 1, 0), "language library file version 2.3.1.0")
resources = resources_of(language)
check(103 in resources.get(pefile.RESOURCE_TYPE["RT_DIALOG"], set()), "dialog template 103")
check({1020, 1022} <= resources.get(pefile.RESOURCE_TYPE["RT_BITMAP"], set()), "bitmaps 1020 and 1022")
check(0xF107 // 16 + 1 in resources.get(pefile.RESOURCE_TYPE["RT_STRING"], set()), "string 0xF107")
check(not hasattr(language, "DIRECTORY_ENTRY_IMPORT"), "the language library imports nothing")
setup = pefile.PE(f"{directory}/PathletSetup.exe")
check(setup.FILE_HEADER.Machine == machine, f"PathletSetup.exe machine is {arch}")
check(setup.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_CUI"], "PathletSetup.exe is a console program")
setup_imports = sorted(entry.dll.decode().lower() for entry in setup.DIRECTORY_ENTRY_IMPORT)
check(set(setup_imports) <= SYSTEM, f"PathletSetup.exe needs no runtime libraries: {setup_imports}")
sys.exit(1 if failures else 0)
