#include "avs/frame_props.h"

#include "avs/avs_library.h"

namespace {

// An unset key and an index past the last element both mean the frame lacks it.
prop_read classify(int error) {
    switch (error) {
    case AVS_PROPERROR_SUCCESS: return PROP_PRESENT;
    case AVS_PROPERROR_UNSET:
    case AVS_PROPERROR_INDEX: return PROP_ABSENT;
    default: return PROP_FAILED;
    }
}

template <typename T>
using prop_getter = T (*)(AVS_ScriptEnvironment*, const AVS_Map*, const char*, int, int*);

// The map is fetched afresh for every read: nothing is cached between keys or frames.
template <typename T>
prop_read read_frame_prop(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame,
                          const char* key, T* value, prop_getter<T> get) {
    const AVS_Map* map = avs_library->avs_get_frame_props_ro(env, frame);
    if (!map) return PROP_ABSENT;
    int error = 0;
    const T read = get(env, map, key, 0, &error);
    const prop_read result = classify(error);
    if (result == PROP_PRESENT) *value = read;
    return result;
}

}  // namespace

prop_read read_int_frame_prop(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame,
                              const char* key, int64_t* value) {
    return read_frame_prop(env, frame, key, value, avs_library->avs_prop_get_int);
}

prop_read read_float_frame_prop(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame,
                                const char* key, double* value) {
    *value = 0.0;
    return read_frame_prop(env, frame, key, value, avs_library->avs_prop_get_float);
}
