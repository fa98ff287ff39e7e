// The logger's status, download plan, time stamps and lines, and the download itself.
#include "views/logger.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "config/commands.h"
#include "config/record.h"
#include "views/display.h"

char logfile[260];
float Sync_Int;
int timeoffset;

namespace {

constexpr int kFirstDataRegister = 999;
constexpr int kFailedWords = 10; // status words 2..11

// Whether the status lists register `address` as failed.
bool ListedFailed(const uint16_t *status, int address) {
    for (int k = 2; k < 2 + kFailedWords; ++k)
        if (status[k] == address) return true;
    return false;
}

} // namespace

int LoggerChannels(unsigned loggerWord) {
    return ((loggerWord & kLoggerReactive) ? 1 : 0) + ((loggerWord & kLoggerActive) ? 1 : 0);
}

int AsksNewestTime(unsigned loggerWord) {
    return (loggerWord & (kLoggerModeAsk | kLoggerMode2)) == kLoggerModeAsk;
}

int LoggerModeItem(unsigned loggerWord) {
    return (loggerWord & kLoggerMode2) ? 2 : 1;
}

int ConfiguredInterval(unsigned energyControl) {
    if (energyControl & 0x80) return 0;
    return static_cast<int>(energyControl & 0x3F) * 60;
}

void SetLoggerInterval(int seconds) {
    // Whole seconds are kept as they were given: 60 x (1/60 minute) in floats may fall short of
    // 1 and would give a record no time of its own.
    timeoffset = seconds;
    Sync_Int = static_cast<float>(seconds / 60.0);
}

void IntervalText(int seconds, char *out, int size) {
    unsigned s = seconds < 0 ? 0u : static_cast<unsigned>(seconds);
    std::snprintf(out, static_cast<size_t>(size), "%02u:%02u", s / 60, s % 60);
}

void SpanText(int seconds, int records, char *out, int size) {
    unsigned long long total = 0;
    if (seconds > 0 && records > 0)
        total = static_cast<unsigned long long>(seconds) * static_cast<unsigned>(records);
    unsigned long long m = total / 60;
    std::snprintf(out, static_cast<size_t>(size), "%02llu:%02llu:%02llu", m / 1440, (m % 1440) / 60,
                  m % 60);
}

long long RoundDownToInterval(long long t, int interval) {
    if (interval <= 0) return t;
    long long r = t % interval;
    if (r < 0) r += interval;
    return t - r;
}

void TimeStampText(long long t, char *out, int size) {
    std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    if (!localtime_r(&tt, &local)) local = std::tm{};
    std::snprintf(out, static_cast<size_t>(size), "%02u.%02u.%02u  %02u:%02u:%02u",
                  unsigned(local.tm_mday), unsigned(local.tm_mon + 1),
                  unsigned((local.tm_year + 1900) % 100), unsigned(local.tm_hour),
                  unsigned(local.tm_min), unsigned(local.tm_sec));
}

long long LocalTime(int year, int month, int day, int hour, int minute, int second) {
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return -1;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    // 31 February is no date: mktime would quietly make it 3 March.
    if (t == static_cast<std::time_t>(-1) || tm.tm_mday != day || tm.tm_mon != month - 1) return -1;
    return static_cast<long long>(t);
}

void UpdateLoggerCounts(unsigned loggerWord) {
    Log[13] = static_cast<uint16_t>(LoggerChannels(loggerWord));
    Log[12] = Log[13] ? static_cast<uint16_t>(Log[1] / Log[13]) : 0;
}

int ReadLoggerStatus(unsigned loggerWord) {
    int ok = Read(&Lese, ReadLogStatus, 1);
    UpdateLoggerCounts(loggerWord);
    return ok;
}

int PlanLoggerBlocks(int storedValues, int records, int channels, LoggerBlock *blocks, int max) {
    if (channels <= 0 || records <= 0 || storedValues <= 0) return 0;
    int start = 2 * storedValues + kFirstDataRegister;
    long remaining = 2L * records * channels;
    int n = 0;
    while (remaining > 0 && n < max) {
        int count =
            remaining <= kMaxLoggerRegisters ? static_cast<int>(remaining) : kMaxLoggerRegisters;
        start -= count;
        if (start < kFirstDataRegister) break; // more asked than the memory holds
        blocks[n++] = LoggerBlock{start, count};
        remaining -= kMaxLoggerRegisters;
    }
    return n;
}

