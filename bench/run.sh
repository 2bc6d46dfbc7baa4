#!/usr/bin/env bash
# Times sorvane-cli against sd, sed -i, perl -pi, ripgrep and plain cp on
# generated data and a copy of the system's C headers, and prints a table and
# each goal as met or missed. A benchmark, not a test: it
# reports figures, run it by hand on a quiet machine: it runs one tool at a time
# and shows the load average, since other work beside it skews every figure.
# See bench/README.md for what it measures and the knobs below.
set -euo pipefail
# One locale for every run: repeatable figures, and sed at its fastest
# (its case-insensitive matching is slower under UTF-8 locales).
export LC_ALL=C

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

BENCH_DIR=${BENCH_DIR:-/tmp/sorvane-bench}
BUILD_DIR=${BENCH_BUILD_DIR:-$ROOT/build}
REPEAT=${BENCH_REPEAT:-3}
BIG_MIB=${BENCH_BIG_MIB:-256}
TREE_FILES=${BENCH_TREE_FILES:-20000}
BIG_TREE_FILES=${BENCH_BIG_TREE_FILES:-200000}
UNDO_FOLDERS=${BENCH_UNDO_FOLDERS:-200}
HEADERS=${BENCH_HEADERS:-/usr/include}
NOEOL_MIB=${BENCH_NOEOL_MIB:-1024}
SPARSE_MIB=${BENCH_SPARSE_MIB:-1024}
HOLES_MIB=${BENCH_HOLES_MIB:-2048}
TOOLS=" ${BENCH_TOOLS:-sorvane sd sed cp perl rg} "   # drop a tool to skip its runs
GOAL_PEAK_MIB=32
GOAL_BIG_TREE_PEAK_MIB=64

die() { echo "run.sh: $*" >&2; exit 1; }
wants() { [[ $TOOLS == *" $1 "* ]]; }

[[ $REPEAT =~ ^[1-9][0-9]*$ ]] || die "BENCH_REPEAT must be a positive number"

# --- Packages: install only what is missing ----------------------------------
# What sorvane-cli is built from, and what it is compared with.
mapfile -t packages < scripts/build-packages.txt
scripts/ensure-packages.sh "${packages[@]}" sd time coreutils sed findutils perl ripgrep

# sd renamed its fixed-string flag in later versions; use what this one has.
if sd --help 2>&1 | grep -q -- '--fixed-strings'; then SD_FIXED=-F; else SD_FIXED=-s; fi

# --- Build --------------------------------------------------------------------
if wants sorvane; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DSORVANE_TESTS=OFF -DSORVANE_BENCH=ON >/dev/null ||
        die "cmake configure failed; sorvane-cli cannot be built yet"
    cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target sorvane-cli sorvane-bench-data ||
        die "build failed; no figures for sorvane-cli"
    SORVANE=$BUILD_DIR/bin/sorvane-cli
    [[ -x $SORVANE ]] || die "$SORVANE was not built; nothing to measure (BENCH_TOOLS='sd sed cp' runs the others)"
    GEN=$BUILD_DIR/bin/sorvane-bench-data
else
    # Only the data generator is needed; bench/ also configures on its own,
    # so this works even while the rest of the project does not build.
    cmake -S "$ROOT/bench" -B "$BENCH_DIR/generator-build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BENCH_DIR/generator-build" --parallel "$(nproc)" >/dev/null
    GEN=$BENCH_DIR/generator-build/sorvane-bench-data
fi

# --- Data: generated once, reused (the generator is deterministic) ------------
DATA=$BENCH_DIR/data
WORK=$BENCH_DIR/work      # fresh copies and results; removed at exit
mkdir -p "$DATA"
rm -rf "$WORK"; mkdir -p "$WORK/out"
# Every sorvane-cli run keeps its originals for undo: in a scratch journal, never the user's.
export XDG_STATE_HOME=$WORK/state
trap 'rm -rf "$WORK"' EXIT

