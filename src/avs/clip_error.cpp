#include "avs/clip_error.h"

#include "avs/avs_library.h"

clip_error_suffix clip_error(AVS_Clip* clip) {
    const char* text = avs_library->avs_clip_get_error(clip);
    if (!text) return {"", ""};
    return {": ", text};
}