int ListLoggerBlock(const LoggerBlock &block, const float *values, unsigned loggerWord,
                    const uint16_t *status, LoggerCursor *cursor, LoggerLine *out) {
    int channels = LoggerChannels(loggerWord);
    if (channels == 0) return 0;
    int n = 0;
    for (int j = block.count / 2 - 1; j >= 0; j -= channels) {
        if (channels == 2 && j < 1) break;
        LoggerLine &l = out[n++];
        l = LoggerLine{};
        l.time = cursor->time;
        char stamp[40];
        TimeStampText(cursor->time, stamp, sizeof stamp);
        cursor->time -= cursor->interval;
        l.channels = channels;
        if (channels == 1) {
            l.address = block.start + 2 * j + 1;
            l.failed = ListedFailed(status, l.address);
        } else {
            l.address = block.start + 2 * j - 1;
            l.failed =
                ListedFailed(status, l.address) || ListedFailed(status, block.start + 2 * j + 1);
        }
        if (l.failed) cursor->bracketed = 1;
        l.bracketed = cursor->bracketed;
        const char *before = cursor->bracketed ? "(" : " ";
        const char *after = cursor->bracketed ? ")" : " ";
        const char *state = l.failed ? "FAILED" : "- OK -";
        if (channels == 1) {
            // The one channel is scaled and labelled as what it logs.
            int group = (loggerWord & kLoggerActive) ? GROUP_ACTIVE : GROUP_REACTIVE;
            l.value[0] = values[j] / Skalierung[group];
            std::snprintf(l.screen, sizeof l.screen, "%5d:  %s%s%s    %7.2f %s    %s", l.address,
                          before, stamp, after, l.value[0], Einh[group], state);
            std::snprintf(l.file, sizeof l.file, "%5d\t%s%s%s\t%7.2f\t%s\t%s\t", l.address, before,
                          stamp, after, l.value[0], Einh[group], state);
        } else {
            l.value[0] = values[j - 1] / Skalierung[GROUP_ACTIVE];
            l.value[1] = values[j] / Skalierung[GROUP_REACTIVE];
            std::snprintf(l.screen, sizeof l.screen, "%5d:  %s%s%s  %7.2f%s  %7.2f%s    %s",
                          l.address, before, stamp, after, l.value[0], Einh[GROUP_ACTIVE],
                          l.value[1], Einh[GROUP_REACTIVE], state);
            std::snprintf(l.file, sizeof l.file, "%5d\t%s%s%s\t%7.2f\t%s\t%7.2f\t%s\t%s\t",
                          l.address, before, stamp, after, l.value[0], Einh[GROUP_ACTIVE],
                          l.value[1], Einh[GROUP_REACTIVE], state);
        }
    }
    return n;
}

int DownloadLogger(unsigned loggerWord, int records, long long newest, int interval,
                   const LoggerSink &sink, int *lines) {
    *lines = 0;
    int channels = LoggerChannels(loggerWord);
    if (records > Log[12]) records = Log[12];
    LoggerBlock blocks[2 * 65536 / kMaxLoggerRegisters + 2];
    int n = PlanLoggerBlocks(Log[1], records, channels, blocks,
                             static_cast<int>(sizeof blocks / sizeof blocks[0]));
    long total = 0;
    for (int b = 0; b < n; ++b) total += blocks[b].count;
    LoggerCursor cursor{newest, interval, 0};
    long done = 0;
    for (int b = 0; b < n; ++b) {
        Log[15] = static_cast<uint16_t>(blocks[b].start);
        Log[14] = static_cast<uint16_t>(blocks[b].count);
        if (!Read(&Lese, ReadLoggerData, 1)) return LOGGER_READ_FAILED;
        done += blocks[b].count;
        if (sink.progress) sink.progress(sink.context, static_cast<int>(done * 100 / total));
        LoggerLine listed[kMaxLoggerRegisters / 2];
        int count = ListLoggerBlock(blocks[b], LoggerData, loggerWord, Log, &cursor, listed);
        for (int k = 0; k < count; ++k) {
            if (!sink.line(sink.context, listed[k])) return LOGGER_CANCELLED;
            ++*lines;
        }
        if (b + 1 < n && sink.cancelled && sink.cancelled(sink.context)) return LOGGER_CANCELLED;
    }
    return LOGGER_COMPLETE;
}

int ResetLoggerMemory() {
    return Write(&Lese, WriteLoggerReset, 1, 0);
}

void LoggerSeriesClear(LoggerSeries *series, int channels) {
    series->channels = channels;
    series->count = 0;
}

int LoggerSeriesAdd(LoggerSeries *series, const LoggerLine &line) {
    if (series->count == series->capacity) {
        int more = series->capacity ? 2 * series->capacity : 256;
        void *grown = std::realloc(series->points, sizeof(LoggerPoint) * static_cast<size_t>(more));
        if (!grown) return 0;
        series->points = static_cast<LoggerPoint *>(grown);
        series->capacity = more;
    }
    LoggerPoint &p = series->points[series->count++];
    p.time = line.time;
    p.failed = line.failed;
    for (int c = 0; c < 2; ++c)
        p.value[c] = line.failed || c >= line.channels ? std::nan("") : line.value[c];
    return 1;
}

const LoggerPoint &LoggerSeriesAt(const LoggerSeries &series, int k) {
    return series.points[series.count - 1 - k];
}

int LoggerSeriesRange(const LoggerSeries &series, int c, double *lo, double *hi) {
    int found = 0;
    for (int k = 0; k < series.count; ++k) {
        double v = series.points[k].value[c];
        if (std::isnan(v)) continue;
        if (!found || v < *lo) *lo = v;
        if (!found || v > *hi) *hi = v;
        found = 1;
    }
    if (found && *hi - *lo < 1e-9) {
        double pad = std::fabs(*hi) > 1 ? std::fabs(*hi) * 0.05 : 0.5;
        *lo -= pad;
        *hi += pad;
    }
    return found;
}

void LoggerSeriesFree(LoggerSeries *series) {
    std::free(series->points);
    *series = LoggerSeries{};
}