BIG=$DATA/big-${BIG_MIB}MiB.txt
TREE=$DATA/tree-${TREE_FILES}
NOEOL=$DATA/noeol-${NOEOL_MIB}MiB.txt
SPARSE=$DATA/sparsehits-${SPARSE_MIB}MiB.txt
HOLES=$DATA/holes-${HOLES_MIB}MiB.txt
BIG_TREE=$DATA/tree-${BIG_TREE_FILES}
UNDO_TREE=$DATA/undotree-${UNDO_FOLDERS}
REAL=$DATA/headers   # copied once, so later package updates do not change the figures

# generate KIND TARGET SIZE: writes to a temporary name first, so an
# interrupted run never leaves half a data set that looks complete.
generate() {
    [[ -e $2 ]] && return
    echo "Generating $2"
    rm -rf "$2.part"
    "$GEN" "$1" "$2.part" "$3" >"$2.info"
    mv "$2.part" "$2"
}
generate bigfile "$BIG" "$BIG_MIB"
generate tree "$TREE" "$TREE_FILES"
wants sorvane && generate noeol "$NOEOL" "$NOEOL_MIB"
generate sparsehits "$SPARSE" "$SPARSE_MIB"
wants sorvane && generate holes "$HOLES" "$HOLES_MIB"
wants sorvane && generate tree "$BIG_TREE" "$BIG_TREE_FILES"
wants sorvane && generate undotree "$UNDO_TREE" "$UNDO_FOLDERS"
if [[ ! -e $REAL ]]; then
    echo "Copying $HEADERS to $REAL"
    rm -rf "$REAL.part"; cp -a "$HEADERS" "$REAL.part"; mv "$REAL.part" "$REAL"
fi

# --- Measuring ----------------------------------------------------------------
declare -A SECS PEAK CPU
RUN_FILE=$WORK/run.txt
RUN_TREE=$WORK/run-tree

fresh_big()   { rm -f "$RUN_FILE"; cp "$BIG" "$RUN_FILE"; }
fresh_noeol() { rm -f "$RUN_FILE"; cp "$NOEOL" "$RUN_FILE"; }
fresh_sparse() { rm -f "$RUN_FILE"; cp "$SPARSE" "$RUN_FILE"; }
fresh_holes() { rm -f "$RUN_FILE"; cp --sparse=always "$HOLES" "$RUN_FILE"; }
fresh_tree()  { rm -rf "$RUN_TREE"; cp -r "$TREE" "$RUN_TREE"; }
fresh_big_tree() { rm -rf "$RUN_TREE"; cp -r "$BIG_TREE" "$RUN_TREE"; }
fresh_undo_tree() { rm -rf "$RUN_TREE"; cp -r "$UNDO_TREE" "$RUN_TREE"; }
fresh_real()  { rm -rf "$RUN_TREE"; cp -a "$REAL" "$RUN_TREE"; }
nothing()     { :; }   # a dry run changes nothing: the data itself serves every run
no_big()      { rm -f "$RUN_FILE"; }
no_tree()     { rm -rf "$RUN_TREE"; }

# time_once CMD...: runs CMD once and sets T (wall seconds), C (CPU seconds: user + system) and
# K (peak RSS in KiB). The command's stdout stays in $WORK/stdout.
# Wall time comes from EPOCHREALTIME, not time's %e: %e has only 10 ms steps,
# too coarse next to cp, which copies 256 MiB in well under a second.
time_once() {
    local t0 t1 user system
    t0=$EPOCHREALTIME
    /usr/bin/time -f '%e %M %U %S' -o "$WORK/time" "$@" >"$WORK/stdout" 2>"$WORK/stderr" ||
        { echo; cat "$WORK/stderr" >&2; die "failed: $*"; }
    t1=$EPOCHREALTIME
    read -r _ K user system <"$WORK/time"
    T=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
    C=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
}

# median N...: the median; for an even count, the lower of the middle two.
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }

# measure KEY PREPARE CMD...: runs CMD REPEAT times, each time on data made
# fresh by PREPARE outside the timing; keeps the median wall time, the median
# CPU time (steadier than wall time beside other work) and the highest peak RSS.
measure() {
    local key=$1 prepare=$2 i peak=0
    shift 2
    local -a secs=() cpus=()
    printf '  %-22s' "$key"
    for ((i = 1; i <= REPEAT; i++)); do
        "$prepare"
        sync   # flush the copy now, or its write-back would be timed too
        time_once "$@"
        secs+=("$T"); cpus+=("$C")
        if ((K > peak)); then peak=$K; fi
        printf ' %7ss' "$T"
    done
    echo
    SECS[$key]=$(median "${secs[@]}")
    CPU[$key]=$(median "${cpus[@]}")
    PEAK[$key]=$peak
}

