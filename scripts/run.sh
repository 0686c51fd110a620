#!/usr/bin/env bash
# Installs what is missing, builds Tarvo and runs it on a demo: a private SMB
# share on 127.0.0.1 with two default sessions and a few sample files. With a
# display the main window opens; without one the demo's files are sent with
# 'tarvo send --yes' and the result is printed.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$source_dir"

scripts/install-deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=OFF

exec scripts/demo.sh build/release/app/tarvo build/demo
