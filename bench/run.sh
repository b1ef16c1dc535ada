#!/usr/bin/env bash
# Benchmarks the scanner, the listing and the image against find, fd, cp -r
# and rsync -r (which, like the image, never shows a partly written file
# under its final name) on generated trees, warm and (as root) cold. The
# timed sections run in rounds, ours and theirs back to back in each; every
# figure is the median over the rounds with its spread, every ratio the
# median of the rounds' ratios. Prints the figures, the load they met and a
# summary to parse; never fails on timing.
# Usage: bench/run.sh [--rounds R] [--busy] [R]   (R rounds, default 3)
# --busy keeps one core spinning beside the bench during all rounds.
# QUORVANE_BENCH_SMALL=1 uses small trees, so that a whole run takes minutes.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$root/build-bench"
rounds=3

source "$here/trees.sh"
source "$here/rounds.sh"
source "$here/fat.sh"

picture_patterns='*.jpg;*.jpeg;*.gif;*.bmp;*.tif;*.tiff;*.wmf;*.png'
picture_exts=(jpg jpeg gif bmp tif tiff wmf png)

usage() {
    echo "usage: $0 [--rounds R] [--busy] [R]"
}

parse_args() {
    while (($#)); do
        case "$1" in
            --rounds) rounds="${2:-}"; shift $(($# > 1 ? 2 : 1)) ;;
            --rounds=*) rounds="${1#*=}"; shift ;;
            --busy) busy=1; shift ;;
            -h | --help) usage; exit 0 ;;
            *) rounds="$1"; shift ;; # the old single argument, then runs per figure
        esac
    done
    if [[ ! $rounds =~ ^[1-9][0-9]*$ ]]; then
        usage >&2
        exit 2
    fi
}

install_tools() {
    "$root/tools/install-deps.sh" --with-bench
}

build_release() {
    if [[ ! -f "$build/build.ninja" ]]; then
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$build" --target scan_driver listing_driver pane_driver viewer_driver quorvane-cli -j"$(nproc)" >/dev/null
}

cli="$build/cli/quorvane-cli"

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
    fdfind -u "$@" "${args[@]}" . "$tree"
}

fd16_pictures() { fd_pictures -j 16; }
scan_pictures() { "$build/bench/scan_driver" "$tree" "$picture_patterns"; }
find_all() { find "$tree" -type f; }
fd_all() { fdfind -u -t f . "$tree"; }
scan_all() { "$build/bench/scan_driver" "$tree" '*.*'; }
scan_big_all() { "$build/bench/scan_driver" "$big_tree" '*.*'; }
# A whole listing: the scan and both panes of the viewer filled, offscreen.
listing_pictures() { "$build/bench/listing_driver" "$tree" pictures; }
listing_all() { "$build/bench/listing_driver" "$tree" all; }

