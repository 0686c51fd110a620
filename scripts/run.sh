#!/usr/bin/env bash
# Installs what is missing, builds Tarvo and opens its main window on the sample configuration.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
cd "$source_dir"

scripts/install-deps.sh
scripts/build.sh build/release -DCMAKE_BUILD_TYPE=Release -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=OFF

exec build/release/app/tarvo --config sample/tarvo.txt --root sample/device
