# Shell functions that the benchmarks share: their command lines, the
# binaries they compare, and a private smbd on 127.0.0.1 serving one share.
# Source it after setting BENCH_NAME (for messages) and source_dir; it runs
# nothing.
source "$source_dir/scripts/samba-share.sh"
names=()
binaries=()

bench_fail() {
    echo "$BENCH_NAME: $*" >&2
    exit 1
}

# The comment at the top of the script, as its help.
bench_help() { # script
    sed -n '2,/^set -euo/p' "$1" | sed '$d; s/^# \{0,1\}//'
}

# NAME=TARVO_BINARY from the command line.
bench_add_binary() { # NAME=BINARY
    names+=("${1%%=*}")
    binaries+=("$(realpath "${1#*=}")")
}

# Without NAME=TARVO_BINARY, this checkout's release build as "tarvo"; each
# binary must be there.
bench_check_binaries() {
    if [ ${#names[@]} -eq 0 ]; then
        names=(tarvo)
        binaries=("$source_dir/build/release/app/tarvo")
    fi
    local binary
    for binary in "${binaries[@]}"; do
        [ -x "$binary" ] || bench_fail "$binary is not an executable; build Tarvo first"
    done
}

# Root, smbd and smbpasswd; sets smbd and smbpasswd to the programs.
bench_need_samba() {
    [ "$(id -u)" -eq 0 ] || bench_fail "run this as root: it starts smbd"
    smbd="$(command -v smbd || echo /usr/sbin/smbd)"
    smbpasswd="$(command -v smbpasswd || echo /usr/sbin/smbpasswd)"
    local tool
    for tool in "$smbd" "$smbpasswd"; do
        [ -x "$tool" ] || bench_fail "$tool is not installed (apt-get install samba)"
    done
}

# Starts smbd for SHARE_PATH as the share "share", with its state in SAMBA_DIR,
# on the first free port between FIRST and LAST, for the user "tester" with
# a new password; sets SAMBA_PORT, smbd_pid and password.
bench_start_samba() { # samba_dir share_path first last
    local samba="$1" share_path="$2"
    password="bench-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
    mkdir -p "$share_path"
    samba_write_conf "$samba" 445 share "$share_path" # the port comes when smbd starts
    printf '%s\n%s\n' "$password" "$password" |
        "$smbpasswd" -c "$samba/smb.conf" -s -a root >/dev/null || bench_fail "smbpasswd failed"
    samba_start "$samba" share "$share_path" "$3" "$4" "$smbd" ||
        bench_fail "smbd could not start on any port between $3 and $4; see $samba/log"
    smbd_pid=""
    local pid_file
    for pid_file in "$samba"/pid/smbd*.pid; do
        [ -f "$pid_file" ] && smbd_pid="$(cat "$pid_file")"
    done
    [ -n "$smbd_pid" ] || bench_fail "smbd wrote no pid file; see $samba/log"
}

# The delaying proxy (bench/delay_proxy.py) in front of smbd at $smbd_port,
# for a round-trip time in milliseconds (0p: through the proxy, no delay).
# "port" is where the programs connect to: the proxy's port while it runs,
# else smbd's. Its log is $work/proxy.log.
bench_start_proxy() { # round-trip time
    local delay=0 port_file="$work/proxy.port"
    [ "$1" = 0p ] || delay="$(awk -v t="$1" 'BEGIN { print t / 2 }')"
    rm -f "$port_file"
    python3 "$source_dir/bench/delay_proxy.py" --target-port "$smbd_port" --delay-ms "$delay" \
        --port-file "$port_file" >"$work/proxy.log" 2>&1 &
    proxy_pid=$!
    for _ in $(seq 200); do
        [ -f "$port_file" ] && break
        kill -0 "$proxy_pid" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -f "$port_file" ]; then
        cat "$work/proxy.log" >&2
        bench_fail "the proxy did not start"
    fi
    port="$(cat "$port_file")"
}

bench_stop_proxy() {
    [ -n "$proxy_pid" ] || return 0
    kill -TERM "$proxy_pid" 2>/dev/null || true
    wait "$proxy_pid" 2>/dev/null || true
    proxy_pid=""
    port="${smbd_port:-}"
}