# Times the named commands once each, back to back, after one untimed run of
# each: the cold section and the copies leave the caches otherwise. Records
# NAME_ms; an argument LABEL=NAME records LABEL_ms instead.
time_back_to_back() {
    local arg
    for arg in "$@"; do "${arg#*=}" >/dev/null 2>&1; done
    for arg in "$@"; do record "${arg%%=*}_ms" "$(time_ms "${arg#*=}")"; done
}

# Folders the copies wrote. They are removed only at the end: creating files
# soon after deleting many is slow on this disk and would tax whichever
# command ran next.
made_outputs=()
evicted_outputs=0

# Drops the page cache of the copies written since the last call (clean
# after a sync; the sources' stays). Kept, each copy's 80 MB would take
# memory that was never touched, or that this host took back: a first
# touch of such a page cost 3 to 5 times that of a page freed a moment
# ago, and cp -r spent 45 percent of its time in it, more the more copies
# had gone before. Freed, the next copy writes into the pages just let go.
evict_outputs() {
    local fresh=("${made_outputs[@]:evicted_outputs}")
    evicted_outputs=${#made_outputs[@]}
    ((${#fresh[@]})) || return 0
    python3 - "${fresh[@]}" <<'PY'
import os, sys
for top in sys.argv[1:]:
    for folder, _, files in os.walk(top):
        for name in files:
            try:
                fd = os.open(os.path.join(folder, name), os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK)
            except OSError:
                continue
            try:
                os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
            finally:
                os.close(fd)
PY
}

# Arguments in pairs LABEL TEMPLATE: times each command (OUT in it stands
# for a fresh folder) once, back to back, after one untimed run of each.
# Records LABEL_ms. Each command starts with nothing left to write back: the
# flusher would otherwise write the previous command's files while this one
# runs, on the same two processors; and with the earlier copies out of the
# page cache. The order turns by one every round, so that no command always
# follows the same one.
time_fresh() {
    local pass k i n=$(($# / 2)) out ms labels=() commands=()
    while (($#)); do
        labels+=("$1")
        commands+=("$2")
        shift 2
    done
    for pass in warm timed; do
        for ((k = 0; k < n; k++)); do
            i=$(((k + ${round:-1} - 1) % n))
            sync
            evict_outputs
            out="$here/out/img-$$-${#made_outputs[@]}"
            made_outputs+=("$out")
            ms=$(time_ms eval "${commands[i]//OUT/$out}")
            [[ $pass == warm ]] || record "${labels[i]}_ms" "$ms"
        done
    done
}

remove_outputs() {
    ((${#made_outputs[@]} == 0)) || rm -rf "${made_outputs[@]}"
    made_outputs=()
    evicted_outputs=0
}

# On every way out, ended by a signal too.
finish() {
    stop_busy
    remove_outputs
}

# Peak memory in MB of a scan of TREE with PATTERNS.
peak_rss_mb() {
    local kb
    kb=$("$build/bench/scan_driver" "$1" "$2" 2>&1 >/dev/null | awk '/^peak_rss_kb/ {print $2}')
    echo $((kb / 1024))
}

# System calls per copied file, scan included, for the image and for cp -r
# (strace -c over one run each); left out where strace is missing.
syscalls_per_file() {
    command -v strace >/dev/null || return 0
    local out="$here/out/img-$$-calls" calls
    made_outputs+=("$out-i" "$out-c")
    calls=$(strace -f -c -o /dev/stdout "$cli" image "$image_tree" "$out-i" --all --recursive 2>/dev/null | awk '$NF == "total" {print $4}')
    record image_syscalls_per_file "$(awk -v c="$calls" -v n="$image_files" 'BEGIN { print c / n }')"
    calls=$(strace -f -c -o /dev/stdout cp -r "$image_tree" "$out-c" 2>/dev/null | awk '$NF == "total" {print $4}')
    record cp_syscalls_per_file "$(awk -v c="$calls" -v n="$image_files" 'BEGIN { print c / n }')"
}

# The viewer with the big tree's listing, as a user works with it: once a
# round, after the rounds, since one listing of a million files takes long.
measure_viewer() {
    local i line name value
    for ((i = 1; i <= rounds; i++)); do
        while read -r name value; do
            case $name in
                first_lines_ms | peak_mb | after_close_mb | before_mb | listing_longest_wait_ms | save_ms | \
                    save_longest_wait_ms)
                    record "viewer_${big_label}_$name" "$value" ;;
                saveas_open_ms) record "saveas_open_${big_label}_ms" "$value" ;;
                toggle_on_ms) record "toggle_${big_label}_ms" "$value" ;;
                toggle_off_ms) record "toggle_off_${big_label}_ms" "$value" ;;
            esac
        done < <("$build/bench/viewer_driver" "$big_tree" 2>/dev/null)
    done
}

report_viewer() {
    local b=$big_label
    echo "viewer_${b}: first lines $(show "viewer_${b}_first_lines_ms") ms, longest wait $(show "viewer_${b}_listing_longest_wait_ms") ms"
    echo "viewer_${b}_memory_mb: before $(show "viewer_${b}_before_mb"), peak $(show "viewer_${b}_peak_mb"), after close $(show "viewer_${b}_after_close_mb")"
    echo "toggle_${b}_ms: on $(show "toggle_${b}_ms"), off $(show "toggle_off_${b}_ms"); saveas_open_${b}_ms: $(show "saveas_open_${b}_ms")"
    echo "viewer_${b}_save_ms: $(show "viewer_${b}_save_ms"), longest wait $(show "viewer_${b}_save_longest_wait_ms") ms"
}

# Figures that are no timing: measured once, after the rounds.
measure_once() {
    local pic all
    pic=$(peak_rss_mb "$tree" "$picture_patterns")
    all=$(peak_rss_mb "$tree" '*.*')
    record scan_peak_rss_mb $((pic > all ? pic : all))
    record "scan_${big_label}_peak_rss_mb" "$(peak_rss_mb "$big_tree" '*.*')"
    syscalls_per_file
    measure_viewer
}

# Cold cache: what a disk that was not read yet gives. The page cache is
# dropped before each of the two (root only), fd at its best setting here.
drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}

cold_note=""
check_cold() {
    if [[ $(id -u) -ne 0 ]] || ! { : >/proc/sys/vm/drop_caches; } 2>/dev/null; then
        cold_note="left out (dropping the page cache needs root)"
    fi
}

bench_cold() {
    [[ -z $cold_note ]] || return 0
    drop_caches
    record cold_fd_ms "$(time_ms fd16_pictures)"
    drop_caches
    record cold_scan_ms "$(time_ms scan_pictures)"
    record_ratio scan_cold_vs_fd cold_scan_ms cold_fd_ms
}

bench_scan() {
    time_back_to_back find_pictures fd_pictures scan_pictures listing_pictures
    time_back_to_back find_all fd_all scan_all listing_all
    record_ratio scan_vs_find scan_pictures_ms find_pictures_ms
    record_ratio scan_vs_fd scan_pictures_ms fd_pictures_ms
    record_ratio scan_all_vs_find scan_all_ms find_all_ms
    record_ratio scan_all_vs_fd scan_all_ms fd_all_ms
    record_ratio listing_vs_find listing_pictures_ms find_pictures_ms
    record_ratio listing_all_vs_find listing_all_ms find_all_ms
}

bench_copy() {
    time_fresh cp "cp -r '$image_tree' OUT" rsync "rsync -r '$image_tree/' OUT" \
        image "'$cli' image '$image_tree' OUT --all --recursive"
    record_ratio image_vs_cp image_ms cp_ms
    record_ratio image_vs_rsync image_ms rsync_ms
    # Past 1,000 files the 999 numbers run out and the rest are skipped.
    time_fresh flat_image "'$cli' image '$flat_tree' OUT --all"
}

# How the viewer's pane grows with its list (the driver times two lengths).
bench_pane() {
    local line
    line=$("$build/bench/pane_driver" "$pane_entries" | tr -d ',')
    record pane_half_ms "$(awk '$1 == "pane_fill_ms:" { print $4 }' <<<"$line")"
    record pane_whole_ms "$(awk '$1 == "pane_fill_ms:" { print $7 }' <<<"$line")"
    record pane_fill_growth "$(awk '$1 == "pane_fill_growth:" { print $2 }' <<<"$line")"
}

# Growth: the big tree (five times the files) against the usual one, warm.
bench_growth() {
    time_back_to_back "scan_$tree_label=scan_all" "scan_$big_label=scan_big_all"
    record_ratio "scan_${big_label}_vs_$tree_label" "scan_${big_label}_ms" "scan_${tree_label}_ms"
}

run_round() {
    round_start "$1"
    bench_cold
    bench_scan
    bench_copy
    bench_pane
    bench_fat
    bench_growth
    round_end "$1"
}

report() {
    echo
    echo "figures: median over $rounds rounds (min–max), ms unless named otherwise$(busy_note)"
    if [[ -n $cold_note ]]; then
        echo "scan_cold_vs_fd: $cold_note"
    else
        echo "cold_pictures_ms: fd -j16 $(show cold_fd_ms), scan $(show cold_scan_ms)"
        echo "scan_cold_vs_fd: $(show scan_cold_vs_fd)"
    fi
    echo "pictures_ms: find $(show find_pictures_ms), fd $(show fd_pictures_ms), scan $(show scan_pictures_ms)"
    echo "everything_ms: find $(show find_all_ms), fd $(show fd_all_ms), scan $(show scan_all_ms)"
    echo "scan_vs_find: $(show scan_vs_find)"
    echo "scan_vs_fd: $(show scan_vs_fd)"
    echo "scan_all_vs_find: $(show scan_all_vs_find)"
    echo "scan_all_vs_fd: $(show scan_all_vs_fd)"
    echo "scan_peak_rss_mb: $(show scan_peak_rss_mb)"
    echo "listing_ms: pictures $(show listing_pictures_ms), everything $(show listing_all_ms)"
    echo "listing_vs_find: $(show listing_vs_find)"
    echo "listing_all_vs_find: $(show listing_all_vs_find)"
    echo "copy_${image_files}_ms: cp -r $(show cp_ms), rsync -r $(show rsync_ms), image $(show image_ms)"
    echo "image_vs_cp: $(show image_vs_cp)"
    echo "image_vs_rsync: $(show image_vs_rsync)"
    echo "image_syscalls_per_file: $(show image_syscalls_per_file) (cp -r $(show cp_syscalls_per_file))"
    echo "pane_fill_ms: $((pane_entries / 2)) entries $(show pane_half_ms), $pane_entries entries $(show pane_whole_ms)"
    echo "pane_fill_growth: $(show pane_fill_growth)"
    echo "flat_clash_${flat_files}_s: $(show flat_image_ms 1000)"
    report_fat
    echo "growth_ms: $tree_label $(show "scan_${tree_label}_ms"), $big_label $(show "scan_${big_label}_ms")"
    echo "scan_${big_label}_vs_$tree_label: $(show "scan_${big_label}_vs_$tree_label")"
    echo "scan_${big_label}_peak_rss_mb: $(show "scan_${big_label}_peak_rss_mb")"
    report_viewer
    echo "load_1min at the rounds' starts: $(show load_1min); others took $(show others_cores) cores"
    load_warning
    echo
    summary
}

main() {
    parse_args "$@"
    trap finish EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    install_tools
    build_release
    ensure_trees
    check_cold
    check_fat
    echo "tree: $tree ($tree_size trees, $(nproc) cores, $rounds rounds)"
    start_busy
    for ((round = 1; round <= rounds; round++)); do run_round "$round"; done
    stop_busy
    measure_once
    report
}

main "$@"
