#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for the given seconds.
#   fuzz/run.sh [seconds] [target...]     (default 60 seconds, every target)
# A target's working corpus is build-fuzz/corpus/<target>/: the files of fuzz/seeds/<target>/
# are copied in, fuzz/seeds/<target>.sh (when there is one) is run with the corpus folder as
# its argument to write more, and what the fuzzer adds stays for the next run. Inputs that
# crash, leak or time out are kept in build-fuzz/findings/<target>/ and fail the script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
[ $# -gt 0 ] && shift
build=build-fuzz

cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORBIT_FUZZ=ON -DQUORBIT_WERROR=ON
cmake --build "$build" -j "$(nproc)"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < "$build/fuzz/targets.txt"
fi

# The targets that read a path rewrite their file for every input: in memory when the system
# has a tmpfs, in the build folder otherwise; either folder is gone when the script ends.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  TMPDIR=$(mktemp -d /dev/shm/quorbit-fuzz.XXXXXX)
else
  mkdir -p "$build/tmp"
  TMPDIR=$(mktemp -d "$PWD/$build/tmp/run.XXXXXX")
fi
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}print_stacktrace=1"

failed=()
for target in "${targets[@]}"; do
  program="$build/fuzz/${target}_fuzzer"
  [ -x "$program" ] || { echo "no fuzz target $target" >&2; exit 2; }
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  if [ -d "fuzz/seeds/$target" ]; then cp -R "fuzz/seeds/$target/." "$corpus/"; fi
  if [ -x "fuzz/seeds/$target.sh" ]; then "fuzz/seeds/$target.sh" "$corpus"; fi
  echo "== $target: $seconds s"
  if ! "$program" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus"; then
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz findings in: ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
echo "fuzz: no findings in ${targets[*]}"
