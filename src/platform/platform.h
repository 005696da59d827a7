// The program's only window on the operating system. Everything else calls these.
#pragma once

#include <cstdint>

// A symbol as the dynamic loader hands it out; callers cast it to the real type.
using platform_symbol = void (*)();

// Loads a shared library by its bare module name ("avisynth"), through the system's
// ordinary library search. Null when no such library can be loaded.
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
