#!/usr/bin/env bash
# Builds with optimisation and prints the benchmark figures (median of five runs).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
for bench in "$ROOT"/build-bench/bench/*_bench; do
    "$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
