#!/usr/bin/env python3
"""release-files.py: the files a release publishes, beside a built installer.

    release-files.py --source DIR --installer Installer.exe --manifest Installer.manifest
                     --version 5.3.1 --architecture x86 [--url URL] --out DIR

writes OUT/Installer.exe (a copy), OUT/SHA256SUMS and the winget manifest in
OUT/winget/. Every fact comes from the version the build was given, the
installer's own manifest or the sources' constants (product/Product.h,
product/ExitCode.h) and string tables (resources/English.rc and the other
languages'), so the manifest cannot say other than the installer does. Stops with a message naming what it could
not find.
"""
import argparse
import hashlib
import os
import re
import shutil
import sys

PACKAGE = "Tollanby.Vantrelle"  # winget's identifier: never changes between releases
MANIFEST_VERSION = "1.10.0"
LOCALE = "en-US"
# The other languages the installer speaks: a locale manifest each, with the
# short description in the words of that language's string table.
LOCALES = {"de-DE": "German.rc", "fr-FR": "French.rc"}
# The quiet run accepts the terms on the user's behalf, as winget's user has
# agreed to install (README, "Unattended installation").
QUIET = "/quiet /accept-charityware"
# Quoted, for a log path with spaces; the program sees /log=PATH.
LOG = '/log="<LOGPATH>"'
LICENSE = "Charityware"  # what the dialog's box accepts

# What winget tells its user for each exit code (product/ExitCode.h), by the
# constant's name; custom where none of winget's answers fits.
RESPONSES = {
    "kExitInUse": "packageInUse",  # Vantrelle, its help or another of its files is open
    "kExitShortcut": "custom",
    "kExitDiskFull": "diskFull",  # too little space before anything changed, or the disk filled
    "kExitNoCabinetLibrary": "missingDependency",  # the system's Cabinet.dll
    "kExitLink": "custom",
    # Another program made the lock: retrying never helps; an administrator finds out which.
    "kExitForeignLock": "contactSupport",
    "kExitRegistry": "custom",
    "kExitDamaged": "custom",  # winget checked the hash: a copy damaged after that
    "kExitDeclined": "cancelledByUser",
    "kExitWriteFailed": "custom",
    "kExitInProgress": "installInProgress",  # another installation or removal runs: winget waits and retries
    "kExitLogFailed": "custom",
    "kExitNewerVersion": "downgrade",
    "kExitBadSwitch": "invalidParameter",
}
# What winget asks of the context it starts the installer in, by the
# installer manifest's requestedExecutionLevel: one that requires
# administrator rights has Windows ask for them (UAC) when it starts.
ELEVATION = {"requireAdministrator": "elevatesSelf"}


def fail(text):
    sys.exit("release-files.py: " + text)


def read(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read()
    except OSError as e:
        fail("cannot read %s: %s" % (path, e.strerror))


def constant(path, name):
    """The text of a wide-string constant `name[] = L"..."` in the C++ file."""
    m = re.search(r"\b%s\[\]\s*=\s*L\"((?:[^\"\\]|\\.)*)\"" % re.escape(name), read(path))
    if not m:
        fail("%s has no constant %s[] = L\"...\"" % (path, name))
    return m.group(1).replace("\\\\", "\\")


def text(path, name):
    """The text of the string `name` in the .rc file's string table."""
    m = re.search(r"^\s*%s\s+\"((?:[^\"]|\"\")*)\"" % re.escape(name), read(path), re.M)
    if not m:
        fail("%s has no text %s" % (path, name))
    return m.group(1).replace('""', '"')


def exit_codes(path):
    codes = [(name, int(value)) for name, value in re.findall(r"^\s*(kExit\w+)\s*=\s*(\d+)\s*,", read(path), re.M)]
    if not codes:
        fail("%s lists no exit codes (kExitName = N,)" % path)
    names = {name for name, _ in codes}
    unmapped = [n for n, v in codes if v != 0 and n not in RESPONSES]
    if unmapped:
        fail("%s has %s, which RESPONSES in %s does not map to a winget response"
             % (path, ", ".join(unmapped), os.path.basename(__file__)))
    stale = sorted(set(RESPONSES) - names)
    if stale:
        fail("RESPONSES maps %s, which %s no longer has" % (", ".join(stale), path))
    return [(value, RESPONSES[name]) for name, value in codes if value != 0]


def execution_level(path):
    m = re.search(r"<requestedExecutionLevel\s+level=\"(\w+)\"", read(path))
    if not m:
        fail("%s asks for no requestedExecutionLevel" % path)
    if m.group(1) not in ELEVATION:
        fail("%s asks for the execution level %s; ELEVATION says what winget needs only for %s"
             % (path, m.group(1), ", ".join(ELEVATION)))
    return ELEVATION[m.group(1)]


PLAIN = re.compile(r"^[A-Za-z][A-Za-z0-9 .,()&/-]*$")
YAML_WORDS = {"y", "n", "yes", "no", "true", "false", "on", "off", "null"}


def scalar(value):
    """A YAML scalar that reads back as this very value."""
    if isinstance(value, int):
        return str(value)
    if PLAIN.match(value) and not value.endswith(" ") and value.lower() not in YAML_WORDS:
        return value
    return "'" + value.replace("'", "''") + "'"


def yaml(kind, lines):
    head = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json\n" % (
        kind, MANIFEST_VERSION)
    body = ""
    for line in lines + [("ManifestType", kind), ("ManifestVersion", MANIFEST_VERSION)]:
        if isinstance(line, str):
            body += line + "\n"  # a line that opens a mapping or a list
        else:
            key, value = line
            body += "%s: %s\n" % (key, scalar(value))
    return head + "\n" + body


