// The bench's reference: the bytes of a stream written from memory into standard output,
// a header and then one write per block, into a pipe enlarged to the largest size the
// system grants an unprivileged process. No engine, no per-row work: the pipe's limit.
//
//   pipe_reference HEADER_BYTES BLOCK_BYTES TOTAL_BYTES

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

long pipe_max_size() {
    std::FILE* file = std::fopen("/proc/sys/fs/pipe-max-size", "r");
    long size = 0;
    if (file) {
        if (std::fscanf(file, "%ld", &size) != 1) size = 0;
        std::fclose(file);
    }
    return size;
}

bool write_all(const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(STDOUT_FILENO, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: pipe_reference HEADER_BYTES BLOCK_BYTES TOTAL_BYTES\n", stderr);
        return 2;
    }
    const size_t header = std::strtoull(argv[1], nullptr, 10);
    const size_t block = std::strtoull(argv[2], nullptr, 10);
    size_t left = std::strtoull(argv[3], nullptr, 10);
    struct stat out;
    if (fstat(STDOUT_FILENO, &out) == 0 && S_ISFIFO(out.st_mode)) {
        const long size = pipe_max_size();
        if (size > 0) fcntl(STDOUT_FILENO, F_SETPIPE_SZ, static_cast<int>(size));
    }
    std::vector<unsigned char> bytes(header > block ? header : block);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + (i >> 9));
    if (!write_all(bytes.data(), header)) return 1;
    left -= header;
    while (left > 0) {
        const size_t size = left < block ? left : block;
        if (!write_all(bytes.data(), size)) return 1;
        left -= size;
    }
    return 0;
}
