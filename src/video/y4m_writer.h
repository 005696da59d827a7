// The YUV4MPEG2 stream on standard output.
#pragma once

#include <cstdint>

#include "avs/avs_types.h"
#include "video/render_loop.h"

// The Y4M modes' work on the frames: the header, then each frame not left out.
struct y4m_output {
    AVS_ScriptEnvironment* env;
    const AVS_VideoInfo* info;
    uint32_t fps_num;  // the header's pair
    uint32_t fps_den;
    bool skip_dropped;  // --y4m-skip-drop: frames marked dropped are left out
};

frame_work y4m_frame_work(y4m_output* output);

// Writes and flushes the header; false after the unsupported-format message, with
// nothing written to standard output.
bool write_y4m_header(const AVS_VideoInfo* info, uint32_t fps_num, uint32_t fps_den);

// "FRAME\n", then the planes Y, U and V.
void write_y4m_frame(const AVS_VideoFrame* frame);

// The plane's rows, straight from the engine's memory, without the pitch's padding.
void write_plane(const AVS_VideoFrame* frame, int plane);

// True when the frame's "qel_drop_frame" is present and non-zero.
bool frame_marked_dropped(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame);
