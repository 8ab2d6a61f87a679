#!/bin/sh
# Installs the Debian packages the builds and tests need and makes this machine
# run 32-bit Windows programs under Wine; idempotent, quick when all is there.
# With "build", only what the builds need, so that a caller can build while the
# rest installs (./test).
#
# The 32-bit half: Debian's wine32 (i386 architecture). Where the kernel cannot
# execute 32-bit code, qemu-user from the backports suite runs it, registered
# with binfmt_misc; bookworm's own qemu 7.2 works too but takes about 50 s for
# every 32-bit Wine process.
set -e
PACKAGES="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools \
wine wine64 wine32:i386 fonts-wine gcab xvfb xauth cmake make g++ googletest imagemagick openssl \
osslsigncode cabextract icoutils python3 python3-yaml binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
clang-format git locales"
# What building the three trees takes (the host tree only the first line).
BUILD_PACKAGES="cmake make g++ googletest python3 git \
g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64 \
binutils-mingw-w64-i686 gcab"
# The languages the installer speaks besides English: Wine takes the user's
# display language from the session's locale, which must exist on the machine.
LOCALES="de_DE fr_FR"
QEMU_MIN_MAJOR=10

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
updated=""
# Once a run: lists fetched in the last half hour (by the "build" call, say) stand.
lists=/var/lib/apt/lists
[ -d "$lists" ] && [ -n "$(find "$lists" -maxdepth 1 -name '*Packages*' -mmin -30 2>/dev/null | head -1)" ] &&
    updated=1
# A mirror that is mid-sync can fail one list (seen: bookworm-security's i386
# Packages); the install below then says whether what we need is still there.
apt_update() {
    [ -n "$updated" ] && return 0
    $SUDO apt-get update -qq || echo "install-deps: some package lists could not be fetched; going on with the rest" >&2
    updated=1
}
# Without the i386 security list, a library installed from the security suite at
# 64 bits has no 32-bit twin of the same version; then both come from the release.
apt_install() {
    $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null && return 0
    echo "install-deps: retrying with the security suite's versions set aside" >&2
    pin=$(mktemp)
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$pin"
    $SUDO apt-get install -y -qq --no-install-recommends -o Dir::Etc::preferences="$pin" "$@" >/dev/null ||
        { rm -f "$pin"; return 1; }
    rm -f "$pin"
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# First, so that one fetch of the lists serves both calls of a run.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "adding the i386 architecture"
    $SUDO dpkg --add-architecture i386
    updated=""
    apt_update
fi

[ "${1:-}" = build ] && PACKAGES=$BUILD_PACKAGES
missing=""
for p in $PACKAGES; do
    installed "$p" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    apt_update
    # shellcheck disable=SC2086
    apt_install $missing
fi
[ "${1:-}" = build ] && exit 0

# Locales come from /etc/locale.gen, so that a later locale-gen (a locales
# upgrade, say) keeps them.
regenerate=""
for l in $LOCALES; do
    locale -a 2>/dev/null | grep -qix "$l.utf-\?8" && continue
    if grep -q "^# *$l.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
        $SUDO sed -i "s/^# *\($l.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    else
        echo "$l.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    regenerate=1
done
if [ -n "$regenerate" ]; then
    echo "generating the locales $LOCALES"
    $SUDO locale-gen >/dev/null
fi

# --- can this machine run a 32-bit program? -------------------------------
binfmt=/proc/sys/fs/binfmt_misc
tiny=$(mktemp)
trap 'rm -f "$tiny"' EXIT
# The smallest i386 Linux program: exit(0) through int 0x80.
python3 - "$tiny" <<'EOF'
import struct, sys
base, code = 0x08048000, bytes.fromhex("b801000000" "31db" "cd80")
size = 52 + 32 + len(code)
elf = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
elf += struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000) + code
open(sys.argv[1], "wb").write(elf)
EOF
chmod +x "$tiny"
runs32() { "$tiny" 2>/dev/null; }

qemu_major() { qemu-i386 --version 2>/dev/null | awk 'NR == 1 { split($3, v, "."); print v[1] + 0 }'; }

# Adds the backports suite of the Debian archive this machine already uses.
add_backports() {
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    list=/etc/apt/sources.list.d/vantrelle-backports.sources
    grep -rqs "${codename}-backports" /etc/apt/sources.list /etc/apt/sources.list.d/ && return 0
    uri=""
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        # deb822: the stanza whose Suites hold the release itself.
        found=$(awk -v s="$codename" '
            /^$/ { if (hit) exit; uri = ""; key = ""; hit = 0 }
            $1 == "URIs:" { uri = $2 }
            $1 == "Signed-By:" { key = $2 }
            $1 == "Suites:" { for (i = 2; i <= NF; i++) if ($i == s) hit = 1 }
            END { if (hit) print uri, key }' "$f")
        [ -n "$found" ] && { set -- $found; uri=$1; [ -n "$2" ] && keyring=$2; break; }
    done
    if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
        uri=$(awk -v s="$codename" '$1 == "deb" { for (i = 2; i < NF; i++) if ($(i + 1) == s && $i ~ /^[a-z]+:/) { print $i; exit } }' \
            /etc/apt/sources.list)
    fi
    [ -n "$uri" ] || { echo "no Debian apt source for $codename found: cannot add ${codename}-backports" >&2; return 1; }
    echo "adding ${codename}-backports from $uri"
    printf 'Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\nSigned-By: %s\n' \
        "$uri" "$codename" "$keyring" | $SUDO tee "$list" >/dev/null
    updated=""
}

register_qemu() {
    [ -d "$binfmt" ] || $SUDO mkdir -p "$binfmt"
    [ -f "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt" ||
        { echo "cannot mount binfmt_misc at $binfmt" >&2; return 1; }
    [ -e "$binfmt/qemu-i386" ] && echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null
    conf=/usr/share/qemu/binfmt.d/qemu-i386.conf
    [ -f "$conf" ] || { echo "$conf is missing (package qemu-user)" >&2; return 1; }
    # F: the kernel opens the emulator now, so it works in every process and mount namespace.
    line=$(sed -n 's/^\(:qemu-i386:.*:\)\([A-Z]*\)$/\1\2/p' "$conf" | head -1)
    flags=${line##*:}
    case "$flags" in *F*) ;; *) line="${line}F" ;; esac
    echo "$line" | $SUDO tee "$binfmt/register" >/dev/null
}

emulated=""
[ -e "$binfmt/qemu-i386" ] && emulated=1
runs32 || emulated=1
if [ -n "$emulated" ]; then
    fresh=""
    if [ -z "$(qemu_major)" ] || [ "$(qemu_major)" -lt $QEMU_MIN_MAJOR ]; then
        codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
        add_backports
        apt_update
        echo "installing qemu-user from ${codename}-backports"
        $SUDO apt-get install -y -qq --no-install-recommends -t "${codename}-backports" qemu-user >/dev/null
        fresh=1
    fi
    if [ -n "$fresh" ] || ! grep -qs '^flags:.*F' "$binfmt/qemu-i386" || ! grep -qsx enabled "$binfmt/qemu-i386"; then
        echo "registering qemu-i386 for 32-bit programs"
        register_qemu
    fi
    runs32 || { echo "this machine cannot run 32-bit programs, not even through qemu-i386: the 32-bit tests cannot run" >&2; exit 1; }
fi
# The 32-bit Wine loader itself must start.
/usr/lib/wine/wine --version >/dev/null 2>&1 ||
    { echo "the 32-bit Wine loader /usr/lib/wine/wine does not start (package wine32:i386)" >&2; exit 1; }
exit 0
