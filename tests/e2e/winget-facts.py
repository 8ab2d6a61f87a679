#!/usr/bin/env python3
"""winget-facts.py INSTALLER.yaml OUT.h: the winget installer manifest, read by a
YAML parser as winget reads it, as the C++ constants WingetTest.cpp checks."""
import json
import sys

import yaml

root = yaml.safe_load(open(sys.argv[1], encoding="utf-8"))
field = lambda key: root["Installers"][0].get(key, root.get(key))  # the root's fields are inherited
text = lambda value: "L" + json.dumps(str(value))  # a C string literal
entry = field("AppsAndFeaturesEntries")[0]
lines = ["#pragma once", "#include <windows.h>"]
for name, value in (("kSilent", field("InstallerSwitches")["Silent"]), ("kLog", field("InstallerSwitches")["Log"]),
                    ("kDisplayName", entry["DisplayName"]), ("kPublisher", entry["Publisher"]),
                    ("kDisplayVersion", entry["DisplayVersion"]), ("kProductCode", entry["ProductCode"])):
    lines.append("inline constexpr wchar_t %s[] = %s;" % (name, text(value)))
lines.append("inline constexpr DWORD kSuccessCodes[] = {0%s};" %
             "".join(", %d" % c for c in field("InstallerSuccessCodes") or []))
lines.append("struct ReturnCode { DWORD code; const wchar_t* response; };")
lines.append("inline constexpr ReturnCode kExpectedReturnCodes[] = {%s};" % ", ".join(
    "{%d, %s}" % (r["InstallerReturnCode"], text(r["ReturnResponse"])) for r in field("ExpectedReturnCodes")))
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(lines) + "\n")
