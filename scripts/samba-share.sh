# Shell functions for a private smbd on 127.0.0.1 that serves one share, used
# by the demo and the whole-process benchmark. Source it; it runs nothing.

# Prints a port between FIRST and LAST on 127.0.0.1 that nothing listens on,
# or nothing when all are taken.
samba_free_port() {
    local candidate
    for candidate in $(seq "$1" "$2"); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
            echo "$candidate"
            return 0
        fi
    done
}

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
