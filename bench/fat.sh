# shellcheck shell=bash
# The image onto a FAT32 disk through fusefat (no hard links, no no-replace
# rename: every file reserves its name first) against cp -r and rsync -r
# onto a disk of the same kind, same round; sourced by run.sh. Each timed command gets a
# fresh 64 MB image, mounted in a mount namespace of its own that vanishes
# with it.

fat_note=""
check_fat() {
    local tool
    # mkfs.vfat lives where an ordinary PATH may not look.
    export PATH="$PATH:/usr/sbin:/sbin"
    if [[ $(id -u) -ne 0 || ! -c /dev/fuse ]]; then
        fat_note="left out (mounting a FUSE disk needs root and /dev/fuse)"
        return
    fi
    for tool in mkfs.vfat fusefat fusermount unshare; do
        if ! command -v "$tool" >/dev/null; then
            fat_note="left out ($tool is missing)"
            return
        fi
    done
}

# Microseconds of one run of the command $1 (OUT in it stands for a folder
# on a fresh FAT32 disk); making and mounting the disk is not timed. Prints
# nothing when the disk could not be made or mounted.
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
        echo $(((end - start) / 1000))' _ "$disk" "$1" || true
    rm -rf "$disk.img" "$disk.mnt"
}

# Records fat_LABEL_ms for the command TEMPLATE; false when no disk was had.
time_on_fat() {
    local us
    us=$(time_on_fresh_fat_us "$2")
    if [[ -z $us ]]; then
        fat_note="left out (a FAT32 image could not be made or mounted)"
        return 1
    fi
    record "fat_$1_ms" "$(us_to_ms "$us")"
}

# No warm-up copy: every disk is fresh anyway, and one takes a while.
# fusefat has no chmod: rsync's setting of each file's mode fails there and
# it exits 23, yet every file arrives whole under its name.
bench_fat() {
    [[ -z $fat_note ]] || return 0
    cat "$fat_tree"/*/* >/dev/null
    if time_on_fat cp "cp -r '$fat_tree' OUT" && time_on_fat rsync "rsync -r '$fat_tree/' OUT" &&
        time_on_fat image "'$cli' image '$fat_tree' OUT --all --recursive"; then
        record_ratio image_vs_cp_fat fat_image_ms fat_cp_ms
        record_ratio image_vs_rsync_fat fat_image_ms fat_rsync_ms
    fi
}

report_fat() {
    if [[ -n $fat_note ]]; then
        echo "image_vs_cp_fat: $fat_note"
        return
    fi
    echo "copy_fat_${fat_files}_ms: cp -r $(show fat_cp_ms), rsync -r $(show fat_rsync_ms), image $(show fat_image_ms)"
    echo "image_vs_cp_fat: $(show image_vs_cp_fat)"
    echo "image_vs_rsync_fat: $(show image_vs_rsync_fat)"
}
