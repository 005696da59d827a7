#include "video/video_format.h"

#include "avs/avs_library.h"

namespace {

struct family_tags {
    int family;
    const char* tags[5];  // depth 8 or less, then 10, 12, 14, 16
};

constexpr family_tags tag_table[] = {
    {420, {"C420jpeg", "C420p10", "C420p12", "C420p14", "C420p16"}},
    {422, {"C422", "C422p10", "C422p12", "C422p14", "C422p16"}},
    {444, {"C444", "C444p10", "C444p12", "C444p14", "C444p16"}},
};

using format_query = int (*)(const AVS_VideoInfo*);

bool answers_true(format_query query, const AVS_VideoInfo* info) {
    return query && query(info) != 0;
}

}  // namespace

int video_bit_depth(const AVS_VideoInfo* info) {
    if (avs_library->avs_bits_per_component) {
        const int bits = avs_library->avs_bits_per_component(info);
        if (bits > 0) return bits;
    }
    return 8;
}

const char* y4m_chroma_tag(int family, int depth) {
    int column;
    if (depth <= 8)
        column = 0;
    else if (depth >= 10 && depth <= 16 && depth % 2 == 0)
        column = (depth - 8) / 2;
    else
        return nullptr;
    for (const family_tags& row : tag_table)
        if (row.family == family) return row.tags[column];
    return nullptr;
}

const char* chroma_tag(const AVS_VideoInfo* info) {
    const int depth = video_bit_depth(info);
    // Once a newer query claims the clip, its family decides, tag or none.
    if (answers_true(avs_library->avs_is_420, info)) return y4m_chroma_tag(420, depth);
    if (answers_true(avs_library->avs_is_422, info)) return y4m_chroma_tag(422, depth);
    if (answers_true(avs_library->avs_is_444, info)) return y4m_chroma_tag(444, depth);
    // Engines without the newer queries know only the 8-bit planar formats.
    if (avs_library->avs_is_yv12(info)) return "C420jpeg";
    if (avs_library->avs_is_yv16(info)) return "C422";
    if (avs_library->avs_is_yv24(info)) return "C444";
    return nullptr;
}
