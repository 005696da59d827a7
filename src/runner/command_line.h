// The verbs, their arguments, and standard output's mode for the run.
#pragma once

#include <cstdint>

enum run_mode : int {
    MODE_VALIDATE = 0,
    MODE_VALIDATE_REAL = 1,
    MODE_Y4M = 2,
    MODE_Y4M_SKIP_DROP = 3,
    MODE_WAV = 4,
    MODE_CHECK_SOURCE = 5,
};

inline bool is_validation_mode(run_mode mode) { return mode <= MODE_VALIDATE_REAL; }
inline bool is_y4m_mode(run_mode mode) { return mode == MODE_Y4M || mode == MODE_Y4M_SKIP_DROP; }

struct run_params {
    run_mode mode;
    const char* script_path;
    const char* csv_path;         // null when not given; "" is a given path
    bool script_path_utf8;        // the path is UTF-8, not the system's code page (Windows)
    bool csv_path_utf8;
    int64_t expected_source_id;   // 0 outside --check-source
    uint32_t fps_num;             // 0 when not given
    uint32_t fps_den;
};

void usage();

// Fills *out from the argument vector; utf8 flags the arguments that are UTF-8 (null for
// none). False after the usage text or the frame-rate message; the run then ends with
// exit code 2.
bool parse_command_line(int argc, char** argv, const bool* utf8, run_params* out);

// The frame-rate conversion of a Windows strtoul, where unsigned long has 32 bits: white
// space, one sign, leading decimal digits; a magnitude above 4294967295 saturates, a
// minus sign negates modulo 2^32, no digits give 0.
uint32_t parse_u32_like_strtoul(const char* text);
