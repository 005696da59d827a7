#!/usr/bin/env bash
# The program's main job, on a machine without AviSynth+: the stand-in engine of the
# tests serves an example clip description in place of a real script, and the runner
# turns it into a Y4M stream, a validation CSV with its run log, and a WAV stream.
# Brings the native build up to date first (configuring it without the tests when there
# is none yet), the stand-in included, whatever the build's options.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/linux/CMakeCache.txt ] || cmake --preset linux -DQEL_BUILD_TESTS=OFF >/dev/null
cmake --build build/linux -j"$(nproc)" --target qel_avs_runner standin_full >/dev/null

runner=build/linux/qel_avs_runner
clip=examples/standin/demo.clip
out=build/demo
mkdir -p "$out"
export LD_LIBRARY_PATH="$PWD/build/linux/tests/standin/full"
echo "NOTE: running on the stand-in engine, not AviSynth+; $clip is a clip description."
"$runner" --y4m "$clip" > "$out/demo.y4m"
head -c 60 "$out/demo.y4m" | head -n 1
"$runner" --validate "$clip" "$out/demo.csv"
head -n 3 "$out/demo.csv"
"$runner" --check-source 42 "$clip"
"$runner" --wav "$clip" > "$out/demo.wav"
echo "wrote $out/demo.y4m, $out/demo.csv, $out/demo.csv.runner.log and $out/demo.wav"
