#!/usr/bin/env bash
# Builds the tree with sanitizers and runs the tests under them, each kind in
# a build folder of its own:
#   asan  build-asan: AddressSanitizer and UndefinedBehaviorSanitizer, the
#         whole suite; undefined behaviour stops the test at once.
#   tsan  build-tsan: ThreadSanitizer, the tests that walk trees (the scanner
#         reads ahead on helper threads) and the platform layer they call.
# Usage: tools/sanitize.sh [asan] [tsan] [-- CTEST-ARGS...]   (default: both)
# Exits non-zero when a build fails or any test reports a finding.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
kinds=()
extra=()
while (($#)); do
    case "$1" in
        asan | tsan) kinds+=("$1") ;;
        --) shift; extra=("$@"); break ;;
        *) echo "usage: $0 [asan] [tsan] [-- CTEST-ARGS...]" >&2; exit 2 ;;
    esac
    shift
done
((${#kinds[@]})) || kinds=(asan tsan)

"$here/tools/install-deps.sh"

# Debug: Qt's and our own assertions stay on.
configure_and_build() {
    local build="$1" sanitizers="$2"
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        "-DQUORVANE_SANITIZE=$sanitizers" >/dev/null
    cmake --build "$build" -j"$(nproc)"
}

# Leaks are findings too; the suppressions name only leaks inside libraries
# that are not built with the sanitizer (see the file).
# No strict_string_checks: the X keyboard library hands strndup a buffer with
# its length and no NUL, which that check reports though nothing is read
# past the length (every window test on X died of it in Qt's start-up).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$here/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# die_after_fork=0: the full-disk tests fork children that start threads
# of their own; TSan would otherwise end them at the first one.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$here/tools/sanitizers/tsan.supp"

status=0
for kind in "${kinds[@]}"; do
    case "$kind" in
        asan)
            build="$here/build-asan"
            configure_and_build "$build" "address;undefined"
            filter=()
            ;;
        tsan)
            build="$here/build-tsan"
            configure_and_build "$build" "thread"
            # Every test that scans a tree starts the read-ahead helpers.
            filter=(-R '^(test_|tst_platform_)')
            ;;
    esac
    echo "== $kind: $build"
    if ! (cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "${filter[@]}" "${extra[@]}"); then
        status=1
    fi
done
exit "$status"
