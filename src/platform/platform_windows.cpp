#include "platform/platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

void* platform_load_module(const char* name) {
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
