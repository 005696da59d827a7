// The program's answer to its driver: one code per kind of outcome.
#pragma once

enum exit_code : int {
    EXIT_CODE_OK = 0,
    EXIT_CODE_IMPORT_ERROR = 1,
    EXIT_CODE_SETUP = 2,  // command line, library, environment, validation variable
    EXIT_CODE_NOT_A_CLIP = 3,
    EXIT_CODE_NO_Y4M_FORMAT = 4,
    EXIT_CODE_FRAME_FETCH = 5,
    EXIT_CODE_NO_AUDIO = 6,
    EXIT_CODE_AUDIO_TYPE = 7,
    EXIT_CODE_RIFF_LIMIT = 8,
    EXIT_CODE_AUDIO_FETCH = 9,
    EXIT_CODE_AUDIO_BUFFER = 10,
    EXIT_CODE_CSV_OPEN = 11,
    EXIT_CODE_PROPERTY_READ = 12,
    EXIT_CODE_NO_FRAMES = 13,
    EXIT_CODE_NO_SOURCE_ID = 14,
    EXIT_CODE_SOURCE_MISMATCH = 15,
    // A write to standard output or the validation CSV failed (a full disk, an I/O
    // error): the product is incomplete.
    EXIT_CODE_WRITE_FAILED = 16,
    // Standard output's reader went away: 128 + 13, what a shell shows for a death by
    // SIGPIPE, told the same way on every platform and without a message.
    EXIT_CODE_READER_GONE = 141,
};
