#!/usr/bin/env bash
# Benchmarks the scanner against find and fd on generated trees, in the same
# run, median of several runs: warm cache, and cold for the first scan of a
# disk. Prints ratios; never fails on timing. Usage: bench/run.sh [RUNS]
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

# Trees are made once and reused: creating many files soon after deleting
# many is slow on this disk, so a finished tree is never deleted and rebuilt
# inside a run. A fresh name is used when no finished tree exists.
# Sets the variable named $1 to a finished tree out/$2-*, made by gentree.py
# with the remaining arguments when there is none.
find_or_make_tree() {
    local var="$1" kind="$2" found="" candidate
    shift 2
    mkdir -p "$here/out"
    for candidate in "$here"/out/"$kind"-*; do
        if [[ -f "$candidate/.complete" ]]; then
            found="$candidate"
            break
        fi
    done
    if [[ -z "$found" ]]; then
        found="$here/out/$kind-$(date +%Y%m%d-%H%M%S)-$$"
        echo "generating $found ..." >&2
        python3 "$here/gentree.py" "$found" "$@"
    fi
    printf -v "$var" '%s' "$found"
}

# 200,000 files in 20,000 folders.
ensure_tree() {
    find_or_make_tree tree tree
}

# Wall time of one run of "$@" in microseconds.
time_us() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}

median_of() {
    printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.1f\n", m/1000}'
}

# Median wall time in milliseconds of "$@", run $runs times after one warm-up.
median_ms() {
    local samples=()
    "$@" >/dev/null 2>&1
    for ((i = 0; i < runs; i++)); do samples+=("$(time_us "$@")"); done
    median_of "${samples[@]}"
}

