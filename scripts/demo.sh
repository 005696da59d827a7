#!/usr/bin/env bash
# The program's main job, on a machine without AviSynth+: the stand-in engine of the
# tests serves an example clip description in place of a real script, and the runner
# turns it into a Y4M stream, a validation CSV and a WAV stream.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/linux/qel_avs_runner ] || { cmake --preset linux >/dev/null && cmake --build --preset linux -j"$(nproc)" >/dev/null; }

out=build/demo
mkdir -p "$out"
export LD_LIBRARY_PATH="$PWD/build/linux/tests/standin/full"
echo "NOTE: running on the stand-in engine, not AviSynth+; examples/demo.avs is a clip description."
build/linux/qel_avs_runner --y4m examples/demo.avs > "$out/demo.y4m"
head -c 60 "$out/demo.y4m" | head -n 1
build/linux/qel_avs_runner --validate examples/demo.avs "$out/demo.csv"
head -n 3 "$out/demo.csv"
build/linux/qel_avs_runner --check-source 42 examples/demo.avs
build/linux/qel_avs_runner --wav examples/demo.avs > "$out/demo.wav"
echo "wrote $out/demo.y4m, $out/demo.csv, $out/demo.csv.runner.log and $out/demo.wav"
