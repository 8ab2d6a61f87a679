#!/usr/bin/env python3
"""winget-facts.py INSTALLER.yaml OUT.h: what the end-to-end test needs of the
winget installer manifest, read with a YAML parser as winget reads it, as C++
constants (WingetTest.cpp)."""
import json
import sys

import yaml

manifest = yaml.safe_load(open(sys.argv[1], encoding="utf-8"))
installer = manifest["Installers"][0]


def field(name):
    """A field of the one installer, or of the manifest's root, which it inherits."""
    return installer.get(name, manifest.get(name))


def text(value):
    return "L" + json.dumps(str(value))  # a C string literal for the text


switches = field("InstallerSwitches")
entry = field("AppsAndFeaturesEntries")[0]
codes = field("ExpectedReturnCodes") or []
lines = ["// Made by winget-facts.py from %s." % sys.argv[1], "#pragma once", "#include <windows.h>"]
for name, value in (("kSilent", switches["Silent"]), ("kLog", switches["Log"]),
                    ("kDisplayName", entry["DisplayName"]), ("kPublisher", entry["Publisher"]),
                    ("kDisplayVersion", entry["DisplayVersion"]), ("kProductCode", entry["ProductCode"])):
    lines.append("inline constexpr wchar_t %s[] = %s;" % (name, text(value)))
lines.append("inline constexpr DWORD kSuccessCodes[] = {0%s};" %
             "".join(", %dul" % c for c in field("InstallerSuccessCodes") or []))
lines.append("struct ReturnCode { DWORD code; const wchar_t* response; };")
lines.append("inline constexpr ReturnCode kExpectedReturnCodes[] = {%s};" %
             ", ".join("{%dul, %s}" % (c["InstallerReturnCode"], text(c["ReturnResponse"])) for c in codes))
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(lines) + "\n")
