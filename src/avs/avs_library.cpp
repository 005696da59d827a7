#include "avs/avs_library.h"

#include <cstdlib>

#include "runner/run_log.h"

avs_api* avs_library = nullptr;

namespace {

#define AVS_CALLED(need, name, ret, params) +(need ? 1 : 0)
#define AVS_LISTED(need, name) +(need ? 1 : 0)
constexpr int required_entry_points = 0
#include "avs/avs_entry_points.h"
    ;
#undef AVS_CALLED
#undef AVS_LISTED
static_assert(required_entry_points == 56, "the load requires 56 entry points");

// The one place where the loader's generic symbol becomes a typed slot.
template <typename F>
bool bind_entry(void* module, const char* name, F* slot) {
    *slot = reinterpret_cast<F>(platform_find_symbol(module, name));
    return *slot != nullptr;
}

// Required rows stop the load at the first one missing; optional rows may stay null.
bool bind_entry_points(avs_api* table) {
#define AVS_CALLED(need, name, ret, params) \
    if (!bind_entry(table->module, #name, &table->name) && need) return false;
#define AVS_LISTED(need, name) AVS_CALLED(need, name, , )
#include "avs/avs_entry_points.h"
#undef AVS_CALLED
#undef AVS_LISTED
    return true;
}

bool fail_load(std::FILE* run_log, avs_api* table) {
    log_checkpoint(run_log, "failed: AviSynth.dll");
    std::fputs("failed to load AviSynth.dll. Install 64-bit AviSynth+ and make sure "
               "AviSynth.dll can be found.\n", stderr);
    std::free(table);  // a module already loaded stays: the run ends right after
    avs_library = nullptr;
    return false;
}

}  // namespace

bool load_avisynth(std::FILE* run_log) {
    avs_api* table = static_cast<avs_api*>(std::calloc(1, sizeof(avs_api)));
    if (!table) return fail_load(run_log, table);
    table->module = platform_load_module("avisynth");
    if (!table->module || !bind_entry_points(table)) return fail_load(run_log, table);
    avs_library = table;
    return true;
}

AVS_ScriptEnvironment* open_script_environment(std::FILE* run_log) {
    log_checkpoint_int(run_log, "create: script environment v", AVS_INTERFACE_VERSION);
    AVS_ScriptEnvironment* env = avs_library->avs_create_script_environment(AVS_INTERFACE_VERSION);
    if (!env) {
        log_checkpoint(run_log, "failed: script environment");
        std::fputs("failed to create Avisynth environment\n", stderr);
        unload_avisynth(nullptr);
        return nullptr;
    }
    if (!avs_library->avs_get_frame_props_ro || !avs_library->avs_prop_get_int ||
        !avs_library->avs_prop_get_float ||
        avs_library->avs_check_version(env, AVS_FRAME_PROPS_INTERFACE_VERSION) != 0) {
        log_checkpoint(run_log, "failed: frame property API unavailable");
        std::fputs("loaded AviSynth does not expose the frame property C API required by "
                   "qelkit\n", stderr);
        unload_avisynth(env);
        return nullptr;
    }
    return env;
}

void unload_avisynth(AVS_ScriptEnvironment* env) {
    if (env) avs_library->avs_delete_script_environment(env);
    if (avs_library) {
        avs_free_library(avs_library);
        avs_library = nullptr;
    }
}

void avs_free_library(avs_api* table) {
    if (!table) return;
    platform_free_module(table->module);
    std::free(table);
}
