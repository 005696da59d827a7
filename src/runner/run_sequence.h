// The part of a run that starts once the clip is held: dispatch and the common ending.
#pragma once

#include <cstdio>

#include "avs/script_import.h"
#include "runner/command_line.h"

// Hands the clip to the mode's operation and returns its exit code.
int run_mode_operation(const run_params& params, AVS_ScriptEnvironment* env,
                       const script_clip& clip, uint32_t fps_num, uint32_t fps_den,
                       std::FILE* run_log);

// Flushes the streams, closes the run log with "exit: <code>" and ends the process at
// once; a success whose standard output failed ends with that failure's code (141 or
// 16). The clip, the
// environment and the library are left to die with the process: the engine's own
// teardown is slow and fragile.
[[noreturn]] void end_run(int code, std::FILE* run_log);
