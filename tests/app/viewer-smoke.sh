#!/usr/bin/env bash
# Drives the real qvrviewer program under a virtual X server as a user would:
# start it on a bundled backup file, close the notice, wait for the report,
# then leave through File > Exit. Checks that the notice comes first, that the
# report file beside the program is byte for byte the committed expected report,
# that the caption is right, and that closing deletes the report file and stores
# the settings. Usage: viewer-smoke.sh QVRVIEWER PRESET_FILE EXPECTED_HTML WORK_DIR
set -euo pipefail
viewer=$1 preset=$2 expected=$3 work=$4
[ -f "$preset" ] && [ -f "$expected" ] || { echo "FAIL: $preset or $expected is missing" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work"
# The expected reports are written with a decimal point.
export LC_ALL=C XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export QTWEBENGINE_DISABLE_SANDBOX=1
report=$(dirname "$viewer")/__tmp__.html
rm -f "$report"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Polls a command for up to 60 seconds.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 1 300); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.2
    done
    fail "timed out waiting for $what"
}

"$viewer" "$preset" >"$work/viewer.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wait_for "the notice" xdotool search --onlyvisible --name '^IMPORTANT NOTICE$'
[ ! -e "$report" ] || fail "the report was written before the notice was closed"
# Return on the notice until it is gone: a window found while the notice comes up may
# already have been replaced by the time the key is sent.
close_notice() {
    local notice
    notice=$(xdotool search --onlyvisible --name '^IMPORTANT NOTICE$' | head -n 1)
    if [ -n "$notice" ]; then
        xdotool windowactivate --sync "$notice" 2>/dev/null || xdotool windowfocus --sync "$notice"
        xdotool key --window "$notice" Return
    fi
    ! xdotool search --onlyvisible --name '^IMPORTANT NOTICE$'
}
wait_for "the notice to close" close_notice

wait_for "the report file" test -s "$report"
cmp "$report" "$expected" || fail "the report file differs from $expected"
main=$(xdotool search --name '^Oktrel\(tm\) Preset Viewer$' | head -n 1)
[ -n "$main" ] || fail "no window captioned 'Oktrel(tm) Preset Viewer'"

# File > Exit through the menu's access keys.
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" alt+f
# The open menu is a second window of the program on screen.
wait_for "the File menu" bash -c "[ \$(xdotool search --onlyvisible --pid $pid | wc -l) -ge 2 ]"
xdotool key x
wait_for "the program to end" bash -c "! kill -0 $pid"
trap - EXIT
[ ! -e "$report" ] || fail "the report file is still there after closing"
grep -q '"ColCount"=dword:00000004' "$work/config/oktrel/registry.reg" ||
    fail "the column count was not stored at closing"
echo "viewer smoke run passed"
