#!/usr/bin/env python3
"""check-release.py RELEASE_DIR BUILT.exe VERSION ARCHITECTURE README.md: what a
release publishes, against the version the build was given and the exit codes
README documents. One line per check, "ok - ..." or "FAIL - ..."; exits 1 if any failed."""
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
failed = []


def check(what, ok, got=None):
    print(("ok - " if ok else "FAIL - ") + what + ("" if ok or got is None else "\n  got: %r" % (got,)))
    failed.extend([] if ok else [what])


def resource(exe, kind, name):
    return subprocess.run(["wrestool", "-x", "--raw", "-t", str(kind), "-n", str(name), exe], capture_output=True).stdout


def program(exe, label, identity):
    """Its version record (fixed and string versions) and its manifest's identity."""
    record = resource(exe, 16, 1)
    at = record.find(struct.pack("<I", 0xFEEF04BD))
    versions = [struct.unpack_from("<II", record, at + offset) for offset in (8, 16)] if at >= 0 else []
    got = ["%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) for ms, ls in versions]
    got += re.findall("(?:File|Product)Version\x00+([^\x00]*)\x00", record.decode("utf-16-le", "replace"))
    check("%s: File and Product version %s, fixed and string" % (label, quad), got == [quad] * 4, got)
    manifest = resource(exe, 24, 1).decode("utf-8", "replace")
    got = re.findall(r'<assemblyIdentity type="win32" name="%s" version="([^"]*)"' % re.escape(identity), manifest)
    check("%s: manifest identity %s %s" % (label, identity, quad), got == [quad], got)
    return manifest


installer = os.path.join(release, "Installer.exe")
data = open(installer, "rb").read()
digest = hashlib.sha256(data).hexdigest()
check("Installer.exe is the one the build made", open(built, "rb").read() == data)
manifest = program(installer, "Installer.exe", "Tollanby.Vantrelle.Installer")
with tempfile.NamedTemporaryFile(suffix=".exe") as carried:
    carried.write(resource(installer, 10, 115))
    carried.flush()
    program(carried.name, "Uninstall.exe (RCDATA 115)", "Tollanby.Vantrelle.Uninstaller")
sums = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=release, capture_output=True, text=True)
check("sha256sum -c SHA256SUMS: Installer.exe: OK", sums.stdout == "Installer.exe: OK\n", sums.stdout + sums.stderr)

docs = {}
described = "PackageLocale Publisher PackageName License ShortDescription"
# The default locale is English; the installer speaks German and French too.
manifests = (("version", "", "DefaultLocale"), ("installer", ".installer", "Installers"),
             ("defaultLocale", ".locale.en-US", described), ("locale", ".locale.de-DE", described),
             ("locale", ".locale.fr-FR", described))
got = sorted(os.listdir(os.path.join(release, "winget")))
check("winget/ holds the five manifest files", got == sorted("Tollanby.Vantrelle%s.yaml" % m[1] for m in manifests), got)
for kind, suffix, required in manifests:
    name = "winget/Tollanby.Vantrelle%s.yaml" % suffix
    docs[suffix] = doc = yaml.safe_load(open(os.path.join(release, name), encoding="utf-8"))
    fields = ["PackageIdentifier", "PackageVersion"] + required.split() + ["ManifestType", "ManifestVersion"]
    got = [doc.get(k) for k in ("PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion")]
    check("%s parses, has %s: Tollanby.Vantrelle %s %s 1.10.0" % (name, ", ".join(fields), version, kind),
          all(doc.get(k) for k in fields) and got == ["Tollanby.Vantrelle", version, kind, "1.10.0"], doc)

check("the default locale is en-US", docs[""].get("DefaultLocale") == "en-US", docs[""].get("DefaultLocale"))
for suffix in (".locale.de-DE", ".locale.fr-FR"):
    doc = docs[suffix]
    check("%s: its own locale, the short description translated" % suffix,
          doc.get("PackageLocale") == suffix[8:] and
          doc.get("ShortDescription") not in (None, docs[".locale.en-US"].get("ShortDescription")), doc)
root = docs[".installer"]
one = root["Installers"][0]
field = lambda key: one.get(key, root.get(key))  # an installer inherits the root's fields
check("InstallerSha256 is Installer.exe's (%s)" % digest, str(one.get("InstallerSha256")).lower() == digest,
      one.get("InstallerSha256"))
got = [field(k) for k in ("Architecture", "InstallerType", "Scope", "ElevationRequirement")]
# The installer's manifest requires administrator rights: Windows asks for them as it starts.
check("%s, exe, machine, elevatesSelf as the manifest requires administrator" % architecture,
      got == [architecture, "exe", "machine", "elevatesSelf"] and 'level="requireAdministrator"' in manifest, got)
got = [field("InstallerSwitches").get(k) for k in ("Silent", "SilentWithProgress", "Log")]
check('switches: /quiet /accept-charityware, log /log="<LOGPATH>" (quoted for spaces)',
      got == ["/quiet /accept-charityware"] * 2 + ['/log="<LOGPATH>"'], got)
readme_text = open(readme, encoding="utf-8").read()
documented = sorted({int(c) for c in re.findall(r"^\| (\d+) \|", readme_text, re.M)} - {0})
returns = field("ExpectedReturnCodes")
responses = {"packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse", "missingDependency",
             "diskFull", "insufficientMemory", "invalidParameter", "noNetwork", "contactSupport",
             "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated", "cancelledByUser",
             "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported", "custom"}
check("ExpectedReturnCodes: each documented non-zero exit code %s once, with one of winget's responses" % documented,
      sorted(r["InstallerReturnCode"] for r in returns) == documented != [] and
      all(r["ReturnResponse"] in responses for r in returns), returns)
# The answers the README promises ("698 contactSupport"): a code mapped to another one tells winget to
# act wrongly, to retry for ever, say.
promised = {int(c): r for c, r in re.findall(r"\b(\d+) (%s)\b" % "|".join(responses), readme_text)}
given = {r["InstallerReturnCode"]: r["ReturnResponse"] for r in returns}
check("winget's answers as the README gives them: %s" % promised,
      len(promised) >= 8 and all(given.get(c) == r for c, r in promised.items()), given)
entries = field("AppsAndFeaturesEntries")
check("one AppsAndFeaturesEntry: DisplayName, Publisher, ProductCode, DisplayVersion %s" % version,
      len(entries) == 1 and all(entries[0].get(k) for k in ("DisplayName", "Publisher", "ProductCode")) and
      entries[0].get("DisplayVersion") == version, entries)
sys.exit(1 if failed else 0)
