// CSV recordings of a view's reads.
#include "views/recording.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "views/readout.h"
#include "views/viewtables.h"

namespace {

void CopyOut(const std::string &s, char *out, int size) {
    if (size <= 0) return;
    std::snprintf(out, static_cast<size_t>(size), "%s", s.c_str());
}

} // namespace

void IsoLocalTime(long long when, char *out, int size) {
    std::time_t t = static_cast<std::time_t>(when);
    std::tm local{};
    char stamp[40] = "", zone[8] = "";
    if (localtime_r(&t, &local)) {
        std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
        // %z gives +0200; the extended format wants +02:00.
        if (std::strftime(zone, sizeof zone, "%z", &local) == 5)
            std::snprintf(stamp + std::strlen(stamp), sizeof stamp - std::strlen(stamp),
                          "%.3s:%.2s", zone, zone + 3);
    }
    CopyOut(stamp, out, size);
}

void RecordingHeader(int view, char *out, int size) {
    const ViewTables &t = ViewTable(view);
    int rows[40];
    int n = ShownRows(view, rows);
    std::string line = "Time";
    for (int k = 0; k < n; ++k) {
        const MeasurandRow &r = t.rows[rows[k]];
        line += ",";
        line += r.caption;
        if (*BaseUnit(r.group)) line += std::string(" [") + BaseUnit(r.group) + "]";
    }
    CopyOut(line, out, size);
}

void RecordingRow(int view, int ok, long long when, char *out, int size) {
    const ViewTables &t = ViewTable(view);
    int rows[40];
    int n = ShownRows(view, rows);
    char stamp[40];
    IsoLocalTime(when, stamp, sizeof stamp);
    std::string line = stamp;
    for (int k = 0; k < n; ++k) {
        line += ",";
        if (!ok) continue;
        char value[32];
        BaseValueText(t.values[rows[k]], value, sizeof value);
        line += value;
    }
    CopyOut(line, out, size);
}

int StartRecording(Recording *r, int view, const char *path) {
    StopRecording(r);
    r->view = view;
    r->rows = 0;
    r->error[0] = '\0';
    char header[2048];
    RecordingHeader(view, header, sizeof header);
    int rc = 0;
    ReplaceFile file = ReplaceFile_Open(path, nullptr, &rc);
    if (file) {
        rc = ReplaceFile_WriteText(file, header);
        if (rc == 0) rc = ReplaceFile_WriteText(file, "\n");
        // An older file of that name goes only once the new one holds its whole header.
        if (rc == 0) rc = ReplaceFile_Place(file);
        if (rc != 0) ReplaceFile_Abandon(file);
    }
    if (rc != 0) {
        CopyOut(ReplaceFile_LastErrorText(), r->error, sizeof r->error);
        return 0;
    }
    r->file = file;
    return 1;
}

int RecordRead(Recording *r, int ok, long long when) {
    if (!r->file) return 0;
    char line[2048];
    RecordingRow(r->view, ok, when, line, sizeof line);
    int rc = ReplaceFile_WriteText(r->file, line);
    if (rc == 0) rc = ReplaceFile_WriteText(r->file, "\n");
    if (rc == 0) rc = ReplaceFile_Flush(r->file);
    if (rc != 0) {
        std::snprintf(r->error, sizeof r->error, "the recording could not be written (%s)",
                      ReplaceFile_LastErrorText());
        ReplaceFile_Abandon(r->file); // the rows written so far stay in the file
        r->file = nullptr;
        return 0;
    }
    ++r->rows;
    return 1;
}

void StopRecording(Recording *r) {
    if (!r->file) return;
    if (ReplaceFile_Commit(r->file) != 0)
        CopyOut(ReplaceFile_LastErrorText(), r->error, sizeof r->error);
    r->file = nullptr;
}

int RecordingActive(const Recording *r) {
    return r->file != nullptr;
}
