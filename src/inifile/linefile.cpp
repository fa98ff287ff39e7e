// Line reader: a block-buffered splitter of byte streams into lines, with position counters.
#include "inifile/linefile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// Large enough that a file is read in few calls; a stdio stream hands a request of this size
// straight from the kernel without copying it through its own buffer.
constexpr int kBlockSize = 32768;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}
bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Index of the first CR, LF or NUL from p on. The NUL after the block's data guarantees one, and
// the block has room for the 16 bytes read at a time past it.
size_t ScanToLineEnd(const char *p) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), nul = _mm_setzero_si128();
    for (size_t i = 0;; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                                   _mm_cmpeq_epi8(v, nul));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
    }
#else
    return std::strcspn(p, "\r\n");
#endif
}
} // namespace

struct LineFileRec {
    LineFile_ReadFunc read = nullptr;
    void *data = nullptr;
    // Past a block's data: the NUL that stops the scan for line ends, and room for the scan's
    // last read, zeroed at every refill so that the scan never looks at bytes nobody wrote.
    char block[kBlockSize + 16];
    int pos = 0;
    int left = 0;
    long total = 0;
    char lastTerm = '\0';
    int lines = 0;
    long lastOffset = -1;
    int extraTerm = 0;
    long emptyChars = 0;
};

const char *Ini_ErrorText(int code) {
    switch (code) {
    case INI_ERR_OPEN_READ:
        return "Could Not Open File For Reading";
    case INI_ERR_READ:
        return "Error Reading From File";
    case INI_ERR_NO_TEMP_NAME:
        return "Could Not Find Unused Temporary File Name";
    case INI_ERR_CREATE_TEMP:
        return "Could Not Create Temporary File";
    case INI_ERR_INVALID_INT:
        return "Invalid Integer Number";
    case INI_ERR_INVALID_UINT:
        return "Invalid Unsigned Integer Number";
    case INI_ERR_INVALID_DOUBLE:
        return "Invalid Floating Point Number";
    case INI_ERR_INVALID_BOOL:
        return "Invalid Boolean Value";
    case INI_ERR_OUT_OF_MEMORY:
        return "Out Of Memory";
    case INI_ERR_NULL_ARGUMENT:
        return "Null Argument";
    case INI_ERR_NOT_FOUND:
        return "Not Found";
    case INI_ERR_ACCESS_DENIED:
        return "Access Denied";
    case INI_ERR_DISK_FULL:
        return "Disk Full";
    case INI_ERR_IO:
        return "Input/Output Error";
    case INI_ERR_BAD_DATA:
        return "Invalid Data Encoding";
    case INI_ERR_BAD_NAME:
        return "Invalid Section Or Item Name";
    case INI_ERR_BAD_VALUE:
        return "Invalid Value";
    default:
        return "";
    }
}

int LineFile_ReadFromFile(void *callbackData, int maxBytes, int *bytesRead, char *buffer) {
    auto *file = static_cast<FILE *>(callbackData);
    *bytesRead = 0;
    if (file == nullptr) return INI_ERR_NULL_ARGUMENT;
    if (maxBytes <= 0) return 0;
    size_t n = std::fread(buffer, 1, static_cast<size_t>(maxBytes), file);
    *bytesRead = static_cast<int>(n);
    if (n == 0 && std::ferror(file)) return INI_ERR_READ;
    return 0;
}

int LineFile_ReadFromMemory(void *callbackData, int maxBytes, int *bytesRead, char *buffer) {
    auto *m = static_cast<LineFile_Memory *>(callbackData);
    size_t n = std::min(m->left, static_cast<size_t>(maxBytes > 0 ? maxBytes : 0));
    if (n > 0) std::memcpy(buffer, m->bytes, n);
    m->bytes += n;
    m->left -= n;
    *bytesRead = static_cast<int>(n);
    return 0;
}

