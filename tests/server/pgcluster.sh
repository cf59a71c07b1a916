#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the server tests, never one already on the
# machine. Run as root, as the tests are, the server itself runs as postgres;
# run as anybody else, it runs as that user.
#   pgcluster.sh start DIR   initdb into a new temporary folder, start it on
#                            127.0.0.1 at a free port, write DIR/pgcluster.env
#   pgcluster.sh stop DIR    stop it and remove the folder and DIR/pgcluster.env
# pgcluster.env holds the addresses the tests read: ZAVONI_TEST_ADMIN (the
# cluster's superuser, to make a register), ZAVONI_TEST_OPERATOR and
# ZAVONI_TEST_READER (logins in the roles zavoni_operator and zavoni_cititor),
# ZAVONI_TEST_PASSWORDED (an operator login whose password, "parola", is asked).
set -euo pipefail

action="${1:-}"
dir="${2:-}"
if [ -z "$action" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR" >&2
    exit 2
fi
env_file="$dir/pgcluster.env"
bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [ ! -x "$bin/initdb" ]; then
    echo "PostgreSQL's server programs are not installed (Debian: postgresql)" >&2
    exit 1
fi
as_postgres() {
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

stop() {
    [ -f "$env_file" ] || return 0
    local data
    data="$(sed -n 's/^PGCLUSTER_DATA=//p' "$env_file")"
    if [ -n "$data" ] && [ -d "$data" ]; then
        as_postgres "$bin/pg_ctl" -D "$data/db" -m immediate -w stop >/dev/null 2>&1 || true
        rm -rf "$data"
    fi
    rm -f "$env_file"
}

start() {
    stop
    mkdir -p "$dir"
    local data
    data="$(mktemp -d /tmp/zavoni-pgcluster.XXXXXX)"
    [ "$(id -u)" != 0 ] || chown postgres: "$data"
    chmod 700 "$data"
    # Only this machine's tests reach it, on the loopback: no password asked.
    as_postgres "$bin/initdb" -D "$data/db" -U postgres --auth=trust -E UTF8 \
        --locale=C.UTF-8 >"$data/initdb.log" 2>&1
    # Except one login that must give its password, for the login dialog's test.
    sed -i '1i host all zavoni_test_parola 127.0.0.1/32 scram-sha-256' "$data/db/pg_hba.conf"
    # Another cluster may take a port between the check and the start: try another.
    local port started=0
    for _ in $(seq 1 20); do
        port=$((20000 + RANDOM % 30000))
        ss -ltn 2>/dev/null | grep -q ":$port " && continue
        if as_postgres "$bin/pg_ctl" -D "$data/db" -l "$data/server.log" -w -t 30 \
            -o "-c listen_addresses=127.0.0.1 -p $port -c unix_socket_directories=$data \
                -c fsync=off -c max_connections=200" start >/dev/null 2>&1; then
            started=1
            break
        fi
    done
    if [ "$started" != 1 ]; then
        cat "$data/server.log" >&2 || true
        rm -rf "$data"
        echo "the test cluster did not start" >&2
        exit 1
    fi
    as_postgres "$bin/psql" -h "$data" -p "$port" -U postgres -d postgres -q \
        -v ON_ERROR_STOP=1 <<'SQL'
CREATE ROLE zavoni_operator NOLOGIN;
CREATE ROLE zavoni_cititor NOLOGIN;
CREATE ROLE zavoni_test_operator LOGIN IN ROLE zavoni_operator;
CREATE ROLE zavoni_test_cititor LOGIN IN ROLE zavoni_cititor;
CREATE ROLE zavoni_test_parola LOGIN PASSWORD 'parola' IN ROLE zavoni_operator;
SQL
    local at="127.0.0.1:$port"
    {
        echo "PGCLUSTER_DATA=$data"
        echo "ZAVONI_TEST_ADMIN=postgresql://postgres@$at/postgres"
        echo "ZAVONI_TEST_OPERATOR=postgresql://zavoni_test_operator@$at/postgres"
        echo "ZAVONI_TEST_READER=postgresql://zavoni_test_cititor@$at/postgres"
        echo "ZAVONI_TEST_PASSWORDED=postgresql://zavoni_test_parola@$at/postgres"
    } >"$env_file"
}

case "$action" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