# measure_run_then_undo TEST PREPARE CMD...: on data made fresh by PREPARE, runs CMD, then takes
# it back with `sorvane-cli --undo`, at least 5 times in turns, so that run and undo meet the
# same state of the machine. Each pair keeps its own journal, so no run prunes another's. Keeps
# the medians as TEST-cs-sorvane (the run) and TEST-cs-takeback (the undo).
measure_run_then_undo() {
    local test=$1 prepare=$2 i pairs=$((REPEAT > 5 ? REPEAT : 5)) run_peak=0 undo_peak=0
    shift 2
    local -a run_secs=() run_cpus=() undo_secs=() undo_cpus=()
    for ((i = 1; i <= pairs; i++)); do
        "$prepare"
        sync
        XDG_STATE_HOME=$WORK/undo-state-$i time_once "$@"
        run_secs+=("$T"); run_cpus+=("$C")
        if ((K > run_peak)); then run_peak=$K; fi
        sync   # the run's own write-back is not the undo's
        XDG_STATE_HOME=$WORK/undo-state-$i time_once "$SORVANE" --undo
        undo_secs+=("$T"); undo_cpus+=("$C")
        if ((K > undo_peak)); then undo_peak=$K; fi
        printf '  pair %d: run %7ss (CPU %5ss), undo %7ss (CPU %5ss)\n' "$i" "${run_secs[-1]}" "${run_cpus[-1]}" "$T" "$C"
    done
    SECS[$test-cs-sorvane]=$(median "${run_secs[@]}")
    CPU[$test-cs-sorvane]=$(median "${run_cpus[@]}")
    SECS[$test-cs-takeback]=$(median "${undo_secs[@]}")
    CPU[$test-cs-takeback]=$(median "${undo_cpus[@]}")
    PEAK[$test-cs-sorvane]=$run_peak
    PEAK[$test-cs-takeback]=$undo_peak
}

# keep KEY: moves the last run's result aside so tools can be compared.
keep() { if [[ -d $RUN_TREE ]]; then mv "$RUN_TREE" "$WORK/out/$1"; else mv "$RUN_FILE" "$WORK/out/$1"; fi; }

sorvane_said() { echo "    sorvane-cli: $(tail -n 1 "$WORK/stdout")   (generator: $(head -n 1 "$1.info"))"; }

# compare A B: whether two tools left the same bytes behind.
compare() {
    local a=$WORK/out/$1 b=$WORK/out/$2
    [[ -e $a && -e $b ]] || return 0
    local diffs
    # Links are compared as links: the headers hold some that point nowhere.
    if [[ -d $a ]]; then diffs=$(diff -rq --no-dereference "$a" "$b" | head -n 5 || true)
    else diffs=$(cmp "$a" "$b" 2>&1 | head -n 5 || true); fi
    if [[ -z $diffs ]]; then echo "    $1 vs $2: outputs agree"
    else printf '    %s vs %s: OUTPUTS DIFFER\n      %s\n' "$1" "$2" "${diffs//$'\n'/$'\n'      }"; fi
}

sh_find() { echo "find \"\$1\" -type f -name '*.txt' -print0 | xargs -0 $1"; }

echo
echo "Sorvane benchmark: $(nproc) cores, $(uname -r), $(sd --version), $(sed --version | head -n 1)," \
     "$(rg --version | sed -n 1p), perl $(perl -e 'print $^V')"
echo "Data in $DATA (hot page cache), $REPEAT runs each, times in seconds"
echo "Load average before the runs: $(cut -d' ' -f1-3 /proc/loadavg) (above 0.5 the figures are not a quiet machine's)"
echo
echo "Big file, $(du -h "$BIG" | cut -f1), case-sensitive"
if wants sorvane; then
    measure big-cs-sorvane fresh_big "$SORVANE" --find needle --replace thread "$RUN_FILE"
    sorvane_said "$BIG"; keep big-cs-sorvane
    # The same run without the undo journal: what keeping the originals costs.
    measure big-cs-noundo fresh_big "$SORVANE" --no-undo --find needle --replace thread "$RUN_FILE"
