// The runner declares the engine's C API itself; this compares those declarations with
// the engine's own header: record sizes and field offsets, the constants the runner uses,
// and the type of every entry point it calls. A mismatch fails the build; the program
// then checks the value-type letters against the engine's own testers.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include <avisynth_c.h>

namespace runner {
#include "avs/avs_types.h"
}

namespace check {

// The runner's types, spelled in the engine's: each runner record becomes the engine's
// record of the same name, through pointers and const.
template <typename T> struct in_engine { using type = T; };
template <typename T> using in_engine_t = typename in_engine<T>::type;
template <typename T> struct in_engine<T*> { using type = in_engine_t<T>*; };
template <typename T> struct in_engine<const T> { using type = const in_engine_t<T>; };
template <typename R, typename... A> struct in_engine<R(A...)> {
    using type = in_engine_t<R>(in_engine_t<A>...);
};
template <> struct in_engine<runner::AVS_ScriptEnvironment> { using type = ::AVS_ScriptEnvironment; };
template <> struct in_engine<runner::AVS_Clip> { using type = ::AVS_Clip; };
template <> struct in_engine<runner::AVS_VideoFrame> { using type = ::AVS_VideoFrame; };
template <> struct in_engine<runner::AVS_Map> { using type = ::AVS_Map; };
template <> struct in_engine<runner::AVS_Value> { using type = ::AVS_Value; };
template <> struct in_engine<runner::AVS_VideoInfo> { using type = ::AVS_VideoInfo; };

#define SAME_FIELD(record, field)                                                        \
    static_assert(offsetof(runner::record, field) == offsetof(::record, field),          \
                  "offset of " #record "::" #field);                                     \
    static_assert(sizeof(runner::record::field) == sizeof(::record::field),              \
                  "size of " #record "::" #field);

static_assert(sizeof(runner::AVS_Value) == sizeof(::AVS_Value), "size of AVS_Value");
static_assert(alignof(runner::AVS_Value) == alignof(::AVS_Value), "alignment of AVS_Value");
SAME_FIELD(AVS_Value, type)
SAME_FIELD(AVS_Value, array_size)
SAME_FIELD(AVS_Value, d)
static_assert(std::is_signed_v<decltype(runner::AVS_Value::type)> ==
                  std::is_signed_v<decltype(::AVS_Value::type)>,
              "signedness of AVS_Value::type");

static_assert(sizeof(runner::AVS_VideoInfo) == sizeof(::AVS_VideoInfo), "size of AVS_VideoInfo");
SAME_FIELD(AVS_VideoInfo, width)
SAME_FIELD(AVS_VideoInfo, height)
SAME_FIELD(AVS_VideoInfo, fps_numerator)
SAME_FIELD(AVS_VideoInfo, fps_denominator)
SAME_FIELD(AVS_VideoInfo, num_frames)
SAME_FIELD(AVS_VideoInfo, pixel_type)
SAME_FIELD(AVS_VideoInfo, audio_samples_per_second)
SAME_FIELD(AVS_VideoInfo, sample_type)
SAME_FIELD(AVS_VideoInfo, num_audio_samples)
SAME_FIELD(AVS_VideoInfo, nchannels)
SAME_FIELD(AVS_VideoInfo, image_type)

#define SAME_CONSTANT(runner_name, engine_name)                                          \
    static_assert(static_cast<int>(runner::runner_name) == static_cast<int>(::engine_name), \
                  #runner_name " is the engine's " #engine_name);

SAME_CONSTANT(AVS_PLANAR_Y, AVS_PLANAR_Y)
SAME_CONSTANT(AVS_PLANAR_U, AVS_PLANAR_U)
SAME_CONSTANT(AVS_PLANAR_V, AVS_PLANAR_V)
SAME_CONSTANT(AVS_SAMPLE_INT8, AVS_SAMPLE_INT8)
SAME_CONSTANT(AVS_SAMPLE_INT16, AVS_SAMPLE_INT16)
SAME_CONSTANT(AVS_SAMPLE_INT24, AVS_SAMPLE_INT24)
SAME_CONSTANT(AVS_SAMPLE_INT32, AVS_SAMPLE_INT32)
SAME_CONSTANT(AVS_SAMPLE_FLOAT, AVS_SAMPLE_FLOAT)
SAME_CONSTANT(AVS_PROPERROR_SUCCESS, AVS_GETPROPERROR_SUCCESS)
SAME_CONSTANT(AVS_PROPERROR_UNSET, AVS_GETPROPERROR_UNSET)
SAME_CONSTANT(AVS_PROPERROR_TYPE, AVS_GETPROPERROR_TYPE)
SAME_CONSTANT(AVS_PROPERROR_ERROR, AVS_GETPROPERROR_ERROR)
SAME_CONSTANT(AVS_PROPERROR_INDEX, AVS_GETPROPERROR_INDEX)

// The versions the runner asks for exist in the engine it is checked against.
static_assert(runner::AVS_INTERFACE_VERSION >= 1 &&
                  runner::AVS_INTERFACE_VERSION <= ::AVISYNTH_INTERFACE_VERSION,
              "the environment's interface version is one the engine offers");
static_assert(runner::AVS_FRAME_PROPS_INTERFACE_VERSION <= ::AVISYNTH_INTERFACE_VERSION,
              "the frame-property version is one the engine offers");

}  // namespace check

// Every entry point the runner calls has the engine's type; every one it only looks up
// exists under that name. Expanded inside the runner's namespace, so that the list's
// type names are the runner's.
#define AVS_CALLED(need, name, ret, params)                                              \
    static_assert(std::is_same_v<check::in_engine_t<ret params>, decltype(::name)>,      \
                  "type of " #name);
#define AVS_LISTED(need, name) static_assert(sizeof(&::name) > 0, #name " exists");
namespace runner {
#include "avs/avs_entry_points.h"
}
#undef AVS_CALLED
#undef AVS_LISTED

int main() {
    // The value-type letters, against the engine's own inline testers.
    struct letter_case {
        int16_t letter;
        int (*tester)(::AVS_Value);
        const char* name;
    };
    const letter_case letters[] = {
        {runner::AVS_TYPE_CLIP, avs_is_clip, "AVS_TYPE_CLIP"},
        {runner::AVS_TYPE_BOOL, avs_is_bool, "AVS_TYPE_BOOL"},
        {runner::AVS_TYPE_STRING, avs_is_string, "AVS_TYPE_STRING"},
        {runner::AVS_TYPE_ERROR, avs_is_error, "AVS_TYPE_ERROR"},
    };
    int wrong = 0;
    for (const letter_case& c : letters) {
        ::AVS_Value value = avs_void;
        value.type = c.letter;
        if (!c.tester(value)) {
            std::printf("%s is not the engine's letter\n", c.name);
            ++wrong;
        }
    }
    // The runner's value constructors, read back through the engine's accessors.
    runner::AVS_Value text{};
    text.type = runner::AVS_TYPE_STRING;
    text.d.string = "path";
    runner::AVS_Value flag{};
    flag.type = runner::AVS_TYPE_BOOL;
    flag.d.boolean = 1;
    ::AVS_Value as_engine[2];
    static_assert(sizeof as_engine[0] == sizeof text, "one value is one value");
    std::memcpy(&as_engine[0], &text, sizeof text);
    std::memcpy(&as_engine[1], &flag, sizeof flag);
    if (avs_as_string(as_engine[0]) != text.d.string || !avs_as_bool(as_engine[1])) {
        std::printf("a value the runner builds reads otherwise in the engine\n");
        ++wrong;
    }
    return wrong == 0 ? 0 : 1;
}
