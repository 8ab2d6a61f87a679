# Sourced by ./bench: the payload served from a resource, and whole installations.
# A second Windows tree carries the reference payload: as cabx's own resource and
# inside an Installer.exe built from the reference tree.
large=build/bench-win64
{ cmake --preset win64 -B "$large" -DVANTRELLE_BENCH_CONTAINER="$PWD/$work/reference.container" \
      -DVANTRELLE_PAYLOAD_DIR="$PWD/$work/reference" && cmake --build "$large" -j2 --target Installer cabx_large; } \
    >build/build-bench-win64.log 2>&1 || { echo "build of $large failed (build/build-bench-win64.log)"; return; }

peak_mib() {  # the peak private memory that cabx --peak reports, in MiB
    "$WINE64" "$@" 2>&1 >/dev/null | tr -d '\r' | awk '$1 == "peak_private_bytes" { printf "%.1f", $2 / 1048576 }'
}
rm -rf "$tmp/out" && mkdir "$tmp/out"
small=$(peak_mib build/win64/bin/cabx_small.exe --peak --key "$key" --resource "" 109 "Z:$tmp/out")
big=$(peak_mib "$large/bin/cabx_large.exe" --peak --key "$key" --resource "" 109 "Z:$tmp/out")
echo "resource_private_peak_MiB_small: $small"
echo "resource_private_peak_MiB_large: $big"
echo "resource_peak_large_minus_small_MiB: $(echo "$big $small" | awk '{ printf "%.1f", $1 - $2 }')"
resource() { timed "$WINE64" "$large/bin/cabx_large.exe" --key "$key" --resource "" 109 "Z:$tmp/out"; }
pairs resource_vs_container resource container 2 || exit 1
echo "extract_resource_s: $(side_median resource_vs_container a)"
report resource_vs_container

# The installation against bare extraction of the same payload: the quiet
# installer against cabx taking the same sealed payload from its own resource
# into the same folder, both whole processes, each in a freshly booted prefix
# (booting untimed), so that the ratio is what installing costs beyond the
# extraction it cannot do without.
# in_fresh_prefix PROGRAM ARGS...: the seconds PROGRAM takes in a prefix of its own.
in_fresh_prefix() {
    boot "$tmp/fresh" >/dev/null || return 1
    seconds=$(WINEPREFIX=$tmp/fresh "$elapsed" "$WINE64" "$@")
    status=$?
    halt "$tmp/fresh"
    [ $status -eq 0 ] && echo "$seconds"
}
install_quiet() { in_fresh_prefix "$PWD/$large/bin/Installer.exe" /quiet /accept-charityware; }
extract_fresh() {
    in_fresh_prefix "$PWD/$large/bin/cabx_large.exe" --key "$key" --resource "" 109 'C:\Program Files\Vantrelle'
}
pairs install_vs_cabextract install_quiet extract_fresh 6 || exit 1
echo "install_quiet_s: $(side_median install_vs_cabextract a)"
echo "extract_resource_fresh_s: $(side_median install_vs_cabextract b)"
report install_vs_cabextract

# install_runs TREE INSTALLER: install_timer's "seconds peak" per run, each in a
# fresh prefix whose programs end with the run.
install_runs() {
    i=0
    while [ $i -lt "$RUNS" ]; do
        p=$tmp/install
        VANTRELLE_WINE_TEMPLATE=$tmp/template chrt -o 0 tests/wine/make-prefix "$p"
        WINEPREFIX="$p" "$(wine_loader "$2")" "$1/bin/install_timer.exe" "$2" 2>/dev/null | tr -d '\r'
        halt "$p"
        i=$((i + 1))
    done
}
peak_median() { awk '{ printf "%.1f\n", $2 / 1048576 }' "$1" | median; }
install_runs build/win64 "$PWD/$large/bin/Installer.exe" >"$work/install-large.txt"
install_runs build/win64 "$PWD/build/win64/bin/Installer.exe" >"$work/install-small.txt"
# The button to the success box, timed by install_timer inside the dialog's run.
echo "install_s: $(awk '{ print $1 }' "$work/install-large.txt" | median)"
echo "install_private_peak_MiB_small: $(peak_median "$work/install-small.txt")"
echo "install_private_peak_MiB_large: $(peak_median "$work/install-large.txt")"

# The shipped 32-bit installer: memory only, since its timings under the 32-bit
# emulator say nothing about Windows. A program that does nothing shows how much
# of its peak is the emulated 32-bit Wine itself.
large32=build/bench-win32
{ cmake --preset win32 -B "$large32" -DVANTRELLE_PAYLOAD_DIR="$PWD/$work/reference" &&
      cmake --build "$large32" -j2 --target Installer install_timer; } \
    >build/build-bench-win32.log 2>&1 || { echo "build of $large32 failed (build/build-bench-win32.log)"; return; }
install_runs build/win32 "$PWD/$large32/bin/Installer.exe" >"$work/install32-large.txt"
install_runs build/win32 "$PWD/build/win32/bin/Installer.exe" >"$work/install32-small.txt"
echo "install32_private_peak_MiB_small: $(peak_median "$work/install32-small.txt")"
echo "install32_private_peak_MiB_large: $(peak_median "$work/install32-large.txt")"
for w in 64 32; do
    "$(wine_loader build/win$w/bin/idle.exe)" build/win$w/bin/idle.exe | tr -d '\r' |
        awk -v w=$w '{ printf "idle%s_private_peak_MiB: %.1f\nidle%s_with_installer_dlls_private_peak_MiB: %.1f\n", w, $1 / 1048576, w, $2 / 1048576 }'
done
