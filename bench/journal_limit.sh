#!/usr/bin/env bash
# Times a one-file replace with a full undo journal (as many 20,000-file runs as it keeps) against
# the same replace with an empty journal, medians of BENCH_REPEAT (5) runs each. A benchmark, not
# a test: run it by hand on a quiet machine. SORVANE names the sorvane-cli to time (default: the
# Release build in build/); the data generator and the window's bench come from the same folder
# unless GEN and WINDOW say otherwise. The window's figure is the longest its events waited
# during the replace: how long a repaint would have waited.
set -euo pipefail
export LC_ALL=C

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SORVANE=${SORVANE:-$ROOT/build/bin/sorvane-cli}
GEN=${GEN:-$(dirname "$SORVANE")/sorvane-bench-data}
WINDOW=${WINDOW:-$(dirname "$SORVANE")/sorvane-window-bench}
BENCH_DIR=${BENCH_DIR:-/tmp/sorvane-bench}
REPEAT=${BENCH_REPEAT:-5}
RUNS=10   # the journal's default limit of runs
[[ -x $SORVANE && -x $GEN && -x $WINDOW ]] ||
    { echo "journal_limit.sh: build sorvane-cli, sorvane-bench-data and sorvane-window-bench first" >&2; exit 1; }

DATA=$BENCH_DIR/data/undotree-200   # 200 folders of 100 files, every one holding the term
WORK=$BENCH_DIR/journal-work
mkdir -p "$BENCH_DIR/data"
[[ -e $DATA ]] || { "$GEN" undotree "$DATA.part" 200 >/dev/null && mv "$DATA.part" "$DATA"; }
rm -rf "$WORK"; mkdir -p "$WORK"
trap 'rm -rf "$WORK"' EXIT

# A full journal, made once: each run rewrites all 20,000 files, the term swapped back and forth.
echo "Filling a journal with $RUNS runs of $(find "$DATA" -type f | wc -l) files"
cp -r "$DATA" "$WORK/tree"
for ((i = 0; i < RUNS; i++)); do
    if ((i % 2 == 0)); then from=needle to=thread; else from=thread to=needle; fi
    XDG_STATE_HOME=$WORK/full "$SORVANE" --folder "$WORK/tree" --recursive --find "$from" --replace "$to" >/dev/null
done
printf 'old\n' >"$WORK/one.txt"

median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }

# fresh_state STATE: a copy of the journal in STATE, made before the clock starts (linked, not
# copied: pruning a run then unlinks as many names as deleting it would), and the file to replace.
fresh_state() {
    rm -rf "$WORK/state"
    if [[ $1 == full ]]; then cp -al "$WORK/full" "$WORK/state"; else mkdir "$WORK/state"; fi
    printf 'old\n' >"$WORK/one.txt"
    sync
}
# A deletion still going on in the background is not the next run's: wait for it.
await_deletion() { while compgen -G "$WORK/state/sorvane/runs/.gone-*" >/dev/null; do sleep 0.05; done; }

# time_one STATE: the seconds of a one-file replace on the command line.
time_one() {
    local t0 t1
    fresh_state "$1"
    t0=$EPOCHREALTIME
    XDG_STATE_HOME=$WORK/state "$SORVANE" --find old --replace new "$WORK/one.txt" >/dev/null
    t1=$EPOCHREALTIME
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
    await_deletion
}

# wait_one STATE: the milliseconds the window's events waited at most during its one-file replace.
wait_one() {
    fresh_state "$1"
    XDG_STATE_HOME=$WORK/state "$WINDOW" "$WORK/one.txt" | awk '/longest event wait/ { print $4 }'
    await_deletion
}

declare -A SECS
for state in empty full; do
    times=()
    for ((i = 0; i < REPEAT; i++)); do times+=("$(time_one "$state")"); done
    SECS[$state]=$(median "${times[@]}")
    echo "  $state journal: ${times[*]} (median ${SECS[$state]} s)"
done
declare -A WAITS
for state in empty full; do
    waits=()
    for ((i = 0; i < REPEAT; i++)); do waits+=("$(wait_one "$state")"); done
    WAITS[$state]=$(median "${waits[@]}")
    echo "  window, $state journal: longest event wait ${waits[*]} ms (median ${WAITS[$state]} ms)"
done
verdict=$(awk -v f="${SECS[full]}" -v e="${SECS[empty]}" 'BEGIN { print (f <= e * 1.1 + 0.005) ? "met   " : "MISSED" }')
echo "  $verdict a one-file replace with a full journal takes no longer than with an empty one"
verdict=$(awk -v f="${WAITS[full]}" 'BEGIN { print (f <= 100) ? "met   " : "MISSED" }')
echo "  $verdict the window's events wait no longer than 100 ms with a full journal"
