// Splits a byte stream into text lines. The bytes come from a read function, so the same reader
// serves files, memory and anything else; CR, LF and NUL end a line, and a CR LF or LF CR pair
// counts as one line end. Counters map each returned line back to its place in the stream.
#pragma once

#include <cstddef>
#include <cstdio>

#include "inifile/inicodes.h"

// Source of bytes: fill up to maxBytes into buffer and set *bytesRead; 0 bytes means end of
// input. Returns 0 or a negative error code, which the reader passes on unchanged.
typedef int (*LineFile_ReadFunc)(void *callbackData, int maxBytes, int *bytesRead, char *buffer);

typedef struct LineFileRec *LineFile;

// Read function over bytes in memory: callbackData is a LineFile_Memory, which is advanced
// past what was handed out.
struct LineFile_Memory {
    const char *bytes;
    size_t left;
};
int LineFile_ReadFromMemory(void *callbackData, int maxBytes, int *bytesRead, char *buffer);

// A new reader over readFunction, or nullptr when memory runs out. A null readFunction selects
// LineFile_ReadFromFile with callbackData being a FILE * opened for binary reading.
LineFile LineFile_New(LineFile_ReadFunc readFunction, void *callbackData);
void LineFile_Dispose(LineFile lineFile);

// Read function over a stdio stream (callbackData is the FILE *); INI_ERR_READ when the stream
// reports an error.
int LineFile_ReadFromFile(void *callbackData, int maxBytes, int *bytesRead, char *buffer);

// Reads the next line into buffer, which must hold maxChars + 1 bytes. Bytes beyond maxChars are
// dropped, but the line is still consumed to its end. *endOfFile is set when no line was left;
// numCharsRead may be null. Returns 0 or the read function's error (the bytes stored so far are
// then in buffer, terminated).
int LineFile_Read(LineFile lineFile, char *buffer, int maxChars, int *numCharsRead, int *endOfFile);
// Like LineFile_Read, but skips lines that hold nothing but white space.
int LineFile_ReadNonEmpty(LineFile lineFile, char *buffer, int maxChars, int *numCharsRead,
                          int *endOfFile);

// Like LineFile_ReadNonEmpty, but without copying where it can: *line points to the line's
// *numChars characters, which are not terminated and stay valid until the next read. A line that
// the reader cannot hand out in place is gathered in spill (maxChars + 1 bytes) and terminated.
int LineFile_ReadNonEmptyInPlace(LineFile lineFile, char *spill, int maxChars, const char **line,
                                 int *numChars, int *endOfFile);

// Bytes of the stream taken so far, line ends included: where the next line starts.
long LineFile_NumBytesTaken(LineFile lineFile);
// The character that ended the last line ('\0' before the first line).
char LineFile_LastLineEnd(LineFile lineFile);
// Makes a new reader go on as if linesRead lines, the last ended by lastLineEnd, came before
// its stream: a text cut out after a line end reads with the same numbers and line-end pairs
// as in the whole stream.
void LineFile_Resume(LineFile lineFile, int linesRead, char lastLineEnd);

// Lines completed so far (the number of the line just returned, counting from 1).
int LineFile_NumLinesRead(LineFile lineFile);
// Byte offset in the stream where the last returned line starts; -1 before the first read.
long LineFile_OffsetOfLastLine(LineFile lineFile);
// 1 when the last line began with the second half of a CR LF / LF CR pair, else 0.
int LineFile_NumExtraLineTermChars(LineFile lineFile);
// Characters, line ends included, of the blank lines the last LineFile_ReadNonEmpty skipped.
long LineFile_NumCharsInEmptyLines(LineFile lineFile);
