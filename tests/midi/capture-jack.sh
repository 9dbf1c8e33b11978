#!/usr/bin/env bash
# qvrcapture receiving what a JACK client plays from the example backups (run it through
# tests/support/with-jack.sh): the file comes out byte for byte, its report equals the
# example's, a cut message is dropped with a warning, a message that never ends costs no
# memory beyond the size limit, a flood of cut messages ends on idle with one line, idle time
# and Ctrl+C end it.
# Usage: capture-jack.sh QVRCAPTURE SENDER QVRREPORT EXAMPLES_DIR
set -uo pipefail
capture=$1 sender=$2 report=$3 examples=$4

. "$(dirname "$0")/../support/capture-test.sh"

# The same report and the same messages, which name their own file.
same_report() {
    "$report" "$1" >"$work/want.html" 2>"$work/want.err"
    "$report" "$work/got" >"$work/got.html" 2>"$work/got.err"
    sed -i "s|: $1: |: FILE: |" "$work/want.err"
    sed -i "s|: $work/got: |: FILE: |" "$work/got.err"
    cmp -s "$work/want.html" "$work/got.html" && cmp -s "$work/want.err" "$work/got.err" ||
        fail "report of the capture of $1 differs"
}

# Every example backup, sent to qvrcapture's own port; the idle time ends each capture.
summaries=(
    "backup.q1a|141 messages, 7187 bytes, QVR-1, 25 presets"
    "backup.q2a|141 messages, 7187 bytes, QVR-2, 25 presets"
    "backup.q3a|141 messages, 7187 bytes, QVR-3, 25 presets"
    "backup.t3a|141 messages, 7187 bytes, Tindrel3, 25 presets"
    "backup.k3a|144 messages, 7303 bytes, KDT-3, 26 presets"
)
for entry in "${summaries[@]}"; do
    name=${entry%%|*} summary=${entry#*|}
    start_capture --idle 0.5
    "$sender" --to qvrcapture "$examples/presets/$name" || fail "sender for $name"
    finish_capture 0
    cmp "$examples/presets/$name" "$work/got" || fail "capture of $name differs"
    grep -qxF "qvrcapture: $summary" "$work/err" || fail "summary of $name: $(cat "$work/err")"
    same_report "$examples/presets/$name"
done

# A device that starts a message and never ends it: 12 MiB of it leave the capture's memory
# within a few MiB of where it was (the message is dropped once it passes the size limit, and
# nothing holds the rest), and the dump that follows is kept whole (the idle time is long, so
# that the flood, which holds the dump up for seconds, does not end the capture; Ctrl+C does).
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status" 2>/dev/null; }
# Runs the sender with the given arguments while watching the capture's memory.
flood_capture() {
    before=$(rss_kib "$capture_pid") peak=0
    "$sender" "$@" &
    sender_pid=$!
    while kill -0 "$sender_pid" 2>/dev/null; do
        now=$(rss_kib "$capture_pid")
        [ "${now:-0}" -gt "$peak" ] && peak=$now
        sleep 0.1
    done
    wait "$sender_pid" || fail "flooding sender $*"
    [ $((peak - before)) -lt 6144 ] || fail "the capture grew from $before KiB to $peak KiB ($*)"
}
start_capture --idle 600
flood_capture --flood $((12 << 20)) --to qvrcapture "$examples/presets/backup.q3a"
kill -INT "$capture_pid"
finish_capture 0
cmp -s "$examples/presets/backup.q3a" "$work/got" || fail "capture after the flood differs"
grep -qxF "warning: $work/got: System exclusive message longer than 1048576 bytes dropped" \
    "$work/err" || fail "no warning for the endless message: $(cat "$work/err")"

# Messages cut off again and again, with no whole one: the capture ends by itself once the
# idle time passes without progress, and tells what it dropped in one line, whatever came.
start_capture --idle 0.5
flood_capture --garbage $((4 << 20)) --to qvrcapture "$examples/presets/backup.q3a"
capture_gone() { ! kill -0 "$capture_pid" 2>/dev/null; }
wait_until capture_gone || { fail "a flood of cut messages does not end the capture"; kill "$capture_pid"; }
finish_capture 1
grep -qE "^warning: $work/got: [0-9]+ incomplete system exclusive messages dropped, the first after 2 bytes: a new message started$" \
    "$work/err" || fail "no summary of the cut messages: $(head -5 "$work/err")"
# Listening, the summary, nothing written, and a line per kind dropped: the cut messages, and
# on a busy machine the events the input lost and the bytes that then stood outside a message.
[ "$(wc -l <"$work/err")" -le 6 ] || fail "the flood made $(wc -l <"$work/err") lines of messages"

# The capture connects to the sender's port by part of its name; a cut message is dropped
# with a warning, the rest is kept; Ctrl+C ends the capture long before the idle time.
"$sender" --cut --serve "$examples/presets/stage.q1p" &
sender_pid=$!
sender_listed() { "$capture" --list --api jack | grep -qxF "qvr-send:out"; }
wait_until sender_listed || fail "--list lacks the sender"
start_capture --idle 600 --port qvr-send
wait "$sender_pid" || fail "sender for stage.q1p"
kill -INT "$capture_pid"
finish_capture 0
cmp "$examples/presets/stage.q1p" "$work/got" || fail "capture of stage.q1p differs"
grep -qxF "warning: $work/got: Incomplete system exclusive message dropped after 7 bytes: a new message started" \
    "$work/err" || fail "no warning for the cut message: $(cat "$work/err")"
grep -qxF "qvrcapture: 9 messages, 664 bytes, QVR-1, 1 preset" "$work/err" ||
    fail "summary of stage.q1p: $(cat "$work/err")"

# Nothing whole before Ctrl+C: status 1 and no file.
start_capture
kill -INT "$capture_pid"
finish_capture 1
[ ! -e "$work/got" ] || fail "a file was written although nothing arrived"

# A folder as FILE is refused before listening, so that no dump is received for nothing.
timeout 10 "$capture" --api jack "$work" 2>"$work/err"
status=$?
[ $status -eq 2 ] && grep -qF "Is a directory" "$work/err" && ! grep -qF "listening" "$work/err" ||
    fail "folder as FILE: status $status, $(cat "$work/err")"

# A port that is not there.
"$capture" --api jack --port no-such-port "$work/got" 2>"$work/err"
status=$?
[ $status -eq 1 ] && grep -qF "no MIDI input port matches 'no-such-port'" "$work/err" ||
    fail "unknown port: status $status, $(cat "$work/err")"

end_test "all captures passed"
