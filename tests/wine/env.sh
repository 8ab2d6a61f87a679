# Sourced by the Wine scripts: private prefixes under the build tree, no Mono,
# no Gecko, no debug chatter. Each runs both widths (it has syswow64).
# The caller sets VANTRELLE_ROOT to the repository root.
#
# The template (VANTRELLE_WINE_TEMPLATE) is made once and then only copied:
# no program ever runs in it, so no Wine server writes its registry while a
# test copies it. Programs run in a copy: VANTRELLE_WINE_PREFIX, by default
# build/wine-work (./test gives each tree one of its own; a scenario, one for
# itself).
: "${VANTRELLE_WINE_TEMPLATE:=$VANTRELLE_ROOT/build/wine-prefix}"
: "${VANTRELLE_WINE_PREFIX:=$VANTRELLE_ROOT/build/wine-work}"
export VANTRELLE_WINE_TEMPLATE
export WINEPREFIX="$VANTRELLE_WINE_PREFIX"
export WINEDEBUG="${VANTRELLE_WINEDEBUG:--all}"  # e.g. +loaddll to see what loads what
# A zone with an offset and daylight saving, so that every conversion between
# local time and UTC shows; Wine takes the zone from TZ.
export TZ=Europe/Berlin
# No debugger on a crash either: the program ends and its test fails at once
# (under the 32-bit emulator Wine's debugger hangs instead). No menu builder:
# Wine runs it for each start-menu shortcut saved, and it holds the shortcut
# and its target's file open for a moment, as no Windows does (a removal then
# finds Vantrelle.exe in use), and writes menu entries into the Unix home.
# VANTRELLE_WINE_OVERRIDES adds a test's own (Wine reads them as each process starts).
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winedbg.exe=d;winemenubuilder.exe=d${VANTRELLE_WINE_OVERRIDES:+;$VANTRELLE_WINE_OVERRIDES}"
# Either loader finds the other one from this name when a program of the other
# width starts.
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine

# wine_loader PROGRAM: the loader for the program's width, read from its PE
# header (machine 0x14c is i386); anything else, such as a built-in program's
# bare name, gets the 64-bit loader.
wine_loader() {
    if [ -f "$1" ]; then
        pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
        if [ -n "$pe" ] && [ "$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')" = 014c ]; then
            echo "$WINE32"
            return
        fi
    fi
    echo "$WINE64"
}

# set_log_pixels PREFIX DPI: the display scale Wine draws at in that prefix
# (REG_DWORD LogPixels under HKCU\Control Panel\Desktop; 96 is 100 %). Written
# into the prefix's user registry file while no Wine runs there; Wine reads it
# as each process starts. Fails when the file has no such key.
set_log_pixels() {
    awk -v value="$(printf '"LogPixels"=dword:%08x' "$2")" '
        /^\[/ { desktop = index($0, "[Control Panel\\\\Desktop] ") == 1 }
        desktop && /^"LogPixels"=/ { next }
        { print }
        desktop && /^\[/ { print value; found = 1 }
        END { exit !found }' "$1/user.reg" >"$1/user.reg.new" || { rm -f "$1/user.reg.new"; return 1; }
    mv "$1/user.reg.new" "$1/user.reg"
}
