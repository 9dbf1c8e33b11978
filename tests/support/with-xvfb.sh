#!/usr/bin/env bash
# Runs a command under a virtual X server of its own, stopped when the command ends. The
# server picks a free display itself (-displayfd) and says which once it takes connections,
# so that servers started at the same time never share a display, as the numbers that
# xvfb-run -a guesses from lock files sometimes did: a test then met another test's server,
# which went away under it.
# Usage: with-xvfb.sh XVFB "SERVER OPTIONS" COMMAND [ARGS...]
set -uo pipefail

xvfb=$1 options=$2
shift 2
dir=$(mktemp -d)
server=
stop_server() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    server=
}
trap 'stop_server; rm -rf "$dir"' EXIT

mkfifo "$dir/display"
# shellcheck disable=SC2086
"$xvfb" -displayfd 3 -nolisten tcp $options 3>"$dir/display" >"$dir/server.log" 2>&1 &
server=$!
display=
read -r display <"$dir/display"
if [ -z "$display" ]; then
    echo "with-xvfb: the X server did not start:" >&2
    cat "$dir/server.log" >&2
    exit 1
fi
DISPLAY=:$display "$@"
