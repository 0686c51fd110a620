#!/usr/bin/env bash
# Whole-process timings of `tarvo send` against smbclient, as a user would
# take them: each program is started, does its transfer and ends, and the
# wall time and the processor time of the process (user and system) are
# taken from outside. The share is a private Samba server (smbd) on
# 127.0.0.1; the share's folder, the device folder (--root) and smbd's own
# folders all live on a tmpfs, so that no disk takes part. With --rtt both
# programs reach smbd through bench/delay_proxy.py, which holds what passes
# for half the round-trip time in each direction, as if the server stood
# that far away.
#
#   bench/whole_process.sh [options] [NAME=TARVO_BINARY ...]
#
# Options:
#   --rounds N     timed runs of each program in each case at each round-trip
#                  time (default 5)
#   --cases LIST   which cases to run, any of a b c d e (default abcde):
#                    a  Put of one 1 GiB file into an empty folder
#                    b  Put of one 1 GiB file over an existing 1 GiB target
#                    c  Get of one 1 GiB file into an empty folder
#                    d  Put of 2,000 files of 4 KiB into an empty folder
#                    e  Get of 2,000 files of 4 KiB into an empty folder
#   --rtt LIST     round-trip times in milliseconds to run the cases at,
#                  separated by commas (default 0), e.g. 0,1,10: each case
#                  runs at each of them in turn. 0 is smbd itself; any other
#                  time starts bench/delay_proxy.py in front of smbd with half
#                  of it as its delay, and both programs go through that one
#                  proxy. 0p goes through the proxy with no delay, which shows
#                  what the proxy itself costs.
#   --small-count N
#                  the number of small files of cases d and e (default 2000);
#                  fewer keep the cases short at long round-trip times
#   --work DIR     where the tmpfs is mounted (default /mnt/tarvo-bench)
#   --size SIZE    size of the tmpfs (default 6g)
#   --no-smbclient time only the Tarvo binaries against each other
#   --results FILE also write every run as a tab-separated line to FILE
#
# Without NAME=TARVO_BINARY it times build/release/app/tarvo of this
# checkout as "tarvo". Give several (for example base=... change=...) to
# compare builds: every binary and smbclient run once per round, in an order
# that moves on by one place each round, so that no program always meets
# the machine in the same state.
#
# Each line of output is one run: case, round-trip time, round, program,
# wall seconds, user and system seconds of the process, the processor
# seconds that smbd spent on it (all of smbd's processes, those that ended
# included) and whether the run succeeded and left every file in place (1)
# or not (0). The summary gives, for each case and round-trip time, the
# medians per program, the ratio of each program's median wall time to
# smbclient's and to the first Tarvo binary's, and the median of the ratios
# to the first Tarvo binary in the same round. The proxy's own processor
# time is counted nowhere.
#
# It needs root (to mount the tmpfs and to start smbd), Samba's smbd,
# smbpasswd and smbclient, and python3 for --rtt. It stops the proxy and
# smbd and unmounts the tmpfs when it ends.
set -euo pipefail

source_dir="$(cd "$(dirname "$0")/.." && pwd)"
BENCH_NAME=whole_process
source "$source_dir/bench/bench-common.sh"
rounds=5
cases=abcde
rtts=0
small_count=2000
work=/mnt/tarvo-bench
tmpfs_size=6g
with_smbclient=1
results=""

fail() {
    bench_fail "$@"
}

while [ $# -gt 0 ]; do
    case "$1" in
    --rounds) rounds="$2"; shift 2 ;;
    --cases) cases="$2"; shift 2 ;;
    --rtt) rtts="$2"; shift 2 ;;
    --small-count) small_count="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --size) tmpfs_size="$2"; shift 2 ;;
    --no-smbclient) with_smbclient=0; shift ;;
    --results) results="$(realpath -m "$2")"; shift 2 ;;
    -h | --help) bench_help "$0"; exit 0 ;;
    *=*) bench_add_binary "$1"; shift ;;
    *) fail "unknown argument '$1' (see --help)" ;;
    esac
