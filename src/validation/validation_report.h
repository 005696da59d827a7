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

void print_clip_info(const AVS_VideoInfo* info, std::FILE* run_log);

// Opens the CSV and writes its header: 0, 11 when it cannot be opened, 16 when the
// header cannot be written, each failure after its message.
int open_validation_csv(validation_output* output);

// The frame's row: 0; 12 after the message, with the CSV closed, when a property cannot
// be read; 16 after the message when the row cannot be written.
int write_validation_row(validation_output* output, int index, const AVS_VideoFrame* frame);

// Closes the CSV when one is open and prints the completion line: 0, or 16 after the
// message when the CSV's last rows cannot be written, and then no completion line.
int finish_validation_report(validation_output* output);
