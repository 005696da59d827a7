// The stand-in engine: the entry points of the engine's C API that the runner uses,
// serving the clip that a test's description file asks for, with a call trace.
// Built several times with STANDIN_WITHOUT_* definitions, each variant lacking exports.

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "clip_description.h"
#include "trace.h"

#define EXPORT extern "C" STANDIN_EXPORT

struct AVS_ScriptEnvironment {
    int version;
};

struct AVS_VideoFrame;

struct AVS_Clip {
    clip_description description;
    bool value_released = false;  // the 'c' value that Import returned
    bool has_error = false;
    std::string error;
    // With "prepared": the one frame every fetch hands out, and the audio buffer that
    // already holds the prepared chunk, with the bytes it holds.
    AVS_VideoFrame* prepared_frame = nullptr;
    const void* filled_audio = nullptr;
    int64_t filled_audio_bytes = 0;
};

struct AVS_Map {
    int frame;
    bool error_state;
};

struct AVS_VideoFrame {
    int index;
    unsigned char* planes[3];
    plane_geometry geometry[3];
    AVS_Map map;
};

namespace {

AVS_ScriptEnvironment environment;
AVS_Clip* imported_clip = nullptr;
int frames_held = 0;

AVS_Value value_of(char type) {
    AVS_Value value{};
    value.type = type;
    return value;
}

// A text value keeps its own copy; its release overwrites the copy before freeing it, so
// a runner that reads the text after releasing the value prints the overwritten bytes,
// or meets a use after free under AddressSanitizer.
AVS_Value text_value(char type, const std::string& text) {
    AVS_Value value = value_of(type);
    value.d.string = strdup(text.c_str());
    return value;
}

AVS_Value import_result(const char* path, bool utf8) {
    clip_description description;
    std::string error;
    if (!load_clip_description(path, utf8, &description, &error)) return text_value('e', error);
    switch (description.result) {
    case 'c': {
        imported_clip = new AVS_Clip();
        imported_clip->description = description;
        AVS_Value value = value_of('c');
        value.d.clip = imported_clip;
        return value;
    }
    case 'e': return text_value('e', description.text);
    case 's': return text_value('s', description.text);
    case 'i': { AVS_Value v = value_of('i'); v.d.integer = 42; return v; }
    case 'f': { AVS_Value v = value_of('f'); v.d.floating_pt = 1.5f; return v; }
    case 'b': { AVS_Value v = value_of('b'); v.d.boolean = 1; return v; }
    default: return value_of('v');
    }
}

int plane_index(int plane) {
    switch (plane) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    default: trace("bad_plane %d", plane); return -1;
    }
}

template <typename T>
const T* frame_rule(const std::map<int, T>& rules, int frame) {
    auto found = rules.find(frame);
    if (found == rules.end()) found = rules.find(-1);
    return found == rules.end() ? nullptr : &found->second;
}

#if !defined(STANDIN_WITHOUT_OPTIONAL)
const prop_entry* find_prop(const AVS_Map* map, const char* key) {
    const prop_entry* everywhere = nullptr;
    for (const prop_entry& entry : imported_clip->description.props) {
        if (entry.key != key) continue;
        if (entry.frame == map->frame) return &entry;
        if (entry.frame == -1) everywhere = &entry;
    }
    return everywhere;
}

// Like the engine, but the error code is left alone on success, so a caller that does
// not clear it first sees the value it left there.
const prop_entry* prop_lookup(const AVS_Map* map, const char* key, char kind, int index,
                              int* error) {
    if (map->error_state) return *error = AVS_PROPERROR_ERROR, nullptr;
    const prop_entry* entry = find_prop(map, key);
    if (!entry) return *error = AVS_PROPERROR_UNSET, nullptr;
    if (entry->kind != kind) return *error = AVS_PROPERROR_TYPE, nullptr;
    const size_t count = kind == 'i' ? entry->ints.size() : entry->floats.size();
    if (index < 0 || static_cast<size_t>(index) >= count) return *error = AVS_PROPERROR_INDEX, nullptr;
    return entry;
}
#endif

bool is_own_info(const AVS_VideoInfo* info) {
    const bool own = imported_clip && info == &imported_clip->description.info;
    if (!own) trace("foreign_video_info");
    return own;
}

}  // namespace

