// The YUV4MPEG2 stream on standard output.
#pragma once

#include <cstdint>

#include "avs/avs_types.h"

// Writes and flushes the header; false after the unsupported-format message, with
// nothing written to standard output.
bool write_y4m_header(const AVS_VideoInfo* info, uint32_t fps_num, uint32_t fps_den);

// "FRAME\n", then the planes Y, U and V.
void write_y4m_frame(const AVS_VideoFrame* frame);

// The plane's rows, straight from the engine's memory, without the pitch's padding.
void write_plane(const AVS_VideoFrame* frame, int plane);

// True when the frame's "qel_drop_frame" is present and non-zero.
bool frame_marked_dropped(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame);
