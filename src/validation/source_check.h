// --check-source: does frame 0 carry the expected "qel_source_id"?
#pragma once

#include <cstdint>

#include "avs/avs_types.h"

// Prints its one line and returns 0, 5, 12, 13, 14 or 15.
int check_source_id(AVS_ScriptEnvironment* env, AVS_Clip* clip, const AVS_VideoInfo* info,
                    int64_t expected_source_id);
