#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang in build-fuzz and runs each of them
# for SECONDS seconds (default 60), one after another.
#   scripts/fuzz.sh SECONDS [TARGET...]    e.g. scripts/fuzz.sh 600 fuzz_wav
# Each target keeps its corpus in tests/fuzz/corpus-<target>/ (git-ignored) and starts from
# the audio fixtures. Crash inputs land in build-fuzz/artifacts/. Exits non-zero when a target
# finds a crash, a leak or a time-out, or when the build fails.
set -euo pipefail

seconds=${1:-60}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh: clang++ is missing (apt-get install clang libclang-rt-14-dev)" >&2
    exit 1
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZOLVANE_FUZZ=ON >/dev/null
cmake --build build-fuzz -j "${FUZZ_JOBS:-3}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for exe in build-fuzz/fuzz/fuzz_*; do
        [ -x "$exe" ] && targets+=("$(basename "$exe")")
    done
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "fuzz.sh: no fuzz targets" >&2
    exit 0
fi

mkdir -p build-fuzz/artifacts
seeds=tests/fixtures/audio
failed=()
for target in "${targets[@]}"; do
    exe=build-fuzz/fuzz/$target
    corpus=tests/fuzz/corpus-$target
    mkdir -p "$corpus"
    dirs=("$corpus")
    [ -d "$seeds" ] && dirs+=("$seeds")
    echo "== $target: ${seconds}s"
    if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
            -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$target-" \
            "${dirs[@]}" 2>"build-fuzz/$target.log"; then
        tail -n 40 "build-fuzz/$target.log" >&2
        failed+=("$target")
    else
        grep -E "^stat::number_of_executed_units|^stat::new_units_added|^#[0-9]+.*DONE" \
            "build-fuzz/$target.log" || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: findings in: ${failed[*]} (inputs in build-fuzz/artifacts/)" >&2
    exit 1
fi
echo "fuzz.sh: no findings"
