#include "video/render_loop.h"

#include "avs/avs_library.h"
#include "avs/clip_error.h"
#include "runner/exit_codes.h"
#include "runner/progress.h"
#include "runner/run_log.h"
#include "runner/standard_output.h"
#include "validation/validation_report.h"
#include "video/y4m_writer.h"

namespace {

// What one fetched frame becomes; false when the run must end with 12.
bool frame_action(const render_request& request, std::FILE* csv, int index,
                  const AVS_VideoFrame* frame) {
    switch (request.mode) {
    case MODE_Y4M:
        write_y4m_frame(frame);
        return true;
    case MODE_Y4M_SKIP_DROP:
        if (!frame_marked_dropped(request.env, frame)) write_y4m_frame(frame);
        return true;
    default:
        return !csv || write_validation_row(request.env, csv, index, frame);
    }
}

bool frame_checkpoint_due(int index, int frame_count) {
    return index == 0 || index == frame_count - 1 || index % 1000 == 0;
}

int fail_fetch(AVS_Clip* clip, int index) {
    const clip_error_suffix error = clip_error(clip);
    std::fprintf(stderr, "failed to get frame %d%s%s\n", index, error.separator, error.text);
    return EXIT_CODE_FRAME_FETCH;
}

}  // namespace

int render_frames(const render_request& request) {
    const bool validating = is_validation_mode(request.mode);
    const int frame_count = request.info->num_frames;
    std::FILE* csv = nullptr;
    if (validating) {
        print_clip_info(request.info, request.run_log);
        if (request.csv_path) {
            csv = open_validation_csv(request.csv_path, request.run_log);
            if (!csv) return EXIT_CODE_CSV_OPEN;
        }
    }
    progress_state progress;
    start_progress(&progress, validating ? "qel_progress" : "qel_render", frame_count);
    if (!validating && !write_y4m_header(request.info, request.fps_num, request.fps_den)) {
        release_progress(&progress);
        return EXIT_CODE_NO_Y4M_FORMAT;
    }

    for (int index = 0; index < frame_count;) {
        if (stdout_reader_gone()) {  // nothing more can reach the reader: fetch no more
            release_progress(&progress);
            return EXIT_CODE_READER_GONE;
        }
        if (validating && frame_checkpoint_due(index, frame_count))
            log_checkpoint_int(request.run_log, "render: frame ", index);
        AVS_VideoFrame* frame = avs_library->avs_get_frame(request.clip, index);
        if (!frame) return fail_fetch(request.clip, index);  // the open CSV stays as it is
        if (!frame_action(request, csv, index, frame)) {
            release_progress(&progress);
            avs_library->avs_release_video_frame(frame);
            return EXIT_CODE_PROPERTY_READ;
        }
        avs_library->avs_release_video_frame(frame);
        ++index;
        update_progress(&progress, index, frame_count);
    }

    if (validating) finish_validation_report(csv, request.info, request.run_log);
    release_progress(&progress);
    return EXIT_CODE_OK;
}
