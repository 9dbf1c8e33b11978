# Shared by the shell tests that run qvrcapture over JACK (sourced; the test itself runs
# through with-jack.sh): a work folder removed at exit, failures counted, waits on conditions,
# and qvrcapture in the background. The test sets `capture` to the qvrcapture to run.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Waits (20 s at most) until the command succeeds.
wait_until() {
    local tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ $tries -ge 400 ] && return 1
        sleep 0.05
    done
}

# Starts qvrcapture in the background with the given options (output $work/got, messages
# $work/err, process $capture_pid) and waits until it listens.
start_capture() {
    rm -f "$work/got" "$work/err"
    "$capture" --api jack "$@" "$work/got" 2>"$work/err" &
    capture_pid=$!
    wait_until grep -qs "listening on" "$work/err" || fail "qvrcapture $* does not listen"
}

finish_capture() { # expected exit status
    wait "$capture_pid"
    local status=$?
    [ "$status" -eq "$1" ] || fail "qvrcapture ended with $status, not $1: $(cat "$work/err")"
}

# Ends the test: says its argument when nothing failed, else exits with status 1.
end_test() {
    [ $failures -eq 0 ] && echo "$1"
    exit $((failures > 0))
}
