#!/usr/bin/env bash
# Shows that the declarations check catches a wrong declaration: for each row, a copy of
# the runner's declarations with one deliberate fault (the runner's own asserts taken
# out, so that only the comparison with the engine's header can see it) must fail to
# compile with that row's message.
#   wrong_declaration_fails.sh CXX ENGINE_INCLUDE_DIR SOURCE_DIR CHECK_SOURCE
set -euo pipefail
cxx=$1 engine_include=$2 source_dir=$3 check=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

rows=(
    # file | sed expression | message the compiler must print
    'avs_types.h|s/^    int32_t num_frames;$/    int32_t swapped;/; s/^    int32_t pixel_type;$/    int32_t num_frames;/; s/^    int32_t swapped;$/    int32_t pixel_type;/|offset of AVS_VideoInfo::num_frames'
    'avs_types.h|s/^    int64_t num_audio_samples;$/    int32_t num_audio_samples;/|offset of AVS_VideoInfo::nchannels'
    'avs_types.h|s/AVS_SAMPLE_INT24 = 4/AVS_SAMPLE_INT24 = 3/|AVS_SAMPLE_INT24 is the engine'
    'avs_entry_points.h|s/avs_get_frame, AVS_VideoFrame\*, (AVS_Clip\*, int)/avs_get_frame, AVS_VideoFrame*, (AVS_Clip*, int64_t)/|type of avs_get_frame'
)
failures=0
for row in "${rows[@]}"; do
    IFS='|' read -r file expression message <<<"$row"
    rm -rf "$scratch/avs" && mkdir -p "$scratch/avs"
    cp "$source_dir"/avs/avs_types.h "$source_dir"/avs/avs_entry_points.h "$scratch/avs/"
    sed -i -e "$expression" "$scratch/avs/$file"
    if cmp -s "$source_dir/avs/$file" "$scratch/avs/$file"; then
        echo "FAIL: the fault '$expression' changed nothing"; failures=$((failures + 1)); continue
    fi
    sed -i -e '/^static_assert/d' "$scratch/avs/avs_types.h"
    if output=$("$cxx" -std=c++17 -fsyntax-only -isystem "$engine_include" -I"$scratch" \
                 -I"$source_dir" "$check" 2>&1); then
        echo "FAIL: compiled despite '$expression'"; failures=$((failures + 1))
    elif ! grep -qF "$message" <<<"$output"; then
        echo "FAIL: '$expression' failed without '$message':"; echo "$output" | head -n 5
        failures=$((failures + 1))
    else
        echo "ok: $(grep -m1 -F "$message" <<<"$output" | sed 's/.*error: //')"
    fi
done
exit $failures
