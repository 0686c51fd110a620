#!/usr/bin/env bash
# How many SMB2 requests `tarvo send` makes per file, as the server counts
# them: a Put of COUNT small files into an empty folder of a private Samba
# server (smbd) on 127.0.0.1, whose log records every request it is sent.
# Each program's requests are printed by kind, per file, and in all.
#
#   bench/request_count.sh [--count N] [NAME=TARVO_BINARY ...]
#
# Without NAME=TARVO_BINARY it counts build/release/app/tarvo of this
# checkout as "tarvo". Give several (for example base=... change=...) to
# compare builds. The counts include the logons and the listing before the
# transfer, which weigh less the more files there are (the default is 1000).
#
# It needs root (smbd runs as root) and Samba's smbd and smbpasswd. It stops
# smbd and removes its folders when it ends.
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
source "$source_dir/scripts/samba-share.sh"
count=1000
names=()
binaries=()

fail() {
    echo "request_count: $*" >&2
    exit 1
}

while [ $# -gt 0 ]; do
    case "$1" in
    --count) count="$2"; shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *=*) names+=("${1%%=*}"); binaries+=("$(realpath "${1#*=}")"); shift ;;
    *) fail "unknown argument '$1' (see --help)" ;;
    esac
done
if [ ${#names[@]} -eq 0 ]; then
    names=(tarvo)
    binaries=("$source_dir/build/release/app/tarvo")
fi
for binary in "${binaries[@]}"; do
    [ -x "$binary" ] || fail "$binary is not an executable; build Tarvo first"
done
[ "$(id -u)" -eq 0 ] || fail "run this as root: it starts smbd"
smbd="$(command -v smbd || echo /usr/sbin/smbd)"
smbpasswd="$(command -v smbpasswd || echo /usr/sbin/smbpasswd)"
for tool in "$smbd" "$smbpasswd"; do
    [ -x "$tool" ] || fail "$tool is not installed (apt-get install samba)"
done

work="$(mktemp -d)"
smbd_pid=""
finish() {
    # smbd -D leads a process group of its own, which holds its children.
    [ -n "$smbd_pid" ] && kill -KILL -- "-$smbd_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

samba="$work/samba"
share="$work/share"
password="bench-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
mkdir -p "$share"
samba_write_conf "$samba" 445 share "$share" # the port comes when smbd starts
printf '%s\n%s\n' "$password" "$password" | "$smbpasswd" -c "$samba/smb.conf" -s -a root >/dev/null ||
    fail "smbpasswd failed"
samba_start "$samba" share "$share" 44700 44799 "$smbd" ||
    fail "smbd could not start on any port between 44700 and 44799; see $samba/log"
smbd_pid="$(cat "$samba/pid/smbd.pid")"
# Every request the server is sent, one line each, in a log that never
# rotates: each connection's process reads the configuration anew.
sed -i 's/^log level = 0$/log level = 1 smb2:10\nmax log size = 0/' "$samba/smb.conf"
log="$samba/log/smbd.log"

printf 'program\trequest\tcount\tper file\n'
for i in "${!names[@]}"; do
    run="$work/run-$i"
    mkdir -p "$run/root/Out"
    rm -rf "${share:?}"/*
    mkdir -p "$share/out"
    for n in $(seq "$count"); do
        echo "file $n" >"$run/root/Out/f$n.txt"
    done
    cat >"$run/tarvo.txt" <<CONF
[Setting]
ShowArchive=Yes
Filter=*
DefaultSession=Out
[Session]
Out=Net,Put,\\\\127.0.0.1:$SAMBA_PORT\\share,WORKGROUP,\\Out,\\out,None,,tester,$password
CONF
    chmod 600 "$run/tarvo.txt"
    : >"$log"
    TARVO_REGISTRY="$run/registry.ini" "${binaries[$i]}" --config "$run/tarvo.txt" \
        --root "$run/root" send --yes >"$run/out" 2>&1 || fail "${names[$i]} failed: $(cat "$run/out")"
    arrived="$(find "$share/out" -maxdepth 1 -type f -name 'f*.txt' | wc -l)"
    [ "$arrived" -eq "$count" ] || fail "${names[$i]} put $arrived of $count files"
    grep -o 'opcode\[SMB2_OP_[A-Z_]*\]' "$log" | sed 's/opcode\[SMB2_OP_//; s/\]//' | sort | uniq -c |
        awk -v name="${names[$i]}" -v count="$count" '
            { printf "%s\t%s\t%d\t%.2f\n", name, $2, $1, $1 / count; total += $1 }
            END { printf "%s\tall\t%d\t%.2f\n", name, total, total / count }'
done
