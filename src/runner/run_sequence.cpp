#include "runner/run_sequence.h"

#include "audio/wav_writer.h"
#include "platform/platform.h"
#include "runner/exit_codes.h"
#include "runner/run_log.h"
#include "runner/standard_output.h"
#include "validation/source_check.h"
#include "validation/validation_report.h"
#include "video/render_loop.h"
#include "video/y4m_writer.h"

namespace {

// The frames' work is chosen once, here: the render loop does not know the mode.
int render_mode_frames(const run_params& params, AVS_ScriptEnvironment* env,
                       const script_clip& clip, uint32_t fps_num, uint32_t fps_den,
                       std::FILE* run_log) {
    const int frame_count = clip.info->num_frames;
    if (is_validation_mode(params.mode)) {
        validation_output report{env,     clip.info, params.csv_path, params.csv_path_utf8,
                                 run_log, nullptr};
        return render_frames({clip.clip, frame_count, run_log, validation_frame_work(&report)});
    }
    y4m_output stream{env, clip.info, fps_num, fps_den, params.mode == MODE_Y4M_SKIP_DROP};
    return render_frames({clip.clip, frame_count, nullptr, y4m_frame_work(&stream)});
}

}  // namespace

int run_mode_operation(const run_params& params, AVS_ScriptEnvironment* env,
                       const script_clip& clip, uint32_t fps_num, uint32_t fps_den,
                       std::FILE* run_log) {
    switch (params.mode) {
    case MODE_CHECK_SOURCE:
        return check_source_id(env, clip.clip, clip.info, params.expected_source_id);
    case MODE_WAV:
        return write_wav(clip.clip, clip.info);
    default:
        return render_mode_frames(params, env, clip, fps_num, fps_den, run_log);
    }
}

void end_run(int code, std::FILE* run_log) {
    flush_stdout();
    // A product whose last bytes could not be written is no success; a failure told
    // before keeps its code and its message.
    if (code == EXIT_CODE_OK && !stdout_intact()) code = stdout_failure_exit();
    std::fflush(stderr);
    if (run_log) {
        log_checkpoint_int(run_log, "exit: ", code);
        close_run_log(run_log);
    }
    platform_exit_now(code);
}
