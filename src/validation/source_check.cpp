#include "validation/source_check.h"

#include <cstdio>

#include "avs/avs_library.h"
#include "avs/clip_error.h"
#include "avs/frame_props.h"
#include "runner/exit_codes.h"
#include "runner/standard_output.h"

int check_source_id(AVS_ScriptEnvironment* env, AVS_Clip* clip, const AVS_VideoInfo* info,
                    int64_t expected_source_id) {
    if (info->num_frames < 1) {
        std::fputs("script has no video frames\n", stderr);
        return EXIT_CODE_NO_FRAMES;
    }
    AVS_VideoFrame* frame = avs_library->avs_get_frame(clip, 0);
    if (!frame) {
        const clip_error_suffix error = clip_error(clip);
        std::fprintf(stderr, "failed to get frame 0%s%s\n", error.separator, error.text);
        return EXIT_CODE_FRAME_FETCH;
    }
    int64_t found = 0;
    const prop_read result = read_int_frame_prop(env, frame, "qel_source_id", &found);
    avs_library->avs_release_video_frame(frame);  // before any outcome is told

    if (result == PROP_FAILED) {
        std::fputs("failed to read qel_source_id at frame 0\n", stderr);
        return EXIT_CODE_PROPERTY_READ;
    }
    if (result == PROP_ABSENT) {
        std::fputs("frame 0 is missing qel_source_id\n", stderr);
        return EXIT_CODE_NO_SOURCE_ID;
    }
    if (found != expected_source_id) {
        std::fprintf(stderr, "frame 0 has qel_source_id %lld, expected %lld\n",
                     static_cast<long long>(found), static_cast<long long>(expected_source_id));
        return EXIT_CODE_SOURCE_MISMATCH;
    }
    print_stdout("source_id=%lld\n", static_cast<long long>(found));
    flush_stdout();
    return EXIT_CODE_OK;
}
