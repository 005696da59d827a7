#include "runner/run_log.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

std::FILE* open_run_log(const char* csv_path, bool csv_utf8, const char* script_path) {
    const size_t size = std::strlen(csv_path) + 12;  // ".runner.log" and the zero
    char* path = static_cast<char*>(std::malloc(size));
    if (!path) return nullptr;
    std::snprintf(path, size, "%s.runner.log", csv_path);
    std::FILE* run_log = platform_open_for_writing(path, csv_utf8);
    std::free(path);
    if (!run_log) return nullptr;
    log_checkpoint(run_log, "start");
    log_checkpoint(run_log, "runner: windows 64-bit");
    log_checkpoint(run_log, script_path);
    log_checkpoint(run_log, "load: AviSynth.dll");
    return run_log;
}

void log_checkpoint(std::FILE* run_log, const char* text) {
    if (!run_log) return;
    std::fputs(text, run_log);  // never a format: a script path may hold '%'
    std::fputc('\n', run_log);
    std::fflush(run_log);
}

void log_checkpoint_int(std::FILE* run_log, const char* label, int number) {
    if (!run_log) return;
    std::fprintf(run_log, "%s%d\n", label, number);
    std::fflush(run_log);
}

void log_loaded_dll_path(std::FILE* run_log, const char* module_file_name) {
    if (!run_log) return;
    constexpr uint32_t max_path = 260;
    char path[max_path];
    const uint32_t length = platform_loaded_module_path(module_file_name, path, max_path);
    if (length >= 1 && length < max_path)
        std::fprintf(run_log, "dll: %s\n", path);
    else
        std::fprintf(run_log, "dll: %s loaded, path unavailable\n", module_file_name);
    std::fflush(run_log);
}

void close_run_log(std::FILE* run_log) {
    if (run_log) std::fclose(run_log);
}
