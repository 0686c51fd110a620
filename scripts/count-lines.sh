#!/usr/bin/env bash
# Counts the lines of C++ that the program and its tests are made of, blank
# lines and comment lines left out, and the tests' share of the program's
# and of all the code.
#
#   scripts/count-lines.sh
set -euo pipefail
cd "$(dirname "$0")/.."

code_lines() {
    if [ "$#" -eq 0 ]; then
        echo 0
        return
    fi
    cat -- "$@" | grep -v -E '^\s*$|^\s*//|^\s*/?\*' | wc -l
}

mapfile -t program < <(git ls-files -- app cli config core gui platform | grep -E '\.(cpp|h)$')
mapfile -t tests < <(git ls-files -- tests | grep -E '\.(cpp|h)$')
program_lines="$(code_lines "${program[@]}")"
test_lines="$(code_lines "${tests[@]}")"
echo "program: $program_lines lines in ${#program[@]} files"
echo "tests:   $test_lines lines in ${#tests[@]} files"
awk -v t="$test_lines" -v p="$program_lines" 'BEGIN {
    printf "tests / program: %.0f%%\n", 100 * t / p
    printf "tests / all code: %.0f%%\n", 100 * t / (t + p)
}'
for folder in tests/*/; do
    mapfile -t files < <(git ls-files -- "$folder" | grep -E '\.(cpp|h)$')
    printf '  %-16s %6s\n' "$folder" "$(code_lines "${files[@]}")"
done
