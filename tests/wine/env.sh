# Sourced by the Wine scripts: one private prefix under the build tree, no Mono,
# no Gecko, no debug chatter.
# The caller sets VANTRELLE_ROOT to the repository root.
: "${VANTRELLE_WINE_PREFIX:=$VANTRELLE_ROOT/build/win64/wine-prefix}"
export WINEPREFIX="$VANTRELLE_WINE_PREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=d;mshtml=d"
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
WINE64=/usr/lib/wine/wine64
