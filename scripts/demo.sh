#!/usr/bin/env bash
# The program's main job: the example scripts of examples/avisynth/ through every verb,
# on the real engine when there is one, writing a Y4M stream, a stream without the
# dropped frames, a WAV stream, and validation CSVs with their run logs under build/demo/.
#
# The engine: one installed on this machine (libavisynth.so on the loader's path), else
# one built once from the release tarball when its source is at hand (QEL_AVS_TARBALL,
# into the cache of scripts/build_engine.sh), else the tests' stand-in engine, which
# serves examples/standin/demo.clip, a clip description, in place of a script. Installs
# what it needs first, and brings the native build up to date (configured without the
# tests when there is none yet).
set -euo pipefail
cd "$(dirname "$0")/.."
tarball=${QEL_AVS_TARBALL:-../shared/avisynthplus/AviSynthPlus-3.7.5.tar.xz}

./scripts/install_missing.sh cmake:cmake make:make g++:g++
engine_dir=""
if ldconfig -p 2>/dev/null | grep -q 'libavisynth\.so '; then
    engine="the AviSynth+ installed on this machine"
elif [ -f "$tarball" ]; then
    ./scripts/install_missing.sh ninja-build:ninja xz-utils:xz
    engine_dir=$(QEL_AVS_TARBALL="$tarball" ./scripts/build_engine.sh linux)/lib
    engine="AviSynth+ built from $(basename "$tarball")"
else
    engine_dir=$PWD/build/linux/tests/standin/full
    engine=""
fi

[ -f build/linux/CMakeCache.txt ] || cmake --preset linux -DQEL_BUILD_TESTS=OFF >/dev/null
cmake --build build/linux -j"$(nproc)" --target qel_avs_runner standin_full >/dev/null
runner=$PWD/build/linux/qel_avs_runner
out=build/demo
mkdir -p "$out"
[ -z "$engine_dir" ] || export LD_LIBRARY_PATH="$engine_dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

first_line() { head -c 120 "$1" | head -n 1; }

if [ -z "$engine" ]; then
    echo "engine: the tests' stand-in engine (no AviSynth+ here and no source at $tarball);"
    echo "        examples/standin/demo.clip is a clip description, not an AviSynth script"
    clip=$PWD/examples/standin/demo.clip
    cd "$out"
    "$runner" --y4m "$clip" > demo.y4m 2>/dev/null && first_line demo.y4m
    "$runner" --validate "$clip" demo.csv 2>/dev/null && head -n 3 demo.csv
    "$runner" --check-source 42 "$clip"
    "$runner" --wav "$clip" > demo.wav
    echo "wrote $out/demo.y4m, demo.csv, demo.csv.runner.log and demo.wav"
    exit 0
fi

echo "engine: $engine"
cp examples/avisynth/*.avs "$out/"
cd "$out"
set -x
"$runner" --y4m drop_marked.avs > all_frames.y4m 2>/dev/null
"$runner" --y4m-skip-drop 24000 1001 drop_marked.avs > film.y4m 2>/dev/null
"$runner" --validate validate_blank_or_real.avs blank.csv 2>/dev/null
"$runner" --validate-real frame_properties.avs frames.csv 2>/dev/null
"$runner" --check-source 20251210 source_id.avs
"$runner" --wav tone.avs > tone.wav
{ set +x; } 2>/dev/null
echo "all_frames.y4m: $(first_line all_frames.y4m), $(grep -a -o FRAME all_frames.y4m | wc -l) frames"
echo "film.y4m:       $(first_line film.y4m), $(grep -a -o FRAME film.y4m | wc -l) frames"
echo "frames.csv:"; head -n 3 frames.csv
echo "tone.wav:       $(stat -c %s tone.wav) bytes"
echo "wrote them under $out, with blank.csv and the run logs beside the CSVs"