LineFile LineFile_New(LineFile_ReadFunc readFunction, void *callbackData) {
    auto *lf = new (std::nothrow) LineFileRec;
    if (lf == nullptr) return nullptr;
    lf->read = readFunction != nullptr ? readFunction : LineFile_ReadFromFile;
    lf->data = callbackData;
    return lf;
}

void LineFile_Dispose(LineFile lineFile) {
    delete lineFile;
}

namespace {

int NextLineSlow(LineFileRec *lf, char *spill, int maxChars, const char **text, int *length,
                 int *endOfFile);

// Reads the next line. Its first maxChars bytes are handed out in place, in the block, when the
// line ends inside the block it began in; otherwise they are gathered in spill (maxChars + 1
// bytes), which is terminated. A text in place is not terminated.
inline int NextLine(LineFileRec *lf, char *spill, int maxChars, const char **text, int *length,
                    int *endOfFile) {
    if (lf->left > 0) {
        // Most lines lie whole in the block: handled here with the counters in registers, the
        // rest (a line across a refill, the end of the input) by the loop below.
        const char *start = lf->block + lf->pos;
        int skip = IsLineEnd(*start) && *start != lf->lastTerm ? 1 : 0; // end of a pair
        size_t run = ScanToLineEnd(start + skip);
        if (run < static_cast<size_t>(lf->left - skip)) {
            *endOfFile = 0;
            lf->extraTerm = skip;
            lf->lastOffset = lf->total - lf->left + skip;
            lf->lastTerm = start[skip + static_cast<int>(run)];
            int used = skip + static_cast<int>(run) + 1;
            lf->pos += used;
            lf->left -= used;
            lf->lines++;
            *text = start + skip;
            *length = run < static_cast<size_t>(maxChars) ? static_cast<int>(run) : maxChars;
            return 0;
        }
    }
    return NextLineSlow(lf, spill, maxChars, text, length, endOfFile);
}

// A line across a refill, or the end of the input.
__attribute__((noinline)) int NextLineSlow(LineFileRec *lf, char *spill, int maxChars,
                                           const char **text, int *length, int *endOfFile) {
    *endOfFile = 0;
    lf->extraTerm = 0;
    lf->lastOffset = lf->total - lf->left;

    const char *inPlace = nullptr; // set only for a line that begins and ends in one block
    int stored = 0;                // bytes kept, in place or in spill
    bool first = true;
    bool complete = false;
    int err = 0;
    while (!complete) {
        if (lf->left == 0) {
            int got = 0;
            err = lf->read(lf->data, kBlockSize, &got, lf->block);
            if (err < 0) break;
            // A source that claims more than it was asked for is not trusted past the block.
            if (got < 0) got = 0;
            if (got > kBlockSize) got = kBlockSize;
            lf->pos = 0;
            lf->left = got;
            lf->total += got;
            std::memset(lf->block + got, 0, 16);
            if (got == 0) {
                if (stored == 0)
                    *endOfFile = 1;
                else
                    complete = true;
                break;
            }
        }
        const char *start = lf->block + lf->pos;
        if (first) {
            first = false;
            if (IsLineEnd(*start) && *start != lf->lastTerm) {
                // Second half of a CR LF / LF CR pair that ended the previous line.
                lf->pos++;
                lf->left--;
                lf->lastOffset++;
                lf->extraTerm++;
                continue;
            }
        }
        // The NUL after the block's last byte ends the scan where no line end comes first.
        size_t run = ScanToLineEnd(start);
        if (run > static_cast<size_t>(lf->left)) run = static_cast<size_t>(lf->left);
        size_t room = static_cast<size_t>(maxChars - stored);
        size_t take = run < room ? run : room;
        if (stored == 0 && run < static_cast<size_t>(lf->left))
            inPlace = start; // the whole line is in this block, and it ends here
        else if (take > 0)
            std::memcpy(spill + stored, start, take);
        stored += static_cast<int>(take);
        lf->pos += static_cast<int>(run);
        lf->left -= static_cast<int>(run);
        if (lf->left > 0) {
            lf->lastTerm = lf->block[lf->pos++];
            lf->left--;
            complete = true;
        }
    }
    if (inPlace != nullptr) {
        *text = inPlace;
    } else {
        spill[stored] = '\0';
        *text = spill;
    }
    *length = stored;
    if (complete) lf->lines++;
    return err < 0 ? err : 0;
}

bool IsBlankRun(const char *text, int n) {
    for (int i = 0; i < n; ++i)
        if (!IsBlank(text[i])) return false;
    return true;
}

void Deliver(const char *text, int n, char *buffer) {
    if (text != buffer) std::memcpy(buffer, text, static_cast<size_t>(n));
    buffer[n] = '\0';
}

} // namespace

