#!/usr/bin/env bash
# What a resumed copy costs beside a whole one, as a user meets it: a private
# Samba server (smbd) on 127.0.0.1 serves a share, and `tarvo send` puts a
# 1 GiB file there, in a process of its own each time. A whole copy into an
# empty folder is timed; then a send of the same file is stopped with SIGINT
# once 90% of it has arrived, and the next send, which goes on from the part
# that the stopped one kept, is timed. The resumed send should take at most a
# fifth of the whole one. Every resumed copy is compared with its source.
#
#   bench/resume.sh [--rounds N] [--size SIZE] [--rtt MS] [NAME=TARVO_BINARY ...]
#
# --size takes head -c's sizes (default 1G). Without NAME=TARVO_BINARY it
# times build/release/app/tarvo of this checkout. Each line is one run:
# round, program, seconds of the whole copy, seconds of the resumed one,
# their ratio; then the median ratio per program. --rtt MS puts
# bench/delay_proxy.py between the sends and smbd, as if the server stood
# that many milliseconds of round trip away. Needs root (smbd).
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
BENCH_NAME=resume
source "$source_dir/bench/bench-common.sh"
rounds=5
size=1G
rtt=0

while [ $# -gt 0 ]; do
    case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --rtt) rtt="$2"; shift 2 ;;
    -h | --help) bench_help "$0"; exit 0 ;;
    *=*) bench_add_binary "$1"; shift ;;
    *) bench_fail "unknown argument '$1' (see --help)" ;;
    esac
done
bench_check_binaries
bench_need_samba

# On a tmpfs, as whole_process.sh works: the stopped send leaves a gigabyte
# of dirty pages that a disk would still be writing back while the resumed
# send is timed.
work="$(mktemp -d -p /dev/shm)"
# The sends' run record stays in the bench's folder, out of the user's.
export XDG_STATE_HOME="$work/state"
smbd_pid=""
proxy_pid=""
sender=""
finish() {
    bench_stop_proxy
    [ -z "$sender" ] || kill -KILL "$sender" 2>/dev/null || true
    [ -z "$smbd_pid" ] || kill -KILL -- "-$smbd_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

samba="$work/samba"
share="$samba/share"
device="$work/device"
mkdir -p "$share/out" "$device/big"
bench_start_samba "$samba" "$share" 44900 44999
smbd_port="$SAMBA_PORT"
port="$smbd_port"
[ "$rtt" = 0 ] || bench_start_proxy "$rtt"
head -c "$size" /dev/urandom >"$device/big/big.bin"
bytes="$(stat -c %s "$device/big/big.bin")"
config="$work/tarvo.txt"
printf '[Setting]\r\nFilter=*\r\nShowArchive=Yes\r\nDefaultSession=Big\r\n[Session]\r\nBig=Net,Put,\\\\127.0.0.1:%s\\share,WORKGROUP,\\big,\\out,None,,tester,%s\r\n' \
    "$port" "$password" >"$config"
chmod 600 "$config"

# The bytes of the part files in the share's folder (not their notes).
part_bytes() {
    find "$share/out" \( -name '*tarvo-*.part' -o -name 'tarvo-*.tmp' \) -type f -printf '%s\n' \
        2>/dev/null | awk '{ s += $1 } END { print s + 0 }'
}

# Seconds that one send takes.
timed_send() { # binary
    local start end
    start="$(date +%s.%N)"
    "$1" --config "$config" --root "$device" send --yes >"$work/output" 2>&1 ||
        { cat "$work/output" >&2; bench_fail "the send failed"; }
    end="$(date +%s.%N)"
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

declare -A ratios
printf 'round\tprogram\twhole\tresumed\tratio\n'
for round in $(seq "$rounds"); do
    for i in "${!names[@]}"; do
        binary="${binaries[$i]}"
        rm -rf "${share:?}/out" && mkdir -p "$share/out"
        whole="$(timed_send "$binary")"

        # On a fast machine the last tenth arrives before the stop is seen
        # (the blocks already on their way are written): then cut again.
        for cut in 1 2 3 4 5 6; do
            [ "$cut" -lt 6 ] || bench_fail "each stopped send put its file in place"
            rm -rf "${share:?}/out" && mkdir -p "$share/out"
            "$binary" --config "$config" --root "$device" send --yes >/dev/null 2>&1 &
            sender=$!
            until [ "$(part_bytes)" -ge $((bytes * 9 / 10)) ]; do
                kill -0 "$sender" 2>/dev/null || break
                sleep 0.01
            done
            kill -INT "$sender" 2>/dev/null || true
            wait "$sender" || true
            sender=""
            [ -e "$share/out/big.bin" ] || break
        done

        resumed="$(timed_send "$binary")"
        cmp -s "$device/big/big.bin" "$share/out/big.bin" ||
            bench_fail "the resumed copy differs from its source"
        ratio="$(awk -v a="$whole" -v b="$resumed" 'BEGIN { printf "%.3f", b / a }')"
        ratios[${names[$i]}]+="$ratio "
        printf '%s\t%s\t%.2f\t%.2f\t%s\n' "$round" "${names[$i]}" "$whole" "$resumed" "$ratio"
    done
done

echo "median of resumed / whole (the aim: 0.2 or less):"
for name in "${names[@]}"; do
    median="$(tr ' ' '\n' <<<"${ratios[$name]}" | grep . | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')"
    printf '  %s\t%s\n' "$name" "$median"
done
