#!/bin/bash
# Fuzzes one target of tests/fuzz for a while: scripts/fuzz.sh NAME [SECONDS].
# New inputs go to build/native/clang/fuzz-work/NAME (the committed seeds in
# tests/fuzz/corpus/NAME are only read); a crash, sanitizer report, leak or
# timeout leaves its input in build/native/clang/artifacts/ and fails.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
NAME="${1:?usage: fuzz.sh NAME [SECONDS]}"
SECONDS_TO_RUN="${2:-30}"
DIR="$ROOT/build/native/clang"
source "$ROOT/scripts/lib/configure.sh"

if [ "${FUZZ_SKIP_BUILD:-0}" != 1 ]; then
    configure_once "$DIR" "$ROOT/tests/native" -DCMAKE_CXX_COMPILER=clang++-14
    cmake --build "$DIR" -j 2 --target "${NAME}_fuzz" >/dev/null
fi

WORK="$DIR/fuzz-work/$NAME"
ARTIFACTS="$DIR/artifacts"
LOG="$DIR/fuzz-work/$NAME.log"
mkdir -p "$WORK" "$ARTIFACTS"
args=(-max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 -max_len=16384
      -print_final_stats=1 -artifact_prefix="$ARTIFACTS/$NAME-")
[ -f "$ROOT/tests/fuzz/$NAME.dict" ] && args+=(-dict="$ROOT/tests/fuzz/$NAME.dict")
seeds=()
[ -d "$ROOT/tests/fuzz/corpus/$NAME" ] && seeds+=("$ROOT/tests/fuzz/corpus/$NAME")

status=0
"$DIR/${NAME}_fuzz" "${args[@]}" "$WORK" "${seeds[@]}" >"$LOG" 2>&1 || status=$?
execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$LOG" | tail -1)"
final="$(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE|INITED)' "$LOG" | tail -1 || true)"
cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$final")"
ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$final")"
if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$LOG"; then
    echo "FUZZ $NAME: FAILED (exit $status), see $LOG and $ARTIFACTS" >&2
    grep -E -A25 'ERROR:|runtime error:|check failed' "$LOG" | head -60 >&2
    exit 1
fi
echo "FUZZ $NAME: ${execs:-?} executions, cov ${cov:-?}, ft ${ft:-?} features in ${SECONDS_TO_RUN}s, no findings"
