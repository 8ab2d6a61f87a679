#!/bin/sh
# Checks the make-up of a built installer executable.
# Usage: check-installer.sh [--64] [--signed] FILE.exe
#   default: expects PE32 for i386 (the shipped artefact); --64: PE32+ for x86-64.
#   --signed: expects a certificate table (a signed release); without it, none.
# Reads the link maps the build keeps beside FILE.exe (FILE.map, Uninstall.map)
# and the Uninstall.exe built there, which FILE.exe must carry as it is.
# Prints one line per check ("ok - ..." or "FAIL - ..."); exits 1 if any failed.
set -u

width=32
signed=""
while :; do
    case "${1:-}" in
        --64) width=64 ;;
        --signed) signed=1 ;;
        *) break ;;
    esac
    shift
done
if [ $# -ne 1 ]; then
    echo "usage: check-installer.sh [--64] [--signed] FILE.exe" >&2
    exit 2
fi
exe=$1
if [ "$width" = 64 ]; then
    objdump=x86_64-w64-mingw32-objdump
    format=pei-x86-64
    magic=020b
else
    objdump=i686-w64-mingw32-objdump
    format=pei-i386
    magic=010b
fi
for tool in "$objdump" wrestool icotool python3; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL - tool $tool is missing"; exit 1; }
done

failed=0
pass() { echo "ok - $1"; }
fail() { echo "FAIL - $1"; failed=1; }
check() { # check DESCRIPTION COMMAND...
    desc=$1
    shift
    if "$@"; then pass "$desc"; else fail "$desc"; fi
}

if [ ! -f "$exe" ]; then
    echo "FAIL - $exe exists"
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# make_up FILE NAME MAP: what every program we ship is made of, read from the
# file: its format, subsystem, first code, hardening, lean build, signature and
# imports. MAP is the link map the build keeps beside the program.
make_up() {
    file=$1 name=$2 map=$3
    "$objdump" -f "$file" >"$work/f" 2>&1
    "$objdump" -p "$file" >"$work/p" 2>&1

    # The first code is ProgramEntry (product/ProcessEntry.cpp): the DLL search
    # narrowed and the redirection guard on before the runtime loads anything.
    # The file has no symbols, so its entry address is looked up in the map.
    base=$(sed -n 's/^ImageBase[[:space:]]*\([0-9a-fA-F]*\).*/\1/p' "$work/p")
    start=$(sed -n 's/^AddressOfEntryPoint[[:space:]]*\([0-9a-fA-F]*\).*/\1/p' "$work/p")
    entry=$(awk '$2 ~ /^_?ProgramEntry$/ { print $1; exit }' "$map" 2>/dev/null)
    if [ -z "$entry" ] || [ -z "$base" ] || [ -z "$start" ]; then
        fail "$name: ProgramEntry found in the link map $map"
    else
        check "$name: starts at ProgramEntry ($entry)" [ $((0x$base + 0x$start)) -eq $((entry)) ]
    fi

    check "$name: file format $format" grep -q "file format $format\$" "$work/f"
    check "$name: optional header magic $magic (PE32$([ "$width" = 64 ] && echo +))" \
        grep -Eq "^Magic[[:space:]]+$magic([[:space:]]|\$)" "$work/p"
    check "$name: GUI subsystem" grep -Eq "^Subsystem[[:space:]]+00000002" "$work/p"

    # Hardening: ASLR and DEP at both widths, 64-bit address randomisation at 64,
    # and the stack protector's runtime (its message is in the file only with it).
    flags="DYNAMIC_BASE NX_COMPAT"
    [ "$width" = 64 ] && flags="$flags HIGH_ENTROPY_VA"
    for flag in $flags; do
        check "$name: DllCharacteristics $flag" grep -Eq "^[[:space:]]+$flag\$" "$work/p"
    done
    check "$name: stack protector linked in" grep -aq "stack smashing detected" "$file"

    # Shipped lean: no debugging sections (without the string table their long
    # names show as /N) and no COFF symbol table (its pointer and count in the
    # file header are zero).
    "$objdump" -h "$file" >"$work/h" 2>&1
    debug=$(sed -n 's/^ *[0-9][0-9]* \(\.debug[^ ]*\|\/[0-9][0-9]*\) .*/\1/p' "$work/h" | tr '\n' ' ')
    check "$name: no debugging sections${debug:+ (found: ${debug% })}" [ -z "$debug" ]
    pe=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
    symbols=$(od -An -tu4 -j$((pe + 12)) -N8 "$file" | tr -s ' ' | sed 's/^ //; s/ $//')
    check "$name: no COFF symbol table (pointer, count: $symbols)" [ "$symbols" = "0 0" ]

    # Certificate table (data directory 4, file offset and size): where a signature lives.
    table=$(sed -n 's/^Entry 4 \([0-9a-f]*\) \([0-9a-f]*\) Security Directory.*/\1 \2/p' "$work/p")
    if [ -z "$table" ]; then
        fail "$name: data directory entry 4 (certificate table) found"
    elif [ -n "$signed" ]; then
        check "$name: certificate table present (offset, size: $table)" [ $((0x${table#* })) -ne 0 ]
    else
        check "$name: no certificate table: unsigned" [ $((0x${table% *})) -eq 0 -a $((0x${table#* })) -eq 0 ]
    fi

    # Imports: only DLLs that every Windows has; nothing from the toolchain.
    sed -n 's/^[[:space:]]*DLL Name: //p' "$work/p" | tr -d '\r' >"$work/dlls"
    allowed="KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL SHELL32.DLL OLE32.DLL OLEAUT32.DLL
ADVAPI32.DLL MSVCRT.DLL SHLWAPI.DLL COMDLG32.DLL VERSION.DLL UXTHEME.DLL CABINET.DLL"
    bad=""
    while read -r dll; do
        up=$(printf '%s' "$dll" | tr '[:lower:]' '[:upper:]')
        case " $(echo $allowed) " in
            *" $up "*) ;;
            *) bad="$bad $dll" ;;
        esac
    done <"$work/dlls"
    if [ ! -s "$work/dlls" ]; then
        fail "$name: imports found"
    elif [ -n "$bad" ]; then
        fail "$name: imports only system DLLs (unexpected:$bad)"
    else
        pass "$name: imports only system DLLs ($(tr '\n' ' ' <"$work/dlls" | sed 's/ $//'))"
    fi

    # Manifest 1: administrator rights asked for, whatever the file is called;
    # the systems it was made for; the common controls 6.0.
    wrestool -l "$file" >"$work/resources" 2>&1
    if grep -q -- "--type=24 --name=1 --language=1033 " "$work/resources" &&
        wrestool -x --raw -t 24 -n 1 "$file" >"$work/manifest" 2>/dev/null && [ -s "$work/manifest" ]; then
        check "$name: manifest depends on Microsoft.Windows.Common-Controls 6.0.0.0, requires administrator (uiAccess false), supports Windows 7, 8, 8.1 and 10/11" python3 -c '
import re, sys
m = open(sys.argv[1], encoding="utf-8").read()
controls = re.search(r"name=\"Microsoft\.Windows\.Common-Controls\"[^>]*version=\"6\.0\.0\.0\"", m)
level = re.search(r"<requestedExecutionLevel\s+level=\"requireAdministrator\"\s+uiAccess=\"false\"\s*/>", m)
systems = set(re.findall(r"<supportedOS\s+Id=\"\{([0-9a-f-]+)\}\"", m))
want = {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
        "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}
if not (controls and level and systems == want):
    print("  got: controls=%s level=%s systems=%s" % (bool(controls), bool(level), sorted(systems)))
    sys.exit(1)' "$work/manifest"
        # Per-monitor DPI awareness: Windows then draws it sharp at every display scale.
        check "$name: manifest has dpiAwareness \"PerMonitorV2, PerMonitor\" and dpiAware \"true/pm\"" python3 -c '
import sys, xml.etree.ElementTree as ET
settings = "{urn:schemas-microsoft-com:asm.v3}application/{urn:schemas-microsoft-com:asm.v3}windowsSettings/"
root = ET.parse(sys.argv[1]).getroot()
def value(namespace, name):
    element = root.find(settings + "{http://schemas.microsoft.com/SMI/%s/WindowsSettings}%s" % (namespace, name))
    return None if element is None else element.text.strip()
sys.exit(0 if value("2016", "dpiAwareness") == "PerMonitorV2, PerMonitor" and value("2005", "dpiAware") == "true/pm" else 1)' "$work/manifest"
        check "$name: manifest is the only one" [ "$(grep -c -- "--type=24 " "$work/resources")" -eq 1 ]
    else
        fail "$name: manifest (RT_MANIFEST 1) present"
    fi
}

make_up "$exe" "$(basename "$exe")" "${exe%.exe}.map"

wrestool -l "$exe" >"$work/res" 2>&1
has_res() { grep -q -- "--type=$1 --name=$2 --language=$3 " "$work/res"; }
# raw TYPE NAME FILE [LANGUAGE]: the resource's bytes, of that language where it has several.
raw() { wrestool -x --raw -t "$1" -n "$2" ${4:+-L "$4"} "$exe" >"$3" 2>/dev/null && [ -s "$3" ]; }

# Dialog 103: extended template with the installer's caption, size, font and controls.
if has_res 5 103 1033 && raw 5 103 "$work/dlg" 1033; then
    check "dialog 103: DIALOGEX 287x163 \"Installer\", MS Sans Serif 8, its nine controls (ids, classes, texts, styles, positions) in order" \
        python3 - "$work/dlg" <<'PY'
import struct, sys
d = open(sys.argv[1], "rb").read()
ver, sig, _help, exstyle, style, count, x, y, cx, cy = struct.unpack_from("<HHIIIHhhhh", d, 0)
pos = 26
def sz_or_ord(pos):
    if struct.unpack_from("<H", d, pos)[0] == 0xFFFF:
        return struct.unpack_from("<H", d, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from("<H", d, end)[0] != 0:
        end += 2
    return d[pos:end].decode("utf-16-le"), end + 2
menu, pos = sz_or_ord(pos)
cls, pos = sz_or_ord(pos)
title, pos = sz_or_ord(pos)
points, weight, italic, charset = struct.unpack_from("<HHBB", d, pos)
face, pos = sz_or_ord(pos + 6)
WS_CAPTION, WS_SYSMENU, DS_CENTER, DS_MODALFRAME, DS_SETFONT = 0xC00000, 0x80000, 0x800, 0x80, 0x40
want_style = WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT
WS_CHILD, WS_VISIBLE, WS_DISABLED, WS_GROUP, WS_TABSTOP = 0x40000000, 0x10000000, 0x8000000, 0x20000, 0x10000
BS_AUTOCHECKBOX, SS_BITMAP, SS_REALSIZEIMAGE, WS_EX_TRANSPARENT = 0x3, 0xE, 0x800, 0x20
BUTTON, STATIC = 0x80, 0x82
base = WS_CHILD | WS_VISIBLE
text = WS_GROUP  # left-aligned static text (SS_LEFT is 0)
# id, class, text, style, extended style, x, y, cx, cy: the main dialog's controls in tab order.
want = [
    (104, BUTTON, "I&nstall / Update", WS_DISABLED | WS_GROUP | WS_TABSTOP, 0, 109, 134, 70, 21),
    (105, BUTTON, "I &accept that Vantrelle is", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 9, 99, 120, 8),
    (-1, STATIC, "ATTENTION:", text, 0, 79, 25, 193, 8),
    (-1, STATIC, "If you have a previous installation all files will be overwritten.", text, 0, 79, 35, 193, 8),
    (-1, STATIC, "If I find the program useful I'am willing to donate to an NGO of my choice.", text, 0, 21, 111, 230, 8),
    (-1, STATIC, "Install Directory:", text, 0, 8, 71, 51, 8),
    (106, STATIC, "C:\\Program Files (x86)\\Vantrelle", text, 0, 8, 81, 261, 8),
    (108, STATIC, "", SS_BITMAP | SS_REALSIZEIMAGE, WS_EX_TRANSPARENT, 8, 7, 15, 13),
    (110, STATIC, "Charityware", text | WS_TABSTOP, 0, 130, 99, 40, 8),
]
want = [(i, c, t, st | base, ex, x0, y0, w, h) for (i, c, t, st, ex, x0, y0, w, h) in want]
got = []
for _ in range(count):
    pos = (pos + 3) & ~3
    _h, ex, st, x0, y0, w, h, cid = struct.unpack_from("<IIIhhhhi", d, pos)
    pos += 24
    c, pos = sz_or_ord(pos)
    t, pos = sz_or_ord(pos)
    extra = struct.unpack_from("<H", d, pos)[0]
    pos += 2 + extra
    got.append((cid, c, t, st, ex, x0, y0, w, h))
ok = (ver, sig) == (1, 0xFFFF) and style == want_style and exstyle == 0 and (cx, cy) == (287, 163) \
    and title == "Installer" and points == 8 and face == "MS Sans Serif" and got == want
if not ok:
    print("  got: style=%#x ex=%#x size=%dx%d title=%r font=%d %r" % (style, exstyle, cx, cy, title, points, face))
    for g, w in zip(got + [None] * len(want), want + [None] * len(got)):
        if g != w:
            print("  control differs: got %r, want %r" % (g, w))
sys.exit(0 if ok else 1)
PY
else
    fail "dialog 103 (language 1033) present"
fi
# And in German and French, the other languages the installer speaks.
check "dialog 103 and string tables in German (1031) and French (1036)" \
    sh -c "grep -q -- '--type=5 --name=103 --language=1031 ' $work/res && grep -q -- '--type=5 --name=103 --language=1036 ' $work/res && grep -q -- '--type=6 .*--language=1031 ' $work/res && grep -q -- '--type=6 .*--language=1036 ' $work/res"

# Icon group 102: an image for every size Windows asks for from 100 to 200 %
# and Explorer's largest, 32 bits per pixel (256 px PNG-compressed).
icon_sizes="16x16 20x20 24x24 32x32 40x40 48x48 64x64 256x256"
if has_res 14 102 1033 && wrestool -x -t 14 -n 102 "$exe" >"$work/icon.ico" 2>/dev/null; then
    icotool -l "$work/icon.ico" >"$work/icons" 2>&1
    sizes=$(sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\) --bit-depth=32.*/\1x\2/p' "$work/icons" | sort -n | tr '\n' ' ')
    check "icon group 102: $icon_sizes at 32 bpp (found: ${sizes% })" [ "$(echo $sizes)" = "$icon_sizes" ]
else
    fail "icon group 102 (language 1033) present"
fi

# The dialog picture at 100, 125, 150, 175 and 200 %: DIBs of round(83 s) x
# round(92 s) pixels at 24 bits per pixel, bitmap 107 the 100 % one.
for picture in 107:83x92 111:104x115 112:125x138 113:145x161 114:166x184; do
    id=${picture%:*} size=${picture#*:}
    if has_res 2 "$id" 1033 && raw 2 "$id" "$work/bmp"; then
        check "bitmap $id: $size, 24 bpp" python3 -c '
import struct, sys
size, w, h, planes, bpp = struct.unpack_from("<IiiHH", open(sys.argv[1], "rb").read(), 0)
sys.exit(0 if (size, "%dx%d" % (w, abs(h)), bpp) == (40, sys.argv[2], 24) else 1)' "$work/bmp" "$size"
    else
        fail "bitmap $id (language 1033) present"
    fi
done

# Payload: RCDATA 109 in language 1033, a sealed container.
if has_res 10 109 1033 && raw 10 109 "$work/payload"; then
    check "RCDATA 109 (language 1033) begins with CRYP" [ "$(head -c 4 "$work/payload")" = CRYP ]
else
    fail "RCDATA 109 (language 1033) present"
fi

# The uninstaller it carries, RCDATA 115: made up as the installer is.
if has_res 10 115 1033 && raw 10 115 "$work/Uninstall.exe"; then
    check "RCDATA 109 and 115 are the only RCDATA resources" [ "$(grep -c -- "--type=10 " "$work/res")" -eq 2 ]
    # The uninstaller built beside it, whose link map is there too.
    check "RCDATA 115 is the Uninstall.exe built beside the installer" \
        cmp -s "$work/Uninstall.exe" "$(dirname "$exe")/Uninstall.exe"
    make_up "$work/Uninstall.exe" "Uninstall.exe (RCDATA 115)" "$(dirname "$exe")/Uninstall.map"
else
    fail "RCDATA 115 (language 1033), the uninstaller, present"
fi

# Version record: the strings of block 040904b0, and fixed versions that are
# the string ones (which version: tests/artifact/check-release.py).
if has_res 16 1 1033 && raw 16 1 "$work/version"; then
    check "version record: block 040904b0, Tollanby / Vantrelle Installer strings, fixed versions as the strings" \
        python3 - "$work/version" <<'PY'
import re, struct, sys
d = open(sys.argv[1], "rb").read()
fixed = d.find(struct.pack("<I", 0xFEEF04BD))
versions = struct.unpack_from("<IIII", d, fixed + 8) if fixed >= 0 else None
text = d.decode("utf-16-le", errors="replace")
def value(key):
    m = re.search(re.escape(key) + "\x00+([^\x00]*)\x00", text)
    return m.group(1) if m else None
want = {
    "FileDescription": "Vantrelle Installer", "ProductName": "Vantrelle Installer",
    "Comments": "Vantrelle Installer", "CompanyName": "Tollanby", "InternalName": "Installer",
    "OriginalFilename": "Installer.exe",
}
got = {k: value(k) for k in want}
fixed = ["%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) for ms, ls in zip(versions[::2], versions[1::2])] \
    if versions else None
ok = fixed == [value("FileVersion"), value("ProductVersion")] and "040904b0" in text and got == want
if not ok:
    print("  got: fixed=%r strings=%r" % (fixed, dict(got, FileVersion=value("FileVersion"), ProductVersion=value("ProductVersion"))))
sys.exit(0 if ok else 1)
PY
else
    fail "version record (RT_VERSION 1) present"
fi

exit $failed
