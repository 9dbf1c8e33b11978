#!/usr/bin/env bash
# Drives the real qvrviewer program under a virtual X server as a user would:
# start it on a bundled backup file, close the notice, wait for the report,
# then leave through File > Exit. Checks that the notice comes first, that the
# report file in the viewer's private folder is byte for byte the committed
# expected report, that the caption is right, and that closing deletes the
# report file and stores the settings. A second viewer on another file
# meanwhile keeps a report of its own, and ended by SIGTERM it leaves nothing
# behind; a folder left by a viewer that is gone is removed at the next start.
# Usage: viewer-smoke.sh QVRVIEWER PRESET_FILE EXPECTED_HTML SECOND_PRESET WORK_DIR
set -euo pipefail
viewer=$1 preset=$2 expected=$3 second=$4 work=$5
[ -f "$preset" ] && [ -f "$expected" ] && [ -f "$second" ] ||
    { echo "FAIL: $preset, $expected or $second is missing" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work"
# The expected reports are written with a decimal point.
export LC_ALL=C XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/run
export QTWEBENGINE_DISABLE_SANDBOX=1
mkdir -m 0700 "$work/run"
gone=$(sh -c 'echo $$')
mkdir -p -m 0700 "$work/run/oktrel/viewer-$gone-abcdef"
touch "$work/run/oktrel/viewer-$gone-abcdef/__tmp__.html"

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

# The report file of the viewer with this process id (its folder exists once its window does).
report_of() {
    local folder
    folder=$(echo "$work/run/oktrel/viewer-$1-"*)
    [ -d "$folder" ] || fail "no private folder for viewer $1"
    echo "$folder/__tmp__.html"
}

# Return on the notice of viewer $pid until it is gone: a window found while the notice
# comes up may already have been replaced by the time the key is sent.
close_notice() {
    local notice
    notice=$(xdotool search --all --onlyvisible --pid "$pid" --name '^IMPORTANT NOTICE$' | head -n 1)
    if [ -n "$notice" ]; then
        xdotool windowactivate --sync "$notice" 2>/dev/null || xdotool windowfocus --sync "$notice"
        xdotool key --window "$notice" Return
    fi
    ! xdotool search --all --onlyvisible --pid "$pid" --name '^IMPORTANT NOTICE$'
}

# Starts a viewer on a file (and any further files, not opened), closes its notice and waits
# for its report; sets pid.
start_viewer() {
    "$viewer" "$1" "${@:3}" >"$work/viewer-$2.log" 2>&1 &
    pid=$!
    wait_for "the notice" xdotool search --all --onlyvisible --pid "$pid" --name '^IMPORTANT NOTICE$'
    [ ! -e "$(report_of "$pid")" ] || fail "the report was written before the notice was closed"
    wait_for "the notice to close" close_notice
    wait_for "the report file" test -s "$(report_of "$pid")"
}

first= pid=
trap 'kill $first $pid 2>/dev/null || true' EXIT
start_viewer "$preset" first "$work/ignored.q1p"
first=$pid
grep -qxF "qvrviewer: warning: only the first file is opened; ignored: $work/ignored.q1p" \
    "$work/viewer-first.log" || fail "no warning about the file not opened"
report=$(report_of "$first")
[ ! -e "$work/run/oktrel/viewer-$gone-abcdef" ] || fail "the folder of a gone viewer is still there"
[ "$(stat -c %a "$(dirname "$report")")" = 700 ] || fail "the report folder is not private"
cmp "$report" "$expected" || fail "the report file differs from $expected"

# A second viewer keeps its own report; SIGTERM ends it cleanly and leaves nothing behind.
start_viewer "$second" second
report2=$(report_of "$pid")
[ "$report2" != "$report" ] || fail "two viewers share one report file"
cmp -s "$report2" "$expected" && fail "the second viewer's report is the first one's"
kill -TERM "$pid"
wait_for "the second viewer to end" bash -c "! kill -0 $pid"
[ ! -e "$(dirname "$report2")" ] || fail "SIGTERM left the report folder behind"
cmp "$report" "$expected" || fail "the first viewer's report changed"
pid=$first

main=$(xdotool search --all --pid "$pid" --name '^Oktrel\(tm\) Preset Viewer$' | head -n 1)
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
[ -z "$(ls -A "$work/run/oktrel")" ] || fail "a report folder is still there after closing"
grep -q '"ColCount"=dword:00000004' "$work/config/oktrel/registry.reg" ||
    fail "the column count was not stored at closing"
echo "viewer smoke run passed"
