// Renders every frame of the clip in order, one held at a time, and hands each to the
// work of the run's mode, which the loop does not know.
#pragma once

#include <cstdio>

#include "avs/avs_types.h"

// A mode's work on the frames, as plain functions over its own state; a step may be
// null. Each step returns 0 to go on, or the exit code that ends the run, after its
// message.
struct frame_work {
    const char* progress_label;
    void* state;
    int (*open)(void* state);   // before the first progress line
    int (*begin)(void* state);  // after it, before the first frame
    int (*frame)(void* state, int index, const AVS_VideoFrame* frame);
    int (*finish)(void* state);  // after the last frame
};

struct render_request {
    AVS_Clip* clip;
    int frame_count;
    std::FILE* run_log;  // the frame checkpoints go here; null for none
    frame_work work;
};

// Returns the run's exit code: 0, a step's code, 5 when a frame cannot be fetched, or
// the code of a failed standard output, which is asked after before every fetch.
int render_frames(const render_request& request);
