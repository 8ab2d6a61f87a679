#!/usr/bin/env python3
"""check-release.py RELEASE_DIR BUILT.exe VERSION ARCHITECTURE README.md

Checks what a release publishes against the version the build was given and
the exit codes the README documents: the version records and manifest
identities of Installer.exe and of the Uninstall.exe it carries, SHA256SUMS,
and the three winget manifest files (parsed as YAML, with the fields winget's
schema 1.10.0 requires). One line per check, "ok - ..." or "FAIL - ...";
exits 1 if any failed."""
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile

import yaml

release, built, version, architecture, readme = sys.argv[1:6]
quad = version + ".0"
failed = False


def check(what, ok, got=None):
    global failed
    print("%s - %s" % ("ok" if ok else "FAIL", what))
    if not ok:
        failed = True
        if got is not None:
            print("  got: %r" % (got,))


def resource(exe, kind, name):
    out = subprocess.run(["wrestool", "-x", "--raw", "-t", str(kind), "-n", str(name), exe], capture_output=True)
    return out.stdout


def version_record(data):
    """The fixed file and product versions and the strings FileVersion and ProductVersion."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    fms, fls, pms, pls = struct.unpack_from("<IIII", data, at + 8)
    fixed = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    text = data.decode("utf-16-le", errors="replace")
    strings = [re.search(key + "\x00+([^\x00]*)\x00", text) for key in ("FileVersion", "ProductVersion")]
    return (fixed(fms, fls), fixed(pms, pls)) + tuple(m.group(1) if m else None for m in strings)


def program(exe, label, identity):
    record = version_record(resource(exe, 16, 1))
    check("%s: File and Product version %s, fixed and string" % (label, quad), record == (quad,) * 4, record)
    manifest = resource(exe, 24, 1).decode("utf-8", errors="replace")
    m = re.search(r"<assemblyIdentity\s[^>]*name=\"%s\"[^>]*>" % re.escape(identity), manifest)
    found = re.search(r"version=\"([^\"]*)\"", m.group(0)).group(1) if m else None
    check("%s: manifest assemblyIdentity %s version %s" % (label, identity, quad), found == quad, found)
    return manifest


installer = os.path.join(release, "Installer.exe")
with open(installer, "rb") as f:
    data = f.read()
digest = hashlib.sha256(data).hexdigest()
with open(built, "rb") as f:
    check("Installer.exe is the installer the build made", f.read() == data)
manifest = program(installer, "Installer.exe", "Tollanby.Vantrelle.Installer")
with tempfile.TemporaryDirectory() as work:
    uninstaller = os.path.join(work, "Uninstall.exe")
    with open(uninstaller, "wb") as f:
        f.write(resource(installer, 10, 115))
    program(uninstaller, "Uninstall.exe (RCDATA 115)", "Tollanby.Vantrelle.Uninstaller")

sums = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=release, capture_output=True, text=True)
check("sha256sum -c SHA256SUMS: Installer.exe: OK", sums.returncode == 0 and sums.stdout == "Installer.exe: OK\n",
      sums.stdout + sums.stderr)

package = "Tollanby.Vantrelle"
REQUIRED = {  # winget's schema 1.10.0
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName", "License",
                      "ShortDescription", "ManifestType", "ManifestVersion"],
}
files = {"version": package + ".yaml", "installer": package + ".installer.yaml",
         "defaultLocale": package + ".locale.en-US.yaml"}
docs = {}
for kind, name in files.items():
    try:
        with open(os.path.join(release, "winget", name), encoding="utf-8") as f:
            doc = yaml.safe_load(f)
    except (OSError, yaml.YAMLError) as e:
        check("winget/%s parses" % name, False, str(e))
        continue
    docs[kind] = doc = doc if isinstance(doc, dict) else {}
    missing = [k for k in REQUIRED[kind] if doc.get(k) in (None, "", [])]
    check("winget/%s parses and has %s" % (name, ", ".join(REQUIRED[kind])), not missing, missing)
    got = (doc.get("PackageIdentifier"), doc.get("PackageVersion"), doc.get("ManifestType"), doc.get("ManifestVersion"))
    check("winget/%s: %s %s, ManifestType %s, ManifestVersion 1.10.0" % (name, package, version, kind),
          got == (package, version, kind, "1.10.0"), got)
if len(docs) < 3:
    sys.exit(1)

i = docs["installer"]
one = i["Installers"][0] if len(i["Installers"]) == 1 else {}
field = lambda key: one.get(key, i.get(key))  # an installer inherits the root's fields
check("one installer, %s, at an https URL" % architecture,
      one.get("Architecture") == architecture and re.match(r"^https://.+", str(one.get("InstallerUrl"))),
      i["Installers"])
check("InstallerSha256 is the SHA-256 of Installer.exe (%s)" % digest,
      str(one.get("InstallerSha256")).lower() == digest, one.get("InstallerSha256"))
got = (field("InstallerType"), field("Scope"))
check("InstallerType exe, Scope machine", got == ("exe", "machine"), got)
switches = field("InstallerSwitches") or {}
got = (switches.get("Silent"), switches.get("SilentWithProgress"), switches.get("Log"))
# Quoted: winget's log path may have spaces.
check("Silent and SilentWithProgress /quiet /accept-charityware, Log /log=\"<LOGPATH>\"",
      got == ("/quiet /accept-charityware",) * 2 + ('/log="<LOGPATH>"',), got)

# The exit codes README's table documents, 0 aside.
with open(readme, encoding="utf-8") as f:
    documented = sorted({int(c) for c in re.findall(r"^\| (\d+) \|", f.read(), re.M)} - {0})
returns = field("ExpectedReturnCodes") or []
listed = sorted(r.get("InstallerReturnCode") for r in returns)
check("ExpectedReturnCodes lists every documented non-zero exit code once (%s)" % documented,
      listed == documented and documented, listed)
RESPONSES = {"packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse", "missingDependency",
             "diskFull", "insufficientMemory", "invalidParameter", "noNetwork", "contactSupport",
             "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated", "cancelledByUser",
             "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported", "custom"}
bad = [r for r in returns if r.get("ReturnResponse") not in RESPONSES]
check("each ReturnResponse is one of winget's", not bad, bad)
# An installer that asks for administrator rights has Windows ask the user (UAC) as it starts.
level = re.search(r"<requestedExecutionLevel\s+level=\"(\w+)\"", manifest)
want = {"requireAdministrator": "elevatesSelf"}.get(level.group(1)) if level else None
check("ElevationRequirement %s, as the installer's manifest asks for %s" % (want, level and level.group(1)),
      field("ElevationRequirement") == want, field("ElevationRequirement"))
entries = field("AppsAndFeaturesEntries") or [{}]
keys = ("DisplayName", "Publisher", "DisplayVersion", "ProductCode")
check("one AppsAndFeaturesEntry with %s, DisplayVersion %s" % (", ".join(keys), version),
      len(entries) == 1 and all(entries[0].get(k) for k in keys) and entries[0]["DisplayVersion"] == version,
      entries)

v, loc = docs["version"], docs["defaultLocale"]
check("DefaultLocale is the locale file's", v.get("DefaultLocale") == loc.get("PackageLocale"),
      (v.get("DefaultLocale"), loc.get("PackageLocale")))
check("PackageUrl is an https URL", re.match(r"^https://.+", str(loc.get("PackageUrl"))), loc.get("PackageUrl"))
sys.exit(1 if failed else 0)
