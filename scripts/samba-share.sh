# Shell functions for a private smbd on 127.0.0.1 that serves one share, used
# by the demo and the whole-process benchmark. Source it; it runs nothing.

# Writes SAMBA_DIR/smb.conf for a server on PORT whose share SHARE_NAME
# serves SHARE_PATH to the user "tester" (mapped to root), and makes the
# folders smbd keeps its state in.
samba_write_conf() {
    local samba="$1" port="$2" share_name="$3" share_path="$4"
    mkdir -p "$samba"/{private,lock,state,cache,pid,log,ncalrpc}
    cat >"$samba/smb.conf" <<CONF
[global]
smb ports = $port
interfaces = 127.0.0.1
bind interfaces only = yes
disable netbios = yes
private dir = $samba/private
lock directory = $samba/lock
state directory = $samba/state
cache directory = $samba/cache
pid directory = $samba/pid
ncalrpc dir = $samba/ncalrpc
log file = $samba/log/smbd.log
log level = 0
load printers = no
disable spoolss = yes
printcap name = /dev/null
server role = standalone server
passdb backend = tdbsam:$samba/private/passdb.tdb
map to guest = never
username map = $samba/users.map
[$share_name]
path = $share_path
valid users = root
read only = no
CONF
    echo "root = tester" >"$samba/users.map"
}

# True when process PID (read through RUNNER, e.g. sudo) holds the socket
# that listens on PORT.
samba_listens_on() { # pid port [runner]
    local pid="$1" hex inode
    hex="$(printf '%04X' "$2")"
    for inode in $(awk -v port=":$hex" '$2 ~ port "$" && $4 == "0A" { print $10 }' \
        /proc/net/tcp /proc/net/tcp6 2>/dev/null); do
        ${3:-} ls -l "/proc/$pid/fd" 2>/dev/null | grep -q "socket:\[$inode\]" && return 0
    done
    return 1
}

# Starts smbd (SMBD, run through RUNNER when given, e.g. sudo) for the
# configuration in SAMBA_DIR on the first port between FIRST and LAST that it
# can have, and sets SAMBA_PORT to it. smbd listens with SO_REUSEPORT, so a
# second server on a port does not fail: it shares the port and takes half of
# the logons. A lock on a file named after the port, which the test servers
# take as well and which this shell holds until it ends, keeps each port to
# one server; the server counts as up once our own smbd holds the listening
# socket. Fails when no port works.
samba_start() { # samba_dir share_name share_path first last smbd [runner]
    local samba="$1" share_name="$2" share_path="$3" first="$4" last="$5" smbd="$6"
    local runner="${7:-}" candidate pid _ lock
    local locks="${TMPDIR:-/tmp}/tarvo-test-ports"
    mkdir -p "$locks"
    for candidate in $(seq "$first" "$last"); do
        exec {lock}>>"$locks/$candidate"
        if ! flock -n "$lock" || (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
            exec {lock}>&-
            continue
        fi
        samba_write_conf "$samba" "$candidate" "$share_name" "$share_path"
        $runner rm -f "$samba/pid/smbd.pid"
        if ! $runner "$smbd" --configfile="$samba/smb.conf" -D; then
            exec {lock}>&-
            continue
        fi
        for _ in $(seq 100); do
            pid="$(cat "$samba/pid/smbd.pid" 2>/dev/null || true)"
            if [ -n "$pid" ] && samba_listens_on "$pid" "$candidate" "$runner"; then
                SAMBA_PORT=$candidate
                return 0
            fi
            [ -n "$pid" ] && [ ! -d "/proc/$pid" ] && break
            sleep 0.1
        done
        [ -n "$pid" ] && $runner kill "$pid" 2>/dev/null
        exec {lock}>&-
    done
    return 1
}
