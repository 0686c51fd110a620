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

# Waits up to ten seconds for something to listen on PORT; fails if nothing does.
samba_wait_for_port() {
    local _
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# Starts smbd (SMBD, run through RUNNER when given, e.g. sudo) for the
# configuration in SAMBA_DIR on the first port between FIRST and LAST that it
# can have, and sets SAMBA_PORT to it. A port that looks free may be taken by
# another server starting at the same moment: smbd then fails to bind and
# ends, and the next port is tried. Fails when none works.
samba_start() { # samba_dir share_name share_path first last smbd [runner]
    local samba="$1" share_name="$2" share_path="$3" first="$4" last="$5" smbd="$6"
    local runner="${7:-}" candidate pid
    for candidate in $(seq "$first" "$last"); do
        (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null && continue
        samba_write_conf "$samba" "$candidate" "$share_name" "$share_path"
        $runner rm -f "$samba/pid/smbd.pid"
        $runner "$smbd" --configfile="$samba/smb.conf" -D || continue
        samba_wait_for_port "$candidate" || continue
        # Something answers; it is ours only while our smbd runs.
        pid="$(cat "$samba/pid/smbd.pid" 2>/dev/null || true)"
        if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = smbd ]; then
            SAMBA_PORT=$candidate
            return 0
        fi
    done
    return 1
}
