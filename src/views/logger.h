// The logger without panel work: its status, the plan of a download, the reconstructed time
// stamps, the screen and file lines, and the download itself block by block. The logger view
// and kr7mctl both run it; they differ only in where the lines, the progress and a cancel come
// from and go to.
#pragma once

#include <cstdint>

// Logger word (register 539) bits.
constexpr unsigned kLoggerModeAsk = 0x0100; // with bit 9 clear: the newest record's time is asked
constexpr unsigned kLoggerMode2 = 0x0200;
constexpr unsigned kLoggerReactive = 0x0400;
constexpr unsigned kLoggerActive = 0x0800;

extern char logfile[260]; // export file of the logger; empty until chosen
extern float Sync_Int;    // logging interval in minutes (seconds as a fraction)
extern int timeoffset;    // the same in whole seconds

// Logged channels of a logger word: one for each of the active and reactive bits.
int LoggerChannels(unsigned loggerWord);
// Whether the time of the newest record must be asked (bit 8 set and bit 9 clear) rather than
// taken from the clock.
int AsksNewestTime(unsigned loggerWord);
// Index of the logger-mode ring entry that names the mode: 2 with bit 9 set, else 1.
int LoggerModeItem(unsigned loggerWord);

// The logging interval of an EnergyControl byte in seconds; 0 when it must be asked (external
// synchronisation, or an interval of 0).
int ConfiguredInterval(unsigned energyControl);
// Sets Sync_Int and timeoffset from an interval in seconds.
void SetLoggerInterval(int seconds);
// "%02u:%02u" of the interval's minutes and seconds.
void IntervalText(int seconds, char *out, int size);
// "dd:hh:mm" (days, hours, minutes) of the time `records` records span at `seconds` each.
void SpanText(int seconds, int records, char *out, int size);

// Calendar time rounded down to a whole multiple of `interval` seconds.
long long RoundDownToInterval(long long t, int interval);
// A record's time stamp: "%02u.%02u.%02u  %02u:%02u:%02u" of the local time (day, month,
// two-digit year, hour, minute, second).
void TimeStampText(long long t, char *out, int size);
// Local calendar time of a date and time, or -1 when they name none.
long long LocalTime(int year, int month, int day, int hour, int minute, int second);

// Status words: Log[13] = channels of the logger word, Log[12] = records per channel.
void UpdateLoggerCounts(unsigned loggerWord);
// Reads the status (errors reported; on failure the words keep their last values), then
// updates the counts. Returns the read's status.
int ReadLoggerStatus(unsigned loggerWord);

// One block request of a download.
struct LoggerBlock {
    int start; // first register
    int count; // registers, at most 120
};
// The blocks that read the newest `records` records of a memory holding `storedValues` values
// on `channels` channels, newest block first. Returns the count (at most `max`).
int PlanLoggerBlocks(int storedValues, int records, int channels, LoggerBlock *blocks, int max);

// One listed record.
struct LoggerLine {
    int address;    // register number the line is listed under
    long long time; // reconstructed time stamp
    int failed;     // listed as failed by the instrument
    int bracketed;  // its time stamp is in parentheses (failed or older than a failed record)
    int channels;
    double value[2]; // shown values: active (or the one channel) first
    char screen[128];
    char file[128];
};

// Where a download goes.
struct LoggerSink {
    void *context;
    // Each line, newest first. Returns 0 to stop the download (its lines so far stay).
    int (*line)(void *context, const LoggerLine &line);
    void (*progress)(void *context, int percent); // may be null
    int (*cancelled)(void *context);              // may be null; 1 stops after the block
};

// What a download did.
enum LoggerOutcome {
    LOGGER_COMPLETE = 1,
    LOGGER_READ_FAILED = 0, // a block read failed (reported); the lines so far were delivered
    LOGGER_CANCELLED = 2,   // stopped by the user or by the sink
};

// The state a download carries from block to block: the time of the next line and whether
// the brackets are on.
struct LoggerCursor {
    long long time;
    int interval;
    int bracketed;
};

// The lines of one block whose values are in `values` (LoggerData), newest first. Returns the
// count written to `out` (room for count / 2 lines). The display tables must be set.
int ListLoggerBlock(const LoggerBlock &block, const float *values, unsigned loggerWord,
                    const uint16_t *status, LoggerCursor *cursor, LoggerLine *out);

// Downloads the newest `records` records (cut to the records per channel in Log[12]) with the
// newest record stamped `newest` and each older one `interval` seconds earlier. The port must be
// open, the status read (ReadLoggerStatus) and the display tables set. *lines receives the count
// of lines delivered.
int DownloadLogger(unsigned loggerWord, int records, long long newest, int interval,
                   const LoggerSink &sink, int *lines);

// The export file of a download, replaced whole: the lines go to a new file beside it, and
// only a complete write takes its place. A failed write leaves the old file as it was.
struct LoggerExport {
    struct ReplaceFileRec *file;
    int failed;
    char error[400]; // why the open or the save failed
};
// 1 when the new file could be started.
int LoggerExportOpen(LoggerExport *ex, const char *path);
// Adds a file line and its line end.
void LoggerExportLine(LoggerExport *ex, const char *fileLine);
// Puts the file in place; 1 on success.
int LoggerExportCommit(LoggerExport *ex);
void LoggerExportAbandon(LoggerExport *ex);
// The line end of the export file.
inline constexpr const char kLoggerLineEnd[] = "\r\n";

// Resets the logger (WriteLoggerReset, errors reported). The port must be open.
int ResetLoggerMemory();

// The downloaded records as a chart draws them: oldest first along the time axis, active power
// (or the one channel) and reactive power in the shown units, a failed record as a marked gap
// (its values not a number) rather than a fall to zero. The view collects it while the lines
// arrive; a chart control with time on its x axis plots it point by point.
struct LoggerPoint {
    long long time;
    double value[2];
    int failed;
};
struct LoggerSeries {
    int channels;
    int count;
    LoggerPoint *points; // newest first as downloaded; the array belongs to the series
    int capacity;
};
void LoggerSeriesClear(LoggerSeries *series, int channels);
// Adds a listed line; 0 when memory ran out (the chart then lacks the older records).
int LoggerSeriesAdd(LoggerSeries *series, const LoggerLine &line);
// Point k in time order, 0 the oldest.
const LoggerPoint &LoggerSeriesAt(const LoggerSeries &series, int k);
// The range of channel c's values that are not failed, widened so that a flat line still
// shows; 0 when there are none.
int LoggerSeriesRange(const LoggerSeries &series, int c, double *lo, double *hi);
void LoggerSeriesFree(LoggerSeries *series);
