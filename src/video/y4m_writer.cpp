#include "video/y4m_writer.h"

#include <cstdio>

#include "avs/avs_library.h"
#include "avs/frame_props.h"
#include "runner/exit_codes.h"
#include "runner/standard_output.h"
#include "video/video_format.h"

bool write_y4m_header(const AVS_VideoInfo* info, uint32_t fps_num, uint32_t fps_den) {
    const char* tag = chroma_tag(info);
    if (!tag) {
        std::fprintf(stderr, "unsupported Avisynth pixel format for Y4M output: %d\n",
                     info->pixel_type);
        return false;
    }
    print_stdout("YUV4MPEG2 W%d H%d F%u:%u Ip A0:0 %s\n", info->width, info->height,
                 fps_num, fps_den, tag);
    flush_stdout();
    return true;
}

void write_y4m_frame(const AVS_VideoFrame* frame) {
    write_stdout("FRAME\n", 6);
    write_plane(frame, AVS_PLANAR_Y);
    write_plane(frame, AVS_PLANAR_U);
    write_plane(frame, AVS_PLANAR_V);
}

void write_plane(const AVS_VideoFrame* frame, int plane) {
    const unsigned char* row = avs_library->avs_get_read_ptr_p(frame, plane);
    const int pitch = avs_library->avs_get_pitch_p(frame, plane);
    const int row_size = avs_library->avs_get_row_size_p(frame, plane);
    const int height = avs_library->avs_get_height_p(frame, plane);
    if (row_size <= 0) return;  // a negative size would read far past the frame
    for (int y = 0; y < height; ++y, row += pitch)
        write_stdout(row, static_cast<size_t>(row_size));
}

bool frame_marked_dropped(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame) {
    int64_t drop = 0;
    return read_int_frame_prop(env, frame, "qel_drop_frame", &drop) == PROP_PRESENT && drop != 0;
}

namespace {

int begin_y4m(void* state) {
    const y4m_output* output = static_cast<const y4m_output*>(state);
    return write_y4m_header(output->info, output->fps_num, output->fps_den)
               ? EXIT_CODE_OK
               : EXIT_CODE_NO_Y4M_FORMAT;
}

int write_frame(void* state, int, const AVS_VideoFrame* frame) {
    const y4m_output* output = static_cast<const y4m_output*>(state);
    if (!output->skip_dropped || !frame_marked_dropped(output->env, frame)) write_y4m_frame(frame);
    return EXIT_CODE_OK;
}

}  // namespace

frame_work y4m_frame_work(y4m_output* output) {
    return frame_work{"qel_render", output, nullptr, begin_y4m, write_frame, nullptr};
}
