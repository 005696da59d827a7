// qel_avs_runner: runs one AviSynth+ script and turns its clip into the verb's product.

#include <cstdio>

#include "avs/avs_library.h"
#include "avs/script_import.h"
#include "platform/platform.h"
#include "runner/exit_codes.h"
#include "runner/run_log.h"
#include "runner/run_sequence.h"
#include "runner/standard_output.h"

namespace {

// Every failure before the clip exists has released what it held; only the log is left.
int end_setup(std::FILE* run_log, int code) {
    close_run_log(run_log);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    platform_guard_standard_streams();
    // Messages must leave at once, in order with the engine's own doings. Windows' C
    // runtime gives a standard error that is a pipe a full buffer of its own otherwise.
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    const platform_arguments args = platform_command_line(argc, argv);
    run_params params;
    if (!parse_command_line(args.count, args.values, args.utf8, &params) ||
        !prepare_stdout(params.mode))
        return EXIT_CODE_SETUP;

    std::FILE* run_log =
        is_validation_mode(params.mode) && params.csv_path
            ? open_run_log(params.csv_path, params.csv_path_utf8, params.script_path)
            : nullptr;
    if (!load_avisynth(run_log)) return end_setup(run_log, EXIT_CODE_SETUP);
    log_loaded_dll_path(run_log, "AviSynth.dll");
    AVS_ScriptEnvironment* env = open_script_environment(run_log);
    if (!env) return end_setup(run_log, EXIT_CODE_SETUP);
    if (!set_validation_variable(env, params.mode)) return end_setup(run_log, EXIT_CODE_SETUP);

    script_clip clip;
    const int import_code =
        import_script(env, params.script_path, params.script_path_utf8, run_log, &clip);
    if (import_code != EXIT_CODE_OK) return end_setup(run_log, import_code);

    // From here on nothing returns: the engine keeps the clip until the process ends.
    const uint32_t fps_num = params.fps_num ? params.fps_num : clip.info->fps_numerator;
    const uint32_t fps_den = params.fps_den ? params.fps_den : clip.info->fps_denominator;
    end_run(run_mode_operation(params, env, clip, fps_num, fps_den, run_log), run_log);
}
