#include "audio/wav_writer.h"

#include <cstdio>
#include <cstdlib>

#include "avs/avs_library.h"
#include "avs/clip_error.h"
#include "runner/exit_codes.h"
#include "runner/standard_output.h"

namespace {

constexpr int64_t chunk_samples = 65536;
constexpr int64_t max_data_size = 4294967295LL - 36;  // the RIFF size must fit 32 bits

// Sample types 2, 4, 8 and 16: 16-, 24- and 32-bit integers and 32-bit float.
bool writable_sample_type(int32_t sample_type) {
    const uint32_t type = static_cast<uint32_t>(sample_type);
    return type < 32 && ((0x10114u >> type) & 1u) != 0;
}

int bytes_per_sample(int32_t sample_type) {
    switch (sample_type) {
    case AVS_SAMPLE_INT16: return 2;
    case AVS_SAMPLE_INT24: return 3;
    default: return 4;  // int32 and float
    }
}

struct wav_layout {
    int bytes_per_sample;
    int32_t block_align;
    int64_t data_size;
    bool fits;  // data_size within what the RIFF header can state
};

wav_layout layout_for(const AVS_VideoInfo* info) {
    wav_layout layout;
    layout.bytes_per_sample = bytes_per_sample(info->sample_type);
    layout.block_align = static_cast<int32_t>(static_cast<int64_t>(info->nchannels) *
                                              layout.bytes_per_sample);
    // A product beyond 64 bits is certainly beyond the limit; never let it wrap.
    layout.fits = !__builtin_mul_overflow(info->num_audio_samples,
                                          static_cast<int64_t>(layout.block_align),
                                          &layout.data_size) &&
                  layout.data_size <= max_data_size;
    return layout;
}

void write_tag(const char* four_chars) { write_stdout(four_chars, 4); }

void write_header(const AVS_VideoInfo* info, const wav_layout& layout) {
    const uint32_t data_size = static_cast<uint32_t>(layout.data_size);
    const uint32_t block_align = static_cast<uint32_t>(layout.block_align);
    write_tag("RIFF");
    write_le32(data_size + 36);
    write_tag("WAVE");
    write_tag("fmt ");
    write_le32(16);
    write_le16(info->sample_type == AVS_SAMPLE_FLOAT ? 3 : 1);
    write_le16(static_cast<uint16_t>(info->nchannels));
    write_le32(static_cast<uint32_t>(info->audio_samples_per_second));
    write_le32(static_cast<uint32_t>(info->audio_samples_per_second) * block_align);
    write_le16(static_cast<uint16_t>(block_align));
    write_le16(static_cast<uint16_t>(8 * layout.bytes_per_sample));
    write_tag("data");
    write_le32(data_size);
}

int stream_samples(AVS_Clip* clip, const AVS_VideoInfo* info, int32_t block_align,
                   unsigned char* buffer) {
    for (int64_t start = 0; start < info->num_audio_samples; start += chunk_samples) {
        if (!stdout_intact()) return stdout_failure_exit();
        const int64_t left = info->num_audio_samples - start;
        const int64_t count = left < chunk_samples ? left : chunk_samples;
        if (avs_library->avs_get_audio(clip, buffer, start, count) != 0) {
            const clip_error_suffix error = clip_error(clip);
            std::fprintf(stderr, "failed to get audio at sample %lld%s%s\n",
                         static_cast<long long>(start), error.separator, error.text);
            return EXIT_CODE_AUDIO_FETCH;
        }
        write_stdout(buffer, static_cast<size_t>(block_align) * static_cast<size_t>(count));
    }
    return EXIT_CODE_OK;
}

}  // namespace

void write_le16(uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value),
                                    static_cast<unsigned char>(value >> 8)};
    write_stdout(bytes, 2);
}

void write_le32(uint32_t value) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    write_stdout(bytes, 4);
}

int write_wav(AVS_Clip* clip, const AVS_VideoInfo* info) {
    if (info->audio_samples_per_second == 0) {
        std::fputs("script has no audio\n", stderr);
        return EXIT_CODE_NO_AUDIO;
    }
    if (!writable_sample_type(info->sample_type)) {
        std::fprintf(stderr, "unsupported Avisynth audio sample type for WAV output: %d\n",
                     info->sample_type);
        return EXIT_CODE_AUDIO_TYPE;
    }
    const wav_layout layout = layout_for(info);
    if (!layout.fits) {
        std::fputs("WAV output would exceed RIFF size limit\n", stderr);
        return EXIT_CODE_RIFF_LIMIT;
    }
    write_header(info, layout);

    const int64_t buffer_size = static_cast<int64_t>(layout.block_align) * chunk_samples;
    unsigned char* buffer =
        buffer_size > 0 ? static_cast<unsigned char*>(std::malloc(static_cast<size_t>(buffer_size)))
                        : nullptr;
    if (!buffer) {
        std::fputs("failed to allocate audio buffer\n", stderr);
        return EXIT_CODE_AUDIO_BUFFER;
    }
    const int code = stream_samples(clip, info, layout.block_align, buffer);
    std::free(buffer);
    return code;
}