# Times every named command $runs times, the commands taking turns so that
# all of them see the same load; one warm-up run each first. Sets median[name] (ms).
declare -A median
time_in_turns() {
    local -A samples
    local name
    for name in "$@"; do "$name" >/dev/null 2>&1; done
    for ((i = 0; i < runs; i++)); do
        for name in "$@"; do samples[$name]+="$(time_us "$name") "; done
    done
    for name in "$@"; do
        # shellcheck disable=SC2086
        median[$name]=$(median_of ${samples[$name]})
    done
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

fd16_pictures() {
    local args=()
    for e in "${picture_exts[@]}"; do args+=(-e "$e"); done
    fdfind -u -j 16 "${args[@]}" . "$tree"
}

scan_pictures() { "$build/bench/scan_driver" "$tree" "$picture_patterns"; }
find_all() { find "$tree" -type f; }
fd_all() { fdfind -u -t f . "$tree"; }
scan_all() { "$build/bench/scan_driver" "$tree" '*.*'; }

# Peak memory in MB of a scan of tree "$2" (default: the 200,000-file tree) with patterns "$1".
peak_rss_mb() {
    local kb
    kb=$("$build/bench/scan_driver" "${2:-$tree}" "$1" 2>&1 >/dev/null | awk '/^peak_rss_kb/ {print $2}')
    echo $((kb / 1024))
}

bench_scan() {
    time_in_turns find_pictures fd_pictures scan_pictures find_all fd_all scan_all
    local rss_pic rss_all
    rss_pic=$(peak_rss_mb "$picture_patterns")
    rss_all=$(peak_rss_mb '*.*')
    echo "pictures_ms: find ${median[find_pictures]}, fd ${median[fd_pictures]}, scan ${median[scan_pictures]}"
    echo "everything_ms: find ${median[find_all]}, fd ${median[fd_all]}, scan ${median[scan_all]}"
    echo "scan_vs_find: $(ratio "${median[scan_pictures]}" "${median[find_pictures]}")"
    echo "scan_vs_fd: $(ratio "${median[scan_pictures]}" "${median[fd_pictures]}")"
    echo "scan_all_vs_find: $(ratio "${median[scan_all]}" "${median[find_all]}")"
    echo "scan_all_vs_fd: $(ratio "${median[scan_all]}" "${median[fd_all]}")"
    echo "scan_peak_rss_mb: $((rss_pic > rss_all ? rss_pic : rss_all))"
}

# Cold cache: what a disk that was not read yet gives. The page cache is
# dropped before every timed run (root only), fd at its best setting here.
drop_caches() {
    sync
    echo 3 >/proc/sys/vm/drop_caches
}

cold_ms() {
    local samples=() start end
    for ((i = 0; i < runs; i++)); do
        drop_caches
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        samples+=($(((end - start) / 1000)))
    done
    median_of "${samples[@]}"
}

bench_cold() {
    if [[ $(id -u) -ne 0 ]] || ! { : >/proc/sys/vm/drop_caches; } 2>/dev/null; then
        echo "scan_cold_vs_fd: left out (dropping the page cache needs root)"
        return
    fi
    local fd_ms scan_ms
    fd_ms=$(cold_ms fd16_pictures)
    scan_ms=$(cold_ms scan_pictures)
    echo "cold_pictures_ms: fd -j16 $fd_ms, scan $scan_ms"
    echo "scan_cold_vs_fd: $(ratio "$scan_ms" "$fd_ms")"
    # Everything is read again for the warm figures that follow.
    scan_all >/dev/null 2>&1
}

# Growth: a million files in 100,000 folders, warm, against the 200,000 above.
scan_1m_all() { "$build/bench/scan_driver" "$tree_1m" '*.*'; }

bench_growth() {
    find_or_make_tree tree_1m tree1m --files 1000000 --dirs 100000 --seed 20261208
    time_in_turns scan_all scan_1m_all
    echo "growth_ms: 200k ${median[scan_all]}, 1m ${median[scan_1m_all]}"
    echo "scan_1m_vs_200k: $(ratio "${median[scan_1m_all]}" "${median[scan_all]}")"
    echo "scan_1m_peak_rss_mb: $(peak_rss_mb '*.*' "$tree_1m")"
}

main() {
    install_tools
    build_release
    ensure_tree
    echo "tree: $tree ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
    bench_cold
    bench_scan
    # Sections defined further down add their own lines.
    if declare -F bench_listing_and_image >/dev/null; then
        bench_listing_and_image
    fi
    if declare -F bench_fat_image >/dev/null; then
        bench_fat_image
    fi
    bench_growth
    echo "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
}

# ---------------------------------------------------------------------------
# Listing and image: quorvane-cli against find and cp -r, same run.
# Trees are made once (fresh names, ".complete" when finished) and kept; the
# images made here get fresh names and are deleted after the timing.

image_cli() {
    echo "$build/cli/quorvane-cli"
}

# Small files for the copy: 20,000 files of 1-4 KB in 400 folders.
ensure_image_tree() {
    image_tree=""
    for candidate in "$here"/out/image-src-*; do
        if [[ -f "$candidate/.complete" ]]; then image_tree="$candidate"; break; fi
    done
    if [[ -z "$image_tree" ]]; then
        image_tree="$here/out/image-src-$(date +%Y%m%d-%H%M%S)-$$"
        echo "generating $image_tree ..." >&2
        python3 - "$image_tree" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(7)
for d in range(400):
    folder = os.path.join(root, f"g{d // 20:02d}", f"d{d:03d}")
    os.makedirs(folder)
    for f in range(50):
        with open(os.path.join(folder, f"f{f:02d}.dat"), "wb") as out:
            out.write(os.urandom(rng.randint(1024, 4096)))
open(os.path.join(root, ".complete"), "w").close()
PY
    fi
    # 2,000 files that are all called a.txt, for the flat image.
    flat_tree=""
    for candidate in "$here"/out/flat-src-*; do
        if [[ -f "$candidate/.complete" ]]; then flat_tree="$candidate"; break; fi
    done
    if [[ -z "$flat_tree" ]]; then
        flat_tree="$here/out/flat-src-$(date +%Y%m%d-%H%M%S)-$$"
        echo "generating $flat_tree ..." >&2
        python3 - "$flat_tree" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(2000):
    folder = os.path.join(root, f"d{d:04d}")
    os.makedirs(folder)
    with open(os.path.join(folder, "a.txt"), "w") as out:
        out.write(str(d))
open(os.path.join(root, ".complete"), "w").close()
PY
    fi
}

# Folders the image timings wrote. They are removed only once every timing
# is done: creating files soon after deleting many is slow on this disk and
# would tax whichever command ran next.
made_outputs=()

# Median milliseconds of each command given, each writing into a fresh
# folder every time (OUT in the command stands for it). The commands take
# turns, after one warm-up run each, so that all of them meet the same disk.
# Sets fresh_median[k] for the k-th command.
declare -a fresh_median
medians_fresh_ms() {
    local -a samples
    local i k out cmd start end
    for ((i = 0; i <= runs; i++)); do
        k=0
        for template in "$@"; do
            out="$here/out/img-$$-$RANDOM-$i-$k"
            made_outputs+=("$out")
            cmd="${template//OUT/$out}"
            start=$(date +%s%N)
            eval "$cmd" >/dev/null 2>&1 || true
            end=$(date +%s%N)
            ((i == 0)) || samples[k]+="$(((end - start) / 1000)) "
            k=$((k + 1))
        done
    done
    for ((k = 0; k < $#; k++)); do
        # shellcheck disable=SC2086
        fresh_median[k]=$(median_of ${samples[k]})
    done
}

# System calls per copied file, scan included, for the image and for cp -r
# (strace -c over one run each); left out where strace is missing.
syscalls_per_file() {
    command -v strace >/dev/null || { echo "image_syscalls_per_file: (no strace)"; return; }
    local cli="$1" files img cpc out
    files=$(find "$image_tree" -type f | wc -l)
    out="$here/out/img-$$-calls"
    made_outputs+=("$out-i" "$out-c")
    img=$(strace -f -c -o /dev/stdout "$cli" image "$image_tree" "$out-i" --all --recursive 2>/dev/null | awk '$NF == "total" {print $4}')
    cpc=$(strace -f -c -o /dev/stdout cp -r "$image_tree" "$out-c" 2>/dev/null | awk '$NF == "total" {print $4}')
    echo "image_syscalls_per_file: $(ratio "$img" "$files") (cp -r $(ratio "$cpc" "$files"))"
}

listing_pictures() { "$build/bench/listing_driver" "$tree" pictures; }
listing_all() { "$build/bench/listing_driver" "$tree" all; }

bench_listing_and_image() {
    cmake --build "$build" --target quorvane-cli listing_driver -j"$(nproc)" >/dev/null
    ensure_image_tree
    local cli cp_ms img_ms flat_ms
    cli="$(image_cli)"
    # A whole listing: the scan and both panes of the viewer filled, offscreen.
    time_in_turns find_pictures listing_pictures find_all listing_all
    echo "listing_ms: pictures ${median[listing_pictures]} find ${median[find_pictures]}, everything ${median[listing_all]} find ${median[find_all]}"
    echo "listing_vs_find: $(ratio "${median[listing_pictures]}" "${median[find_pictures]}")"
    echo "listing_all_vs_find: $(ratio "${median[listing_all]}" "${median[find_all]}")"

    medians_fresh_ms "cp -r '$image_tree' OUT" "'$cli' image '$image_tree' OUT --all --recursive"
    cp_ms=${fresh_median[0]}
    img_ms=${fresh_median[1]}
    echo "copy_20000_ms: cp -r $cp_ms, image $img_ms"
    echo "image_vs_cp: $(ratio "$img_ms" "$cp_ms")"

    syscalls_per_file "$cli"

    cmake --build "$build" --target pane_driver -j"$(nproc)" >/dev/null
    "$build/bench/pane_driver"

    medians_fresh_ms "'$cli' image '$flat_tree' OUT --all"
    flat_ms=${fresh_median[0]}
    # 1,000 files get names, 1,000 are skipped as the 999 numbers run out.
    echo "flat_clash_2000_s: $(awk -v ms="$flat_ms" 'BEGIN { printf "%.3f", ms / 1000 }')"
    rm -rf "${made_outputs[@]}"
}

# ---------------------------------------------------------------------------
# The image onto a FAT32 disk through fusefat (no hard links, no no-replace
# rename: every file reserves its name first) against cp -r onto a disk of
# the same kind, same run. Each timed command gets a fresh 64 MB image,
# mounted in a mount namespace of its own that vanishes with it.

# 2,000 files of 1-4 KB in 40 folders.
ensure_fat_tree() {
    fat_tree=""
    for candidate in "$here"/out/fat-src-*; do
        if [[ -f "$candidate/.complete" ]]; then fat_tree="$candidate"; break; fi
    done
    if [[ -z "$fat_tree" ]]; then
        fat_tree="$here/out/fat-src-$(date +%Y%m%d-%H%M%S)-$$"
        echo "generating $fat_tree ..." >&2
        python3 - "$fat_tree" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(11)
for d in range(40):
    folder = os.path.join(root, f"d{d:02d}")
    os.makedirs(folder)
    for f in range(50):
        with open(os.path.join(folder, f"f{f:02d}.dat"), "wb") as out:
            out.write(rng.randbytes(rng.randint(1024, 4096)))
open(os.path.join(root, ".complete"), "w").close()
PY
    fi
}

# Microseconds of one run of the command $1 (OUT in it stands for a folder
# on a fresh FAT32 disk); making and mounting the disk is not timed.
time_on_fresh_fat_us() {
    local disk="$here/out/fat-$$-$RANDOM"
    unshare -m --propagation private bash -c '
        image="$1.img" mnt="$1.mnt"
        truncate -s 64M "$image" && mkfs.vfat -F 32 "$image" >/dev/null && mkdir -p "$mnt" &&
            fusefat -o rw+ "$image" "$mnt" >/dev/null 2>&1 || exit 1
        start=$(date +%s%N)
        eval "${2//OUT/$mnt/t}" >/dev/null 2>&1
        end=$(date +%s%N)
        fusermount -u "$mnt"
        echo $(((end - start) / 1000))' _ "$disk" "$1"
    rm -rf "$disk.img" "$disk.mnt"
}

bench_fat_image() {
    local tool
    # mkfs.vfat lives where an ordinary PATH may not look.
    export PATH="$PATH:/usr/sbin:/sbin"
    if [[ $(id -u) -ne 0 || ! -c /dev/fuse ]]; then
        echo "image_vs_cp_fat: left out (mounting a FUSE disk needs root and /dev/fuse)"
        return
    fi
    for tool in mkfs.vfat fusefat fusermount unshare; do
        if ! command -v "$tool" >/dev/null; then
            echo "image_vs_cp_fat: left out ($tool is missing)"
            return
        fi
    done
    cmake --build "$build" --target quorvane-cli -j"$(nproc)" >/dev/null
    ensure_fat_tree
    cat "$fat_tree"/*/* >/dev/null
    local cli i cp_samples=() img_samples=() cp_ms img_ms
    cli="$(image_cli)"
    # Taking turns, so that both meet the same load. No warm-up round: every
    # disk is fresh anyway, and one round takes minutes.
    for ((i = 0; i < runs; i++)); do
        cp_samples+=("$(time_on_fresh_fat_us "cp -r '$fat_tree' OUT")")
        img_samples+=("$(time_on_fresh_fat_us "'$cli' image '$fat_tree' OUT --all --recursive")")
        if [[ -z "${cp_samples[i]}" || -z "${img_samples[i]}" ]]; then
            echo "image_vs_cp_fat: left out (a FAT32 image could not be made or mounted)"
            return
        fi
    done
    cp_ms=$(median_of "${cp_samples[@]}")
    img_ms=$(median_of "${img_samples[@]}")
    echo "copy_fat_2000_ms: cp -r $cp_ms, image $img_ms"
    echo "image_vs_cp_fat: $(ratio "$img_ms" "$cp_ms")"
}

main "$@"
