#!/usr/bin/env bash
# Benchmarks the scanner against find and fd on one generated tree, in the
# same run, warm cache, median of several runs. Prints ratios; never fails
# on timing. Usage: bench/run.sh [RUNS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$root/build-bench"
runs="${1:-5}"

picture_patterns='*.jpg;*.jpeg;*.gif;*.bmp;*.tif;*.tiff;*.wmf;*.png'
picture_exts=(jpg jpeg gif bmp tif tiff wmf png)

install_tools() {
    "$root/tools/install-deps.sh" --with-bench
}

build_release() {
    if [[ ! -f "$build/build.ninja" ]]; then
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$build" --target scan_driver -j"$(nproc)" >/dev/null
}

# The tree is made once and reused: creating many files soon after deleting
# many is slow on this disk, so a finished tree is never deleted and rebuilt
# inside a run. A fresh name is used when no finished tree exists.
ensure_tree() {
    mkdir -p "$here/out"
    tree=""
    for candidate in "$here"/out/tree-*; do
        if [[ -f "$candidate/.complete" ]]; then
            tree="$candidate"
            break
        fi
    done
    if [[ -z "$tree" ]]; then
        tree="$here/out/tree-$(date +%Y%m%d-%H%M%S)-$$"
        echo "generating $tree ..." >&2
        python3 "$here/gentree.py" "$tree"
    fi
}

# Median wall time in milliseconds of "$@", run $runs times after one warm-up.
median_ms() {
    local times=()
    "$@" >/dev/null 2>&1
    for ((i = 0; i < runs; i++)); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.1f\n", m/1000}'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'
}

find_pictures() {
    local args=() first=1
    for e in "${picture_exts[@]}"; do
        ((first)) || args+=(-o)
        args+=(-iname "*.$e")
        first=0
    done
    find "$tree" "${args[@]}"
}

fd_pictures() {
    local args=()
    for e in "${picture_exts[@]}"; do args+=(-e "$e"); done
    fdfind -u "${args[@]}" . "$tree"
}

scan() {
    "$build/bench/scan_driver" "$tree" "$1"
}

peak_rss_mb() {
    local kb
    kb=$("$build/bench/scan_driver" "$tree" "$1" 2>&1 >/dev/null | awk '/^peak_rss_kb/ {print $2}')
    echo $((kb / 1024))
}

bench_scan() {
    local find_ms fd_ms scan_ms find_all fd_all scan_all rss_pic rss_all
    find_ms=$(median_ms find_pictures)
    fd_ms=$(median_ms fd_pictures)
    scan_ms=$(median_ms scan "$picture_patterns")
    find_all=$(median_ms find "$tree" -type f)
    fd_all=$(median_ms fdfind -u -t f . "$tree")
    scan_all=$(median_ms scan '*.*')
    rss_pic=$(peak_rss_mb "$picture_patterns")
    rss_all=$(peak_rss_mb '*.*')
    echo "pictures_ms: find $find_ms, fd $fd_ms, scan $scan_ms"
    echo "everything_ms: find $find_all, fd $fd_all, scan $scan_all"
    echo "scan_vs_find: $(ratio "$scan_ms" "$find_ms")"
    echo "scan_vs_fd: $(ratio "$scan_ms" "$fd_ms")"
    echo "scan_all_vs_find: $(ratio "$scan_all" "$find_all")"
    echo "scan_all_vs_fd: $(ratio "$scan_all" "$fd_all")"
    echo "scan_peak_rss_mb: $((rss_pic > rss_all ? rss_pic : rss_all))"
}

main() {
    install_tools
    build_release
    ensure_tree
    echo "tree: $tree ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
    bench_scan
}

main "$@"
