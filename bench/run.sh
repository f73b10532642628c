#!/usr/bin/env bash
# Times whole runs of brindle's project commands on generated VB6 projects against cp -r of the
# same trees and against a durable rewrite of their files, and prints a table: median seconds,
# the ratios to the copy and to the rewrite, peak memory.
#
#   bash bench/run.sh [LINES...]        projects of 10000 100000 1000000 lines unless given
#
# RUNS (default 5) runs of each command; SEED (default 1) chooses the projects; WORK names a
# folder for them (default: a temporary folder, removed at the end); BRINDLE names a brindle to
# time instead of the one this script builds in build-bench (Release). Each command runs on a
# fresh copy of its project; the copy is timed too, and "x copy" is the median of the command's
# time over its copy's. The copy's files are then rewritten as brindle writes a changed module
# (a temporary file, flushed and renamed, on brindle's four writer threads, each folder flushed
# at the end): that rewrite is the floor of a command that survives a power cut, and "x durable"
# the median of the command's time over it. add-all runs on the generated project, the removals and refresh on the
# project as add-all left it; refresh runs with another author, which every procedure header
# shows, so that it rewrites them. check and add-all --skip-existing, which write nothing, run on the project as
# add-all left it against cat of its files ("x read"), each run right after its cat; check-fresh
# is check on the generated project, which lacks a header or handler in most procedures: its
# peak memory with tens of thousands of findings.
set -euo pipefail
[ -z "${BRINDLE:-}" ] || BRINDLE="$(realpath "$BRINDLE")"
cd "$(dirname "$0")/.."
root="$(pwd)"
export LC_ALL=C  # for this script's own numbers; brindle runs in the UTF-8 locale below

runs="${RUNS:-5}"
seed="${SEED:-1}"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000 1000000)

scripts/install-deps.sh time locales
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target brindle generate_project durable_rewrite \
    >/dev/null
brindle="${BRINDLE:-$root/build-bench/apps/brindle}"
generate="$root/build-bench/bench/generate_project"
rewrite="$root/build-bench/bench/durable_rewrite"

# A new user's UTF-8 locale: en_US.UTF-8, generated when it is missing and we may, else C.UTF-8.
has_locale() { locale -a 2>/dev/null | grep -qix "$1"; }
utf8=en_US.UTF-8
if ! has_locale 'en_US.utf-\?8'; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    if [ -f /etc/locale.gen ] && command -v locale-gen >/dev/null; then
        $sudo sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen || true
        $sudo locale-gen >/dev/null || true
    fi
    has_locale 'en_US.utf-\?8' || utf8=C.UTF-8
fi

if [ -n "${WORK:-}" ]; then
    work="$WORK"
    mkdir -p "$work"
else
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
fi
export BRINDLE_SETTINGS="$work/settings.ini"

# Runs a command in folder $1 under GNU time; appends "seconds peak-KB cpu-seconds" to file $2.
# An exit status up to $passing (default 0) passes: check tells of findings with 1.
timed() {
    local folder="$1" out="$2" start end status=0
    shift 2
    start=$EPOCHREALTIME
    (cd "$folder" && LC_ALL="$utf8" /usr/bin/time -f "%M %U %S" -o "$work/peak" "$@" \
        >/dev/null 2>"$work/stderr") || status=$?
    if [ "$status" -gt "${passing:-0}" ]; then
        echo "failed in $folder: $*" >&2
        tail -n 20 "$work/stderr" >&2
        exit 1
    fi
    end=$EPOCHREALTIME
    echo "$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }') \
$(tail -n 1 "$work/peak" | awk '{ print $1, $2 + $3 }')" >>"$out"
}

