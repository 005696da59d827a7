// The clip's pixel format in Y4M terms: bits per component and the colour-space tag.
#pragma once

#include "avs/avs_types.h"

// Bits per component, never less than 1; 8 when the engine cannot say.
int video_bit_depth(const AVS_VideoInfo* info);

// The tag for a subsampling family (420, 422 or 444) and a depth, or null.
const char* y4m_chroma_tag(int family, int depth);

// The clip's tag, or null when Y4M has none for it.
const char* chroma_tag(const AVS_VideoInfo* info);
