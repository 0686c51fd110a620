#!/usr/bin/env bash
# Runs Tarvo on a demo: a private SMB share on 127.0.0.1 (Samba's smbd, under
# the demo folder, stopped again when this script ends), a configuration with
# two default sessions and a few sample files.
#
#   scripts/demo.sh TARVO_BINARY [DEMO_FOLDER]
#
# With a display it opens the main window; without one it runs
# `tarvo send --yes` on the demo and prints what happened.
set -euo pipefail
source "$(dirname "$0")/samba-share.sh"

if [ "$#" -lt 1 ] || [ ! -x "$1" ]; then
    echo "usage: scripts/demo.sh TARVO_BINARY [DEMO_FOLDER]" >&2
    exit 2
fi
tarvo="$(realpath "$1")"
demo="$(realpath -m "${2:-$(dirname "$0")/../build/demo}")"

fail() {
    echo "tarvo demo: $*" >&2
    exit 1
}

smbd="$(command -v smbd || true)"
[ -n "$smbd" ] || smbd=/usr/sbin/smbd
smbpasswd="$(command -v smbpasswd || true)"
[ -n "$smbpasswd" ] || smbpasswd=/usr/bin/smbpasswd
[ -x "$smbd" ] && [ -x "$smbpasswd" ] ||
    fail "Samba is not installed. Install it with 'sudo apt-get install samba' (scripts/run.sh does this) and try again."

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || fail "the demo share needs root to start smbd; run this as root or install sudo."
    sudo="sudo"
fi


password="demo-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
samba="$demo/samba"
device="$demo/device"
share="$samba/share"

# Stops the demo's smbd, if the pid file still names a running smbd.
stop_share() {
    local pid_file="$samba/pid/smbd.pid" pid
    [ -f "$pid_file" ] || return 0
    pid="$(cat "$pid_file")"
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = smbd ]; then
        $sudo kill "$pid" 2>/dev/null || true
    fi
    $sudo rm -f "$pid_file"
}

# Leftovers of an earlier demo are removed; the demo folder holds nothing else.
stop_share
rm -rf "$demo"
mkdir -p "$samba"/{private,lock,state,cache,pid,log,ncalrpc} "$share/Incoming" "$share/Reports" \
    "$device/My Documents/Outbox" "$device/My Documents/Sent" "$device/My Documents/Inbox"

samba_write_conf "$samba" 445 demo "$share" # the port comes when smbd starts

# The password reaches smbpasswd on its standard input only.
printf '%s\n%s\n' "$password" "$password" |
    $sudo "$smbpasswd" -c "$samba/smb.conf" -s -a root >/dev/null ||
    fail "could not set up the demo share's user (smbpasswd failed; see $samba/log)."
trap stop_share EXIT
samba_start "$samba" demo "$share" 44500 44599 "$smbd" "$sudo" ||
    fail "smbd could not start on any port between 44500 and 44599 on 127.0.0.1; see $samba/log/smbd.log."
port="$SAMBA_PORT"

# Sample files: three to send from the device, two reports to fetch from the share.
printf 'Quarterly report, draft 3.\n' >"$device/My Documents/Outbox/report.txt"
printf 'name,amount\nlamps,12\nchairs,40\n' >"$device/My Documents/Outbox/inventory.csv"
printf 'Notes from the site visit.\n' >"$device/My Documents/Outbox/notes.txt"
printf 'Sales for November.\n' >"$share/Reports/november.txt"
printf 'Sales for December.\n' >"$share/Reports/december.txt"

config="$demo/tarvo.txt"
printf '%s\r\n' \
    "" "; Specify default settings" "[Setting]" \
    "EnableOption=Yes" "DefaultChoice=None" "Filter=*.*" "FilterExclude=No" "TreeSpeed=No" \
    "DefaultSelect=Yes" "ShowFolder=No" "ShowArchive=Yes" "ShowHidden=No" "ShowReadonly=Yes" \
    "ShowSystem=Yes" "ShowInRom=No" "DefaultSession=Outbox,Reports" "" \
    "; Specify network share information" \
    "; session=share,domain,ppc folder,pc folder,post op,post folder,username,password" \
    "[Session]" \
    "Outbox=Net,Put,\\\\127.0.0.1:$port\\demo,WORKGROUP,\\My Documents\\Outbox,\\Incoming,Move,\\My Documents\\Sent,tester,$password" \
    "Reports=Net,Get,\\\\127.0.0.1:$port\\demo,WORKGROUP,\\My Documents\\Inbox,\\Reports,None,,tester,$password" \
    >"$config"
chmod 600 "$config"

echo "Demo share \\\\127.0.0.1:$port\\demo is up (folder $share)."
echo "Configuration: $config   device root: $device"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${TARVO_DEMO_NO_WINDOW:-}" ]; then
    "$tarvo" --config "$config" --root "$device"
else
    echo "No display: sending the demo's files with 'tarvo send --yes'."
    status=0
    "$tarvo" --config "$config" --root "$device" send --yes || status=$?
    echo
    echo "On the share now:"
    (cd "$share" && find . -type f | sort)
    echo "On the device now:"
    (cd "$device" && find . -type f | sort)
    exit $status
fi
