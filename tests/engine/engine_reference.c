/* What the engine itself delivers for a script, read through its own header and shared
 * library and written raw, as the reference the runner's streams are compared with:
 *
 *   engine_reference video SCRIPT   the rows of the planes Y, U and V of every frame,
 *                                   each row as many bytes as the engine's row size
 *   engine_reference audio SCRIPT   every audio sample of every channel, interleaved
 *   engine_reference version        the engine's VersionString()
 *
 * Exit 0, or 1 after a line on standard error. Shares nothing with the runner. */

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <avisynth_c.h>

static int fail(const char* what, const char* text) {
    fprintf(stderr, "engine_reference: %s%s%s\n", what, text ? ": " : "", text ? text : "");
    return 1;
}

static int write_frames(AVS_Clip* clip, const AVS_VideoInfo* vi) {
    static const int planes[] = {AVS_PLANAR_Y, AVS_PLANAR_U, AVS_PLANAR_V};
    for (int n = 0; n < vi->num_frames; ++n) {
        AVS_VideoFrame* frame = avs_get_frame(clip, n);
        if (!frame) return fail("frame", avs_clip_get_error(clip));
        for (int p = 0; p < 3; ++p) {
            const BYTE* row = avs_get_read_ptr_p(frame, planes[p]);
            const int pitch = avs_get_pitch_p(frame, planes[p]);
            const int width = avs_get_row_size_p(frame, planes[p]);
            const int height = avs_get_height_p(frame, planes[p]);
            for (int y = 0; y < height && width > 0; ++y, row += pitch)
                fwrite(row, 1, (size_t)width, stdout);
        }
        avs_release_video_frame(frame);
    }
    return 0;
}

static int write_samples(AVS_Clip* clip, const AVS_VideoInfo* vi) {
    /* The engine's Tone computes each request afresh in float arithmetic, so its 32-bit
     * and float samples depend on where the requests begin: ask what the runner asks. */
    enum { chunk = 65536 };
    const int block = avs_bytes_per_audio_sample(vi);
    char* buffer = malloc((size_t)block * chunk);
    if (!buffer) return fail("out of memory", NULL);
    for (int64_t start = 0; start < vi->num_audio_samples; start += chunk) {
        const int64_t left = vi->num_audio_samples - start;
        const int64_t count = left < chunk ? left : chunk;
        if (avs_get_audio(clip, buffer, start, count) != 0)
            return fail("audio", avs_clip_get_error(clip));
        fwrite(buffer, (size_t)block, (size_t)count, stdout);
    }
    free(buffer);
    return 0;
}

int main(int argc, char** argv) {
    const int version = argc == 2 && strcmp(argv[1], "version") == 0;
    const int video = argc == 3 && strcmp(argv[1], "video") == 0;
    const int audio = argc == 3 && strcmp(argv[1], "audio") == 0;
    if (!version && !video && !audio)
        return fail("usage: engine_reference video|audio SCRIPT | version", NULL);
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    AVS_ScriptEnvironment* env = avs_create_script_environment(AVISYNTH_INTERFACE_VERSION);
    if (!env) return fail("no environment", NULL);
    if (version) {
        AVS_Value none = avs_new_value_array(NULL, 0);
        AVS_Value text = avs_invoke(env, "VersionString", none, NULL);
        if (!avs_is_string(text)) return fail("VersionString", NULL);
        printf("%s\n", avs_as_string(text));
        return 0;
    }
    AVS_Value result = avs_invoke(env, "Import", avs_new_value_string(argv[2]), NULL);
    if (avs_is_error(result)) return fail("import", avs_as_error(result));
    if (!avs_is_clip(result)) return fail("the script returns no clip", NULL);
    AVS_Clip* clip = avs_take_clip(result, env);
    const AVS_VideoInfo* vi = avs_get_video_info(clip);
    const int code = video ? write_frames(clip, vi) : write_samples(clip, vi);
    fflush(stdout);
    return code; /* the engine is left to the process's end, as its callers do */
}