fi
if wants sd; then measure big-cs-sd fresh_big sd "$SD_FIXED" needle thread "$RUN_FILE"; keep big-cs-sd; fi
if wants sed; then measure big-cs-sed fresh_big sed -i 's/needle/thread/g' "$RUN_FILE"; keep big-cs-sed; fi
if wants cp; then
    measure big-cs-cp no_big cp "$BIG" "$RUN_FILE"
    # sorvane-cli fsyncs what it writes and the others do not; this floor does too.
    # shellcheck disable=SC2016 # $1 and $2 are for the inner bash
    measure big-cs-cp+fsync no_big bash -c 'cp "$1" "$2" && sync "$2"' _ "$BIG" "$RUN_FILE"
    rm -f "$RUN_FILE"
fi
compare big-cs-sorvane big-cs-sed
compare big-cs-sd big-cs-sed

echo
echo "Big file, ignoring case"
if wants sorvane; then
    measure big-ci-sorvane fresh_big "$SORVANE" --ignore-case --find needle --replace thread "$RUN_FILE"
    sorvane_said "$BIG"; keep big-ci-sorvane
fi
if wants sd; then measure big-ci-sd fresh_big sd "$SD_FIXED" -f i needle thread "$RUN_FILE"; keep big-ci-sd; fi
if wants sed; then measure big-ci-sed fresh_big sed -i 's/needle/thread/gI' "$RUN_FILE"; keep big-ci-sed; fi
compare big-ci-sorvane big-ci-sed
compare big-ci-sd big-ci-sed

echo
echo "Big file, the pattern ne+dle[0-9]* (and the word needle, whole words only)"
if wants sorvane && [[ $("$SORVANE" --help) == *--regex* ]]; then
    measure big-rx-sorvane fresh_big "$SORVANE" --no-undo -E --find 'ne+dle[0-9]*' --replace thread "$RUN_FILE"
    keep big-rx-sorvane
    measure big-word-sorvane fresh_big "$SORVANE" --no-undo -w --find needle --replace thread "$RUN_FILE"
fi
if wants sd; then measure big-rx-sd fresh_big sd 'ne+dle[0-9]*' thread "$RUN_FILE"; keep big-rx-sd; fi
if wants perl; then measure big-rx-perl fresh_big perl -pi -e 's/ne+dle[0-9]*/thread/g' "$RUN_FILE"; fi
if wants sed; then measure big-rx-sed fresh_big sed -E -i 's/ne+dle[0-9]*/thread/g' "$RUN_FILE"; keep big-rx-sed; fi
compare big-rx-sorvane big-rx-sed
compare big-rx-sd big-rx-sed
rm -rf "$WORK"/out/big-*   # a few hundred MiB each; not needed any more

echo
echo "Tree, $(find "$TREE" -type f | wc -l) files, $(du -sh "$TREE" | cut -f1), case-sensitive"
if wants sorvane; then
    measure tree-cs-sorvane fresh_tree "$SORVANE" --folder "$RUN_TREE" --recursive --find needle --replace thread
    sorvane_said "$TREE"; keep tree-cs-sorvane
    measure tree-cs-noundo fresh_tree "$SORVANE" --no-undo --folder "$RUN_TREE" --recursive --find needle --replace thread
fi
if wants sd; then
    measure tree-cs-sd fresh_tree bash -c "$(sh_find "sd $SD_FIXED needle thread")" _ "$RUN_TREE"
    keep tree-cs-sd
fi
if wants sed; then
    measure tree-cs-sed fresh_tree bash -c "$(sh_find "sed -i 's/needle/thread/g'")" _ "$RUN_TREE"
    keep tree-cs-sed
fi
if wants cp; then measure tree-cs-cp no_tree cp -r "$TREE" "$RUN_TREE"; rm -rf "$RUN_TREE"; fi
compare tree-cs-sorvane tree-cs-sed
compare tree-cs-sd tree-cs-sed
rm -rf "$WORK"/out/tree-*

