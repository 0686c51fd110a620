#!/usr/bin/env bash
# The layer check on a tree made for it: it names every include that points up
# or reaches into a sub-folder of platform/ from above platform/, and nothing
# else; without those files the same tree passes.
set -euo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT

plant() { # FILE HEADER...: a source file that includes the headers
    local file="$tree/$1"
    shift
    mkdir -p "$(dirname "$file")"
    printf '#include "%s"\n' "$@" >"$file"
}

# What the layers may include: platform/ its own sub-folders, the others the
# headers at platform/'s top and the layers below them.
plant platform/PlatformServices.cpp platform/smb/SmbFileSystem.h platform/local/LocalFileSystem.h
plant platform/smb/SmbFileSystem.cpp platform/copy/PartNames.h platform/FileSystem.h
plant config/Settings.cpp platform/IniFile.h config/Settings.h
plant core/shares/Connector.cpp platform/ShareConnections.h config/Settings.h core/shares/Connector.h
plant gui/main/Window.cpp platform/PlatformServices.h core/shares/Connector.h gui/main/Window.h
plant app/main.cpp platform/PlatformServices.h gui/main/Window.h cli/Commands.h
"$check" "$tree" >/dev/null || {
    echo "the check refuses includes that keep to the layers:"
    "$check" "$tree" || true
    exit 1
}

plant core/shares/Timeouts.cpp platform/ShareConnections.h platform/smb/SmbContextPool.h
plant gui/main/Files.cpp platform/local/LocalFileSystem.h
plant cli/Copy.cpp core/shares/Connector.h platform/copy/PartNames.h
plant app/Wiring.cpp platform/smb/SmbFileSystem.h
plant config/Up.cpp core/shares/Connector.h
expected="app/Wiring.cpp: includes platform/smb/SmbFileSystem.h
cli/Copy.cpp: includes platform/copy/PartNames.h
config/Up.cpp: includes core/shares/Connector.h
core/shares/Timeouts.cpp: includes platform/smb/SmbContextPool.h
gui/main/Files.cpp: includes platform/local/LocalFileSystem.h"
if output="$("$check" "$tree")"; then
    echo "the check passes a tree with includes that break the layers"
    exit 1
fi
named="$(sed 's/, which .*//' <<<"$output" | sort)"
if [ "$named" != "$expected" ]; then
    echo "the check names other includes than those that break the layers:"
    diff <(echo "$expected") <(echo "$named") || true
    exit 1
fi
echo "layer check: every planted include that breaks the layers is named, and only those"
