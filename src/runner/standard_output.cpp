#include "runner/standard_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "runner/exit_codes.h"

namespace {

// Chosen with the bench (64 KiB against 256 KiB and 1 MiB): rows are copied into this
// buffer while it stays in the processor's nearest caches, and each full buffer is one
// write into the pipe. A block at least this large (a WAV chunk) is written in one write
// straight from where it lies: the C library would first top up its buffer with part of
// it and write the rest from an odd offset, which some processors copy several times
// slower.
constexpr size_t stdout_buffer_bytes = 64 * 1024;

// A block written into a pipe of the default 64 KiB wakes its reader for every 64 KiB; a
// WAV chunk of 2 MiB then moves at a third of the speed.
constexpr size_t stdout_pipe_bytes = 1024 * 1024;

alignas(4096) char stdout_buffer[stdout_buffer_bytes];

enum stdout_state { STDOUT_INTACT, STDOUT_READER_GONE, STDOUT_WRITE_FAILED };

stdout_state state = STDOUT_INTACT;
int failure_errno = 0;  // of the first failed write, for its message

// Only the first failure counts: what follows it is its consequence. The platform looks
// at the failure before errno is read, which may clear what the system said.
void note_failure() {
    if (state != STDOUT_INTACT) return;
    const bool reader_gone = platform_last_write_met_broken_pipe();
    failure_errno = errno;
    state = reader_gone ? STDOUT_READER_GONE : STDOUT_WRITE_FAILED;
}

}  // namespace

bool prepare_stdout(run_mode mode) {
    if (!is_y4m_mode(mode) && mode != MODE_WAV) return true;
    if (!platform_binary_stdout()) {
        std::fputs("failed to set binary stdout mode\n", stderr);
        return false;
    }
    // A buffer given by the caller: glibc ignores the size when it is asked to allocate.
    std::setvbuf(stdout, stdout_buffer, _IOFBF, stdout_buffer_bytes);
    platform_enlarge_stdout_pipe(stdout_pipe_bytes);
    return true;
}

void write_stdout(const void* data, size_t size) {
    if (state != STDOUT_INTACT) return;
    if (size < stdout_buffer_bytes) {
        if (std::fwrite(data, 1, size, stdout) != size) note_failure();
        return;
    }
    flush_stdout();
    if (state == STDOUT_INTACT && !platform_write_stdout(data, size)) note_failure();
}

void print_stdout(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0) write_stdout(line, std::min(static_cast<size_t>(length), sizeof line - 1));
}

void flush_stdout() {
    if (std::fflush(stdout) != 0) note_failure();
}

bool stdout_intact() { return state == STDOUT_INTACT; }

int stdout_failure_exit() {
    if (state == STDOUT_READER_GONE) return EXIT_CODE_READER_GONE;
    std::fprintf(stderr, "failed to write standard output: %s\n", std::strerror(failure_errno));
    return EXIT_CODE_WRITE_FAILED;
}
