#!/usr/bin/env bash
# Runs the libFuzzer targets under ASan and UBSan.
#   scripts/fuzz.sh TARGET|all MINUTES
# TARGET is a name from tests/fuzz/CMakeLists.txt without "fuzz_" (lha_archive, lh5_decode,
# lh5_roundtrip, lha_update, lha_command_line, profile, shortcut, dosattrib, bookmark_import).
# Builds with clang in $FUZZ_BUILD (default ./build-fuzz) and keeps, per target, the corpus,
# the log and every crash, leak, timeout and out-of-memory input in $FUZZ_OUT/<target>/
# (default $FUZZ_BUILD/out). A target keeps running after a finding (fork mode), so one known fault
# does not hide the next. Prints executions and findings per target; exits 1 when any target
# found something.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 TARGET|all MINUTES" >&2
  exit 2
fi
all=(lha_archive lh5_decode lh5_roundtrip lha_update lha_command_line profile shortcut dosattrib bookmark_import)
if [ "$1" = all ]; then targets=("${all[@]}"); else targets=("$1"); fi
for t in "${targets[@]}"; do
  [[ " ${all[*]} " == *" $t "* ]] || { echo "unknown target: $t (one of: ${all[*]})" >&2; exit 2; }
done
seconds=$(($2 * 60))
build=$(realpath -m "${FUZZ_BUILD:-build-fuzz}")
out=$(realpath -m "${FUZZ_OUT:-$build/out}")
testdata=$(realpath -m "${MARKVANE_TESTDATA:-$root/../shared/testdata}")

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMARKVANE_FUZZ=ON -DMARKVANE_SANITIZE=ON -DMARKVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

mkdir -p "$out"
seeds="$out/.seeds"
rm -rf "$seeds"
python3 tests/fuzz/make_seeds.py "$seeds" "$testdata"

# Scratch files of the targets go to a folder of this run, removed at the end.
export MARKVANE_FUZZ_TMP
MARKVANE_FUZZ_TMP=$(mktemp -d "${TMPDIR:-/dev/shm}/markvane-fuzz.XXXXXX" 2>/dev/null || mktemp -d)
trap 'rm -rf "$MARKVANE_FUZZ_TMP"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

found=0
summary=()
for t in "${targets[@]}"; do
  dir="$out/$t"
  mkdir -p "$dir/corpus" "$dir/crashes"
  corpora=("$dir/corpus")
  [ -d "$seeds/$t" ] && corpora+=("$seeds/$t")
  extra=()
  case $t in
    lha_archive | lha_update) corpora+=("$testdata/lha") ;;
    lh5_roundtrip) extra+=(-max_len=65536) ;;
    bookmark_import) corpora+=("$root/tests/favorites/bookmarks") ;;
  esac
  echo "== $t: $2 min, findings in $dir/crashes"
  # The working folder is the crash folder: response files the command-line target names
  # are read from there, never from elsewhere.
  (cd "$dir/crashes" && "$build/fuzz/fuzz_$t" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 \
     -ignore_ooms=1 -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
     -artifact_prefix="$dir/crashes/" "${extra[@]}" "${corpora[@]}") >"$dir/log" 2>&1 || true
  execs=$(grep -Eo '^#[0-9]+' "$dir/log" | tail -1 | tr -d '#')
  n=$(find "$dir/crashes" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' -o -name 'slow-unit-*' \) | wc -l)
  [ "$n" -gt 0 ] && found=1
  summary+=("$(printf '%-18s executions %-10s findings %s' "$t" "${execs:-?}" "$n")")
  echo "${summary[-1]}"
done
echo "== summary ($2 min each; inputs and logs under $out)"
printf '%s\n' "${summary[@]}"
exit $found