echo
echo "Tree dry run: counting the same tree's occurrences"
if wants sorvane; then
    if [[ $("$SORVANE" --help) == *--jobs* ]]; then
        measure dry-cs-sorvane-j1 nothing "$SORVANE" --jobs 1 --dry-run --folder "$TREE" --recursive --find needle
        measure dry-cs-sorvane nothing "$SORVANE" --dry-run --folder "$TREE" --recursive --find needle
        sorvane_said "$TREE"
    else
        echo "  skipped: no --jobs"
    fi
fi
if wants rg; then
    measure dry-cs-rg-j1 nothing rg -j1 -c -F needle "$TREE"
    measure dry-cs-rg nothing rg -c -F needle "$TREE"
    echo "    rg: $(awk -F: '{ n += $NF } END { print n }' "$WORK/stdout") lines holding the term (-c counts lines)"
fi
# Masks: the text files of the tree outside the folders d1*, at any depth.
if wants sorvane && [[ $("$SORVANE" --help) == *--glob* ]]; then
    measure dry-gl-sorvane-j1 nothing "$SORVANE" --jobs 1 --dry-run --folder "$TREE" --recursive --find needle \
        --glob '*.txt' --glob '!d1*/'
    measure dry-gl-sorvane nothing "$SORVANE" --dry-run --folder "$TREE" --recursive --find needle \
        --glob '*.txt' --glob '!d1*/'
    sorvane_said "$TREE"
fi
if wants rg; then
    measure dry-gl-rg-j1 nothing rg -j1 -c -F -g '*.txt' -g '!d1*/' needle "$TREE"
    measure dry-gl-rg nothing rg -c -F -g '*.txt' -g '!d1*/' needle "$TREE"
fi
if wants sorvane && [[ $("$SORVANE" --help) == *--regex* ]]; then
    measure dry-rx-sorvane-j1 nothing "$SORVANE" --jobs 1 --dry-run -E --folder "$TREE" --recursive --find 'ne+dle[0-9]*'
    measure dry-rx-sorvane nothing "$SORVANE" --dry-run -E --folder "$TREE" --recursive --find 'ne+dle[0-9]*'
fi
if wants rg; then
    measure dry-rx-rg-j1 nothing rg -j1 -c 'ne+dle[0-9]*' "$TREE"
    measure dry-rx-rg nothing rg -c 'ne+dle[0-9]*' "$TREE"
fi

echo
echo "Real tree: a copy of $HEADERS, $(find "$REAL" -type f | wc -l) files, $(du -sh "$REAL" | cut -f1), \"the\" -> \"THE\""
if wants sorvane; then
    measure real-cs-sorvane fresh_real "$SORVANE" --folder "$RUN_TREE" --recursive --find the --replace THE
    echo "    sorvane-cli: $(tail -n 1 "$WORK/stdout")"; keep real-cs-sorvane
fi
if wants perl; then
    # perl does not flush what it writes; sync makes it as durable as sorvane-cli's rewrite.
    # shellcheck disable=SC2016 # $1 is for the inner bash
    measure real-cs-perl+sync fresh_real bash -c 'find "$1" -type f -exec perl -pi -e "s/the/THE/g" {} + && sync' \
        _ "$RUN_TREE"
    keep real-cs-perl+sync
fi
compare real-cs-sorvane real-cs-perl+sync
rm -rf "$WORK"/out/real-*

if wants sorvane; then
    echo
    echo "Undo: $(find "$UNDO_TREE" -type f | wc -l) files in $UNDO_FOLDERS folders, every one rewritten, then taken back"
    measure_run_then_undo undo fresh_undo_tree "$SORVANE" --folder "$RUN_TREE" --recursive --find needle \
        --replace thread
    echo "    the undo: $(tail -n 1 "$WORK/stdout")"
    if diff -rq "$UNDO_TREE" "$RUN_TREE" >/dev/null; then echo "    the tree is as it was"
    else echo "    THE TREE DIFFERS FROM THE DATA after the undo"; fi
    no_tree

    echo
    echo "Big tree, $BIG_TREE_FILES files, memory check (one run)"
    REPEAT=1 measure bigtree-cs-sorvane fresh_big_tree "$SORVANE" --folder "$RUN_TREE" --recursive \
        --find needle --replace thread
    sorvane_said "$BIG_TREE"; no_tree
