#!/usr/bin/env bash
# Installs what is missing, builds Tarvo and runs every test: once in a normal
# build, once with AddressSanitizer and UndefinedBehaviorSanitizer, the
# threaded tests once more with ThreadSanitizer, then the fuzz targets.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$source_dir"

scripts/install-deps.sh
scripts/check-layers.sh

run_suite() {
    local build_dir="$1"
    shift
    echo "== Building $build_dir"
    scripts/build.sh "$build_dir" -DTARVO_BUILD_BENCH=OFF "$@"
    echo "== Testing $build_dir"
    # A test that fails once has failed: nothing is run again.
    ctest --test-dir "$build_dir" --output-on-failure -j 2 --timeout 600
}

# No debug information in the first build: a failing test names its assertion,
# and the sanitizer build below keeps the debug information for stacks.
run_suite build/test -DCMAKE_BUILD_TYPE=Release
echo "== Screenshot of the main window"
scripts/screenshot.sh build/test/app/tarvo build/test/main-window.png
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_suite build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=address,undefined

echo "== Threaded tests under ThreadSanitizer"
scripts/tsan.sh build/tsan

echo "== Fuzzing"
scripts/fuzz.sh 15

# Every build and every file a test writes belongs under build/ (which git
# ignores) or in a temporary folder: whatever else the steps above left in
# the checkout, changed or new, fails the run.
echo "== The checkout after the run"
left="$(git status --porcelain --untracked-files=all)"
if [ -n "$left" ]; then
    echo "tarvo: the run left the checkout changed:" >&2
    echo "$left" >&2
    exit 1
fi
echo "unchanged"
