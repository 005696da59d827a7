#include "avs/script_import.h"

#include "avs/avs_library.h"
#include "runner/exit_codes.h"
#include "runner/run_log.h"

bool set_validation_variable(AVS_ScriptEnvironment* env, run_mode mode) {
    if (!is_validation_mode(mode)) return true;
    AVS_Value blank{};
    blank.type = AVS_TYPE_BOOL;
    blank.d.boolean = mode == MODE_VALIDATE ? 1 : 0;
    if (avs_library->avs_set_var(env, "qel_validation_blank", blank) != 0) return true;
    std::fputs("failed to set validation source mode\n", stderr);
    unload_avisynth(env);
    return false;
}

namespace {

int reject_result(AVS_ScriptEnvironment* env, AVS_Value result, std::FILE* run_log) {
    int code;
    if (result.type == AVS_TYPE_ERROR) {
        log_checkpoint(run_log, "failed: import");
        // Printed before the value that holds the text is released.
        std::fprintf(stderr, "%s\n", result.d.string ? result.d.string : "");
        code = EXIT_CODE_IMPORT_ERROR;
    } else {
        log_checkpoint(run_log, "failed: script did not return clip");
        std::fputs("script did not return a clip\n", stderr);
        code = EXIT_CODE_NOT_A_CLIP;
    }
    avs_library->avs_release_value(result);
    unload_avisynth(env);
    return code;
}

// Import(path), or Import(path, utf8=true) for a path in UTF-8: without the switch the
// engine reads a path in the system's code page.
AVS_Value invoke_import(AVS_ScriptEnvironment* env, const char* script_path, bool utf8) {
    AVS_Value args[2] = {};
    args[0].type = AVS_TYPE_STRING;
    args[0].d.string = script_path;
    if (!utf8) return avs_library->avs_invoke(env, "Import", args[0], nullptr);
    args[1].type = AVS_TYPE_BOOL;
    args[1].d.boolean = 1;
    AVS_Value both{};
    both.type = AVS_TYPE_ARRAY;
    both.array_size = 2;
    both.d.array = args;
    const char* names[2] = {nullptr, "utf8"};
    return avs_library->avs_invoke(env, "Import", both, names);
}

}  // namespace

int import_script(AVS_ScriptEnvironment* env, const char* script_path, bool utf8,
                  std::FILE* run_log, script_clip* out) {
    log_checkpoint(run_log, "import: script");
    const AVS_Value result = invoke_import(env, script_path, utf8);
    if (result.type != AVS_TYPE_CLIP) return reject_result(env, result, run_log);

    log_checkpoint(run_log, "take: clip");
    out->clip = avs_library->avs_take_clip(result, env);
    avs_library->avs_release_value(result);  // the clip handle holds its own reference
    log_checkpoint(run_log, "get: video info");
    out->info = avs_library->avs_get_video_info(out->clip);
    log_checkpoint_int(run_log, "info: frames ", out->info->num_frames);
    return EXIT_CODE_OK;
}
