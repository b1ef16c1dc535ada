#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang's libFuzzer (AddressSanitizer
# and UndefinedBehaviorSanitizer on) in build-fuzz and runs each for a while.
# Usage: tools/fuzz.sh [SECONDS-PER-TARGET] [TARGET...]
#   default: 180 s for each of profiletext, drivepath, namecodec, arguments.
# The committed seeds in fuzz/corpus/TARGET are only read; what the fuzzer
# learns goes to build-fuzz/corpus/TARGET, a finding to build-fuzz/findings/.
# Exits 1 when a target found something: keep its input as a test row.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-fuzz"
seconds="${1:-180}"
shift || true
targets=("$@")
((${#targets[@]})) || targets=(profiletext drivepath namecodec arguments)

"$here/tools/install-deps.sh" --with-fuzz

if [[ ! -f "$build/build.ninja" ]]; then
    CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORVANE_FUZZ=ON "-DQUORVANE_SANITIZE=address;undefined" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

# The settings target writes a file per input: a folder in memory is faster.
if [[ -z "${TMPDIR:-}" && -w /dev/shm ]]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The settings reader cuts values at 2047 characters: inputs must reach past it.
max_len_of() {
    case "$1" in
        profiletext) echo 8192 ;;
        *) echo 4096 ;;
    esac
}

status=0
mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    echo "== fuzz_$target: ${seconds} s"
    log="$build/fuzz_$target.log"
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        "$work" "$here/fuzz/corpus/$target" >"$log" 2>&1; then
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    else
        status=1
        grep -E -A30 '^(==[0-9]+==ERROR|.*property does not hold|.*runtime error)' "$log" | head -60 || tail -40 "$log"
        echo "finding kept in $build/findings/ (log: $log)"
    fi
done
exit "$status"
