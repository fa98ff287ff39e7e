// Line files for recordings on POSIX: replace through a temporary file, then append and sync.
#include "views/recordfile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

struct RecordFile {
    int fd = -1;
};

namespace {

// Writes all of `data`, retrying after signals and partial writes.
bool WriteAll(int fd, const char *data, size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

void SetError(char *error, int size, const char *what, const std::string &path) {
    if (error && size > 0)
        std::snprintf(error, static_cast<size_t>(size), "%s %s: %s", what, path.c_str(),
                      std::strerror(errno));
}

} // namespace

RecordFile *RecordFileCreate(const char *path, const char *firstLine, char *error, int size) {
    if (error && size > 0) error[0] = '\0';
    if (!path || !*path) {
        errno = EINVAL;
        SetError(error, size, "cannot create", "");
        return nullptr;
    }
    std::string target = path;
    std::string tmp = target + ".XXXXXX";
    int fd = mkstemp(tmp.data());
    if (fd < 0) {
        SetError(error, size, "cannot create a file beside", target);
        return nullptr;
    }
    std::string line = std::string(firstLine ? firstLine : "") + "\n";
    // A new recording is readable like any file the user saves, not private like mkstemp's.
    bool ok = fchmod(fd, 0644) == 0 && WriteAll(fd, line.data(), line.size()) && fsync(fd) == 0;
    if (!ok || rename(tmp.c_str(), target.c_str()) != 0) {
        SetError(error, size, "cannot write", target);
        close(fd);
        unlink(tmp.c_str());
        return nullptr;
    }
    auto *file = new RecordFile;
    file->fd = fd; // still the same file under its new name
    return file;
}

int RecordFileAppend(RecordFile *file, const char *line) {
    if (!file || file->fd < 0) return 0;
    std::string text = std::string(line ? line : "") + "\n";
    if (!WriteAll(file->fd, text.data(), text.size())) return 0;
    return fdatasync(file->fd) == 0 ? 1 : 0;
}

void RecordFileClose(RecordFile *file) {
    if (!file) return;
    if (file->fd >= 0) close(file->fd);
    delete file;
}
