// The clip's error text after a failed fetch, as a failure message appends it.
#pragma once

#include "avs/avs_types.h"

// ": " and the engine's text, or two empty strings when the engine has none.
struct clip_error_suffix {
    const char* separator;
    const char* text;
};

clip_error_suffix clip_error(AVS_Clip* clip);