def item(key, value, first=False):
    """A key of a mapping in a list; `first` opens the mapping."""
    return "%s%s: %s" % ("- " if first else "  ", key, scalar(value))


def main():
    p = argparse.ArgumentParser(description="Writes a release's files beside a built installer.")
    for option in ("--source", "--installer", "--manifest", "--version", "--architecture", "--out"):
        p.add_argument(option, required=True)
    p.add_argument("--url", default="")
    a = p.parse_args()

    product = os.path.join(a.source, "product", "Product.h")
    name = constant(product, "kDisplayName")
    publisher = constant(product, "kPublisher")
    page = constant(product, "kProductPage")
    # Apps & features knows the installation by its key's name.
    entry_key = constant(product, "kUninstallKey").rsplit("\\", 1)[-1]
    resources = os.path.join(a.source, "resources")
    description = text(os.path.join(resources, "English.rc"), "IDS_SHORTCUT_DESCRIPTION")
    descriptions = {locale: text(os.path.join(resources, rc), "IDS_SHORTCUT_DESCRIPTION")
                    for locale, rc in LOCALES.items()}
    codes = exit_codes(os.path.join(a.source, "product", "ExitCode.h"))
    elevation = execution_level(a.manifest)
    if a.architecture not in ("x86", "x64"):
        fail("--architecture is %s: x86 or x64" % a.architecture)
    # Each release under a path of its own: older manifests keep naming their file.
    url = a.url or "%s/%s/Installer.exe" % (page.rsplit("/", 1)[0], a.version)
    if not re.match(r"^https?://.+", url, re.I):
        fail("the installer's URL %s is not an http(s) URL" % url)

    try:
        with open(a.installer, "rb") as f:
            data = f.read()
    except OSError as e:
        fail("cannot read the installer %s: %s" % (a.installer, e.strerror))
    digest = hashlib.sha256(data).hexdigest()

    winget = os.path.join(a.out, "winget")
    if os.path.isdir(a.out):
        shutil.rmtree(a.out)
    os.makedirs(winget)
    with open(os.path.join(a.out, "Installer.exe"), "wb") as f:
        f.write(data)
    with open(os.path.join(a.out, "SHA256SUMS"), "w", newline="\n") as f:
        f.write("%s  Installer.exe\n" % digest)

    ident = [("PackageIdentifier", PACKAGE), ("PackageVersion", a.version)]
    version_file = yaml("version", ident + [("DefaultLocale", LOCALE)])
    returns = ["ExpectedReturnCodes:"]
    for code, response in codes:
        returns += [item("InstallerReturnCode", code, True), item("ReturnResponse", response)]
    installer_file = yaml("installer", ident + [
        ("InstallerType", "exe"),
        ("Scope", "machine"),
        "InstallModes:\n- interactive\n- silent\n- silentWithProgress",
        "InstallerSwitches:",
        ("  Silent", QUIET),
        ("  SilentWithProgress", QUIET),
        ("  Log", LOG),
    ] + returns + [
        # A newer installer runs over the installation and updates it.
        ("UpgradeBehavior", "install"),
        ("ElevationRequirement", elevation),
        "AppsAndFeaturesEntries:",
        item("DisplayName", name, True),
        item("Publisher", publisher),
        item("DisplayVersion", a.version),
        item("ProductCode", entry_key),
        "Installers:",
        item("Architecture", a.architecture, True),
        item("InstallerUrl", url),
        item("InstallerSha256", digest.upper()),
    ])
    locale_file = yaml("defaultLocale", ident + [
        ("PackageLocale", LOCALE),
        ("Publisher", publisher),
        ("PackageName", name),
        ("PackageUrl", page),
        ("License", LICENSE),
        ("LicenseUrl", page + "#Charityware"),  # where the dialog's link goes
        ("ShortDescription", description),
    ])
    files = [("", version_file), (".installer", installer_file), (".locale." + LOCALE, locale_file)]
    for locale, short in sorted(descriptions.items()):
        files.append((".locale." + locale, yaml("locale", ident + [
            ("PackageLocale", locale),
            ("Publisher", publisher),
            ("PackageName", name),
            ("License", LICENSE),
            ("ShortDescription", short),
        ])))
    for suffix, content in files:
        with open(os.path.join(winget, PACKAGE + suffix + ".yaml"), "w", encoding="utf-8", newline="\n") as f:
            f.write(content)


main()
