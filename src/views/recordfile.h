// A file that grows by whole lines over time, for recordings: the target is replaced at once
// by a complete new file holding the first line, and every later line is on the disk before
// the call returns, so a crash or a pulled plug loses at most the line being written.
#pragma once

struct RecordFile;

// Creates the file (a temporary file beside `path`, synced and renamed over it) with
// `firstLine`; nullptr on failure with the reason in `error`.
RecordFile *RecordFileCreate(const char *path, const char *firstLine, char *error, int size);
// Appends one line (a line end is added). 1 when written and synced, 0 otherwise.
int RecordFileAppend(RecordFile *file, const char *line);
void RecordFileClose(RecordFile *file);