done
bench_check_binaries
case_pattern='^[a-e]+$'
[[ "$cases" =~ $case_pattern ]] || fail "--cases takes letters from a to e, not '$cases'"
IFS=, read -ra rtt_list <<<"$rtts"
[ ${#rtt_list[@]} -gt 0 ] || fail "--rtt needs at least one round-trip time"
rtt_pattern='^([0-9]+(\.[0-9]+)?|0p)$'
for rtt in "${rtt_list[@]}"; do
    [[ "$rtt" =~ $rtt_pattern ]] || fail "'$rtt' is no round-trip time in milliseconds (nor 0p)"
done
[[ "$small_count" =~ ^[1-9][0-9]*$ ]] || fail "--small-count takes a positive number, not '$small_count'"
[ "$(id -u)" -eq 0 ] || fail "run this as root: it mounts a tmpfs and starts smbd"
for tool in smbd smbpasswd smbclient; do
    command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] || fail "$tool is not installed (apt-get install samba smbclient)"
done
[ -x /usr/bin/time ] || fail "/usr/bin/time is missing (apt-get install time)"
if [ "$rtts" != 0 ]; then
    command -v python3 >/dev/null || fail "python3 is missing; --rtt needs it for the proxy"
fi
smbd="$(command -v smbd || echo /usr/sbin/smbd)"
smbpasswd="$(command -v smbpasswd || echo /usr/sbin/smbpasswd)"

contenders=("${names[@]}")
[ "$with_smbclient" -eq 1 ] && contenders+=(smbclient)
ticks_per_second="$(getconf CLK_TCK)"

# --- The tmpfs and the server -------------------------------------------------

mounted=0
smbd_pid=""
proxy_pid=""
samba="$work/samba"
share="$samba/share"
device="$work/device"

finish() {
    bench_stop_proxy
    if [ -n "$smbd_pid" ]; then
        # smbd -D leads a process group of its own, which holds its children.
        kill -TERM -- "-$smbd_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$smbd_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL -- "-$smbd_pid" 2>/dev/null || true
    fi
    if [ "$mounted" -eq 1 ]; then
        cd /
        umount "$work" || echo "whole_process: could not unmount $work" >&2
        rmdir "$work" 2>/dev/null || true
    fi
}
trap finish EXIT

mkdir -p "$work"
if mountpoint -q "$work"; then
    fail "$work is already a mount point; unmount it or choose another --work"
fi
mount -t tmpfs -o "size=$tmpfs_size" tmpfs "$work"
mounted=1

password="bench-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
mkdir -p "$share" "$device"
samba_write_conf "$samba" 445 share "$share" # the port comes when smbd starts
printf '%s\n%s\n' "$password" "$password" | "$smbpasswd" -c "$samba/smb.conf" -s -a root >/dev/null ||
    fail "smbpasswd failed"
samba_start "$samba" share "$share" 44600 44699 "$smbd" ||
    fail "smbd could not start on any port between 44600 and 44699; see $samba/log"
smbd_port="$SAMBA_PORT"
port="$smbd_port"
for pid_file in "$samba"/pid/smbd*.pid; do
    [ -f "$pid_file" ] && smbd_pid="$(cat "$pid_file")"
done
[ -n "$smbd_pid" ] || fail "smbd wrote no pid file; see $samba/log"

# smbclient reads the password from a file, never from its command line.
auth="$work/auth"
printf 'username = tester\npassword = %s\n' "$password" >"$auth"
chmod 600 "$auth"

# --- Processor time of smbd ---------------------------------------------------

# The processes of smbd's process group.
smbd_processes() {
    local stat
    for stat in /proc/[0-9]*/stat; do
        local line fields
        read -r line 2>/dev/null <"$stat" || continue
        # The fields after the command name (which may hold blanks), from the
        # third on: fields[2] is the fifth, the process group.
        read -ra fields <<<"${line##*) }"
        [ "${fields[2]}" = "$smbd_pid" ] && echo "${stat%/stat}"
    done
    return 0
}

# Waits (up to 5 s) until only smbd's lasting processes are left: the
# process that served a client ends a little after the client went.
wait_for_idle_smbd() {
    for _ in $(seq 100); do
        [ "$(smbd_processes | wc -l)" -le "$idle_process_count" ] && return
        sleep 0.05
    done
}

# Processor ticks of smbd: of its living processes and of those that ended
# (counted in their parent's children times once it has reaped them).
smbd_ticks() {
    local total=0 dir line fields
    for dir in $(smbd_processes); do
        read -r line 2>/dev/null <"$dir/stat" || continue
        read -ra fields <<<"${line##*) }"
        # utime, stime, cutime and cstime: fields 14 to 17 of stat.
        total=$((total + fields[11] + fields[12] + fields[13] + fields[14]))
    done
    echo "$total"
}

sleep 0.5
idle_process_count="$(smbd_processes | wc -l)"

# --- Sample files and configurations -----------------------------------------

# Only those that the chosen cases read are written.
echo "Writing sample files on $work ..."
if [[ "$cases" == *[abc]* ]]; then
    mkdir -p "$device/big"
    head -c 1G /dev/urandom >"$device/big/big.bin"
fi
if [[ "$cases" == *c* ]]; then
    mkdir -p "$share/getsrc"
    cp "$device/big/big.bin" "$share/getsrc/big.bin"
fi
if [[ "$cases" == *[de]* ]]; then
    mkdir -p "$device/small"
    small_content="$(printf '%4096s' '' | tr ' ' x)"
    for (( i = 0; i < small_count; i++ )); do
        printf '%s' "$small_content" >"$device/small/f$i.txt"
    done
fi
if [[ "$cases" == *e* ]]; then
    mkdir -p "$share/smallsrc"
    cp -R "$device/small/." "$share/smallsrc/"
fi

# A configuration with one default session. For a Put the local folder is
# the source and the share's folder the target; for a Get the other way round.
write_config() { # file direction local-folder share-folder
    printf '[Setting]\r\nDefaultChoice=No\r\nDefaultSession=Bench\r\n[Session]\r\nBench=Net,%s,\\\\127.0.0.1:%s\\share,WORKGROUP,%s,%s,None,,tester,%s\r\n' \
        "$2" "$port" "$3" "$4" "$password" >"$1"
    chmod 600 "$1"
}

# Empties a folder and writes the disks out, so that every run starts alike.
clear_folder() {
    rm -rf "$1"
    mkdir -p "$1"
    sync
}

# The folder that a program's run fills in a case. Each program has folders
# of its own, except in case b, where every run replaces the file that the
# run before it left.
target_folder() { # case program
    local suffix="$2"
    case "$1" in
    a) echo "$share/put-$suffix" ;;
    b) echo "$share/replace" ;;
    c) echo "$device/get-$suffix" ;;
    d) echo "$share/small-$suffix" ;;
    e) echo "$device/smallget-$suffix" ;;
    esac
}

