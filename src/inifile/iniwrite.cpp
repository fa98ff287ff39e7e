// Writing an INI document to a file so that a crash, a full disk or a refused write at any moment
// leaves the target either as it was or complete: temporary file, fsync, rename.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "inifile/inifile_impl.h"

using namespace ini;

namespace {

int CodeFromErrno(int e) {
    switch (e) {
    case ENOMEM:
        return INI_ERR_OUT_OF_MEMORY;
    case EACCES:
    case EPERM:
    case EROFS:
        return INI_ERR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return INI_ERR_DISK_FULL;
    default:
        return INI_ERR_IO;
    }
}

// The super-user passes every permission check, so a file or folder whose mode bits grant
// nobody write access counts as read-only for everyone.
bool HasWriteBits(const struct stat &st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

struct FdSink {
    int fd;
    std::string buffer;
    int error = 0;

    int Flush() {
        size_t done = 0;
        while (done < buffer.size()) {
            ssize_t n = ::write(fd, buffer.data() + done, buffer.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return error = CodeFromErrno(errno);
            }
            done += static_cast<size_t>(n);
        }
        buffer.clear();
        return 0;
    }
};

int SinkLine(void *data, const char *line) {
    auto *sink = static_cast<FdSink *>(data);
    sink->buffer += line;
    sink->buffer += "\r\n";
    if (sink->buffer.size() >= 65536) return sink->Flush();
    return 0;
}

// Folder part of a path, "." when it has none.
std::string FolderOf(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Whatever keeps the target from being written (a missing or foreign folder, a path that is no
// file, refused permissions) makes it not writable; only an exhausted heap is something else.
int NotWritable(int e) {
    return e == ENOMEM ? INI_ERR_OUT_OF_MEMORY : INI_ERR_ACCESS_DENIED;
}

// Decides whether the target may be written, and resolves a symbolic link so that the file it
// points to is replaced, not the link. Fills *st and *exists for the caller.
int CheckTarget(std::string &target, struct stat *st, bool *exists) {
    *exists = ::stat(target.c_str(), st) == 0;
    if (!*exists) {
        if (errno != ENOENT) return NotWritable(errno);
    } else {
        // Only a plain file is replaced. Asked first, so that a path naming a device is never
        // opened: opening a serial line can wait for its carrier indefinitely.
        if (!S_ISREG(st->st_mode)) return INI_ERR_ACCESS_DENIED;
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved) == nullptr) return NotWritable(errno);
        target = resolved;
        int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return NotWritable(errno);
        ::close(fd); // opened only to ask; nothing written
        if (!HasWriteBits(*st)) return INI_ERR_ACCESS_DENIED;
    }
    // The new file is created in the folder and renamed there.
    std::string folder = FolderOf(target);
    struct stat dst;
    if (::stat(folder.c_str(), &dst) != 0) return NotWritable(errno);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return NotWritable(errno);
    if (!HasWriteBits(dst)) return INI_ERR_ACCESS_DENIED;
    return 0;
}

// Creates the first free "ini$$N.TMP" beside the target; returns its descriptor or a code.
int CreateTemp(const std::string &folder, std::string *name) {
    for (int n = 0; n <= 999; ++n) {
        *name = folder + "/ini$$" + std::to_string(n) + ".TMP";
        int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return INI_ERR_CREATE_TEMP;
    }
    return INI_ERR_NO_TEMP_NAME;
}

// Makes the new file look like the old one: same permissions, and the same owner when the
// super-user rewrites someone else's file.
int CopyOwnership(int fd, const struct stat &st) {
    if (::fchmod(fd, st.st_mode & 07777) != 0) return CodeFromErrno(errno);
    if (::geteuid() == 0 && ::fchown(fd, st.st_uid, st.st_gid) != 0) return CodeFromErrno(errno);
    return 0;
}

int WriteAndSync(IniDoc ini, int fd) {
    FdSink sink{fd, {}};
    sink.buffer.reserve(65536 + 512);
    int rc = Ini_WriteGeneric(ini, SinkLine, &sink);
    if (rc < 0) return rc;
    if (sink.Flush() < 0) return sink.error;
    while (::fsync(fd) != 0) {
        if (errno != EINTR) return CodeFromErrno(errno);
    }
    return 0;
}

} // namespace

int Ini_WriteToFile(IniDoc ini, const char *path) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    if (path == nullptr) return IniWriteToStdout(ini);
    if (*path == '\0') return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        std::string target = path;
        struct stat st;
        bool exists = false;
        int rc = CheckTarget(target, &st, &exists);
        if (rc < 0) return rc;

        std::string folder = FolderOf(target);
        std::string temp;
        int fd = CreateTemp(folder, &temp);
        if (fd < 0) return fd;

        rc = exists ? CopyOwnership(fd, st) : 0;
        if (rc == 0) rc = WriteAndSync(ini, fd);
        if (::close(fd) != 0 && rc == 0) rc = CodeFromErrno(errno);
        // The target is replaced in one step only once the new file is complete on disk.
        if (rc == 0 && ::rename(temp.c_str(), target.c_str()) != 0) rc = CodeFromErrno(errno);
        if (rc < 0) {
            ::unlink(temp.c_str()); // best effort: the target is untouched either way
            return rc;
        }
        // Make the rename itself durable. The new file is already complete and in place, so a
        // folder that cannot be synced (some file systems refuse) is no failure of the write.
        int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            if (::fsync(dfd) != 0) { /* see above */
            }
            ::close(dfd);
        }
        return 0;
    });
}
