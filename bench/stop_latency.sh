#!/usr/bin/env bash
# How long `tarvo send` takes to end after Ctrl-C while the server has
# stopped answering, as a user meets it: a private Samba server (smbd) on
# 127.0.0.1 serves a share; `tarvo send` puts a big file there; once part of
# it has arrived, smbd and the processes serving its connections are stopped
# (SIGSTOP, a server that hangs), then the program gets SIGINT. The time from
# the signal to the program's end is taken from outside, and the server is
# let go on again afterwards.
#
#   bench/stop_latency.sh [--rounds N] [NAME=TARVO_BINARY ...]
#
# Without NAME=TARVO_BINARY it times build/release/app/tarvo of this
# checkout. Each line is one run: round, program, seconds from SIGINT to the
# end, exit status; then the median per program. Needs root (smbd).
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
BENCH_NAME=stop_latency
source "$source_dir/bench/bench-common.sh"
rounds=5

while [ $# -gt 0 ]; do
    case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
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
    if [ -n "$smbd_pid" ]; then
        kill -CONT -- "-$smbd_pid" 2>/dev/null || true
        kill -KILL -- "-$smbd_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT

samba="$work/samba"
share="$samba/share"
device="$work/device"
mkdir -p "$share/out" "$device/big"
bench_start_samba "$samba" "$share" 44800 44899
head -c 2G /dev/zero >"$device/big/big.bin"
config="$work/tarvo.txt"
printf '[Setting]\r\nFilter=*\r\nShowArchive=Yes\r\nDefaultSession=Big\r\n[Session]\r\nBig=Net,Put,\\\\127.0.0.1:%s\\share,WORKGROUP,\\big,\\out,None,,tester,%s\r\n' \
    "$SAMBA_PORT" "$password" >"$config"
chmod 600 "$config"

# The bytes of the part files in the share's folder.
part_bytes() {
    find "$share/out" -name '*tarvo-*' -type f -printf '%s\n' 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'
}

declare -A times
for round in $(seq "$rounds"); do
    for i in "${!names[@]}"; do
        rm -rf "${share:?}/out" && mkdir -p "$share/out"
        "${binaries[$i]}" --config "$config" --root "$device" send --yes >/dev/null 2>&1 &
        pid=$!
        until [ "$(part_bytes)" -ge $((64 << 20)) ]; do
            kill -0 "$pid" 2>/dev/null || bench_fail "${names[$i]} ended before 64 MiB had arrived"
            sleep 0.05
        done
        kill -STOP -- "-$smbd_pid"
        start="$(date +%s.%N)"
        kill -INT "$pid"
        status=0
        wait "$pid" || status=$?
        end="$(date +%s.%N)"
        kill -CONT -- "-$smbd_pid"
        seconds="$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"
        times[${names[$i]}]+="$seconds "
        printf '%s\t%s\t%.2f\t%s\n' "$round" "${names[$i]}" "$seconds" "$status"
    done
done

echo "median seconds from SIGINT to the end, server stopped:"
for name in "${names[@]}"; do
    median="$(tr ' ' '\n' <<<"${times[$name]}" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')"
    printf '  %s\t%.2f\n' "$name" "$median"
done