# The command line of one run, into the array "command".
command_for() { # case program
    local target
    target="$(target_folder "$1" "$2")"
    local folder="${target##*/}"
    if [ "$2" = smbclient ]; then
        local commands
        case "$1" in
        a | b) commands="prompt off; lcd $device/big; cd $folder; mput *" ;;
        c) commands="prompt off; lcd $target; cd getsrc; mget *" ;;
        d) commands="prompt off; lcd $device/small; cd $folder; mput *" ;;
        e) commands="prompt off; lcd $target; cd smallsrc; mget *" ;;
        esac
        command=(smbclient //127.0.0.1/share -p "$port" -A "$auth" -c "$commands")
    else
        # A configuration for each server port: smbd's or the proxy's.
        local index binary config="$work/config-$1-$2-$port.txt"
        for index in "${!names[@]}"; do
            [ "${names[$index]}" = "$2" ] && binary="${binaries[$index]}"
        done
        # Each program's configuration names its own target folder.
        local local_folder='\big' share_folder="\\$folder" direction=Put
        case "$1" in
        c) direction=Get local_folder="\\$folder" share_folder='\getsrc' ;;
        d) local_folder='\small' ;;
        e) direction=Get local_folder="\\$folder" share_folder='\smallsrc' ;;
        esac
        [ -f "$config" ] || write_config "$config" "$direction" "$local_folder" "$share_folder"
        command=("$binary" --config "$config" --root "$device" send --yes)
    fi
}

