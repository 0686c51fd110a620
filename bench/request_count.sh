#!/usr/bin/env bash
# How many SMB2 requests `tarvo send` makes per file, as the server counts
# them: a Put of COUNT small files into an empty folder of a private Samba
# server (smbd) on 127.0.0.1, or with --get a Get of as many from it into an
# empty local folder; the server's log records every request it is sent.
# Each program's requests are printed by kind, per file, and in all;
# --smbclient counts smbclient's mput (or mget) of the same files beside them.
#
#   bench/request_count.sh [--count N] [--get] [--smbclient] [NAME=TARVO_BINARY ...]
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
direction=Put
with_smbclient=0

while [ $# -gt 0 ]; do
    case "$1" in
    --count) count="$2"; shift 2 ;;
    --get) direction=Get; shift ;;
    --smbclient) with_smbclient=1; shift ;;
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

# Prints the requests that the log holds, by kind, per file and in all.
count_requests() { # name
    grep -o 'opcode\[SMB2_OP_[A-Z_]*\]' "$log" | sed 's/opcode\[SMB2_OP_//; s/\]//' | sort | uniq -c |
        awk -v name="$1" -v count="$count" '
            { printf "%s\t%s\t%d\t%.2f\n", name, $2, $1, $1 / count; total += $1 }
            END { printf "%s\tall\t%d\t%.2f\n", name, total, total / count }'
}

# The COUNT sample files, in FOLDER.
write_files() { # folder
    mkdir -p "$1"
    for n in $(seq "$count"); do
        echo "file $n" >"$1/f$n.txt"
    done
}

# Empties the share and the local side of RUN for one program's turn: a Put
# reads RUN/root/Out and writes the share's "out"; a Get reads the share's
# "out" and writes RUN/root/In.
prepare() { # run
    rm -rf "${share:?}"/* "$1"
    mkdir -p "$share/out" "$1/root/In" "$1/root/Out"
    if [ "$direction" = Put ]; then
        write_files "$1/root/Out"
    else
        write_files "$share/out"
    fi
}

# How many files arrived where the run put them.
arrived() { # run
    local folder="$share/out"
    [ "$direction" = Get ] && folder="$1/root/In"
    find "$folder" -maxdepth 1 -type f -name 'f*.txt' | wc -l
}

printf 'program\trequest\tcount\tper file\n'
for i in "${!names[@]}"; do
    run="$work/run-$i"
    prepare "$run"
    local_folder='\Out'
    [ "$direction" = Get ] && local_folder='\In'
    cat >"$run/tarvo.txt" <<CONF
[Setting]
ShowArchive=Yes
Filter=*
DefaultSession=Out
[Session]
Out=Net,$direction,\\\\127.0.0.1:$SAMBA_PORT\\share,WORKGROUP,$local_folder,\\out,None,,tester,$password
CONF
    chmod 600 "$run/tarvo.txt"
    : >"$log"
    TARVO_REGISTRY="$run/registry.ini" "${binaries[$i]}" --config "$run/tarvo.txt" \
        --root "$run/root" send --yes >"$run/out" 2>&1 || bench_fail "${names[$i]} failed: $(cat "$run/out")"
    got="$(arrived "$run")"
    [ "$got" -eq "$count" ] || bench_fail "${names[$i]} moved $got of $count files"
    count_requests "${names[$i]}"
done
if [ "$with_smbclient" -eq 1 ]; then
    run="$work/run-smbclient"
    prepare "$run"
    auth="$work/auth"
    printf 'username = tester\npassword = %s\n' "$password" >"$auth"
    chmod 600 "$auth"
    commands="prompt off; lcd $run/root/Out; cd out; mput *"
    [ "$direction" = Get ] && commands="prompt off; lcd $run/root/In; cd out; mget *"
    : >"$log"
    smbclient //127.0.0.1/share -p "$SAMBA_PORT" -A "$auth" -c "$commands" >"$run/out" 2>&1 ||
        bench_fail "smbclient failed: $(cat "$run/out")"
    got="$(arrived "$run")"
    [ "$got" -eq "$count" ] || bench_fail "smbclient moved $got of $count files"
    count_requests smbclient
fi