EXPORT AVS_ScriptEnvironment* avs_create_script_environment(int version) {
    trace("create_env %d", version);
    if (fault_enabled("QEL_STANDIN_NO_ENV")) return nullptr;
    environment.version = version;
    return &environment;
}

EXPORT void avs_delete_script_environment(AVS_ScriptEnvironment*) { trace("delete_env"); }

// The interface version the environment supports: QEL_STANDIN_ENV_VERSION, else that of
// a current engine release.
EXPORT int avs_check_version(AVS_ScriptEnvironment*, int version) {
    trace("check_version %d", version);
    const char* supported = std::getenv("QEL_STANDIN_ENV_VERSION");
    return version <= (supported ? std::atoi(supported) : 11) ? 0 : -1;
}

EXPORT int avs_set_var(AVS_ScriptEnvironment*, const char* name, AVS_Value value) {
    if (value.type == 'b')
        trace("set_var %s b %d", name, value.d.boolean);
    else
        trace("set_var %s %c", name, value.type);
    return fault_enabled("QEL_STANDIN_SET_VAR_FAIL") ? 0 : 1;
}

// Import(path), or Import(path, utf8=true) as an array of the two with the names
// {null, "utf8"}; anything else is a misuse.
EXPORT AVS_Value avs_invoke(AVS_ScriptEnvironment*, const char* name, AVS_Value args,
                            const char** arg_names) {
    const bool one_path = args.type == 's' && args.array_size == 0 && !arg_names;
    const bool with_switch = args.type == 'a' && args.array_size == 2 && arg_names &&
                             args.d.array[0].type == 's' && args.d.array[0].array_size == 0 &&
                             !arg_names[0] && args.d.array[1].type == 'b' && arg_names[1] &&
                             std::strcmp(arg_names[1], "utf8") == 0;
    if (std::strcmp(name, "Import") != 0 || (!one_path && !with_switch)) {
        trace("bad_invoke %s", name);
        return text_value('e', "stand-in: Import takes one path, and the utf8 switch");
    }
    if (one_path) {
        trace("invoke Import %s", args.d.string);
        return import_result(args.d.string, false);
    }
    const AVS_Value& path = args.d.array[0];
    const bool utf8 = args.d.array[1].d.boolean != 0;
    trace("invoke Import %s utf8=%s", path.d.string, utf8 ? "true" : "false");
    return import_result(path.d.string, utf8);
}

EXPORT void avs_release_value(AVS_Value value) {
    trace("release_value %c", value.type);
    if ((value.type == 'e' || value.type == 's') && value.d.string) {
        char* text = const_cast<char*>(value.d.string);
        std::memset(text, '#', std::strlen(text));
        std::free(text);
    }
    if (value.type == 'c') static_cast<AVS_Clip*>(value.d.clip)->value_released = true;
}

EXPORT AVS_Clip* avs_take_clip(AVS_Value value, AVS_ScriptEnvironment*) {
    AVS_Clip* clip = static_cast<AVS_Clip*>(value.d.clip);
    trace(clip->value_released ? "take_clip released_value" : "take_clip");
    return clip;
}

EXPORT const AVS_VideoInfo* avs_get_video_info(AVS_Clip* clip) {
    trace("get_video_info");
    return &clip->description.info;
}

EXPORT const char* avs_clip_get_error(AVS_Clip* clip) {
    trace("clip_get_error");
    return clip->has_error ? clip->error.c_str() : nullptr;
}

namespace {

AVS_VideoFrame* make_frame(const clip_description& description, int n) {
    AVS_VideoFrame* frame = new AVS_VideoFrame{};
    for (int p = 0; p < 3; ++p) {
        const plane_geometry g = plane_of(description, p);
        frame->geometry[p] = g;
        const size_t size = g.height > 0 ? static_cast<size_t>(g.pitch) * g.height : 0;
        frame->planes[p] = static_cast<unsigned char*>(std::malloc(size ? size : 1));
        std::memset(frame->planes[p], 0xEE, size);  // padding the runner must not write
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.row_size; ++x)
                frame->planes[p][static_cast<size_t>(y) * g.pitch + x] = pixel_byte(n, p, y, x);
    }
    return frame;
}

}  // namespace

