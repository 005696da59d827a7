// The engine's data types as its C API lays them out on 64-bit platforms.
#pragma once

#include <cstddef>
#include <cstdint>

// Handles the engine hands out and takes back; never looked into.
struct AVS_ScriptEnvironment;
struct AVS_Clip;
struct AVS_VideoFrame;
struct AVS_Map;

// A script value: type letter, array size (0 for a single value), then the payload.
// The union mixes pointer, integer and floating members like the engine's, so the
// value is passed and returned by value exactly as the engine's code does.
struct AVS_Value {
    int16_t type;
    int16_t array_size;
    union {
        void* clip;
        char boolean;
        int integer;
        float floating_pt;
        const char* string;
        const AVS_Value* array;
        void* function;
        int64_t longlong;
        double double_pt;
    } d;
};
static_assert(sizeof(AVS_Value) == 16, "script value is 16 bytes");
static_assert(offsetof(AVS_Value, type) == 0, "type letter at 0");
static_assert(offsetof(AVS_Value, array_size) == 2, "array size at 2");
static_assert(offsetof(AVS_Value, d) == 8, "payload at 8");

// The clip information record. The engine owns it; its format queries read further
// fields of their own, so the runner keeps the engine's pointer, never a copy.
struct AVS_VideoInfo {
    int32_t width;
    int32_t height;
    uint32_t fps_numerator;
    uint32_t fps_denominator;
    int32_t num_frames;
    int32_t pixel_type;
    int32_t audio_samples_per_second;
    int32_t sample_type;
    int64_t num_audio_samples;
    int32_t nchannels;
    int32_t image_type;
};
static_assert(sizeof(AVS_VideoInfo) == 48, "clip information is 48 bytes");
static_assert(offsetof(AVS_VideoInfo, fps_numerator) == 8, "fps numerator at 8");
static_assert(offsetof(AVS_VideoInfo, num_frames) == 16, "frame count at 16");
static_assert(offsetof(AVS_VideoInfo, pixel_type) == 20, "pixel type at 20");
static_assert(offsetof(AVS_VideoInfo, audio_samples_per_second) == 24, "audio rate at 24");
static_assert(offsetof(AVS_VideoInfo, sample_type) == 28, "sample type at 28");
static_assert(offsetof(AVS_VideoInfo, num_audio_samples) == 32, "sample count at 32");
static_assert(offsetof(AVS_VideoInfo, nchannels) == 40, "channel count at 40");
static_assert(offsetof(AVS_VideoInfo, image_type) == 44, "image type at 44");

enum avs_value_type : int16_t {
    AVS_TYPE_CLIP = 'c',
    AVS_TYPE_BOOL = 'b',
    AVS_TYPE_STRING = 's',
    AVS_TYPE_ERROR = 'e',
    AVS_TYPE_ARRAY = 'a',
};

enum avs_plane : int { AVS_PLANAR_Y = 1, AVS_PLANAR_U = 2, AVS_PLANAR_V = 4 };

enum avs_sample_type : int {
    AVS_SAMPLE_INT8 = 1,
    AVS_SAMPLE_INT16 = 2,
    AVS_SAMPLE_INT24 = 4,
    AVS_SAMPLE_INT32 = 8,
    AVS_SAMPLE_FLOAT = 16,
};

// What avs_prop_get_int and avs_prop_get_float put in their error argument.
enum avs_prop_error : int {
    AVS_PROPERROR_SUCCESS = 0,
    AVS_PROPERROR_UNSET = 1,
    AVS_PROPERROR_TYPE = 2,
    AVS_PROPERROR_ERROR = 3,
    AVS_PROPERROR_INDEX = 4,
};

constexpr int AVS_INTERFACE_VERSION = 8;

// Engines below interface version 9 export the frame-property entry points, but their
// avs_get_frame_props_ro reads the frame handle as a pointer to the engine's own frame
// reference and crashes the caller; version 9 fixed it.
constexpr int AVS_FRAME_PROPS_INTERFACE_VERSION = 9;
