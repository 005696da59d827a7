#include "video/render_loop.h"

#include "avs/avs_library.h"
#include "avs/clip_error.h"
#include "runner/exit_codes.h"
#include "runner/progress.h"
#include "runner/run_log.h"
#include "runner/standard_output.h"

namespace {

bool frame_checkpoint_due(int index, int frame_count) {
    return index == 0 || index == frame_count - 1 || index % 1000 == 0;
}

int fail_fetch(AVS_Clip* clip, int index) {
    const clip_error_suffix error = clip_error(clip);
    std::fprintf(stderr, "failed to get frame %d%s%s\n", index, error.separator, error.text);
    return EXIT_CODE_FRAME_FETCH;
}

int run_step(int (*step)(void*), void* state) { return step ? step(state) : EXIT_CODE_OK; }

// Every frame in order; the frame is released before anything else happens.
int render_each(const render_request& request, progress_state* progress) {
    const frame_work& work = request.work;
    for (int index = 0; index < request.frame_count;) {
        if (!stdout_intact()) return stdout_failure_exit();  // nothing more can be written
        if (frame_checkpoint_due(index, request.frame_count))
            log_checkpoint_int(request.run_log, "render: frame ", index);
        AVS_VideoFrame* frame = avs_library->avs_get_frame(request.clip, index);
        if (!frame) return fail_fetch(request.clip, index);
        const int code = work.frame ? work.frame(work.state, index, frame) : EXIT_CODE_OK;
        avs_library->avs_release_video_frame(frame);
        if (code != EXIT_CODE_OK) return code;
        ++index;
        update_progress(progress, index, request.frame_count);
    }
    return EXIT_CODE_OK;
}

}  // namespace

int render_frames(const render_request& request) {
    const frame_work& work = request.work;
    int code = run_step(work.open, work.state);
    if (code != EXIT_CODE_OK) return code;
    progress_state progress;
    start_progress(&progress, work.progress_label, request.frame_count);
    code = run_step(work.begin, work.state);
    if (code == EXIT_CODE_OK) code = render_each(request, &progress);
    if (code == EXIT_CODE_OK) code = run_step(work.finish, work.state);
    release_progress(&progress);
    return code;
}
