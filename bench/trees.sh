# shellcheck shell=bash
# The trees the benchmark reads, sourced by run.sh. A tree is made once and
# kept in out/: creating many files soon after deleting many is slow on this
# disk, so a finished tree (".complete" written last) is never deleted and
# rebuilt inside a run. QUORVANE_BENCH_SMALL=1 picks trees a small fraction
# of the size, under names of their own so that they never stand in for the
# full ones: a whole run then takes minutes, for trying the script itself.

if [[ "${QUORVANE_BENCH_SMALL:-0}" == 1 ]]; then
    tree_size=small
    tree_files=5000 tree_dirs=500 big_files=25000 big_dirs=2500
    image_folders=40 fat_folders=4 pane_entries=20000
else
    tree_size=full
    tree_files=200000 tree_dirs=20000 big_files=1000000 big_dirs=100000
    image_folders=400 fat_folders=40 pane_entries=100000
fi
# The data trees hold 50 files of 1-4 KB a folder.
image_files=$((image_folders * 50))
fat_files=$((fat_folders * 50))
# 2,000 files all called a.txt: past 1,000 the 999 numbers of a name run out.
flat_files=2000

# 200000 -> 200k, 1000000 -> 1m: file counts in figure names.
count_label() {
    if (($1 % 1000000 == 0)); then echo "$(($1 / 1000000))m"; else echo "$(($1 / 1000))k"; fi
}

tree_label=$(count_label "$tree_files")
big_label=$(count_label "$big_files")

# Sets the variable named $1 to a finished tree out/$2-*; when there is none,
# makes one under a fresh name with the command that follows, which gets the
# new tree's path as its first argument.
find_or_make_tree() {
    local var="$1" kind="$2" maker="$3" found="" candidate
    shift 3
    [[ $tree_size == full ]] || kind="$tree_size-$kind"
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
        "$maker" "$found" "$@"
    fi
    printf -v "$var" '%s' "$found"
}

make_name_tree() { python3 "$here/gentree.py" "$@"; }

# TARGET FOLDERS SEED GROUPED: 50 files of 1-4 KB in each folder, the folders
# in groups of 20 when GROUPED is 1.
make_data_tree() {
    python3 - "$@" <<'PY'
import os, random, sys
root, folders, seed, grouped = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4] == "1"
rng = random.Random(seed)
for d in range(folders):
    folder = os.path.join(root, f"g{d // 20:02d}", f"d{d:03d}") if grouped else os.path.join(root, f"d{d:02d}")
    os.makedirs(folder)
    for f in range(50):
        with open(os.path.join(folder, f"f{f:02d}.dat"), "wb") as out:
            out.write(rng.randbytes(rng.randint(1024, 4096)))
open(os.path.join(root, ".complete"), "w").close()
PY
}

# TARGET COUNT: COUNT folders that each hold one file a.txt.
make_flat_tree() {
    python3 - "$@" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
for d in range(count):
    folder = os.path.join(root, f"d{d:04d}")
    os.makedirs(folder)
    with open(os.path.join(folder, "a.txt"), "w") as out:
        out.write(str(d))
open(os.path.join(root, ".complete"), "w").close()
PY
}

# Sets tree, big_tree, image_tree, flat_tree and fat_tree. The million-file
# tree takes minutes and 400 MB the first time.
ensure_trees() {
    find_or_make_tree tree tree make_name_tree --files "$tree_files" --dirs "$tree_dirs"
    find_or_make_tree big_tree tree1m make_name_tree --files "$big_files" --dirs "$big_dirs" --seed 20261208
    find_or_make_tree image_tree image-src make_data_tree "$image_folders" 7 1
    find_or_make_tree flat_tree flat-src make_flat_tree "$flat_files"
    find_or_make_tree fat_tree fat-src make_data_tree "$fat_folders" 11 0
}
