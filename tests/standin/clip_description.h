// The stand-in's script format: a clip description, one directive per line.
//
//   result clip|error|int|float|string|bool|void   what Import returns (default clip)
//   text <rest of line>          the error or string text; \n \r \t \\ are escapes
//   video W H FPS_NUM FPS_DEN FRAMES
//   pixel_type N
//   format 420|422|444|none BITS  what avs_is_420/422/444 and avs_bits_per_component say
//   legacy yv12|yv16|yv24|none   what avs_is_yv12/16/24 say
//   plane Y|U|V ROW_SIZE HEIGHT PITCH
//   fetch_fail FRAME [text <rest>]   no text: the clip's error is null
//   prop FRAME|* KEY int V... | float V... | data
//   props_map FRAME|* none|error
//   audio RATE SAMPLE_TYPE CHANNELS COUNT
//   audio_fail SAMPLE [text <rest>]  the request covering SAMPLE fails
//   delay FRAME|* MILLISECONDS       sleep in avs_get_frame
//   prepared                     serve every frame from one frame made once (frame 0's
//                                bytes) and every audio request from one chunk (the
//                                bytes of the first), so the engine costs nearly nothing
//   # comment
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "avs/avs_types.h"

struct optional_text {
    bool present = false;
    std::string text;
};

struct plane_geometry {
    int row_size = 0;
    int height = 0;
    int pitch = 0;
};

struct prop_entry {
    int frame;  // -1: every frame
    std::string key;
    char kind;  // 'i' integers, 'f' floats, 'd' data (neither read accepts it)
    std::vector<int64_t> ints;
    std::vector<double> floats;
};

struct clip_description {
    char result = 'c';
    std::string text;
    AVS_VideoInfo info{};
    int family = 420;
    int bits = 8;
    std::string legacy = "yv12";
    bool planes_set[3] = {false, false, false};
    plane_geometry planes[3];
    std::map<int, optional_text> fetch_failures;
    std::vector<prop_entry> props;
    std::map<int, std::string> map_states;  // frame (-1 all) -> "none" | "error"
    bool audio_fail_set = false;
    int64_t audio_fail_sample = 0;
    optional_text audio_fail_text;
    std::map<int, int> delays_ms;  // frame (-1 all) -> milliseconds
    bool prepared = false;
};

// Parses the file, its name UTF-8 when utf8 (Import's switch); false with a reason in
// *error when it cannot be read or understood.
bool load_clip_description(const char* path, bool utf8, clip_description* out,
                           std::string* error);

// The plane's geometry: the description's override, or one derived from the format.
plane_geometry plane_of(const clip_description& clip, int plane_index);

// The byte at a pixel position, also what the tests compute.
inline unsigned char pixel_byte(int frame, int plane_index, int row, int column) {
    return static_cast<unsigned char>(frame * 11 + plane_index * 67 + row * 5 + column);
}

// The byte at an offset of the interleaved audio data, also what the tests compute.
inline unsigned char sample_byte(int64_t offset) {
    return static_cast<unsigned char>(offset + (offset >> 8));
}
