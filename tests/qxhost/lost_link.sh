#!/usr/bin/env bash
# qxhost against a simulated instrument that drops the connection, one that
# stops answering, and one whose length prefixes lie: one clear line, a
# non-zero exit, no hang.
set -u
qxsim=$1 qxhost=$2
fail() { echo "FAIL: $*"; exit 1; }

run_against() {  # qxsim fault options; prints qxhost's output and exit code
  coproc SIM { exec "$qxsim" --port 0 "$@"; }
  read -r -t 5 port <&"${SIM[0]}" || fail "qxsim did not start"
  out=$(timeout 30 "$qxhost" --connect "127.0.0.1:$port" -c "acquire averages 4; acquire averages 8; acquire averages 16" 2>&1)
  rc=$?
  kill "$SIM_PID" 2>/dev/null; wait "$SIM_PID" 2>/dev/null
  printf '%s\nexit %s\n' "$out" "$rc"
}

# The connection closes after the identity query, the three setup queries and one command.
dropped=$(run_against --drop-after 5)
grep -q "^exit 1$" <<<"$dropped" || fail "dropped link: expected exit 1, got: $dropped"
grep -q "no longer answers" <<<"$dropped" || fail "dropped link: no clear line: $dropped"
[ "$(grep -c '^qx> ' <<<"$dropped")" -le 2 ] || fail "dropped link: went on after the loss: $dropped"

# Replies come later than the 3 s the library waits for them.
silent=$(run_against --reply-delay 4000)
grep -q "^exit 1$" <<<"$silent" || fail "silent instrument: expected exit 1, got: $silent"
grep -q "no answer from 127.0.0.1" <<<"$silent" || fail "silent instrument: no clear line: $silent"
# Every reply announces 10 bytes fewer than it holds: no setup block is taken,
# and the console says so instead of showing a record of zeros.
lying=$(run_against --lie-prefix -10)
grep -q "^exit 1$" <<<"$lying" || fail "lying prefix: expected exit 1, got: $lying"
grep -q "could not read the instrument's setup" <<<"$lying" || fail "lying prefix: no clear line: $lying"
echo "ok"
