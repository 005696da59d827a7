#include "trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void trace(const char* format, ...) {
    // Looked up once: a fetch loop of a million frames must not scan the environment.
    static const char* const path = std::getenv("QEL_STANDIN_TRACE");
    if (!path || !*path) return;
    std::FILE* file = std::fopen(path, "ab");
    if (!file) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fputc('\n', file);
    std::fclose(file);
}

bool fault_enabled(const char* variable) {
    const char* value = std::getenv(variable);
    return value && std::strcmp(value, "1") == 0;
}