group() { echo "$1" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The median ratio of the runs in file $2 over those in file $1, pair by pair.
ratio() {
    paste -d' ' <(cut -d' ' -f1 "$1") <(cut -d' ' -f1 "$2") | awk '{ print $2 / $1 }' | median
}
# One row of a table: NAME's runs (file NAME.run) against those of BASE (copy or cat) that went
# before each, and against the durable rewrites where there are some ("-" where not).
summary() {
    local base took peak cpu durable="-"
    base="$(cut -d' ' -f1 "$work/$1.$2" | median)"
    took="$(cut -d' ' -f1 "$work/$1.run" | median)"
    [ ! -s "$work/$1.durable" ] || durable="$(ratio "$work/$1.durable" "$work/$1.run")"
    peak="$(cut -d' ' -f2 "$work/$1.run" | sort -g | tail -n 1)"
    cpu="$(cut -d' ' -f3 "$work/$1.run" | median)"
    echo "$actual $modules $1 $base $took $(ratio "$work/$1.$2" "$work/$1.run") $durable $peak $cpu"
}

commands=(add-all remove-markers-all remove-code-all refresh)
readers=(check skip-existing check-fresh)
table="$work/table"
reads="$work/reads"
: >"$table"
: >"$reads"
for lines in "${sizes[@]}"; do
    generated="$work/generated-$lines"
    added="$work/added-$lines"
    rm -rf "$generated" "$added"
    summary="$("$generate" "$lines" "$generated" "$seed")"
    modules="${summary%% modules*}"
    actual="$(echo "$summary" | sed 's/.* modules, \([0-9]*\) lines.*/\1/')"
    cp -r "$generated" "$added"
    (cd "$added" && LC_ALL="$utf8" "$brindle" add-all Project.vbp --yes --quiet)
    rm -f "$work/refresh.ini"
    BRINDLE_SETTINGS="$work/refresh.ini" "$brindle" options --author "Another Author" >/dev/null
    rm -f "$work/durable-rewrite.copy" "$work/durable-rewrite.run"
    for command in "${commands[@]}"; do
        rm -f "$work/$command.copy" "$work/$command.run" "$work/$command.durable"
    done
    for ((run = 1; run <= runs; run++)); do
        for command in "${commands[@]}"; do
            source="$added"
            [ "$command" = add-all ] && source="$generated"
            rm -rf "$work/copy"
            timed "$work" "$work/$command.copy" cp -r "$source" "$work/copy"
            timed "$work" "$work/$command.durable" "$rewrite" "$work/copy"
            tail -n 1 "$work/$command.copy" >>"$work/durable-rewrite.copy"
            tail -n 1 "$work/$command.durable" >>"$work/durable-rewrite.run"
            if [ "$command" = refresh ]; then
                # The project holds headers of another template, which it leaves and tells of.
                passing=1 timed "$work/copy" "$work/$command.run" \
                    env BRINDLE_SETTINGS="$work/refresh.ini" "$brindle" refresh Project.vbp --yes
            else
                timed "$work/copy" "$work/$command.run" "$brindle" "$command" Project.vbp --yes
            fi
        done
    done
    rm -rf "$work/copy"
    for reader in "${readers[@]}"; do
        rm -f "$work/$reader.cat" "$work/$reader.run"
    done
    for ((run = 1; run <= runs; run++)); do
        for reader in "${readers[@]}"; do
            folder="$added"
            [ "$reader" = check-fresh ] && folder="$generated"
            timed "$folder" "$work/$reader.cat" find . -type f -name '*.*' -exec cat {} +
            if [ "$reader" = skip-existing ]; then
                timed "$folder" "$work/$reader.run" "$brindle" add-all --skip-existing Project.vbp --yes
            else
                passing=1 timed "$folder" "$work/$reader.run" "$brindle" check Project.vbp
            fi
        done
    done
    for reader in "${readers[@]}"; do
        summary "$reader" cat >>"$reads"
    done
    summary durable-rewrite copy >>"$table"
    for command in "${commands[@]}"; do
        summary "$command" copy >>"$table"
    done
done

# Prints the rows of file $1, each against the base $2 ("copy" or "cat"), its ratio named
# "x $3" (default: x $2), and with a fourth argument the ratio to the durable rewrite.
print_table() {
    local durable=()
    [ -z "${4:-}" ] || durable=("x durable")
    printf "%10s %8s  %-20s %8s %10s %8s ${4:+%10s }%9s %7s\n" lines modules command "$2 s" \
        "brindle s" "x ${3:-$2}" "${durable[@]}" "peak MB" "cpu s"
    while read -r actual modules command base took ratio floor peak cpu; do
        durable=()
        [ "$floor" = - ] || floor="$(printf %.1f "$floor")"
        [ -z "${4:-}" ] || durable=("$floor")
        printf "%10s %8s  %-20s %8.3f %10.3f %8.1f ${4:+%10s }%9.1f %7.2f\n" \
            "$(group "$actual")" "$modules" "$command" "$base" "$took" "$ratio" "${durable[@]}" \
            "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$cpu"
    done <"$1"
}

echo
build="Release build"
[ -z "${BRINDLE:-}" ] || build="$brindle"
echo "brindle on generated VB6 projects: $build, locale $utf8, $runs runs each, medians"
echo "(x copy: the command's time over cp -r of the tree it ran on, median of the pairs;"
echo " the removals and refresh run on the project as add-all left it, refresh with another"
echo " author, so that it rewrites every procedure header; peak: the largest of the runs;"
echo " x durable: over rewriting the copy's files as brindle writes a module, a temporary file"
echo " flushed and renamed on four threads, then each folder flushed, which is the row"
echo " durable-rewrite; cpu: user and system seconds of all brindle's threads)"
echo
print_table "$table" copy "" durable

echo
echo "the commands that only read, on the project as add-all left it, against cat of its files"
echo "(x read: the command's time over the cat's, median of the pairs; skip-existing: add-all"
echo " --skip-existing, which finds everything there and writes nothing; check-fresh: check on"
echo " the generated project, which reports most of its procedures)"
echo
print_table "$reads" cat read

# How the time (and the processor time) grows from each size to the next.
echo
for command in "${commands[@]}"; do
    awk -v c="$command" -v n=0 '$3 == c { lines[n] = $1; took[n] = $5; cpu[n] = $9; n++ }
        END { for (i = 1; i < n; i++)
              printf "%s: %d lines take %.1f times as long as %d lines (cpu %.1f times)\n",
                     c, lines[i], took[i] / took[i - 1], lines[i - 1], cpu[i] / cpu[i - 1] }' \
        "$table"
done
