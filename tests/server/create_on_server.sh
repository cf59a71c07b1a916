#!/bin/sh
# zavoni --server ADDRESS --create, from a terminal with no display: builds the
# register once, refuses a second time, and says in Romanian when the server
# cannot be reached. $1: the program, $2: the test cluster's file.
set -u
zavoni="$1"
. "$2"
database="zavoni_create_$$"
psql -q "$ZAVONI_TEST_ADMIN" -c "CREATE DATABASE $database" || exit 1
address="${ZAVONI_TEST_ADMIN%/*}/$database"
fail() { echo "$1"; psql -q "$ZAVONI_TEST_ADMIN" -c "DROP DATABASE $database"; exit 1; }

out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$zavoni" --server "$address" \
    --create 2>&1) || fail "first --create failed: $out"
printf '%s' "$out" | grep -q 'Registrul a fost creat' || fail "$out"
tables=$(psql -At "$address" -c "SELECT count(*) FROM information_schema.tables
                                 WHERE table_schema = 'zavoni'")
[ "$tables" -eq 8 ] || fail "$tables tables and views, not 8"
out=$(ZAVONI_SERVER="$address" "$zavoni" --create 2>&1) && fail "a second --create succeeded"
printf '%s' "$out" | grep -q 'există deja' || fail "$out"
out=$("$zavoni" --server "postgresql://nimeni@127.0.0.1:1/$database" --create 2>&1) \
    && fail "--create succeeded with no server"
printf '%s' "$out" | grep -q 'Legătura cu serverul' || fail "$out"
psql -q "$ZAVONI_TEST_ADMIN" -c "DROP DATABASE $database"
