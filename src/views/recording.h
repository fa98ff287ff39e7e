// Recording a view's reads to a CSV file: a header of captions and base units, then one row
// per read with a local ISO 8601 time stamp and every shown value in base units (empty cells
// for a failed read). Shared by the views' "Record to CSV..." button and kr7mctl --csv.
// The file replaces its target at once with the header alone, and every row is on the disk
// before RecordRead returns, so a crash or a pulled plug loses at most the row being written.
#pragma once

#include "platform/file/replacefile.h"

struct Recording {
    ReplaceFile file = nullptr;
    int view = 0;
    long rows = 0;
    char error[200] = "";
};

// Starts a recording of `view` (its shown rows for the current connection type) into `path`.
// 1 on success; 0 with the reason in r->error.
int StartRecording(Recording *r, int view, const char *path);
// Appends the row of the read that just ended (ok 0: failed) from the view's value array,
// stamped with `when` (seconds since the epoch). 1 when written; 0 when the file failed, which
// ends the recording (r->error says why).
int RecordRead(Recording *r, int ok, long long when);
void StopRecording(Recording *r);
int RecordingActive(const Recording *r);

// The CSV lines themselves, for tests and other writers.
void RecordingHeader(int view, char *out, int size);
void RecordingRow(int view, int ok, long long when, char *out, int size);
// "2024-05-03T14:02:11+02:00" for `when` in local time.
void IsoLocalTime(long long when, char *out, int size);
