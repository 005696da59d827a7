// The validation variable, the import of the script, and the clip it returns.
#pragma once

#include <cstdio>

#include "avs/avs_types.h"
#include "runner/command_line.h"

struct script_clip {
    AVS_Clip* clip;
    const AVS_VideoInfo* info;  // the engine's record, valid while the clip is held
};

// Sets "qel_validation_blank" in the validation modes; succeeds at once in the others.
// On failure the message is out and the environment and library are released.
bool set_validation_variable(AVS_ScriptEnvironment* env, run_mode mode);

// Imports the script and takes its clip; a UTF-8 path goes with the engine's utf8 switch.
// Returns 0 with *out filled, or 1 (the script raised an error) or 3 (its result is no
// clip) after the checkpoint, the message and the releases.
int import_script(AVS_ScriptEnvironment* env, const char* script_path, bool utf8,
                  std::FILE* run_log, script_clip* out);
