#include "validation/validation_report.h"

#include <cstdint>

#include "avs/frame_props.h"
#include "runner/run_log.h"
#include "runner/standard_output.h"
#include "video/video_format.h"

namespace {

// The integer columns in CSV order, and whether an absent property prints 0 or nothing.
struct int_column {
    const char* key;
    bool zero_when_absent;
};

constexpr int_column int_columns[] = {
    {"qel_source_id", false}, {"qel_source_frame", false}, {"qel_drop_frame", true},
    {"_Matrix", false},       {"_Primaries", true},        {"_Transfer", true},
    {"_ColorRange", true},
};
constexpr int int_column_count = sizeof(int_columns) / sizeof(int_columns[0]);

struct validation_row {
    int64_t values[int_column_count];
    bool present[int_column_count];
    double timestretch;
    bool timestretch_present;
};

// Every read is made, even after a failure; false when any of them failed.
bool read_validation_row(AVS_ScriptEnvironment* env, const AVS_VideoFrame* frame,
                         validation_row* row) {
    *row = validation_row{};
    bool all_read = true;
    for (int i = 0; i < int_column_count; ++i) {
        const prop_read result = read_int_frame_prop(env, frame, int_columns[i].key, &row->values[i]);
        row->present[i] = result == PROP_PRESENT;
        all_read = all_read && result != PROP_FAILED;
    }
    const prop_read result =
        read_float_frame_prop(env, frame, "qel_absolute_timestretch", &row->timestretch);
    row->timestretch_present = result == PROP_PRESENT;
    return all_read && result != PROP_FAILED;
}

void print_validation_row(std::FILE* csv, int index, const validation_row& row) {
    std::fprintf(csv, "%d", index);
    for (int i = 0; i < int_column_count; ++i) {
        std::fputc(',', csv);
        if (row.present[i] || int_columns[i].zero_when_absent)
            std::fprintf(csv, "%lld", static_cast<long long>(row.values[i]));  // 0 when absent
    }
    std::fputc(',', csv);
    if (row.timestretch_present) std::fprintf(csv, "%.17g", row.timestretch);
    std::fputc('\n', csv);
}

}  // namespace

void print_clip_info(const AVS_VideoInfo* info, std::FILE* run_log) {
    const char* tag = chroma_tag(info);
    log_checkpoint(run_log, "render: clip_info");
    const int depth = video_bit_depth(info);
    print_stdout("clip_info,width=%d,height=%d,chroma=%s,bit_depth=%d,frames=%d,fps_num=%u,"
                 "fps_den=%u,has_audio=%d,audio_rate=%d,audio_channels=%d,audio_samples=%lld\n",
                 info->width, info->height, tag ? tag : "unknown", depth, info->num_frames,
                 info->fps_numerator, info->fps_denominator,
                 info->audio_samples_per_second != 0 ? 1 : 0, info->audio_samples_per_second,
                 info->nchannels, static_cast<long long>(info->num_audio_samples));
    flush_stdout();
}

std::FILE* open_validation_csv(const char* csv_path, std::FILE* run_log) {
    log_checkpoint(run_log, "render: open validation csv");
    std::FILE* csv = std::fopen(csv_path, "wb");
    if (!csv) {
        std::fprintf(stderr, "failed to open validation CSV for writing: %s\n", csv_path);
        return nullptr;
    }
    std::fputs("output_frame,source_id,source_frame,drop_frame,matrix,primaries,transfer,"
               "color_range,absolute_timestretch\n", csv);
    std::fflush(csv);
    return csv;
}

bool write_validation_row(AVS_ScriptEnvironment* env, std::FILE* csv, int index,
                          const AVS_VideoFrame* frame) {
    validation_row row;
    if (read_validation_row(env, frame, &row)) {
        print_validation_row(csv, index, row);
        return true;
    }
    std::fprintf(stderr, "failed to read qelkit frame properties at frame %d\n", index);
    std::fclose(csv);
    return false;
}

void finish_validation_report(std::FILE* csv, const AVS_VideoInfo* info, std::FILE* run_log) {
    if (csv) {
        log_checkpoint(run_log, "render: close validation csv");
        std::fclose(csv);
    }
    log_checkpoint(run_log, "render: complete");
    print_stdout("rendered=%d\n", info->num_frames);
    flush_stdout();
}
