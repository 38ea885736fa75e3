#!/usr/bin/env bash
# Runs the fuzzers for a number of seconds each (the UI fuzzer beside the other two):
#   scripts/run-fuzz.sh <settings fuzzer build dir> [seconds] [UI fuzzer build dir]
# The settings-file fuzzer (libFuzzer) keeps new inputs in <build dir>/fuzz-corpus and only
# reads the seeds in fuzz/corpus; a finding is saved in <build dir>/fuzz-findings (copy it into
# fuzz/corpus so `make test` replays it). The UI fuzzer (plotwright-uifuzz) runs new seeds in
# <UI build dir>/uifuzz-output and prints a finding's seed and actions; its log is uifuzz.log
# there; a journal finding is saved as <build dir>/fuzz-findings/journal-* (copy it into
# fuzz/journal_corpus). Exits non-zero when any fuzzer found something.
set -euo pipefail

if [[ $# -lt 1 ]]; then
    echo "usage: $0 <build dir> [seconds] [UI fuzzer build dir]" >&2
    exit 2
fi
build_dir=$1
seconds=${2:-60}
ui_build_dir=${3:-}
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fuzzer="$build_dir/fuzz/config_fuzzer"

if [[ ! -x "$fuzzer" ]]; then
    echo "no fuzzer at $fuzzer: build it with 'cmake --preset fuzz && cmake --build --preset fuzz'" >&2
    exit 1
fi

ui_pid=
if [[ -n "$ui_build_dir" ]]; then
    ui_fuzzer="$ui_build_dir/tools/plotwright-uifuzz/plotwright-uifuzz"
    if [[ ! -x "$ui_fuzzer" ]]; then
        echo "no UI fuzzer at $ui_fuzzer: build it with 'cmake --build --preset dev --target plotwright-uifuzz'" >&2
        exit 1
    fi
    ui_out="$ui_build_dir/uifuzz-output"
    mkdir -p "$ui_out"
    echo "UI fuzzer: $seconds s, log in $ui_out/uifuzz.log"
    "$ui_fuzzer" --seconds "$seconds" --out "$ui_out" >"$ui_out/uifuzz.log" 2>&1 &
    ui_pid=$!
fi

corpus="$build_dir/fuzz-corpus"
findings="$build_dir/fuzz-findings"
mkdir -p "$corpus" "$findings"

# Settings files are small; 16 KiB leaves room for a full entry table and then some.
settings_status=0
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
    "$fuzzer" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" "$source_dir/fuzz/corpus" || settings_status=$?

# The journal reader, after the settings file (a journal batch is at most 128 KiB; the reader's
# limits show in much less).
journal_status=0
journal_corpus="$build_dir/journal-fuzz-corpus"
mkdir -p "$journal_corpus"
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
    "$build_dir/fuzz/journal_fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
    -artifact_prefix="$findings/journal-" -print_final_stats=1 \
    "$journal_corpus" "$source_dir/fuzz/journal_corpus" || journal_status=$?

ui_status=0
if [[ -n "$ui_pid" ]]; then
    wait "$ui_pid" || ui_status=$?
    if [[ $ui_status -eq 0 ]]; then
        tail -n 1 "$ui_out/uifuzz.log"
    else
        cat "$ui_out/uifuzz.log"
    fi
fi
if [[ $settings_status -ne 0 || $journal_status -ne 0 || $ui_status -ne 0 ]]; then
    echo "run-fuzz: settings fuzzer status $settings_status, journal fuzzer status" \
         "$journal_status, UI fuzzer status $ui_status" >&2
    exit 1
fi
