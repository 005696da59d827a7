// Runs a command and prints its peak resident memory in kilobytes. A launcher this small
// matters: Linux counts the image a child had before exec in its peak, so a command
// started straight from a large interpreter reports the interpreter's size.
//
//   peak_memory COMMAND [ARGUMENT ...]

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: peak_memory COMMAND [ARGUMENT ...]\n", stderr);
        return 2;
    }
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return 2;
    std::printf("%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