int LineFile_Read(LineFile lf, char *buffer, int maxChars, int *numCharsRead, int *endOfFile) {
    if (numCharsRead != nullptr) *numCharsRead = 0;
    if (lf == nullptr || endOfFile == nullptr || buffer == nullptr) return INI_ERR_NULL_ARGUMENT;
    if (maxChars < 0) maxChars = 0;
    const char *text = nullptr;
    int n = 0;
    int err = NextLine(lf, buffer, maxChars, &text, &n, endOfFile);
    Deliver(text, n, buffer);
    if (numCharsRead != nullptr) *numCharsRead = n;
    return err;
}

int LineFile_ReadNonEmptyInPlace(LineFile lf, char *spill, int maxChars, const char **line,
                                 int *numChars, int *endOfFile) {
    if (numChars != nullptr) *numChars = 0;
    if (line != nullptr) *line = spill;
    if (lf == nullptr || endOfFile == nullptr || spill == nullptr || line == nullptr ||
        numChars == nullptr)
        return INI_ERR_NULL_ARGUMENT;
    if (maxChars < 0) maxChars = 0;
    long skipped = 0;
    for (;;) {
        int err = NextLine(lf, spill, maxChars, line, numChars, endOfFile);
        if (err < 0 || *endOfFile || !IsBlankRun(*line, *numChars)) {
            lf->emptyChars = skipped;
            return err;
        }
        skipped += *numChars + lf->extraTerm + 1;
    }
}

int LineFile_ReadNonEmpty(LineFile lf, char *buffer, int maxChars, int *numCharsRead,
                          int *endOfFile) {
    if (numCharsRead != nullptr) *numCharsRead = 0;
    if (lf == nullptr || endOfFile == nullptr || buffer == nullptr) return INI_ERR_NULL_ARGUMENT;
    const char *text = nullptr;
    int n = 0;
    int err = LineFile_ReadNonEmptyInPlace(lf, buffer, maxChars, &text, &n, endOfFile);
    Deliver(text, n, buffer);
    if (numCharsRead != nullptr) *numCharsRead = n;
    return err;
}

int LineFile_NumLinesRead(LineFile lf) {
    return lf != nullptr ? lf->lines : 0;
}
long LineFile_OffsetOfLastLine(LineFile lf) {
    return lf != nullptr ? lf->lastOffset : -1;
}
int LineFile_NumExtraLineTermChars(LineFile lf) {
    return lf != nullptr ? lf->extraTerm : 0;
}
long LineFile_NumCharsInEmptyLines(LineFile lf) {
    return lf != nullptr ? lf->emptyChars : 0;
}
long LineFile_NumBytesTaken(LineFile lf) {
    return lf != nullptr ? lf->total - lf->left : 0;
}
char LineFile_LastLineEnd(LineFile lf) {
    return lf != nullptr ? lf->lastTerm : '\0';
}
void LineFile_Resume(LineFile lf, int linesRead, char lastLineEnd) {
    if (lf == nullptr) return;
    lf->lines = linesRead;
    lf->lastTerm = lastLineEnd;
}
