#include "runner/command_line.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct verb_row {
    const char* verb;
    run_mode mode;
    int min_argc;
    int max_argc;
};

// In the order the verbs are compared.
constexpr verb_row verbs[] = {
    {"--validate", MODE_VALIDATE, 3, 4},
    {"--validate-real", MODE_VALIDATE_REAL, 3, 4},
    {"--check-source", MODE_CHECK_SOURCE, 4, 4},
    {"--y4m", MODE_Y4M, 3, 3},
    {"--y4m-skip-drop", MODE_Y4M_SKIP_DROP, 5, 5},
    {"--wav", MODE_WAV, 3, 3},
};

const verb_row* find_verb(const char* text) {
    for (const verb_row& row : verbs)
        if (std::strcmp(row.verb, text) == 0) return &row;
    return nullptr;
}

}  // namespace

void usage() {
    std::fprintf(stderr, "usage: qel_avs_runner --validate script.avs [frames.csv]\n");
    std::fprintf(stderr, "       qel_avs_runner --validate-real script.avs [frames.csv]\n");
    std::fprintf(stderr, "       qel_avs_runner --check-source expected_source_id script.avs\n");
    std::fprintf(stderr, "       qel_avs_runner --y4m script.avs\n");
    std::fprintf(stderr, "       qel_avs_runner --y4m-skip-drop fps_num fps_den script.avs\n");
    std::fprintf(stderr, "       qel_avs_runner --wav script.avs\n");
}

uint32_t parse_u32_like_strtoul(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (std::isspace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint64_t magnitude = 0;
    for (; std::isdigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > UINT32_MAX) return UINT32_MAX;
    }
    const uint32_t value = static_cast<uint32_t>(magnitude);
    return negative ? 0u - value : value;
}

bool parse_command_line(int argc, char** argv, const bool* utf8, run_params* out) {
    *out = run_params{};
    if (argc < 3 || argc > 5) return usage(), false;
    const verb_row* row = find_verb(argv[1]);
    if (!row || argc < row->min_argc || argc > row->max_argc) return usage(), false;

    out->mode = row->mode;
    const auto in_utf8 = [utf8](int index) { return utf8 && utf8[index]; };
    if (is_validation_mode(row->mode)) {
        out->script_path = argv[2];
        out->script_path_utf8 = in_utf8(2);
        out->csv_path = argc == 4 ? argv[3] : nullptr;
        out->csv_path_utf8 = argc == 4 && in_utf8(3);
        return true;
    }
    out->script_path = argv[argc - 1];
    out->script_path_utf8 = in_utf8(argc - 1);
    if (row->mode == MODE_CHECK_SOURCE) out->expected_source_id = std::strtoll(argv[2], nullptr, 10);
    if (row->mode == MODE_Y4M_SKIP_DROP) {
        out->fps_num = parse_u32_like_strtoul(argv[2]);
        out->fps_den = parse_u32_like_strtoul(argv[3]);
        if (out->fps_num == 0 || out->fps_den == 0) {
            std::fputs("Y4M fps numerator and denominator must be positive\n", stderr);
            return false;
        }
    }
    return true;
}
