#!/usr/bin/env bash
# Runs every fuzzer of the clang sanitizer build on a copy of its seeds and the inputs that once
# failed, for about BRINDLE_FUZZ_SECONDS (150 unless set) in all. A crash, a leak, an input that
# takes more than a second or a broken property fails the script, which names the input kept in
# build-asan/fuzz-failures/; copy it into fuzz/regressions/<fuzzer>/ once it is mended.
# Where the corpus of real projects lies beside the repository (../shared/corpus), the add-in's
# round trip first runs on each of its modules whole, then takes those up to its fuzzing bound
# as seeds besides its own.
#   CXX=clang++ BRINDLE_SANITIZE=ON scripts/test.sh   builds them (in build-asan/)
#   scripts/fuzz.sh [FUZZER...]                       runs them, or only those named
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-asan
if [ $# -gt 0 ]; then
    names=("$@")
else
    names=()
    for exe in "$dir"/fuzz/fuzz_*; do
        [ -x "$exe" ] && names+=("${exe##*/fuzz_}")
    done
fi
if [ ${#names[@]} -eq 0 ]; then
    echo "no fuzzers in $dir: build it with CXX=clang++ BRINDLE_SANITIZE=ON scripts/test.sh" >&2
    exit 1
fi
seconds=$(( ${BRINDLE_FUZZ_SECONDS:-150} / ${#names[@]} ))
[ "$seconds" -ge 1 ] || seconds=1
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures="$PWD/$dir/fuzz-failures"
mkdir -p "$failures"
failed=()
corpus=../shared/corpus
most_bytes=16384
corpus_modules() {
    find -L "$corpus" -type f \( -iname '*.bas' -o -iname '*.cls' -o -iname '*.frm' \
        -o -iname '*.ctl' -o -iname '*.pag' -o -iname '*.dob' -o -iname '*.dsr' \) "$@" -print0 |
        sort -z
}
for name in "${names[@]}"; do
    bound=()
    mkdir -p "$work/$name"
    cp -r "fuzz/corpus/$name/." "$work/$name/"
    inputs=("$work/$name")
    [ -d "fuzz/regressions/$name" ] && inputs+=("fuzz/regressions/$name")
    if [ "$name" = addin_round_trip ] && [ -d "$corpus" ]; then
        echo "running $name on the modules of $corpus"
        if ! corpus_modules | xargs -0 -r "$dir/fuzz/fuzz_$name" -rss_limit_mb=4096 \
            >"$work/$name-corpus.log" 2>&1; then
            tail -n 40 "$work/$name-corpus.log" >&2
            failed+=("$name")
            continue
        fi
        mkdir -p "$work/$name-corpus"
        corpus_modules -size -$((most_bytes + 1))c |
            xargs -0 -r cp --backup=numbered -t "$work/$name-corpus/"
        inputs+=("$work/$name-corpus")
        bound=(-max_len="$most_bytes")
    fi
    echo "fuzzing $name for $seconds s"
    if ! "$dir/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 \
        "${bound[@]}" \
        -dict=fuzz/vb6.dict -artifact_prefix="$failures/$name-" -print_final_stats=1 \
        "${inputs[@]}" >"$work/$name.log" 2>&1; then
        tail -n 40 "$work/$name.log" >&2
        failed+=("$name")
    else
        grep -E '^stat::number_of_executed_units|^Done ' "$work/$name.log" || true
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "the fuzzers ${failed[*]} failed; their inputs are in $failures:" >&2
    ls -1 "$failures" >&2
    exit 1
fi
echo "every fuzzer held for its time"
