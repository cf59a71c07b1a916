#!/bin/sh
# Started where there is no display, the program says so and ends with 1
# instead of Qt's abort.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1)
status=$?
printf '%s\n' "$out"
[ "$status" -eq 1 ] && printf '%s' "$out" | grep -q 'ecran grafic'
