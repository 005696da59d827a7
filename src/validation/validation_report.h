// The validation modes' products: the clip information line, the CSV of frame
// properties and the completion line.
#pragma once

#include <cstdio>

#include "avs/avs_types.h"
#include "video/render_loop.h"

struct validation_output {
    AVS_ScriptEnvironment* env;
    const AVS_VideoInfo* info;
    const char* csv_path;  // null when none was given
    bool csv_utf8;         // the path is UTF-8, not the system's code page
    std::FILE* run_log;
    std::FILE* csv;        // open from its header on; null before or without one
};

// The validation modes' work on the frames: the clip information line and the CSV
// before the first, a row per frame, the completion line after the last.
frame_work validation_frame_work(validation_output* output);
