// Replacing a file whole: temporary file beside the target, fsync, rename, folder sync.
#include "platform/file/replacefile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

struct ReplaceFileRec {
    std::string path;   // as the caller named it, for messages
    std::string target; // the file that is replaced, symbolic links followed
    std::string temp;
    int fd = -1;
    bool existed = false;
    struct stat old {}; // the target as it was when the replacement started
    std::string buffer;
    int failure = 0;     // the first failure; sticks until commit or abandon
    bool placed = false; // the new file stands under the target's name already
};

namespace {

// Writes are collected up to this size, so that writers of many short lines cost few calls.
constexpr size_t kBufferSize = 64 * 1024;
// Longest part of the target's name that goes into a temporary name, so that a long file name
// does not make every temporary name too long for the file system.
constexpr size_t kTempBaseMax = 200;
constexpr int kMaxLinkHops = 40;

thread_local std::string lastError;

int CodeOfErrno(int e) {
    switch (e) {
    case ENOMEM:
        return REPLACE_NO_MEMORY;
    case EACCES:
    case EPERM:
    case EROFS:
        return REPLACE_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return REPLACE_DISK_FULL;
    case EISDIR:
        return REPLACE_NOT_A_FILE;
    default:
        return REPLACE_IO;
    }
}

int Fail(int code, const std::string &path, const char *step, int err = 0) {
    lastError = path.empty() ? std::string(step) : path + ": " + step;
    if (err != 0) {
        lastError += ": ";
        lastError += std::strerror(err);
    }
    return code;
}

std::string FolderOf(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The super-user passes every permission check, so a file or folder whose mode bits grant
// nobody write access counts as read-only for everyone.
bool HasWriteBits(const struct stat &st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

bool Writable(const std::string &path, int how) {
    return faccessat(AT_FDCWD, path.c_str(), how, AT_EACCESS) == 0;
}

// Follows symbolic links in the last part of `path`, also a link to a file that does not exist
// yet, so that the file the link points to is written and the link itself stays.
int FollowLinks(const std::string &path, std::string *target) {
    std::string at = path;
    for (int hops = 0;; hops++) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break; // judged by the caller
        if (hops == kMaxLinkHops) return Fail(REPLACE_ACCESS_DENIED, path, "cannot follow", ELOOP);
        char dest[PATH_MAX];
        ssize_t n = readlink(at.c_str(), dest, sizeof dest);
        if (n < 0) return Fail(CodeOfErrno(errno), path, "cannot follow the link", errno);
        if (static_cast<size_t>(n) >= sizeof dest)
            return Fail(REPLACE_ACCESS_DENIED, path, "cannot follow the link", ENAMETOOLONG);
        std::string next(dest, static_cast<size_t>(n));
        at = next[0] == '/' ? next : FolderOf(at) + "/" + next;
    }
    *target = at;
    return 0;
}

// Whatever keeps a folder or file from being reached is refused access; only a missing folder
// and an exhausted heap are told apart.
int Unreachable(const std::string &path, const char *step, int err) {
    if (err == ENOENT || err == ENOTDIR) return Fail(REPLACE_NO_FOLDER, path, step, err);
    if (err == ENOMEM) return Fail(REPLACE_NO_MEMORY, path, step, err);
    return Fail(REPLACE_ACCESS_DENIED, path, step, err);
}

// Decides whether rf->target may be replaced, without ever opening it: opening a device can
// wait for its carrier indefinitely, opening a FIFO for a reader.
int CheckTarget(ReplaceFileRec *rf) {
    const std::string &path = rf->path;
    rf->existed = stat(rf->target.c_str(), &rf->old) == 0;
    if (rf->existed) {
        if (!S_ISREG(rf->old.st_mode))
            return Fail(REPLACE_NOT_A_FILE, path,
                        S_ISDIR(rf->old.st_mode) ? "is a folder, not a file"
                                                 : "is not a regular file");
        if (!HasWriteBits(rf->old) || !Writable(rf->target, W_OK))
            return Fail(REPLACE_ACCESS_DENIED, path, "the file is read-only",
                        HasWriteBits(rf->old) ? errno : EACCES);
    } else if (errno != ENOENT) {
        return Unreachable(path, "cannot reach the file", errno);
    }
    // The new file is created in the folder and renamed there.
    const std::string folder = FolderOf(rf->target);
    struct stat dst;
    if (stat(folder.c_str(), &dst) != 0)
        return Unreachable(folder, "cannot reach the folder", errno);
    if (!S_ISDIR(dst.st_mode)) return Fail(REPLACE_NO_FOLDER, folder, "is not a folder", ENOTDIR);
    if (!HasWriteBits(dst) || !Writable(folder, W_OK | X_OK))
        return Fail(REPLACE_ACCESS_DENIED, folder, "the folder is read-only",
                    HasWriteBits(dst) ? errno : EACCES);
    return 0;
}

// Gives the new file the target's owner and mode. The owner first: changing it clears the
// set-user and set-group bits. Only the super-user can hand a file to someone else; for anyone
// else keeping the group is the most there is, and the new file belongs to the writer.
int MatchTarget(ReplaceFileRec *rf, const struct stat &st) {
    struct stat now;
    if (fstat(rf->fd, &now) != 0) return Fail(CodeOfErrno(errno), rf->path, "cannot write", errno);
    if (now.st_uid != st.st_uid || now.st_gid != st.st_gid) {
        if (fchown(rf->fd, st.st_uid, st.st_gid) != 0) {
            if (geteuid() == 0)
                return Fail(CodeOfErrno(errno), rf->path, "cannot keep the owner", errno);
            static_cast<void>(fchown(rf->fd, static_cast<uid_t>(-1), st.st_gid));
        }
    }
    if (fchmod(rf->fd, st.st_mode & 07777) != 0)
        return Fail(CodeOfErrno(errno), rf->path, "cannot keep the permissions", errno);
    return 0;
}

int CreateTemp(ReplaceFileRec *rf, const ReplaceOptions *options) {
    const std::string folder = FolderOf(rf->target);
    const std::string dir = folder == "/" ? folder : folder + "/";
    const std::string prefix = options && options->tempPrefix
                                   ? options->tempPrefix
                                   : "." + BaseOf(rf->target).substr(0, kTempBaseMax) + ".";
    const std::string suffix = options && options->tempSuffix ? options->tempSuffix : ".tmp";
    const int tries = options && options->tempTries > 0 ? options->tempTries : 1000;
    for (int n = 0; n < tries; n++) {
        rf->temp = dir + prefix + std::to_string(n) + suffix;
        // The mode asked for is what a new target gets once the umask is taken off it.
        rf->fd = open(rf->temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
        if (rf->fd >= 0) return 0;
        if (errno != EEXIST) {
            int err = errno;
            rf->temp.clear();
            return Fail(err == ENOSPC || err == EDQUOT ? REPLACE_DISK_FULL : REPLACE_CREATE_TEMP,
                        folder, "cannot create a temporary file in this folder", err);
        }
    }
    rf->temp.clear();
    return Fail(REPLACE_NO_TEMP_NAME, folder, "every temporary file name is taken");
}

int WriteOut(ReplaceFileRec *rf, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = write(rf->fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int err = n < 0 ? errno : EIO;
            return Fail(CodeOfErrno(err), rf->path, "cannot write", err);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

int Drain(ReplaceFileRec *rf) {
    int rc = WriteOut(rf, rf->buffer.data(), rf->buffer.size());
    rf->buffer.clear();
    return rc;
}

// Closes and removes the temporary file; the target is never touched here.
void Discard(ReplaceFileRec *rf) {
    if (rf->fd >= 0) close(rf->fd);
    rf->fd = -1;
    if (!rf->temp.empty() && unlink(rf->temp.c_str()) != 0 && errno != ENOENT && !lastError.empty())
        lastError += " (the temporary file " + rf->temp + " is left behind)";
}

int SyncFile(ReplaceFileRec *rf) {
    while (fsync(rf->fd) != 0)
        if (errno != EINTR) return Fail(CodeOfErrno(errno), rf->path, "cannot write", errno);
    return 0;
}

int CloseFile(ReplaceFileRec *rf) {
    int fd = rf->fd;
    rf->fd = -1;
    if (close(fd) != 0) return Fail(CodeOfErrno(errno), rf->path, "cannot write", errno);
    return 0;
}

// Renames the complete, synced new file over the target. With `keepOpen` the handle stays for
// further writes; otherwise the file is closed first, so that a failing close (a full disk on
// some network file systems) still leaves the old target.
int PutInPlace(ReplaceFileRec *rf, bool keepOpen) {
    if (rf->failure != 0) return rf->failure;
    int rc = Drain(rf);
    if (rc != 0) return rc;
    // Someone may have changed the target while the contents were written (a recording runs
    // for hours): what is replaced is the target as it is now.
    struct stat st;
    if (stat(rf->target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return Fail(REPLACE_NOT_A_FILE, rf->path, "is no longer a file");
        if (!rf->existed || st.st_uid != rf->old.st_uid || st.st_gid != rf->old.st_gid ||
            st.st_mode != rf->old.st_mode) {
            if ((rc = MatchTarget(rf, st)) != 0) return rc;
        }
    }
    if ((rc = SyncFile(rf)) != 0) return rc;
    if (!keepOpen && (rc = CloseFile(rf)) != 0) return rc;
    // The target is replaced in one step, and only once the new file is complete on disk.
    if (rename(rf->temp.c_str(), rf->target.c_str()) != 0)
        return Fail(CodeOfErrno(errno), rf->path, "cannot replace", errno);
    rf->temp.clear();
    rf->placed = true;
    // Make the rename itself durable. The new file is complete and in place already, so a
    // folder that cannot be synced (some file systems refuse) is no failure of the replacement.
    int dfd = open(FolderOf(rf->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        static_cast<void>(fsync(dfd));
        close(dfd);
    }
    return 0;
}

int Finish(ReplaceFileRec *rf) {
    if (!rf->placed) return PutInPlace(rf, false);
    if (rf->failure != 0) return rf->failure;
    int rc = Drain(rf);
    if (rc == 0) rc = SyncFile(rf);
    if (rc == 0) rc = CloseFile(rf);
    return rc;
}

} // namespace

ReplaceFile ReplaceFile_Open(const char *path, const ReplaceOptions *options, int *result) {
    int rc = 0;
    ReplaceFileRec *rf = nullptr;
    try {
        lastError.clear();
        if (path == nullptr || path[0] == '\0') {
            rc = Fail(REPLACE_BAD_ARGUMENT, "", "no file name was given");
        } else {
            rf = new ReplaceFileRec;
            rf->path = path;
            rc = FollowLinks(rf->path, &rf->target);
            if (rc == 0 && BaseOf(rf->target).empty()) {
                struct stat st;
                rc = stat(rf->target.c_str(), &st) == 0
                         ? Fail(REPLACE_NOT_A_FILE, rf->path, "is a folder, not a file")
                         : Fail(REPLACE_BAD_ARGUMENT, rf->path, "no file name was given");
            }
            if (rc == 0) rc = CheckTarget(rf);
            if (rc == 0) rc = CreateTemp(rf, options);
            if (rc == 0 && rf->existed) rc = MatchTarget(rf, rf->old);
        }
    } catch (const std::bad_alloc &) {
        rc = REPLACE_NO_MEMORY;
    }
    if (rc != 0 && rf != nullptr) {
        Discard(rf);
        delete rf;
        rf = nullptr;
    }
    if (result != nullptr) *result = rc;
    return rf;
}

int ReplaceFile_Write(ReplaceFile rf, const void *data, size_t size) {
    if (rf == nullptr || (data == nullptr && size > 0)) return REPLACE_BAD_ARGUMENT;
    if (rf->failure != 0) return rf->failure;
    const char *bytes = static_cast<const char *>(data);
    try {
        if (rf->buffer.size() + size < kBufferSize) {
            rf->buffer.append(bytes, size);
            return 0;
        }
        rf->failure = Drain(rf);
        if (rf->failure == 0) {
            if (size >= kBufferSize)
                rf->failure = WriteOut(rf, bytes, size);
            else
                rf->buffer.append(bytes, size);
        }
    } catch (const std::bad_alloc &) {
        rf->failure = Fail(REPLACE_NO_MEMORY, rf->path, "cannot write", ENOMEM);
    }
    return rf->failure;
}

int ReplaceFile_WriteText(ReplaceFile rf, const char *text) {
    if (text == nullptr) return REPLACE_BAD_ARGUMENT;
    return ReplaceFile_Write(rf, text, std::strlen(text));
}

int ReplaceFile_Commit(ReplaceFile rf) {
    if (rf == nullptr) return REPLACE_BAD_ARGUMENT;
    int rc = 0;
    try {
        rc = Finish(rf);
    } catch (const std::bad_alloc &) {
        rc = REPLACE_NO_MEMORY;
    }
    if (rc == 0)
        lastError.clear();
    else
        Discard(rf);
    if (rf->fd >= 0) close(rf->fd);
    delete rf;
    return rc;
}

int ReplaceFile_Place(ReplaceFile rf) {
    if (rf == nullptr) return REPLACE_BAD_ARGUMENT;
    if (rf->placed || rf->failure != 0) return rf->failure;
    try {
        rf->failure = PutInPlace(rf, true);
    } catch (const std::bad_alloc &) {
        rf->failure = REPLACE_NO_MEMORY;
    }
    return rf->failure;
}

int ReplaceFile_Flush(ReplaceFile rf) {
    if (rf == nullptr) return REPLACE_BAD_ARGUMENT;
    if (rf->failure != 0) return rf->failure;
    // A placed file that cannot take the whole of what was buffered (a full disk) is cut back
    // to where it was, so that it ends with the last complete piece, not part of one.
    off_t before = rf->placed ? lseek(rf->fd, 0, SEEK_CUR) : -1;
    rf->failure = Drain(rf);
    if (rf->failure != 0 && before >= 0) static_cast<void>(ftruncate(rf->fd, before));
    // Only the data: the size and times follow with the next write or the close.
    while (rf->failure == 0 && fdatasync(rf->fd) != 0)
        if (errno != EINTR) rf->failure = Fail(CodeOfErrno(errno), rf->path, "cannot write", errno);
    return rf->failure;
}

void ReplaceFile_Abandon(ReplaceFile rf) {
    if (rf == nullptr) return;
    Discard(rf);
    delete rf;
}

int ReplaceFile_WithBuffer(const char *path, const void *data, size_t size,
                           const ReplaceOptions *options) {
    if (data == nullptr && size > 0) return Fail(REPLACE_BAD_ARGUMENT, path ? path : "", "no data");
    int rc = 0;
    ReplaceFile rf = ReplaceFile_Open(path, options, &rc);
    if (rf == nullptr) return rc;
    rc = ReplaceFile_Write(rf, data, size);
    if (rc != 0) {
        ReplaceFile_Abandon(rf);
        return rc;
    }
    return ReplaceFile_Commit(rf);
}

const char *ReplaceFile_LastErrorText() {
    return lastError.c_str();
}
