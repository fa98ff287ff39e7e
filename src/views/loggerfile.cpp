// The logger's export file: written through the file helper, so it is replaced only by a
// complete new file.
#include <cstdio>
#include <cstring>

#include "platform/file/replacefile.h"
#include "views/logger.h"

namespace {

void KeepError(LoggerExport *ex) {
    std::snprintf(ex->error, sizeof ex->error, "%s", ReplaceFile_LastErrorText());
}

} // namespace

int LoggerExportOpen(LoggerExport *ex, const char *path) {
    *ex = LoggerExport{};
    int result = 0;
    ex->file = ReplaceFile_Open(path, nullptr, &result);
    if (!ex->file) {
        KeepError(ex);
        if (!ex->error[0]) std::snprintf(ex->error, sizeof ex->error, "no file chosen");
        ex->failed = 1;
        return 0;
    }
    return 1;
}

void LoggerExportLine(LoggerExport *ex, const char *fileLine) {
    if (!ex->file || ex->failed) return;
    // The helper keeps the first failure, and then the commit fails and the old file stays.
    if (ReplaceFile_WriteText(ex->file, fileLine) != REPLACE_OK ||
        ReplaceFile_WriteText(ex->file, kLoggerLineEnd) != REPLACE_OK)
        ex->failed = 1;
}

int LoggerExportCommit(LoggerExport *ex) {
    if (!ex->file) return 0;
    int result = ReplaceFile_Commit(ex->file);
    ex->file = nullptr;
    if (result != REPLACE_OK) {
        KeepError(ex);
        ex->failed = 1;
        return 0;
    }
    return 1;
}

void LoggerExportAbandon(LoggerExport *ex) {
    ReplaceFile_Abandon(ex->file);
    ex->file = nullptr;
}
