#!/usr/bin/env bash
# Drives the real qvrviewer program under a virtual X server as a user would:
# start it on a bundled backup file, close the notice, wait for the report,
# then leave through File > Exit. Checks that the notice comes first, that the
# report file beside the program is byte for byte the exporter's document, that
# the caption is right, and that closing deletes the report file and stores the
# settings. Usage: viewer-smoke.sh QVRVIEWER QVRREPORT PRESET_FILE WORK_DIR
set -euo pipefail
viewer=$1 exporter=$2 preset=$3 work=$4

rm -rf "$work" && mkdir -p "$work"
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
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

wait_for "the notice" xdotool search --name '^IMPORTANT NOTICE$'
[ ! -e "$report" ] || fail "the report was written before the notice was closed"
notice=$(xdotool search --name '^IMPORTANT NOTICE$' | head -n 1)
xdotool windowactivate --sync "$notice" 2>/dev/null || xdotool windowfocus --sync "$notice"
xdotool key --window "$notice" Return

wait_for "the report file" test -s "$report"
"$exporter" --config-dir "$(dirname "$exporter")" --output "$work/expected.html" "$preset" || true
cmp "$report" "$work/expected.html" || fail "the report file differs from the exporter's document"
main=$(xdotool search --name '^Oktrel\(tm\) Preset Viewer$' | head -n 1)
[ -n "$main" ] || fail "no window captioned 'Oktrel(tm) Preset Viewer'"

# File > Exit through the menu's access keys.
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" alt+f
sleep 0.5
xdotool key x
wait_for "the program to end" bash -c "! kill -0 $pid"
trap - EXIT
[ ! -e "$report" ] || fail "the report file is still there after closing"
grep -q '"ColCount"=dword:00000004' "$work/config/oktrel/registry.reg" ||
    fail "the column count was not stored at closing"
echo "viewer smoke run passed"
