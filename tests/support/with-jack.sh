#!/usr/bin/env bash
# Runs a command with a JACK server of its own: the dummy driver (no sound card), a name no
# other test uses (JACK_DEFAULT_SERVER tells the command), stopped when the command ends.
# Usage: with-jack.sh COMMAND [ARGS...]
set -uo pipefail

log=$(mktemp)
export JACK_DEFAULT_SERVER="qvr-test-$$-$RANDOM"
jackd_pid=
stop_jack() {
    if [ -n "$jackd_pid" ]; then
        kill "$jackd_pid" 2>/dev/null
        wait "$jackd_pid" 2>/dev/null
    fi
    jackd_pid=
}
trap 'stop_jack; rm -f "$log"' EXIT

# Synchronous mode with a long client timeout: a client late in a busy machine is waited for
# instead of missing a cycle and what it carried. A server that fails while starting (a
# client that asks too early can upset it) is started afresh, three times at most.
started=no
for attempt in 1 2 3; do
    jackd --no-realtime --sync --timeout 10000 -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 \
        -p 1024 >"$log" 2>&1 &
    jackd_pid=$!
    if jack_wait -w -t 20 >/dev/null 2>&1 && jack_lsp >/dev/null 2>&1; then
        started=yes
        break
    fi
    stop_jack
done
if [ $started != yes ]; then
    cat "$log"
    echo "FAIL: the JACK server did not start"
    exit 1
fi
"$@"
