#!/usr/bin/env bash
# Builds the runner, the stand-in engine and the bench's own programs (release, no tests)
# and prints the bench's figures; with the engine's release tarball at hand
# (QEL_AVS_TARBALL), also the figure on the real engine, built once into the cache of
# scripts/build_engine.sh. Extra arguments go to bench.py (--runs N, --only WORD).
set -euo pipefail
cd "$(dirname "$0")/.."
tarball=${QEL_AVS_TARBALL:-../shared/avisynthplus/AviSynthPlus-3.7.5.tar.xz}
engine=()
if [ -f "$tarball" ]; then
    engine=(--engine "$(QEL_AVS_TARBALL="$tarball" ./scripts/build_engine.sh linux)/lib")
fi
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null
exec python3 bench/bench.py build/bench "${engine[@]}" "$@"
