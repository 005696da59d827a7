#!/usr/bin/env bash
# Builds the runner, the stand-in engine and the bench's own programs (release, no tests)
# and prints the bench's figures. Extra arguments go to bench.py (--runs N, --only WORD).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null
exec python3 bench/bench.py build/bench "$@"
