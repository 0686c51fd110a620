#!/usr/bin/env bash
# Builds the test programs whose tests run worker threads (ctest label
# "threads") with ThreadSanitizer and runs them; any report fails the test.
# scripts/test.sh runs it after the other builds.
#   scripts/tsan.sh [BUILD_DIR] [ctest options...]
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$source_dir"
build_dir="${1:-build/tsan}"
shift || true

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=thread \
    -DTARVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target tarvo_threaded_tests

# halt_on_error: the first report ends the test program, so the test fails.
# die_after_fork=0: the share tests start smbd and smbpasswd
#   (with posix_spawn, see tests/support/RunProgram.h) from a program that
#   may already run threads; ThreadSanitizer would otherwise end such a child
#   before it reaches exec, which replaces it with Samba's programs.
# Not ignore_noninstrumented_modules: it would also leave out glibc and
#   every other library; the suppressions name QtCore and QtGui alone. A
#   worker appending to a QStringList while the window's thread reads its
#   size is still reported with them.
# suppressions: what happens inside Debian's uninstrumented Qt and glibc,
#   each entry with the reason it is not a race of Tarvo's.
# QT_STYLE_OVERRIDE=windows: Fusion paints gradients, whose long runs QtGui
#   fills on QtCore's global thread pool and waits for through futexes that
#   ThreadSanitizer cannot see; the Windows style paints plain fills on the
#   window's thread.
export QT_STYLE_OVERRIDE=windows
export TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1:suppressions=$source_dir/tests/tsan/suppressions.txt"
ctest --test-dir "$build_dir" -L threads --output-on-failure -j 2 \
    --timeout 600 "$@"
