#!/usr/bin/env bash
# Takes a screenshot of the main window under a virtual display (Xvfb):
#   scripts/screenshot.sh TARVO_BINARY OUTPUT.png
# The window shows two sessions' sample files; nothing connects to a share.
set -euo pipefail
if [ "$#" -ne 2 ] || [ ! -x "$1" ]; then
    echo "usage: scripts/screenshot.sh TARVO_BINARY OUTPUT.png" >&2
    exit 2
fi
tarvo="$(realpath "$1")"
output="$(realpath -m "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

outbox="$work/device/My Documents/Outbox"
reports="$work/device/My Documents/Reports"
mkdir -p "$outbox" "$reports"
for name in report.txt inventory.csv notes.txt photo-0412.jpg; do
    printf 'sample %s\n' "$name" >"$outbox/$name"
done
head -c 250000 /dev/zero >"$outbox/site-survey.pdf"
for name in november.xlsx december.xlsx summary.docx; do
    head -c 48000 /dev/zero >"$reports/$name"
done

printf '%s\r\n' "[Setting]" "DefaultChoice=None" "ShowArchive=Yes" "ShowReadonly=Yes" \
    "ShowSystem=Yes" "ShowHidden=No" "DefaultSession=Office,Archive" "[Session]" \
    'Office=Net,Put,\\fileserver\docs,WORKGROUP,\My Documents\Outbox,\Incoming,Move,\My Documents\Sent,alice,x' \
    'Archive=Net,Put,\\nas\archive,WORKGROUP,\My Documents\Reports,\2026,Sync,,alice,x' \
    >"$work/tarvo.txt"

export TARVO_REGISTRY="$work/registry.ini"
export XDG_STATE_HOME="$work/state" # the window's start size, not the size of your last run
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    "$0" --config "$1" --root "$2" &
    pid=$!
    for _ in $(seq 50); do
        sleep 0.2
        xwd -name Tarvo -silent >"$3.xwd" 2>/dev/null && break
    done
    sleep 1 # let the list fill
    xwd -name Tarvo -silent >"$3.xwd"
    kill $pid
    wait $pid 2>/dev/null || true
' "$tarvo" "$work/tarvo.txt" "$work/device" "$work/shot"
xwdtopnm "$work/shot.xwd" 2>/dev/null | pnmtopng >"$output"
[ -s "$output" ] || { echo "tarvo: the screenshot is empty" >&2; exit 1; }
echo "Screenshot written to $output"
