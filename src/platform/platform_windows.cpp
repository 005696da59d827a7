#include "platform/platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Takes the working directory of a job, where any avisynth.dll may lie, out of the
// library search, which then holds the program's folder, the system folders and PATH.
// Any directory named here replaces the working directory; the program's own folder is
// searched first anyway. An empty name would do on Windows, but not under wine.
void leave_working_directory_out_of_library_search() {
    char folder[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    char* last_separator = length > 0 && length < MAX_PATH ? std::strrchr(folder, '\\') : nullptr;
    if (last_separator) {
        *last_separator = '\0';
        SetDllDirectoryA(folder);
    } else {
        SetDllDirectoryA("");
    }
}

}  // namespace

void* platform_load_module(const char* name) {
    leave_working_directory_out_of_library_search();
    return reinterpret_cast<void*>(LoadLibraryA(name));
}

platform_symbol platform_find_symbol(void* module, const char* name) {
    return reinterpret_cast<platform_symbol>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void platform_free_module(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }

uint32_t platform_loaded_module_path(const char* file_name, char* buffer, uint32_t size) {
    HMODULE module = GetModuleHandleA(file_name);
    if (!module) return 0;
    return GetModuleFileNameA(module, buffer, size);
}

int64_t platform_counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int64_t platform_counter_frequency() {
    LARGE_INTEGER rate;
    QueryPerformanceFrequency(&rate);
    return rate.QuadPart;
}

void platform_exit_now(int code) { ExitProcess(static_cast<UINT>(code)); }

bool platform_binary_stdout() { return _setmode(_fileno(stdout), _O_BINARY) != -1; }

// The C runtime never hands out descriptors 0 to 2, open or not: a process started
// without a standard handle gets a placeholder there whose writes fail. And Windows has
// no signal for a broken pipe.
void platform_guard_standard_streams() {}

// The pipe's size is its creator's choice.
void platform_enlarge_stdout_pipe(size_t) {}

bool platform_write_stdout(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const unsigned int part = size < 0x40000000u ? static_cast<unsigned int>(size) : 0x40000000u;
        const int written = _write(_fileno(stdout), bytes, part);
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// The reader's end closed: broken (109), being closed (232), or, under wine, no longer
// connected (233). The C runtime maps only the first to EPIPE.
bool platform_last_write_met_broken_pipe() {
    const DWORD error = GetLastError();
    return errno == EPIPE || error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA ||
           error == ERROR_PIPE_NOT_CONNECTED;
}
