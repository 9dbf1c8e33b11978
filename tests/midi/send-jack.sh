#!/usr/bin/env bash
# qvrlib send over JACK (run it through tests/support/with-jack.sh): every example backup
# reaches qvrcapture byte for byte; the receiver's timestamps show the interval after every
# event and long messages cut into pieces; a damaged file sends nothing; a message too long to
# go whole is an error, not a success, and goes in pieces; Ctrl+C stops after the message under
# way, or inside a long message before its next piece.
# Usage: send-jack.sh QVRLIB QVRCAPTURE RECEIVE_TIMES PRESETGEN EXAMPLES_DIR
set -uo pipefail
lib=$1 capture=$2 times=$3 presetgen=$4 examples=$5

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

# Ctrl+C between messages stops before the next one and says how far the send got.
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

# A preset with one message of DATA bytes of model data, written to FILE.
big_preset() { # DATA FILE
    printf 'product QVR-3\npreset 1 "Big"\nusermodel 1 "M" data=%s\n' "$1" >"$work/big.txt"
    "$presetgen" "$work/big.txt" "$2" || fail "presetgen for $2"
}

# A message of 16000 bytes sent whole (--chunk 0) would be dropped on the way: it is an error
# naming the message, and nothing goes out; in pieces of 8192 bytes it arrives whole.
big_preset 13981 "$work/big.q3p"
start_capture --idle 0.5
send --port qvrcapture --chunk 0 --interval 10 "$work/big.q3p"
status=$?
[ $status -eq 1 ] &&
    grep -qxF "error: $work/big.q3p: message 2 of 2 (preset #01  Big) is 16000 bytes long, more than the 8192 bytes a MIDI event carries whole; send it in pieces" \
        "$work/send.err" && grep -qxF "qvrlib send: nothing sent" "$work/send.err" ||
    fail "--chunk 0 with 16000 bytes: status $status, $(cat "$work/send.err")"
kill -INT "$capture_pid"
wait "$capture_pid"
[ $? -eq 1 ] && [ ! -e "$work/got" ] || fail "something arrived from a refused send"
start_capture --idle 2
send --port qvrcapture --chunk 8192 --interval 10 "$work/big.q3p" ||
    fail "send in pieces of 8192: $(cat "$work/send.err")"
wait "$capture_pid" || fail "qvrcapture of the big preset: $(cat "$work/err")"
cmp "$work/big.q3p" "$work/got" || fail "the big preset in pieces differs"

# Ctrl+C inside a message of 74308 bytes, 291 pieces 100 ms apart, stops before the next
# piece and says where the message was cut off; it used to wait half a minute for its end.
big_preset 65000 "$work/long.q3p"
start_capture --idle 600
"$lib" send --api jack --yes --port qvrcapture --interval 100 "$work/long.q3p" \
    >"$work/out" 2>"$work/send.err" </dev/null &
send_pid=$!
inside() { grep -qs "^qvrcapture" "$work/err" && jack_lsp -c 2>/dev/null | grep -q "qvrlib"; }
wait_until inside || fail "qvrlib does not connect"
sleep 2
kill -TERM "$send_pid"
stopped() { ! kill -0 "$send_pid" 2>/dev/null; }
tries=0
until stopped || [ $tries -ge 100 ]; do # 5 s; the rest of the message takes 27 s
    sleep 0.05
    tries=$((tries + 1))
done
stopped || fail "SIGTERM did not stop the send inside the message"
wait "$send_pid"
status=$?
[ $status -eq 1 ] &&
    grep -qE "^qvrlib send: stopped after 1 of 2 messages \([0-9]+ of 74330 bytes\); no preset went out whole; message 2 was cut off after [0-9]+ of 74308 bytes$" \
        "$work/send.err" || fail "SIGTERM inside a message: status $status, $(cat "$work/send.err")"
kill -INT "$capture_pid"
wait "$capture_pid"

end_test "all sends passed"
