// Standard output as the products reach it: the byte streams' buffer and pipe, and the
// one rule for a reader that has gone away.
#pragma once

#include <cstddef>

#include "runner/command_line.h"

// The Y4M and WAV modes: binary mode, the stream buffer, and a larger pipe when standard
// output is one. False after the message when binary mode is refused.
bool prepare_stdout(run_mode mode);

// Writes bytes to standard output. Once a write has met a pipe whose reader is gone,
// later writes are skipped: nothing can reach that reader any more.
void write_stdout(const void* data, size_t size);

// Formats one line (at most 511 bytes) and writes it as write_stdout does. Lines are
// formatted here rather than by fprintf, whose result does not tell of a failed write on
// every C runtime.
void print_stdout(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Flushes standard output, noting a reader gone as write_stdout does.
void flush_stdout();

// True once a write or flush to standard output failed because its reader went away.
// Any other write failure (a full disk) is not noted and changes nothing.
bool stdout_reader_gone();
