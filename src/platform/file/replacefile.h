// Replacing a file whole. The new contents go to a temporary file in the target's folder, are
// flushed to disk and renamed over the target, so that the target is at every moment either the
// old file or the complete new one. Every writer of the program's files goes through here.
#pragma once

#include <cstddef>

// Results: 0 is success, every failure has a code of its own so that callers can map them onto
// their own codes. The text of the last failure (ReplaceFile_LastErrorText) says more.
enum {
    REPLACE_OK = 0,
    REPLACE_BAD_ARGUMENT = -1,  // no path or handle, or a path without a file name
    REPLACE_NOT_A_FILE = -2,    // the target is a folder, FIFO, device or socket: never opened
    REPLACE_ACCESS_DENIED = -3, // target or folder not writable, or the system refused a step
    REPLACE_NO_FOLDER = -4,     // the target's folder does not exist
    REPLACE_NO_TEMP_NAME = -5,  // every temporary name is taken
    REPLACE_CREATE_TEMP = -6,   // the temporary file cannot be created
    REPLACE_DISK_FULL = -7,     // no space or quota left
    REPLACE_NO_MEMORY = -8,
    REPLACE_IO = -9, // any other failure to write, sync, close or rename
};

// How temporary files are named: "<prefix><n><suffix>" in the target's folder, n counting from
// 0 to tries - 1; the first name that does not exist yet is taken, so a temporary file left by a
// crash is skipped, never overwritten.
struct ReplaceOptions {
    const char *tempPrefix; // nullptr: "." + the target's file name + "."
    const char *tempSuffix; // nullptr: ".tmp"
    int tempTries;          // 0 or less: 1000
};

typedef struct ReplaceFileRec *ReplaceFile;

// Starts replacing `path`. A symbolic link is followed: the file it points to is replaced and
// the link stays. The target must be a regular file or not exist yet, and both it and its
// folder must grant write access (judged by the mode bits too, so the super-user is refused a
// read-only file as well). Returns the handle, or nullptr with the reason in *result (which may
// be null). `options` may be null.
ReplaceFile ReplaceFile_Open(const char *path, const ReplaceOptions *options, int *result);

// Appends bytes to the new contents. Returns 0 or a failure code; after a failure every later
// write and the commit return that same code, so a writer may check only at the end.
int ReplaceFile_Write(ReplaceFile file, const void *data, size_t size);
int ReplaceFile_WriteText(ReplaceFile file, const char *text);

// Puts the new contents in place of the target: writes what is buffered, gives the new file the
// target's mode and owner (a new target gets 0644 less the umask), syncs it, renames it over the
// target and syncs the folder. Releases the handle in every case. On failure the target is
// exactly the old file (or still absent) and the temporary file is gone.
int ReplaceFile_Commit(ReplaceFile file);

// Drops the new contents: removes the temporary file, leaves the target alone, releases the
// handle. A null handle is ignored. After ReplaceFile_Place the target is the new file already;
// then this only closes it.
void ReplaceFile_Abandon(ReplaceFile file);

// For files that grow over time (recordings): puts what has been written so far in place of the
// target, as a commit does, but keeps the handle, so that later writes go on into the file now
// under the target's name. The target is thus replaced by a complete file at once and never
// shows half of one. After it, ReplaceFile_Commit only syncs and closes. A second call does
// nothing. On failure the target is exactly the old file; the failure sticks as a write's does.
int ReplaceFile_Place(ReplaceFile file);

// Writes what is buffered and syncs the file's data to disk, so that everything written before
// the call survives a crash or a power cut (for a placed file: in the target). Returns 0 or a
// failure code, which sticks.
int ReplaceFile_Flush(ReplaceFile file);

// Replaces `path` with `size` bytes of `data` in one call (open, write, commit).
int ReplaceFile_WithBuffer(const char *path, const void *data, size_t size,
                           const ReplaceOptions *options);

// What went wrong in this thread's last failed call, as "<path>: <step>: <system's reason>".
// Empty after a success. Never null.
const char *ReplaceFile_LastErrorText();
