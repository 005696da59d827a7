// The bench's reference for the per-frame cost of a validation run: the same engine, the
// same script and the same frames fetched and released, and nothing else.
//
//   bare_render_loop LIBRARY SCRIPT

#include <dlfcn.h>

#include <cstdio>

#include "avs/avs_types.h"

namespace {

template <typename F>
F symbol(void* library, const char* name) {
    return reinterpret_cast<F>(dlsym(library, name));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: bare_render_loop LIBRARY SCRIPT\n", stderr);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 2;
    }
    auto create = symbol<AVS_ScriptEnvironment* (*)(int)>(library, "avs_create_script_environment");
    auto invoke = symbol<AVS_Value (*)(AVS_ScriptEnvironment*, const char*, AVS_Value, const char**)>(
        library, "avs_invoke");
    auto take_clip = symbol<AVS_Clip* (*)(AVS_Value, AVS_ScriptEnvironment*)>(library, "avs_take_clip");
    auto release_value = symbol<void (*)(AVS_Value)>(library, "avs_release_value");
    auto video_info = symbol<const AVS_VideoInfo* (*)(AVS_Clip*)>(library, "avs_get_video_info");
    auto get_frame = symbol<AVS_VideoFrame* (*)(AVS_Clip*, int)>(library, "avs_get_frame");
    auto release_frame = symbol<void (*)(AVS_VideoFrame*)>(library, "avs_release_video_frame");

    AVS_ScriptEnvironment* env = create(AVS_INTERFACE_VERSION);
    AVS_Value path{};
    path.type = AVS_TYPE_STRING;
    path.d.string = argv[2];
    const AVS_Value result = invoke(env, "Import", path, nullptr);
    if (result.type != AVS_TYPE_CLIP) return 1;
    AVS_Clip* clip = take_clip(result, env);
    release_value(result);
    const int frames = video_info(clip)->num_frames;
    for (int i = 0; i < frames; ++i) {
        AVS_VideoFrame* frame = get_frame(clip, i);
        if (!frame) return 5;
        release_frame(frame);
    }
    std::printf("rendered=%d\n", frames);
    return 0;
}
