# Sourced by ./bench: the payload served from a resource, and whole installations.
# A second Windows tree carries the reference payload: as cabx's own resource and
# inside an Installer.exe built from the reference tree.
large=build/bench-win64
{ cmake --preset win64 -B "$large" -DVANTRELLE_BENCH_CONTAINER="$PWD/$work/reference.container" \
      -DVANTRELLE_PAYLOAD_DIR="$PWD/$work/reference" && cmake --build "$large" -j2; } \
    >build/build-bench-win64.log 2>&1 || { echo "build of $large failed (build/build-bench-win64.log)"; return; }

peak_mib() {  # the peak private memory that cabx --peak reports, in MiB
    "$WINE64" "$@" 2>&1 >/dev/null | tr -d '\r' | awk '$1 == "peak_private_bytes" { printf "%.1f", $2 / 1048576 }'
}
small=$(peak_mib build/win64/bin/cabx_small.exe --peak --key "$key" --resource "" 109 "Z:$PWD/$work/out")
big=$(peak_mib "$large/bin/cabx_large.exe" --peak --key "$key" --resource "" 109 "Z:$PWD/$work/out")
echo "resource_private_peak_MiB_small: $small"
echo "resource_private_peak_MiB_large: $big"
echo "resource_peak_large_minus_small_MiB: $(echo "$big $small" | awk '{ printf "%.1f", $1 - $2 }')"
resource=$(time_runs "$WINE64" "$large/bin/cabx_large.exe" --key "$key" --resource "" 109 "Z:$PWD/$work/out")
echo "extract_resource_s: $resource"
echo "resource_vs_container: $(ratio "$resource" "$container")"

# install_runs TREE INSTALLER: install_timer's "seconds peak" per run, each in a fresh prefix.
install_runs() {
    i=0
    while [ $i -lt "$RUNS" ]; do
        p=$(mktemp -d "$PWD/build/bench-prefix-XXXXXX")
        tests/wine/make-prefix "$p"
        WINEPREFIX="$p" "$(wine_loader "$2")" "$1/bin/install_timer.exe" "$2" 2>/dev/null | tr -d '\r'
        WINEPREFIX="$p" "$WINESERVER" -k 2>/dev/null
        rm -rf "$p"
        i=$((i + 1))
    done
}
peak_median() { awk '{ printf "%.1f\n", $2 / 1048576 }' "$1" | median; }
install_runs build/win64 "$PWD/$large/bin/Installer.exe" >"$work/install-large.txt"
install_runs build/win64 "$PWD/build/win64/bin/Installer.exe" >"$work/install-small.txt"
install_s=$(awk '{ print $1 }' "$work/install-large.txt" | median)
echo "install_s: $install_s"
echo "install_vs_cabextract: $(ratio "$install_s" "$native")"
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
