#include "runner/run_sequence.h"

#include "audio/wav_writer.h"
#include "platform/platform.h"
#include "runner/exit_codes.h"
#include "runner/run_log.h"
#include "runner/standard_output.h"
#include "validation/source_check.h"
#include "video/render_loop.h"

int run_mode_operation(const run_params& params, AVS_ScriptEnvironment* env,
                       const script_clip& clip, uint32_t fps_num, uint32_t fps_den,
                       std::FILE* run_log) {
    switch (params.mode) {
    case MODE_CHECK_SOURCE:
        return check_source_id(env, clip.clip, clip.info, params.expected_source_id);
    case MODE_WAV:
        return write_wav(clip.clip, clip.info);
    default: {
        const render_request request{params.mode, env,     clip.clip,       clip.info,
                                     fps_num,     fps_den, params.csv_path, run_log};
        return render_frames(request);
    }
    }
}

void end_run(int code, std::FILE* run_log) {
    flush_stdout();
    // A stream whose last bytes could not reach its reader is no success; a failure told
    // before keeps its code.
    if (code == EXIT_CODE_OK && stdout_reader_gone()) code = EXIT_CODE_READER_GONE;
    std::fflush(stderr);
    if (run_log) {
        log_checkpoint_int(run_log, "exit: ", code);
        close_run_log(run_log);
    }
    platform_exit_now(code);
}
