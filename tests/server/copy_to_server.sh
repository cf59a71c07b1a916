#!/bin/sh
# zavoni --copy-to-server ADDRESS: a file register, its offence codes with a gap
# at the end, copied into a register the copy builds; the rows and keys are the
# file's, a new offence takes a code never given, a second copy is refused and
# the file is not written. $1: the program, $2: the generator, $3: the cluster's file.
set -u
zavoni=$(realpath "$1") generate=$(realpath "$2")
. "$3"
dir=$(mktemp -d) && cd "$dir" || exit 1
database="zavoni_copy_$$"
psql -q "$ZAVONI_TEST_ADMIN" -c "CREATE DATABASE $database" || exit 1
address="${ZAVONI_TEST_ADMIN%/*}/$database"
fail() { echo "$1"; psql -q "$ZAVONI_TEST_ADMIN" -c "DROP DATABASE $database"; exit 1; }

"$generate" Zavoni.mdb 30 7 >/dev/null || fail "no register generated"
last=$(sqlite3 Zavoni.mdb "SELECT max(COD_infractiune) FROM TBL_Infractiuni")
sqlite3 Zavoni.mdb "PRAGMA foreign_keys = ON;
                    DELETE FROM TBL_Infractiuni WHERE COD_infractiune IN (5, $last)"
before=$(md5sum Zavoni.mdb)
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$zavoni" --copy-to-server "$address" 2>&1) \
    || fail "the copy failed: $out"
printf '%s' "$out" | grep -q 'a fost copiat' || fail "$out"
for sql in "SELECT rowid, CNP_C, Nume, sex, sector, Strada FROM TBL_Zavoni ORDER BY rowid" \
           "SELECT COD_infractiune, CNP_C, Infractiune FROM TBL_Infractiuni ORDER BY 1" \
           "SELECT rowid, CNP, Nume FROM TBL_Complici ORDER BY rowid" \
           "SELECT rowid, CNP, COD_INFRACTIUNE FROM TBL_Complicitate ORDER BY rowid" \
           "SELECT rowid, Cod_infractiune, Articol FROM TBL_Articole ORDER BY rowid"; do
    [ "$(sqlite3 Zavoni.mdb "$sql")" = "$(psql -At "$address" -c "SET search_path = zavoni;
        $(echo "$sql" | tr 'A-Z' 'a-z')" | sed 1d)" ] || fail "differs: $sql"
done
code=$(psql -At "$address" -c "INSERT INTO zavoni.tbl_infractiuni (cnp_c)
    SELECT cnp_c FROM zavoni.tbl_zavoni LIMIT 1 RETURNING cod_infractiune" | head -1)
[ "$code" -gt "$last" ] || fail "new offence code $code, the file gave up to $last"
out=$("$zavoni" --server "$address" --copy-to-server 2>&1) && fail "a second copy succeeded"
printf '%s' "$out" | grep -q 'are deja rânduri' || fail "$out"
[ "$(md5sum Zavoni.mdb)" = "$before" ] || fail "the file was written"
psql -q "$ZAVONI_TEST_ADMIN" -c "DROP DATABASE $database"
rm -rf "$dir"
