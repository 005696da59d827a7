// Reads one frame property of a held frame: present, absent or failed. Prints nothing.
#pragma once

#include <cstdint>

#include "avs/avs_types.h"

enum prop_read : int { PROP_FAILED = -1, PROP_ABSENT = 0, PROP_PRESENT = 1 };

// Element 0 of an integer property. *value is written only when present.
prop_read read_int_frame_prop(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame,
                              const char* key, int64_t* value);

// Element 0 of a float property. *value is the property when present, else 0.0.
prop_read read_float_frame_prop(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame,
                                const char* key, double* value);
