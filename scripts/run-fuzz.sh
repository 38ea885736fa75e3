#!/usr/bin/env bash
# Runs the settings-file fuzzer for a number of seconds: scripts/run-fuzz.sh <build dir> <seconds>
# New inputs go to <build dir>/fuzz-corpus; the seeds in fuzz/corpus are only read. A finding
# is saved in <build dir>/fuzz-findings; copy it into fuzz/corpus so `make test` replays it.
set -euo pipefail

if [[ $# -lt 1 ]]; then
    echo "usage: $0 <build dir> [seconds]" >&2
    exit 2
fi
build_dir=$1
seconds=${2:-60}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzzer="$build_dir/fuzz/config_fuzzer"

if [[ ! -x "$fuzzer" ]]; then
    echo "no fuzzer at $fuzzer: build it with 'cmake --preset fuzz && cmake --build --preset fuzz'" >&2
    exit 1
fi

corpus="$build_dir/fuzz-corpus"
findings="$build_dir/fuzz-findings"
mkdir -p "$corpus" "$findings"

# Settings files are small; 16 KiB leaves room for a full entry table and then some.
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
    "$fuzzer" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" "$source_dir/fuzz/corpus"
