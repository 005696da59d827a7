/* A filter plugin of the tests, for the failures a script cannot cause by itself:
 *
 *   QelFailAt(clip c, int "frame", int "sample")
 *
 * passes c through, except that fetching frame `frame` fails, and so does any audio
 * request that covers sample `sample` (-1, the default, for neither). The engine hands
 * the failure to its caller as the clip's error text, "QelFailAt: frame N" or
 * "QelFailAt: audio at sample N". Written against the engine's C interface only. */

#include <stdio.h>
#include <stdlib.h>

#include <avisynth_c.h>

typedef struct {
    int frame;
    int64_t sample;
    char text[64];
} failure_point;

static AVS_VideoFrame* AVSC_CC fail_get_frame(AVS_FilterInfo* fi, int n) {
    failure_point* at = (failure_point*)fi->user_data;
    if (n == at->frame) {
        snprintf(at->text, sizeof at->text, "QelFailAt: frame %d", n);
        fi->error = at->text;
        return NULL;
    }
    return avs_get_frame(fi->child, n);
}

static int AVSC_CC fail_get_audio(AVS_FilterInfo* fi, void* buf, int64_t start, int64_t count) {
    failure_point* at = (failure_point*)fi->user_data;
    if (at->sample >= start && at->sample < start + count) {
        snprintf(at->text, sizeof at->text, "QelFailAt: audio at sample %lld",
                 (long long)at->sample);
        fi->error = at->text;
        return -1;
    }
    return avs_get_audio(fi->child, buf, start, count);
}

static void AVSC_CC fail_free(AVS_FilterInfo* fi) { free(fi->user_data); }

static AVS_Value AVSC_CC create_fail_at(AVS_ScriptEnvironment* env, AVS_Value args, void* data) {
    (void)data;
    AVS_FilterInfo* fi;
    AVS_Clip* clip = avs_new_c_filter(env, &fi, avs_array_elt(args, 0), 1);
    failure_point* at = (failure_point*)calloc(1, sizeof *at);
    AVS_Value frame = avs_array_elt(args, 1), sample = avs_array_elt(args, 2);
    at->frame = avs_defined(frame) ? avs_as_int(frame) : -1;
    at->sample = avs_defined(sample) ? avs_as_int(sample) : -1;
    fi->user_data = at;
    fi->get_frame = fail_get_frame;
    fi->get_audio = fail_get_audio;
    fi->free_filter = fail_free;
    AVS_Value result;
    avs_set_to_clip(&result, clip);
    avs_release_clip(clip);
    return result;
}

AVSC_EXPORT const char* AVSC_CC avisynth_c_plugin_init(AVS_ScriptEnvironment* env) {
    avs_add_function(env, "QelFailAt", "c[frame]i[sample]i", create_fail_at, NULL);
    return "QelFailAt, a filter that fails where it is told to";
}
