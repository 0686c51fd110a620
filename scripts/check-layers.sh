#!/usr/bin/env bash
# Checks that includes point down the layers only: platform/ needs nothing of
# the program's own, config/ only platform/, core/ only those two, gui/ and
# cli/ only those three, and nothing under platform/, config/ or core/
# includes Qt Widgets. Above platform/ only the headers at its top are seen
# (the interfaces and PlatformServices, which builds the services): its
# sub-folders (platform/smb/, platform/local/, platform/copy/) are its own.
# Prints each include that breaks the rule; exit status 1 when there is one.
#
#   scripts/check-layers.sh [TREE]    (TREE: the checkout's top by default)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

status=0
# layer: the folders its includes may name
declare -A allowed=(
    [platform]="platform"
    [config]="platform config"
    [core]="platform config core"
    [gui]="platform config core gui"
    [cli]="platform config core cli"
    [app]="platform config core gui cli"
)
for layer in "${!allowed[@]}"; do
    [ -d "$layer" ] || continue
    while IFS= read -r -d '' file; do
        while IFS= read -r line; do
            included="${line#*\"}"
            included="${included%%\"*}"
            top="${included%%/*}"
            if [[ "$included" != */* ]]; then
                continue # a generated header beside the file
            fi
            if [[ " ${allowed[$layer]} " != *" $top "* ]]; then
                echo "$file: includes $included, which is above $layer/"
                status=1
            elif [[ "$layer" != platform && "$included" == platform/*/* ]]; then
                echo "$file: includes $included, which only platform/ sees; use a header at the top of platform/"
                status=1
            fi
        done < <(grep -E '^#include "' "$file" || true)
        if [[ "$layer" =~ ^(platform|config|core)$ ]] &&
            grep -nE '^#include <(QtWidgets/|Q(Application|Widget|Dialog|MessageBox|Label|PushButton|LineEdit|ComboBox|TreeView|ListView|ProgressBar|CheckBox|Layout|HBoxLayout|VBoxLayout|GridLayout|Style|Menu|Action)\b)' "$file"; then
            echo "$file: includes Qt Widgets, which belong in gui/"
            status=1
        fi
    done < <(find "$layer" -name '*.cpp' -print0 -o -name '*.h' -print0)
done
if [ "$status" -eq 0 ]; then
    echo "layers: every include points down"
fi
exit "$status"
