#!/usr/bin/env bash
# Checks the Debian package that `cpack -G DEB` made in the build folder given:
# its files, its Depends, and that its menu launcher starts the program in a
# register folder of the user's, made private.
set -euo pipefail
deb=$(ls "$1"/zavoni_*_amd64.deb)
fail() { echo "$deb: $*" >&2; exit 1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
files=(usr/bin/zavoni usr/bin/zavoni-launcher usr/share/applications/zavoni.desktop
       usr/share/metainfo/zavoni.metainfo.xml usr/share/icons/hicolor/scalable/apps/zavoni.svg)
for size in 16 22 24 32 48 64 128 256; do
    files+=("usr/share/icons/hicolor/${size}x${size}/apps/zavoni.png")
done
for f in "${files[@]}"; do
    grep -qx "./$f" <<<"$contents" || fail "lacks /$f"
done

depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6sql6-sqlite libqt6widgets6 libqt6sql6 libqt6core6 libc6; do
    grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends lacks $p: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = libqt6sql6-psql ] || fail "Recommends lacks libqt6sql6-psql"

# Started as the menu starts it, in a home of its own, the program waits at its
# question about the missing register: it is ended then, not found crashed.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/root"
mkdir "$tmp/home"
status=0
HOME="$tmp/home" QT_QPA_PLATFORM=offscreen \
    timeout 10 "$tmp/root/usr/bin/zavoni-launcher" >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the program started by the launcher ended with $status"
mode=$(stat -c %a "$tmp/home/Zavoni")
[ "$mode" = 700 ] || fail "the register folder was made with mode $mode"
echo "$deb: files, Depends and launcher as expected"
