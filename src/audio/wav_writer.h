// The clip's audio as a RIFF/WAVE stream on standard output.
#pragma once

#include <cstdint>

#include "avs/avs_types.h"

// Writes the header and every sample; returns 0, or 6 to 10 after the failure's message.
int write_wav(AVS_Clip* clip, const AVS_VideoInfo* info);

void write_le16(uint16_t value);
void write_le32(uint32_t value);
