// Standard output as the products reach it: the byte streams' buffer and pipe, and the
// one rule for a write that fails, whether its reader has gone or its disk is full.
#pragma once

#include <cstddef>

#include "runner/command_line.h"

// The Y4M and WAV modes: binary mode, the stream buffer, and a larger pipe when standard
// output is one. False after the message when binary mode is refused.
bool prepare_stdout(run_mode mode);

// Writes bytes to standard output. Once a write has failed, later writes are skipped:
// the stream is broken where it stopped.
void write_stdout(const void* data, size_t size);

// Formats one line (at most 511 bytes) and writes it as write_stdout does. Lines are
// formatted here rather than by fprintf, whose result does not tell of a failed write on
// every C runtime.
void print_stdout(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Flushes standard output, noting a failure as write_stdout does.
void flush_stdout();

// True while every write and flush to standard output has succeeded: the question a
// run asks before it fetches more.
bool stdout_intact();

// Once stdout_intact() is false: the exit code of the first failure, 141 when the reader
// went away (without a message), else 16 after "failed to write standard output: " and
// the system's reason.
int stdout_failure_exit();