# One run: prints "wall user system server ok" (seconds; ok is 1 when the
# program succeeded and left every file in the target folder, else 0).
run_once() { # case program
    local target
    target="$(target_folder "$1" "$2")"
    if [ "$1" = b ]; then
        # The target is there from the run before; only the first run finds
        # it missing, and gets it first.
        if [ ! -f "$target/big.bin" ]; then
            mkdir -p "$target"
            cp "$device/big/big.bin" "$target/big.bin"
            sync
        fi
    else
        clear_folder "$target"
    fi
    wait_for_idle_smbd
    local times="$work/times" before after start end status=0
    command_for "$1" "$2"
    before="$(smbd_ticks)"
    start="$(date +%s%N)"
    /usr/bin/time -f '%U %S' -o "$times" "${command[@]}" >"$work/output" 2>&1 || status=$?
    end="$(date +%s%N)"
    wait_for_idle_smbd
    after="$(smbd_ticks)"
    if [ "$status" -ne 0 ]; then
        echo "whole_process: $2 failed in case $1 (exit status $status):" >&2
        tail -5 "$work/output" >&2
        if [ -n "$proxy_pid" ] && [ -s "$work/proxy.log" ]; then
            echo "whole_process: the proxy said:" >&2
            tail -5 "$work/proxy.log" >&2
        fi
    fi
    local expected=1 ok=1
    case "$1" in d | e) expected="$small_count" ;; esac
    [ "$status" -eq 0 ] || ok=0
    local found
    found="$(find "$target" -maxdepth 1 -type f | wc -l)"
    if [ "$found" -ne "$expected" ]; then
        echo "whole_process: $2 left $found files in $target in case $1, not $expected" >&2
        ok=0
    fi
    # What the run wrote goes at once: the tmpfs holds one copy of the big file
    # beside the sample files, not one for each program.
    [ "$1" = b ] || rm -rf "$target"
    awk -v s="$start" -v e="$end" -v b="$before" -v a="$after" -v t="$ticks_per_second" \
        -v cpu="$(tail -1 "$times")" -v ok="$ok" \
        'BEGIN { split(cpu, c, " "); printf "%.3f %.2f %.2f %.2f %d\n", (e - s) / 1e9, c[1], c[2], (a - b) / t, ok }'
}

# --- The runs -----------------------------------------------------------------

