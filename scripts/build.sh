#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh BUILD_DIR [cmake options...]
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
if [ "$#" -lt 1 ]; then
    echo "usage: scripts/build.sh BUILD_DIR [cmake options...]" >&2
    exit 2
fi
build_dir="$1"
shift
cmake -S "$source_dir" -B "$build_dir" -G Ninja "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