EXPORT AVS_VideoFrame* avs_get_frame(AVS_Clip* clip, int n) {
    const clip_description& description = clip->description;
    clip->has_error = false;  // as the engine, every fetch clears the error of the last
    if (const int* ms = frame_rule(description.delays_ms, n))
        std::this_thread::sleep_for(std::chrono::milliseconds(*ms));
    auto failure = description.fetch_failures.find(n);
    if (failure != description.fetch_failures.end()) {
        trace("get_frame %d failed", n);
        clip->has_error = failure->second.present;
        clip->error = failure->second.text;
        return nullptr;
    }
    trace("get_frame %d held %d", n, ++frames_held);
    AVS_VideoFrame* frame;
    if (description.prepared) {
        if (!clip->prepared_frame) clip->prepared_frame = make_frame(description, 0);
        frame = clip->prepared_frame;
    } else {
        frame = make_frame(description, n);
    }
    frame->index = n;
    const std::string* map_state = frame_rule(description.map_states, n);
    frame->map = AVS_Map{n, map_state && *map_state == "error"};
    return frame;
}

EXPORT void avs_release_video_frame(AVS_VideoFrame* frame) {
    trace("release_frame %d held %d", frame->index, --frames_held);
    if (frame == imported_clip->prepared_frame) return;
    for (unsigned char* plane : frame->planes) std::free(plane);
    delete frame;
}

EXPORT const unsigned char* avs_get_read_ptr_p(const AVS_VideoFrame* frame, int plane) {
    const int p = plane_index(plane);
    return p < 0 ? nullptr : frame->planes[p];
}

EXPORT int avs_get_pitch_p(const AVS_VideoFrame* frame, int plane) {
    const int p = plane_index(plane);
    return p < 0 ? 0 : frame->geometry[p].pitch;
}

EXPORT int avs_get_row_size_p(const AVS_VideoFrame* frame, int plane) {
    const int p = plane_index(plane);
    return p < 0 ? 0 : frame->geometry[p].row_size;
}

EXPORT int avs_get_height_p(const AVS_VideoFrame* frame, int plane) {
    const int p = plane_index(plane);
    return p < 0 ? 0 : frame->geometry[p].height;
}

EXPORT int avs_get_audio(AVS_Clip* clip, void* buffer, int64_t start, int64_t count) {
    trace("get_audio %lld %lld", static_cast<long long>(start), static_cast<long long>(count));
    const clip_description& description = clip->description;
    clip->has_error = false;
    if (description.audio_fail_set && description.audio_fail_sample >= start &&
        description.audio_fail_sample < start + count) {
        clip->has_error = description.audio_fail_text.present;
        clip->error = description.audio_fail_text.text;
        return -1;  // the engine's answer to a failed request
    }
    const int bytes = description.info.sample_type == 2 ? 2 : description.info.sample_type == 4 ? 3 : 4;
    const int64_t block = static_cast<int64_t>(bytes) * description.info.nchannels;
    const int64_t size = count * block;
    if (description.prepared) {
        // The first chunk's bytes, written once into a buffer the caller hands back.
        if (buffer == clip->filled_audio && size <= clip->filled_audio_bytes) return 0;
        start = 0;
        clip->filled_audio = buffer;
        clip->filled_audio_bytes = size;
    }
    unsigned char* out = static_cast<unsigned char*>(buffer);
    for (int64_t i = 0, offset = start * block; i < size; ++i, ++offset)
        out[i] = sample_byte(offset);
    return 0;
}

EXPORT int avs_is_yv12(const AVS_VideoInfo* info) {
    trace("is_yv12");
    return is_own_info(info) && imported_clip->description.legacy == "yv12";
}

EXPORT int avs_is_yv16(const AVS_VideoInfo* info) {
    trace("is_yv16");
    return is_own_info(info) && imported_clip->description.legacy == "yv16";
}

EXPORT int avs_is_yv24(const AVS_VideoInfo* info) {
    trace("is_yv24");
    return is_own_info(info) && imported_clip->description.legacy == "yv24";
}

#if !defined(STANDIN_WITHOUT_OPTIONAL) && !defined(STANDIN_WITHOUT_FORMAT_QUERIES)
EXPORT int avs_is_420(const AVS_VideoInfo* info) {
    trace("is_420");
    return is_own_info(info) && imported_clip->description.family == 420;
}