fi

echo
echo "Sparse hits: $(du -h "$SPARSE" | cut -f1) of text, $(tail -n 1 "$SPARSE.info" | grep -o '^planted [0-9]*' | cut -d' ' -f2) occurrences"
if wants sorvane; then
    measure sparse-cs-sorvane fresh_sparse "$SORVANE" --find needle --replace thread "$RUN_FILE"
    sorvane_said "$SPARSE"
fi
if wants cp; then
    measure sparse-cs-cp no_big cp "$SPARSE" "$RUN_FILE"
    # shellcheck disable=SC2016 # $1 and $2 are for the inner bash
    measure sparse-cs-cp+fsync no_big bash -c 'cp "$1" "$2" && sync "$2"' _ "$SPARSE" "$RUN_FILE"
fi
rm -f "$RUN_FILE"

if wants sorvane; then
    allocated() { echo $(($(stat -c '%b * %B' "$1"))); }
    echo
    echo "Holes: a sparse file of $(du -h --apparent-size "$HOLES" | cut -f1), $(du -h "$HOLES" | cut -f1) of it allocated, one occurrence at its end"
    measure holes-cs-sorvane fresh_holes "$SORVANE" --find needle --replace thread "$RUN_FILE"
    sorvane_said "$HOLES"
    HOLES_BEFORE=$(allocated "$HOLES")
    HOLES_AFTER=$(allocated "$RUN_FILE")
    echo "    allocated: $HOLES_BEFORE bytes before, $HOLES_AFTER after"
    rm -f "$RUN_FILE"
fi

if wants sorvane; then
    echo
    echo "No line end at all, $(du -h "$NOEOL" | cut -f1), memory check"
    measure noeol-cs-sorvane fresh_noeol "$SORVANE" --find needle --replace thread "$RUN_FILE"
    sorvane_said "$NOEOL"; rm -f "$RUN_FILE"
fi

# --- Table ----------------------------------------------------------------------
ratio() { # ratio A B: A/B with two decimals, "-" if either is missing or B is 0
    [[ -n ${1:-} && -n ${2:-} ]] || { echo -; return; }
    awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "-"; else printf "%.2f\n", a / b }'
}

echo
printf '%-7s %-10s %-9s %9s %7s %9s %10s %7s\n' test tool case seconds "cpu s" "peak MiB" "x sorvane" "x cp"
for key in big-cs-sorvane big-cs-noundo big-cs-sd big-cs-sed big-cs-cp big-cs-cp+fsync big-ci-sorvane big-ci-sd \
           big-ci-sed tree-cs-sorvane tree-cs-noundo tree-cs-sd tree-cs-sed tree-cs-cp dry-cs-sorvane-j1 dry-cs-sorvane \
           dry-cs-rg-j1 dry-cs-rg dry-gl-sorvane-j1 dry-gl-sorvane dry-gl-rg-j1 dry-gl-rg real-cs-sorvane real-cs-perl+sync bigtree-cs-sorvane sparse-cs-sorvane sparse-cs-cp \
           sparse-cs-cp+fsync holes-cs-sorvane noeol-cs-sorvane undo-cs-sorvane undo-cs-takeback; do
    [[ -n ${SECS[$key]:-} ]] || continue
    IFS=- read -r test kase tool <<<"$key"
    printf '%-7s %-10s %-9s %9s %7s %9s %10s %7s\n' "$test" "$tool" \
        "$(case $kase in cs) echo sensitive ;; ci) echo ignore ;; *) echo globs ;; esac)" "${SECS[$key]}" "${CPU[$key]}" \
        "$(awk -v k="${PEAK[$key]}" 'BEGIN { printf "%.1f", k / 1024 }')" \
        "$(ratio "${SECS[$key]}" "${SECS[$test-$kase-sorvane]:-}")" \
        "$(ratio "${SECS[$key]}" "${SECS[$test-cs-cp]:-}")"
done

