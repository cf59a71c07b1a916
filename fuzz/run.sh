#!/usr/bin/env bash
# Runs each fuzzer for a bounded time over its committed seed corpus.
#   fuzz/run.sh <build dir> <seconds per target> [target...]
# New inputs go to a scratch folder, so the committed corpus changes only by
# hand. Fails on the first target that finds a crash or a broken property;
# the input that did it is left in <build dir>/findings/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$1" && pwd)"
seconds="$2"
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_numbers fuzz_fine fuzz_trimupper fuzz_dialect)

mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    scratch="$build/corpus/$target"
    mkdir -p "$scratch"
    options=(-max_total_time="$seconds" -max_len=4096 -print_final_stats=1
             -artifact_prefix="$build/findings/$target-")
    [ -f "$here/$target.dict" ] && options+=(-dict="$here/$target.dict")
    echo "== $target: ${seconds}s"
    if ! "$build/$target" "${options[@]}" "$scratch" "$here/corpus/$target" \
            > "$build/$target.log" 2>&1; then
        tail -n 40 "$build/$target.log"
        echo "$target failed: see $build/findings/" >&2
        exit 1
    fi
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' \
        "$build/$target.log" || true
done