all="$work/all.tsv"
: >"$all"
printf '%-5s %-6s %-5s %-12s %8s %8s %8s %8s %3s\n' case rtt round program wall user system smbd ok
for rtt in "${rtt_list[@]}"; do
    [ "$rtt" = 0 ] || bench_start_proxy "$rtt"
    for (( c = 0; c < ${#cases}; c++ )); do
        case_name="${cases:$c:1}"
        # One run of each program first, untimed: the first run after the
        # sample files were written, or through a new proxy, meets the
        # machine in another state.
        for program in "${contenders[@]}"; do
            run_once "$case_name" "$program" >/dev/null
        done
        for (( round = 1; round <= rounds; round++ )); do
            count=${#contenders[@]}
            for (( k = 0; k < count; k++ )); do
                program="${contenders[$(( (k + round - 1) % count ))]}"
                read -r wall user system server ok < <(run_once "$case_name" "$program")
                printf '%-5s %-6s %-5s %-12s %8s %8s %8s %8s %3s\n' "$case_name" "$rtt" "$round" \
                    "$program" "$wall" "$user" "$system" "$server" "$ok"
                printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$case_name" "$rtt" "$round" \
                    "$program" "$wall" "$user" "$system" "$server" "$ok" >>"$all"
            done
        done
        rm -rf "$share/replace"
    done
    bench_stop_proxy
done
[ -n "$results" ] && cp "$all" "$results"

# --- Summary ------------------------------------------------------------------

echo
echo "Medians over $rounds rounds for each case and round-trip time (seconds; cpu = user +"
echo "system of the process); runs that failed count under 'failed' and stay out of the"
echo "medians and ratios."
echo "  /smbclient   median wall / smbclient's median wall"
echo "  /${names[0]}   median wall / ${names[0]}'s median wall"
echo "  paired       median over the rounds of (wall / ${names[0]}'s wall in the same round)"
printf '%-5s %-6s %-12s %8s %8s %8s %8s %8s %10s %10s %8s %6s\n' case rtt program wall user system \
    cpu smbd /smbclient "/${names[0]}" paired failed
# The lines of all.tsv: case, rtt, round, program, wall, user, system, smbd, ok.
awk -F'\t' -v first="${names[0]}" '
function median(list,    n, values, i, j, swap) {
    n = split(list, values, " ")
    for (i = 2; i <= n; i++)
        for (j = i; j > 1 && values[j - 1] + 0 > values[j] + 0; j--) {
            swap = values[j]; values[j] = values[j - 1]; values[j - 1] = swap
        }
    return n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
}
{
    group = $1 SUBSEP $2
    key = group SUBSEP $4
    if (!(key in seen)) { order[++count] = key; seen[key] = 1 }
    if ($9 != 1) { failed[key]++; next }
    wall_of[key] = wall_of[key] " " $5
    user_of[key] = user_of[key] " " $6
    sys_of[key] = sys_of[key] " " $7
    cpu_of[key] = cpu_of[key] " " ($6 + $7)
    smbd_of[key] = smbd_of[key] " " $8
    wall_in_round[group SUBSEP $3 SUBSEP $4] = $5
    rounds_of[key] = rounds_of[key] " " $3
}
END {
    for (i = 1; i <= count; i++) {
        key = order[i]
        split(key, part, SUBSEP)
        the_case = part[1]; rtt = part[2]; program = part[3]
        group = the_case SUBSEP rtt
        first_key = group SUBSEP first
        if (!(key in wall_of) || !(first_key in wall_of)) {
            printf "%-5s %-6s %-12s %8s %8s %8s %8s %8s %10s %10s %8s %6d\n", the_case, rtt, program,
                "-", "-", "-", "-", "-", "-", "-", "-", failed[key]
            continue
        }
        wall = median(wall_of[key])
        smbclient_key = group SUBSEP "smbclient"
        versus_smbclient = smbclient_key in wall_of ? sprintf("%.3f", wall / median(wall_of[smbclient_key])) : "-"
        versus_first = sprintf("%.3f", wall / median(wall_of[first_key]))
        n = split(rounds_of[key], numbers, " ")
        ratios = ""
        for (j = 1; j <= n; j++)
            if ((group SUBSEP numbers[j] SUBSEP first) in wall_in_round)
                ratios = ratios " " wall_in_round[group SUBSEP numbers[j] SUBSEP program] / \
                                    wall_in_round[group SUBSEP numbers[j] SUBSEP first]
        printf "%-5s %-6s %-12s %8.3f %8.2f %8.2f %8.2f %8.2f %10s %10s %8.3f %6d\n", the_case, rtt,
            program, wall, median(user_of[key]), median(sys_of[key]), median(cpu_of[key]),
            median(smbd_of[key]), versus_smbclient, versus_first, median(ratios), failed[key]
    }
}' "$all"
