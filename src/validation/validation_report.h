// The validation modes' products: the clip information line, the CSV of frame
// properties and the completion line.
#pragma once

#include <cstdio>

#include "avs/avs_types.h"

void print_clip_info(const AVS_VideoInfo* info, std::FILE* run_log);

// Opens the CSV and writes its header; null after the message (exit code 11).
std::FILE* open_validation_csv(const char* csv_path, std::FILE* run_log);

// The frame's row. False after the message, with the CSV closed (exit code 12).
bool write_validation_row(AVS_ScriptEnvironment* env, std::FILE* csv, int index,
                          const AVS_VideoFrame* frame);

// Closes the CSV when one is open and prints the completion line.
void finish_validation_report(std::FILE* csv, const AVS_VideoInfo* info, std::FILE* run_log);
