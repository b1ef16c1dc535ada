#!/usr/bin/env bash
# Installs what building, testing and benchmarking need on a Debian machine,
# only when something is missing.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins libqt6test6 libqt6svg6 qt6-translations-l10n
          fonts-dejavu-core fonts-liberation2 e2fsprogs util-linux strace findutils)
# The package test: cpack's dependency list, and the validators of what gets installed.
packages+=(dpkg-dev file desktop-file-utils appstream groff-base)
# The disks users carry (FAT32, exFAT, NTFS), made as images and mounted
# through FUSE: the kernel here has none of their drivers. losetup (mount)
# gives the exFAT driver the block device it wants.
packages+=(fuse3 fusefat exfat-fuse exfatprogs ntfs-3g dosfstools mount)
# The journeys drive the program on a private X display with a window manager.
packages+=(xvfb xauth openbox xdotool wmctrl x11-utils xclip)
# And on a Wayland desktop: weston with XWayland, and Qt's Wayland platform
# for the program as a Wayland client.
packages+=(weston xwayland qt6-wayland)
if [[ "${1:-}" == "--with-display" ]]; then
    packages+=(imagemagick)
fi
if [[ "${1:-}" == "--with-bench" ]]; then
    # bench/gentree.py makes the tree the benchmark walks; fd and rsync are
    # what the scan and the image are measured against.
    packages+=(fd-find time python3 rsync)
fi
if [[ "${1:-}" == "--with-fuzz" ]]; then
    # tools/fuzz.sh: clang with libFuzzer and the sanitizer runtimes; the
    # symbolizer names the lines of a finding.
    packages+=(clang libclang-rt-dev llvm)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
