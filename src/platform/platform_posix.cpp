#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// POSIX spelling of a Windows-style module name: "avisynth" and "AviSynth.dll" both
// name libavisynth.so, the file a standard engine install provides.
std::string shared_object_name(const char* module_name) {
    std::string base(module_name);
    const size_t n = base.size();
    if (n >= 4 && strcasecmp(base.c_str() + n - 4, ".dll") == 0) base.resize(n - 4);
    for (char& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return "lib" + base + ".so";
}

}  // namespace

void* platform_load_module(const char* name) {
    return dlopen(shared_object_name(name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

platform_symbol platform_find_symbol(void* module, const char* name) {
    return reinterpret_cast<platform_symbol>(dlsym(module, name));
}

void platform_free_module(void* module) { dlclose(module); }

uint32_t platform_loaded_module_path(const char* file_name, char* buffer, uint32_t size) {
    if (size == 0) return 0;
    void* handle = dlopen(shared_object_name(file_name).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return 0;
    struct link_map* map = nullptr;
    const int found = dlinfo(handle, RTLD_DI_LINKMAP, &map);
    dlclose(handle);  // drops only the reference that RTLD_NOLOAD added
    if (found != 0 || !map || !map->l_name || map->l_name[0] == '\0') return 0;

    // The loader records the name as it found it; a relative search path gives a
    // relative name, which is not the full path the log promises.
    char resolved[PATH_MAX];
    const char* path = map->l_name;
    if (path[0] != '/') {
        if (!realpath(path, resolved)) return 0;
        path = resolved;
    }
    const size_t length = std::strlen(path);
    if (length >= size) {
        std::memcpy(buffer, path, size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    std::memcpy(buffer, path, length + 1);
    return static_cast<uint32_t>(length);
}

int64_t platform_counter() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int64_t platform_counter_frequency() { return 1000000000; }

void platform_exit_now(int code) { _exit(code); }

bool platform_binary_stdout() { return true; }  // POSIX streams never translate bytes

void platform_guard_standard_streams() {
    // open() hands out the lowest free number, so going upwards refills each gap in place.
    for (int fd = 0; fd <= 2; ++fd)
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", O_RDWR);
    signal(SIGPIPE, SIG_IGN);
}

void platform_enlarge_stdout_pipe(size_t bytes) {
#ifdef F_SETPIPE_SZ
    struct stat out;
    if (fstat(STDOUT_FILENO, &out) != 0 || !S_ISFIFO(out.st_mode)) return;
    const int size = fcntl(STDOUT_FILENO, F_GETPIPE_SZ);
    if (size >= 0 && static_cast<size_t>(size) < bytes)
        fcntl(STDOUT_FILENO, F_SETPIPE_SZ, static_cast<int>(bytes));
#else
    (void)bytes;
#endif
}

bool platform_write_stdout(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(STDOUT_FILENO, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool platform_last_write_met_broken_pipe() { return errno == EPIPE; }

// Paths are bytes here: what the shell passed is what reaches the files and the engine.
platform_arguments platform_command_line(int argc, char** argv) {
    return platform_arguments{argc, argv, nullptr};
}

std::FILE* platform_open_for_writing(const char* path, bool) { return std::fopen(path, "wb"); }
