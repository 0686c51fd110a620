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
BENCH_NAME=request_count
source "$source_dir/bench/bench-common.sh"
count=1000

while [ $# -gt 0 ]; do
    case "$1" in
    --count) count="$2"; shift 2 ;;
    -h | --help) bench_help "$0"; exit 0 ;;
    *=*) bench_add_binary "$1"; shift ;;
    *) bench_fail "unknown argument '$1' (see --help)" ;;
    esac
done
bench_check_binaries
bench_need_samba

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
bench_start_samba "$samba" "$share" 44700 44799
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
        --root "$run/root" send --yes >"$run/out" 2>&1 || bench_fail "${names[$i]} failed: $(cat "$run/out")"
    arrived="$(find "$share/out" -maxdepth 1 -type f -name 'f*.txt' | wc -l)"
    [ "$arrived" -eq "$count" ] || bench_fail "${names[$i]} put $arrived of $count files"
    grep -o 'opcode\[SMB2_OP_[A-Z_]*\]' "$log" | sed 's/opcode\[SMB2_OP_//; s/\]//' | sort | uniq -c |
        awk -v name="${names[$i]}" -v count="$count" '
            { printf "%s\t%s\t%d\t%.2f\n", name, $2, $1, $1 / count; total += $1 }
            END { printf "%s\tall\t%d\t%.2f\n", name, total, total / count }'
done
