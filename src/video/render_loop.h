// Renders every frame of the clip in order, one held at a time, for the Y4M and
// validation modes.
#pragma once

#include <cstdint>
#include <cstdio>

#include "avs/avs_types.h"
#include "runner/command_line.h"

struct render_request {
    run_mode mode;
    AVS_ScriptEnvironment* env;
    AVS_Clip* clip;
    const AVS_VideoInfo* info;
    uint32_t fps_num;      // the Y4M header's pair
    uint32_t fps_den;
    const char* csv_path;  // validation modes; null when not given
    std::FILE* run_log;
};

// Returns the run's exit code: 0, or 4, 5, 11 or 12 after the failure's message.
int render_frames(const render_request& request);
