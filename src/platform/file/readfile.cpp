// Reading a file whole.
#include "platform/file/readfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int ReadFile_Whole(const char *path, std::string *bytes) {
    if (path == nullptr || bytes == nullptr) return EINVAL;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st;
    std::string data;
    if (fstat(fd, &st) == 0 && st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            close(fd);
            return error;
        }
        if (n == 0) break;
        data.append(chunk, static_cast<size_t>(n));
    }
    close(fd);
    *bytes = std::move(data);
    return 0;
}
