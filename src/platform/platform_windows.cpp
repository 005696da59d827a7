#include "platform/platform.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

// The C runtime's own split of the wide command line, the twin of the one that fills
// main's argv, so that both split every command line alike, wildcards included.
extern "C" {
struct qel_crt_startup_info {
    int new_mode;
};
int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env, int expand_wildcards,
                   qel_crt_startup_info* info);
extern int _dowildcard;  // the program's choice for main's argv; none by default
}

namespace {

// The text in a code page, or null when the conversion fails. One allocation.
char* narrow_text(const wchar_t* wide, UINT code_page, DWORD flags, BOOL* lossy) {
    const int size = WideCharToMultiByte(code_page, flags, wide, -1, nullptr, 0, nullptr, lossy);
    char* text = size > 0 ? static_cast<char*>(std::malloc(size)) : nullptr;
    if (text &&
        WideCharToMultiByte(code_page, flags, wide, -1, text, size, nullptr, lossy) != size) {
        std::free(text);
        return nullptr;
    }
    return text;
}

// The argument's ANSI bytes when they turn back into exactly the same text, else null:
// no best-fit letter, no '?' for what the code page lacks.
char* ansi_exactly(const wchar_t* wide) {
    const UINT code_page = GetACP();
    // The UTF-8 code page takes neither the flag nor the question.
    const bool utf8_page = code_page == CP_UTF8;
    BOOL lossy = FALSE;
    char* ansi = narrow_text(wide, code_page, utf8_page ? 0 : WC_NO_BEST_FIT_CHARS,
                             utf8_page ? nullptr : &lossy);
    if (!ansi) return nullptr;
    const int size = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, ansi, -1, nullptr, 0);
    wchar_t* back = size > 0 ? static_cast<wchar_t*>(std::malloc(size * sizeof(wchar_t))) : nullptr;
    const bool same =
        back && !lossy &&
        MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, ansi, -1, back, size) == size &&
        std::wcscmp(back, wide) == 0;
    std::free(back);
    if (same) return ansi;
    std::free(ansi);
    return nullptr;
}

// A UTF-8 name as the wide name the file system takes; null when it is no UTF-8.
wchar_t* wide_text(const char* utf8) {
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    wchar_t* wide = size > 0 ? static_cast<wchar_t*>(std::malloc(size * sizeof(wchar_t))) : nullptr;
    if (wide && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide, size) != size) {
        std::free(wide);
        return nullptr;
    }
    return wide;
}

// Takes the working directory of a job, where any avisynth.dll may lie, out of the
// library search, which then holds the program's folder, the system folders and PATH.
// Any directory named here replaces the working directory; the program's own folder is
// searched first anyway. An empty name would do on Windows, but not under wine.
// Wide names, so that a folder whose name the ANSI code page cannot hold is still found.
void leave_working_directory_out_of_library_search() {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    wchar_t* last_separator =
        length > 0 && length < MAX_PATH ? std::wcsrchr(folder, L'\\') : nullptr;
    if (last_separator) {
        *last_separator = L'\0';
        SetDllDirectoryW(folder);
    } else {
        SetDllDirectoryW(L"");
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
// connected (233); the C runtime maps only the first to EPIPE. Its own errno handling may
// clear the system's error before the write returns (wine's leaves EINVAL and 0), so a
// failed write into a pipe counts as its reader gone: nothing else makes one fail.
bool platform_last_write_met_broken_pipe() {
    const DWORD error = GetLastError();
    return error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA ||
           error == ERROR_PIPE_NOT_CONNECTED || errno == EPIPE ||
           GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_PIPE;
}

platform_arguments platform_command_line(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = nullptr;
    wchar_t** environment = nullptr;
    qel_crt_startup_info info{0};
    if (__wgetmainargs(&count, &wide, &environment, _dowildcard, &info) < 0 || count != argc ||
        !wide)
        return platform_arguments{argc, argv, nullptr};  // the narrow argv is all there is
    char** values = static_cast<char**>(std::calloc(argc + 1, sizeof(char*)));
    bool* utf8 = static_cast<bool*>(std::calloc(argc + 1, sizeof(bool)));
    if (!values || !utf8) return platform_arguments{argc, argv, nullptr};
    for (int i = 0; i < argc; ++i) {
        values[i] = ansi_exactly(wide[i]);
        if (!values[i]) {
            values[i] = narrow_text(wide[i], CP_UTF8, 0, nullptr);
            utf8[i] = values[i] != nullptr;
            if (!values[i]) values[i] = argv[i];
        }
    }
    return platform_arguments{argc, values, utf8};
}

std::FILE* platform_open_for_writing(const char* path, bool utf8) {
    if (!utf8) return std::fopen(path, "wb");
    wchar_t* wide = wide_text(path);
    std::FILE* file = wide ? _wfopen(wide, L"wb") : nullptr;
    std::free(wide);
    return file;
}
