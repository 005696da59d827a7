#include "validation/validation_report.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "avs/frame_props.h"
#include "platform/platform.h"
#include "runner/exit_codes.h"
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

// The row as one line of text; its length. Each cell is at most 24 bytes.
int format_validation_row(char* line, size_t size, int index, const validation_row& row) {
    int length = std::snprintf(line, size, "%d", index);
    for (int i = 0; i < int_column_count; ++i) {
        line[length++] = ',';
        if (row.present[i] || int_columns[i].zero_when_absent)  // 0 when absent
            length += std::snprintf(line + length, size - length, "%lld",
                                    static_cast<long long>(row.values[i]));
    }
    line[length++] = ',';
    if (row.timestretch_present)
        length += std::snprintf(line + length, size - length, "%.17g", row.timestretch);
    line[length++] = '\n';
    return length;
}

// The CSV is incomplete: the rows written so far stay as they are.
int fail_csv_write(const validation_output* output) {
    std::fprintf(stderr, "failed to write validation CSV %s: %s\n", output->csv_path,
                 std::strerror(errno));
    return EXIT_CODE_WRITE_FAILED;
}

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

// Opens the CSV and writes its header: 0, 11 when it cannot be opened, 16 when the
// header cannot be written.
int open_validation_csv(validation_output* output) {
    log_checkpoint(output->run_log, "render: open validation csv");
    output->csv = platform_open_for_writing(output->csv_path, output->csv_utf8);
    if (!output->csv) {
        std::fprintf(stderr, "failed to open validation CSV for writing: %s\n", output->csv_path);
        return EXIT_CODE_CSV_OPEN;
    }
    const char header[] = "output_frame,source_id,source_frame,drop_frame,matrix,primaries,"
                          "transfer,color_range,absolute_timestretch\n";
    if (std::fwrite(header, 1, sizeof header - 1, output->csv) != sizeof header - 1 ||
        std::fflush(output->csv) != 0)
        return fail_csv_write(output);
    return EXIT_CODE_OK;
}

// 0; 12 with the CSV closed when a property cannot be read; 16 when the row cannot be
// written.
int write_validation_row(validation_output* output, int index, const AVS_VideoFrame* frame) {
    validation_row row;
    if (!read_validation_row(output->env, frame, &row)) {
        std::fprintf(stderr, "failed to read qelkit frame properties at frame %d\n", index);
        std::fclose(output->csv);
        return EXIT_CODE_PROPERTY_READ;
    }
    char line[512];
    const size_t length = static_cast<size_t>(format_validation_row(line, sizeof line, index, row));
    if (std::fwrite(line, 1, length, output->csv) != length) return fail_csv_write(output);
    return EXIT_CODE_OK;
}

// Closes the CSV and prints the completion line: 0, or 16 without the line when the CSV's
// last rows cannot be written.
int finish_validation_report(validation_output* output) {
    if (output->csv) {
        log_checkpoint(output->run_log, "render: close validation csv");
        if (std::fclose(output->csv) != 0) return fail_csv_write(output);
    }
    log_checkpoint(output->run_log, "render: complete");
    print_stdout("rendered=%d\n", output->info->num_frames);
    flush_stdout();
    return EXIT_CODE_OK;
}

int open_report(void* state) {
    validation_output* output = static_cast<validation_output*>(state);
    print_clip_info(output->info, output->run_log);
    return output->csv_path ? open_validation_csv(output) : EXIT_CODE_OK;
}

int report_frame(void* state, int index, const AVS_VideoFrame* frame) {
    return write_validation_row(static_cast<validation_output*>(state), index, frame);
}

int finish_report(void* state) {
    return finish_validation_report(static_cast<validation_output*>(state));
}

}  // namespace

frame_work validation_frame_work(validation_output* output) {
    // Without a CSV a frame is only rendered: there is nothing to do with it.
    return frame_work{"qel_progress", output,      open_report,
                      nullptr,        output->csv_path ? report_frame : nullptr, finish_report};
}
