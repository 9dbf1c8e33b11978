#!/usr/bin/env bash
# qvrlib send over JACK (run it through tests/support/with-jack.sh): every example backup
# reaches qvrcapture byte for byte; the receiver's timestamps show the interval after every
# event and long messages cut into pieces; a damaged file sends nothing; Ctrl+C stops after the
# message under way.
# Usage: send-jack.sh QVRLIB QVRCAPTURE RECEIVE_TIMES EXAMPLES_DIR
set -uo pipefail
lib=$1 capture=$2 times=$3 examples=$4

. "$(dirname "$0")/../support/capture-test.sh"

send() {
    "$lib" send --api jack --yes "$@" >"$work/out" 2>"$work/send.err" </dev/null
}

# Every example backup, message by message, comes back byte for byte. The capture's idle time
# outlasts what a busy machine may hold up the sender; 10 ms between messages keep what one
# late JACK cycle has to carry within its port buffer.
for name in backup.q1a backup.q2a backup.q3a backup.t3a backup.k3a; do
    start_capture --idle 2
    send --port qvrcapture --interval 10 "$examples/presets/$name" ||
        fail "send of $name: $(cat "$work/send.err")"
    wait "$capture_pid" || fail "qvrcapture of $name: $(cat "$work/err")"
    cmp "$examples/presets/$name" "$work/got" ||
        fail "capture of $name differs: $(cmp "$examples/presets/$name" "$work/got" 2>&1) $(cat "$work/err" "$work/send.err")"
done

# Pacing: showcase.q3p has 13 messages of 1038 bytes, the longest 375 bytes; pieces of at most
# 64 bytes make 24 events. With 100 ms after each, the first and the last event lie 2300 ms
# apart, less at most what the first waited for its cycle (21.3 ms at 1024 frames in 48000 a
# second; a busy machine adds some); without the pauses they would come within a few cycles.
"$times" 1038 "$work/times" &
times_pid=$!
listed() { "$lib" send --list --api jack | grep -qxF "qvr-times:in"; }
wait_until listed || fail "send --list lacks the receiver"
send --port qvr-times --interval 100 --chunk 64 "$examples/presets/showcase.q3p" ||
    fail "paced send: $(cat "$work/send.err")"
wait "$times_pid" || fail "the receiver did not get 1038 bytes"
awk '$2 > 64 { print "event of " $2 " bytes" }
     NR == 1 { first = $1 } { last = $1; n++ }
     END { if (n != 24) print n " events, not 24"
           if (last - first < 2300000 - 100000) print "24 events in " (last - first) " us" }' \
    "$work/times" >"$work/pacing"
[ -s "$work/pacing" ] && fail "pacing: $(cat "$work/pacing")"

# A damaged file sends nothing: the capture sees no message at all.
cp "$examples/presets/backup.q3a" "$work/bad.q3a"
printf 'L' | dd of="$work/bad.q3a" bs=1 seek=12 conv=notrunc status=none
start_capture --idle 0.5
send --port qvrcapture "$work/bad.q3a"
status=$?
[ $status -eq 1 ] && grep -qxF "error: $work/bad.q3a: Bad checksum" "$work/send.err" &&
    grep -qxF "qvrlib send: nothing sent" "$work/send.err" ||
    fail "damaged file: status $status, $(cat "$work/send.err")"
kill -INT "$capture_pid"
wait "$capture_pid"
[ $? -eq 1 ] && [ ! -e "$work/got" ] || fail "something arrived from a damaged file"

# Ctrl+C stops after the message under way and says how far the send got.
start_capture --idle 600
"$lib" send --api jack --yes --port qvrcapture --interval 200 "$examples/presets/backup.q3a" \
    >"$work/out" 2>"$work/send.err" </dev/null &
send_pid=$!
connected() { jack_lsp -c 2>/dev/null | grep -q "qvrlib"; }
wait_until connected || fail "qvrlib does not connect"
kill -INT "$send_pid"
wait "$send_pid"
status=$?
[ $status -eq 1 ] && grep -q "^qvrlib send: stopped after [0-9]* of 141 messages" "$work/send.err" ||
    fail "Ctrl+C: status $status, $(cat "$work/send.err")"
kill -INT "$capture_pid"
wait "$capture_pid"
sent=$(sed -n 's/^qvrlib send: stopped after \([0-9]*\) of.*/\1/p' "$work/send.err")
grep -q "^qvrcapture: $sent messages*, " "$work/err" || fail "capture after Ctrl+C: $(cat "$work/err")"

end_test "all sends passed"