# --- Goals --------------------------------------------------------------------
# check TEXT CONDITION-as-awk-expression
check() {
    local verdict
    verdict=$(awk "BEGIN { print ($2) ? \"met   \" : \"MISSED\" }")
    echo "  $verdict $1"
}
if wants sorvane; then
    s=${SECS[big-cs-sorvane]}
    echo
    echo "Goals (load average now: $(cut -d' ' -f1-3 /proc/loadavg))"
    if [[ -n ${SECS[big-cs-sd]:-} ]]; then check "big file: at most 1/3 of sd's time" "$s * 3 <= ${SECS[big-cs-sd]}"; fi
    if [[ -n ${SECS[big-cs-sed]:-} ]]; then check "big file: at most 1/3 of sed -i's time" "$s * 3 <= ${SECS[big-cs-sed]}"; fi
    if [[ -n ${SECS[big-cs-cp]:-} ]]; then
        check "big file: at most 3x cp" "$s <= 3 * ${SECS[big-cs-cp]}"
        check "big file: at most 3x cp+fsync (same durability)" "$s <= 3 * ${SECS[big-cs-cp+fsync]}"
    fi
    check "ignoring case: at most 1.5x case-sensitive" "${SECS[big-ci-sorvane]} <= 1.5 * $s"
    if [[ -n ${SECS[sparse-cs-cp]:-} ]]; then
        check "sparse hits: at most 1.5x cp" "${SECS[sparse-cs-sorvane]} <= 1.5 * ${SECS[sparse-cs-cp]}"
        check "sparse hits: at most 1.5x cp+fsync (same durability)" \
            "${SECS[sparse-cs-sorvane]} <= 1.5 * ${SECS[sparse-cs-cp+fsync]}"
    fi
    check "holes: allocated size within 1% of the original's ($HOLES_AFTER vs $HOLES_BEFORE bytes)" \
        "$HOLES_AFTER <= 1.01 * $HOLES_BEFORE && $HOLES_AFTER >= 0.99 * $HOLES_BEFORE"
    for test in big tree; do
        check "$test: the undo journal adds under 5% to --no-undo" \
            "${SECS[$test-cs-sorvane]} < 1.05 * ${SECS[$test-cs-noundo]}"
    done
    check "tree: replace in under 0.5 s" "${SECS[tree-cs-sorvane]} < 0.5"
    check "undo: taking the run back takes at most the run's time" \
        "${SECS[undo-cs-takeback]} <= ${SECS[undo-cs-sorvane]}"
    if [[ -n ${SECS[dry-cs-sorvane]:-} && -n ${SECS[dry-cs-rg]:-} ]]; then
        check "tree dry run, --jobs 1: at most 1.5x rg -j1" "${SECS[dry-cs-sorvane-j1]} <= 1.5 * ${SECS[dry-cs-rg-j1]}"
        check "tree dry run, default jobs: at most 1.0x rg" "${SECS[dry-cs-sorvane]} <= ${SECS[dry-cs-rg]}"
    fi
    if [[ -n ${SECS[dry-gl-sorvane]:-} && -n ${SECS[dry-gl-rg]:-} ]]; then
        check "masked tree dry run, --jobs 1: at most 1.0x rg -j1" "${SECS[dry-gl-sorvane-j1]} <= ${SECS[dry-gl-rg-j1]}"
        check "masked tree dry run, default jobs: at most 1.0x rg" "${SECS[dry-gl-sorvane]} <= ${SECS[dry-gl-rg]}"
    fi
    if [[ -n ${SECS[real-cs-perl+sync]:-} ]]; then
        check "real tree: at most 0.5x perl -pi + sync" "${SECS[real-cs-sorvane]} <= 0.5 * ${SECS[real-cs-perl+sync]}"
    fi
    for key in big-cs-sorvane big-ci-sorvane tree-cs-sorvane sparse-cs-sorvane holes-cs-sorvane noeol-cs-sorvane; do
        check "$key: peak memory under $GOAL_PEAK_MIB MiB" "${PEAK[$key]} < $GOAL_PEAK_MIB * 1024"
    done
    check "bigtree-cs-sorvane: peak memory under $GOAL_BIG_TREE_PEAK_MIB MiB" \
        "${PEAK[bigtree-cs-sorvane]} < $GOAL_BIG_TREE_PEAK_MIB * 1024"
fi
