#!/usr/bin/env bash
# Takes the screenshots of docs/ from the real program under a virtual display
# (Xvfb), against a private share on 127.0.0.1, by clicking as a user would:
#
#   scripts/docs-screenshots.sh TARVO_BINARY [OUTPUT_FOLDER]
#
# progress.png      the Progress dialog in the middle of a 2 GiB file
# replace.png       "Confirm File Replace" during a Sync
# options-net.png   the Options sheet's Net page
# preview.png       Preview of a send of both sessions, with a file Sync prunes
# first-start.png   the main window of a configuration without a share
# session.png       the session dialog that its "Add a share..." opens
#
# It needs root (to start smbd), Xvfb and xdotool. The clicks land where the
# main window's buttons are at its start size on a 1280x800 screen.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
source "$source_dir/scripts/samba-share.sh"
if [ "$#" -lt 1 ] || [ "$#" -gt 2 ] || [ ! -x "$1" ]; then
    echo "usage: scripts/docs-screenshots.sh TARVO_BINARY [OUTPUT_FOLDER]" >&2
    exit 2
fi
tarvo="$(realpath "$1")"
out="$(realpath -m "${2:-$source_dir/docs}")"
work="$(mktemp -d)"
samba="$work/samba"
share="$samba/share"
device="$work/device"
finish() {
    [ -f "$samba/pid/smbd.pid" ] && kill "$(cat "$samba/pid/smbd.pid")" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

mkdir -p "$share/Incoming" "$share/2026" "$device/My Documents/Outbox" \
    "$device/My Documents/Reports" "$device/My Documents/Sent" "$out"
password="shots-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
samba_write_conf "$samba" 445 docs "$share" # the port comes when smbd starts
printf '%s\n%s\n' "$password" "$password" | smbpasswd -c "$samba/smb.conf" -s -a root >/dev/null
samba_start "$samba" docs "$share" 44800 44899 "$(command -v smbd || echo /usr/sbin/smbd)"
port="$SAMBA_PORT"

# A big file first in the list, and a Sync target that looks like its source.
truncate -s 2G "$device/My Documents/Outbox/0-site-survey.iso"
printf 'Quarterly report.\n' >"$device/My Documents/Outbox/report.txt"
printf 'Summary of 2026.\n' >"$device/My Documents/Reports/summary.docx"
cp -p "$device/My Documents/Reports/summary.docx" "$share/2026/summary.docx"

session() { # name direction local share-folder post-op post-folder
    printf '%s=Net,%s,\\\\127.0.0.1:%s\\docs,WORKGROUP,%s,%s,%s,%s,tester,%s' \
        "$1" "$2" "$port" "$3" "$4" "$5" "$6" "$password"
}
write_config() { # file default-sessions
    printf '%s\r\n' "[Setting]" "DefaultChoice=None" "ShowArchive=Yes" "ShowReadonly=Yes" \
        "ShowSystem=Yes" "DefaultSession=$2" "[Session]" \
        "$(session Office Put '\My Documents\Outbox' '\Incoming' Move '\My Documents\Sent')" \
        "$(session Archive Put '\My Documents\Reports' '\2026' Sync '')" >"$1"
}
write_config "$work/office.txt" Office
write_config "$work/archive.txt" Archive
write_config "$work/both.txt" Office,Archive
printf '%s\r\n' "[Setting]" "DefaultSession=" "[Session]" >"$work/empty.txt"

export TARVO_REGISTRY="$work/registry.ini"
export XDG_STATE_HOME="$work/state"
# One shot: start the program, click through STEPS (x,y offsets in the main
# window, "key:NAME", "wait:SECONDS"), then capture the window whose whole
# name matches TITLE (a regular expression).
shoot() { # config title output steps...
    if [ "$#" -lt 3 ]; then
        echo "docs-screenshots: shoot CONFIG TITLE OUTPUT [STEPS...]" >&2
        exit 2
    fi
    # Each step that fails ends the shot, and the script with it; the
    # program goes on again (it may be held still) and is ended.
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        set -euo pipefail
        tarvo="$1" config="$2" device="$3" title="$4" shot="$5"
        shift 5
        "$tarvo" --config "$config" --root "$device" &
        pid=$!
        trap "kill -CONT $pid 2>/dev/null || true; kill $pid 2>/dev/null || true" EXIT
        main=""
        for _ in $(seq 50); do
            sleep 0.2
            main="$(xdotool search --onlyvisible --name "^Tarvo$" 2>/dev/null | head -1)" && [ -n "$main" ] && break
        done
        if [ -z "$main" ]; then
            echo "docs-screenshots: the main window did not appear" >&2
            exit 1
        fi
        sleep 1 # the list fills
        geometry="$(xdotool getwindowgeometry --shell "$main")"
        eval "$geometry"
        for step in "$@"; do
            case "$step" in
            key:*) xdotool key "${step#key:}" ;;
            wait:*) sleep "${step#wait:}" ;;
            *) xdotool mousemove $((X + ${step%,*})) $((Y + ${step#*,})) click 1 ;;
            esac
            sleep 0.3
        done
        window="$(xdotool search --onlyvisible --name "^$title\$" | tail -1)"
        if [ -z "$window" ]; then
            echo "docs-screenshots: no window \"$title\" appeared" >&2
            exit 1
        fi
        kill -STOP $pid # holds a running copy still while the shot is taken
        xwd -id "$window" -silent >"$shot.xwd"
        kill -CONT $pid
        kill $pid
        wait $pid 2>/dev/null || true
        trap - EXIT
    ' shoot "$tarvo" "$1" "$device" "$2" "$work/shot" "${@:4}"
    xwdtopnm "$work/shot.xwd" 2>/dev/null | pnmtopng >"$3"
    echo "Screenshot written to $3"
}
# Every row starts selected. At the start size the second row is at (40,114),
# Send at (59,457), Preview at (153,457) and Option at (239,457); without a
# share, "Add a share..." is at (320,268).
# The Progress dialog's title carries the send's progress ("42% – Sending – Tarvo"),
# as the main window's does; the dialog is the newer of the two.
shoot "$work/office.txt" "[0-9]*%.*Sending.*Tarvo" "$out/progress.png" 40,114 59,457 wait:2.5
shoot "$work/archive.txt" "Confirm File Replace" "$out/replace.png" 59,457 wait:1
shoot "$work/office.txt" Options "$out/options-net.png" 239,457 wait:0.5 key:ctrl+Tab key:ctrl+Tab
# A file of the Sync target without a source, for the preview to prune (the
# shot of the replace question before ran a Sync that took any such file).
printf 'Draft of 2025.\n' >"$share/2026/draft-2025.docx"
shoot "$work/both.txt" Preview "$out/preview.png" 153,457 wait:1.5
shoot "$work/empty.txt" Tarvo "$out/first-start.png"
shoot "$work/empty.txt" "Map Network Drive" "$out/session.png" 320,268 wait:0.5
