#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks what it holds.
#   check-package.sh CPACK BUILD_DIR
# Exit 0: all good; 1: a fault (named on the output); 77: a tool is missing.
set -uo pipefail
cpack=$1 build=$2
id=de.brannick.quorvane

for tool in dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli groff; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (tools/install-deps.sh installs it)"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
faults=0
fault() { echo "FAULT: $*"; faults=$((faults + 1)); }

(cd "$build" && "$cpack" -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log"; echo "FAULT: cpack failed"; exit 1; }
debs=("$scratch"/out/quorvane_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { ls "$scratch/out"; echo "FAULT: not exactly one quorvane_*.deb"; exit 1; }
deb=${debs[0]}

# Exactly these files, nothing of the build (tests, benchmarks) besides.
expected="./usr/bin/quorvane
./usr/bin/quorvane-cli
./usr/share/applications/$id.desktop
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/man/man1/quorvane-cli.1
./usr/share/metainfo/$id.metainfo.xml"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[[ "$actual" == "$expected" ]] || fault "package files differ:
$(diff <(echo "$expected") <(echo "$actual"))"

# Qt's platform and SVG icon plugins are loaded at run time and the font is
# asked for by name; the linker records none of them, so the package must.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6core6 qt6-qpa-plugins libqt6svg6 fonts-liberation2 qt6-translations-l10n; do
    [[ ", $depends," == *", $package"[\ ,]* ]] || fault "Depends lacks $package: $depends"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *qt6-wayland* ]] || fault "Recommends lacks qt6-wayland"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
apps="$root/usr/share/applications/$id.desktop"
desktop-file-validate "$apps" || fault "desktop-file-validate rejects $id.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" >"$scratch/as.log" 2>&1 \
    || { cat "$scratch/as.log"; fault "appstreamcli rejects the metainfo"; }
grep -qx "Icon=$id" "$apps" || fault "the desktop entry does not name the installed icon $id"
grep -qx "TryExec=quorvane" "$apps" || fault "the desktop entry does not start the installed program"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/usr/share/metainfo/$id.metainfo.xml" \
    || fault "the metainfo does not launch $id.desktop"

man="$root/usr/share/man/man1/quorvane-cli.1"
warnings=$(LC_ALL=C.UTF-8 groff -k -man -ww -z -Tutf8 "$man" 2>&1)
[[ -z "$warnings" ]] || fault "groff warns about the manual page: $warnings"

# The manual names exactly the options the program's own help names.
help=$("$root/usr/bin/quorvane-cli" --help) || fault "the packaged quorvane-cli --help failed"
options() { grep -oE -- '(^|[^A-Za-z0-9-])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u; }
inHelp=$(options <<<"$help")
inManual=$(grep -v '^\.\\"' "$man" | sed 's/\\-/-/g' | options)
[[ "$inHelp" == "$inManual" ]] || fault "options of --help and of the manual page differ:
$(diff <(echo "$inHelp") <(echo "$inManual"))"

if ((faults)); then
    echo "$faults fault(s) in $(basename "$deb")"
    exit 1
fi
echo "$(basename "$deb"): files, dependencies, desktop entry, metainfo and manual page as expected"
