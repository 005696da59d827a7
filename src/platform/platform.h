// The program's only window on the operating system. Everything else calls these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A symbol as the dynamic loader hands it out; callers cast it to the real type.
using platform_symbol = void (*)();

// Loads a shared library by its bare module name ("avisynth"), through the system's
// ordinary library search, never from the current directory. Null when no such library
// can be loaded.
void* platform_load_module(const char* name);

// The exported symbol of a loaded module, or null when the module lacks it.
platform_symbol platform_find_symbol(void* module, const char* name);

// Unloads a module that platform_load_module returned.
void platform_free_module(void* module);

// Full path of a module that is already loaded, found by its file name ("AviSynth.dll",
// matched without regard to case). Writes at most size bytes including the terminating
// zero. Returns the length written without the zero, 0 when the module is not loaded or
// its path is unknown, and size when the path was cut to fit.
uint32_t platform_loaded_module_path(const char* file_name, char* buffer, uint32_t size);

// A monotonic high-resolution counter and its fixed rate in ticks per second.
int64_t platform_counter();
int64_t platform_counter_frequency();

// Ends the process at once with the code: no static destructors, no library teardown.
// The caller flushes and closes whatever must reach its file first.
[[noreturn]] void platform_exit_now(int code);

// Puts standard output in binary mode so that no byte of a stream is translated.
// False when the runtime refuses.
bool platform_binary_stdout();

// Readies the standard streams before anything is opened: each of descriptors 0, 1 and
// 2 that is closed is opened on the null device, so that no file the program opens can
// take its number; and a write into a pipe whose reader has gone fails instead of ending
// the process with a signal.
void platform_guard_standard_streams();

// When standard output is a pipe smaller than bytes, asks the system to enlarge it. A
// refusal changes nothing; a file or a terminal is left alone.
void platform_enlarge_stdout_pipe(size_t bytes);

// The command line's arguments as the program reads them. On Windows they come from the
// wide command line, split as the C runtime splits it: an argument that the ANSI code
// page holds exactly is its ANSI bytes, those the C runtime's own argv would hold; any
// other is its UTF-8, with its flag set. Elsewhere they are argv's bytes, none flagged.
// Made once and kept to the end of the process.
struct platform_arguments {
    int count;
    char** values;
    const bool* utf8;  // one flag per argument; null when no argument is in UTF-8
};
platform_arguments platform_command_line(int argc, char** argv);

// Opens a file for writing in binary mode by its name as the program holds it: bytes of
// the system's code page, or UTF-8 when utf8 says so. Null when it cannot be opened.
std::FILE* platform_open_for_writing(const char* path, bool utf8);

// Writes the bytes to standard output's descriptor itself, past the C library's stream
// buffer, which must be empty. False when a write failed.
bool platform_write_stdout(const void* data, size_t size);

// Asked right after a write or flush of a standard stream failed: true when it failed
// because the stream is a pipe whose reader has gone.
bool platform_last_write_met_broken_pipe();