EXPORT int avs_is_422(const AVS_VideoInfo* info) {
    trace("is_422");
    return is_own_info(info) && imported_clip->description.family == 422;
}

EXPORT int avs_is_444(const AVS_VideoInfo* info) {
    trace("is_444");
    return is_own_info(info) && imported_clip->description.family == 444;
}

EXPORT int avs_bits_per_component(const AVS_VideoInfo* info) {
    trace("bits_per_component");
    return is_own_info(info) ? imported_clip->description.bits : 0;
}
#endif

#if !defined(STANDIN_WITHOUT_OPTIONAL)
EXPORT const AVS_Map* avs_get_frame_props_ro(AVS_ScriptEnvironment*, const AVS_VideoFrame* frame) {
    trace("get_frame_props %d", frame->index);
    const std::string* state = frame_rule(imported_clip->description.map_states, frame->index);
    if (state && *state == "none") return nullptr;
    return &frame->map;
}

EXPORT int64_t avs_prop_get_int(AVS_ScriptEnvironment*, const AVS_Map* map, const char* key,
                                int index, int* error) {
    trace("prop_get_int %s", key);
    const prop_entry* entry = prop_lookup(map, key, 'i', index, error);
    return entry ? entry->ints[index] : 0;
}

#if !defined(STANDIN_WITHOUT_PROP_FLOAT)
EXPORT double avs_prop_get_float(AVS_ScriptEnvironment*, const AVS_Map* map, const char* key,
                                 int index, int* error) {
    trace("prop_get_float %s", key);
    const prop_entry* entry = prop_lookup(map, key, 'f', index, error);
    return entry ? entry->floats[index] : 0.0;
}
#endif
#endif

// Required entry points the runner looks up but never calls.
#define STANDIN_UNCALLED(name) \
    EXPORT void name() { trace("unexpected_call " #name); }
STANDIN_UNCALLED(avs_add_function)
STANDIN_UNCALLED(avs_at_exit)
STANDIN_UNCALLED(avs_bit_blt)
STANDIN_UNCALLED(avs_copy_clip)
STANDIN_UNCALLED(avs_copy_value)
STANDIN_UNCALLED(avs_copy_video_frame)
STANDIN_UNCALLED(avs_function_exists)
STANDIN_UNCALLED(avs_get_cpu_flags)
STANDIN_UNCALLED(avs_get_parity)
STANDIN_UNCALLED(avs_get_var)
STANDIN_UNCALLED(avs_get_version)
STANDIN_UNCALLED(avs_make_writable)
STANDIN_UNCALLED(avs_new_c_filter)
STANDIN_UNCALLED(avs_new_video_frame_a)
STANDIN_UNCALLED(avs_release_clip)
STANDIN_UNCALLED(avs_save_string)
STANDIN_UNCALLED(avs_set_cache_hints)
STANDIN_UNCALLED(avs_set_global_var)
STANDIN_UNCALLED(avs_set_memory_max)
STANDIN_UNCALLED(avs_set_to_clip)
STANDIN_UNCALLED(avs_set_working_dir)
STANDIN_UNCALLED(avs_sprintf)
STANDIN_UNCALLED(avs_subframe)
STANDIN_UNCALLED(avs_subframe_planar)
STANDIN_UNCALLED(avs_vsprintf)
STANDIN_UNCALLED(avs_get_error)
STANDIN_UNCALLED(avs_is_yv411)
STANDIN_UNCALLED(avs_is_y8)
STANDIN_UNCALLED(avs_is_color_space)
STANDIN_UNCALLED(avs_get_plane_width_subsampling)
STANDIN_UNCALLED(avs_get_plane_height_subsampling)
STANDIN_UNCALLED(avs_bits_per_pixel)
STANDIN_UNCALLED(avs_bytes_from_pixels)
STANDIN_UNCALLED(avs_row_size)
STANDIN_UNCALLED(avs_bmp_size)
STANDIN_UNCALLED(avs_is_writable)
#if !defined(STANDIN_WITHOUT_REQUIRED)
STANDIN_UNCALLED(avs_get_write_ptr_p)
#endif
