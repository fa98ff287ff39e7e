// INI text both ways: the parser (one loop over lines from any line source, so files and memory
// parse alike) and the writer that hands out finished lines.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "inifile/inifile_impl.h"

using namespace ini;

namespace {

constexpr std::string_view kLineSuffix = " Line";

// The first byte decides for nearly every line, without a call to compare the rest.
bool StartsWith(std::string_view s, std::string_view prefix) {
    if (prefix.empty()) return true;
    if (s.size() < prefix.size() || s.front() != prefix.front()) return false;
    return s.compare(0, prefix.size(), prefix) == 0;
}

// A one-character separator is looked for sixteen bytes at a time where the line has them,
// without the call a search function would cost on such short texts.
size_t FindSeparator(std::string_view s, const std::string &separator) {
    if (separator.size() != 1) return s.find(separator);
    const char c = separator.front();
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i want = _mm_set1_epi8(c);
    for (; i + 16 <= s.size(); i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s.data() + i));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, want)));
        if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
    }
#endif
    for (; i < s.size(); ++i)
        if (s[i] == c) return i;
    return std::string_view::npos;
}

bool SplitPieceName(std::string_view name, std::string_view *base, unsigned *number);

// True for the first piece of a long value ("Name Line0001"), which starts a run to join.
bool StartsPieces(std::string_view name) {
    std::string_view base;
    unsigned k = 0;
    // Only names ending in a 1 can be one: most names are done with after one look.
    return !name.empty() && name.back() == '1' && SplitPieceName(name, &base, &k) && k == 1;
}

// A line that starts like a section header (s is trimmed). Kept apart from the item path,
// which most lines take. True when it is a header, kept or not.
__attribute__((noinline)) bool ParseHeader(IniDoc ini, std::string_view s, int lineNumber,
                                           IniSection *&current) {
    size_t end = s.rfind(ini->sectionEnd);
    if (end == std::string_view::npos || end == 0) return false;
    if (!Trim(s.substr(end + 1)).empty()) return false; // text after the header: not a header
    std::string_view name = Trim(s.substr(1, end - 1));
    if (name.empty()) return false;
    if (ini->filter != nullptr) {
        std::string copy(name);
        if (ini->filter(ini, ini->filterData, copy.c_str()) == 0) {
            current = nullptr; // items under a rejected header are dropped
            return true;
        }
    }
    // Sections of a file tend to be alike: room for as many items as the one before saves
    // growing the list step by step.
    size_t expected = current != nullptr ? current->items.size() : 0;
    current = AppendSection(ini, name, lineNumber);
    current->items.reserve(expected);
    return true;
}

// Where a read that leaves the items for later keeps each section's lines.
struct Bodies {
    std::shared_ptr<const IniText> text;
    LineFile lines; // reads text: says where each line starts and ends
};

// Parses one line that the source handed over (never empty or blank). With bodies, only
// headers are parsed, and each new section notes where its lines are in the text.
void ParseLine(IniDoc ini, std::string_view s, int lineNumber, IniSection *&current,
               const Bodies *bodies) {
    if (bodies != nullptr) {
        // Nearly every line is an item: one look at its first character sends it on.
        s = TrimStart(s);
        if (s.empty() || s.front() != ini->sectionStart || StartsWith(s, ini->comment)) return;
        // The section before ends here already while the filter is asked, which may look at it.
        IniSection *before = current != nullptr && current->Pending() ? current : nullptr;
        size_t end = before != nullptr ? before->bodyEnd : 0;
        if (before != nullptr)
            before->bodyEnd = static_cast<size_t>(LineFile_OffsetOfLastLine(bodies->lines));
        if (!ParseHeader(ini, TrimEnd(s), lineNumber, current)) {
            if (before != nullptr) before->bodyEnd = end; // not a header: its lines go on
            return;
        }
        if (current != nullptr) {
            current->text = bodies->text;
            current->bodyStart = static_cast<size_t>(LineFile_NumBytesTaken(bodies->lines));
            current->bodyEnd = bodies->text->size;
            current->bodyLines = lineNumber;
            current->bodyLineEnd = LineFile_LastLineEnd(bodies->lines);
        }
        return;
    }
    s = Trim(s);
    if (s.empty() || StartsWith(s, ini->comment)) return;
    if (s.front() == ini->sectionStart) {
        ParseHeader(ini, s, lineNumber, current);
        return;
    }

    if (current == nullptr) return;
    size_t sep = FindSeparator(s, ini->separator);
    if (sep == std::string_view::npos) return;
    // The line is trimmed already: the name can only end in blanks, the value only start so.
    std::string_view name = TrimEnd(s.substr(0, sep));
    std::string_view value = TrimStart(s.substr(sep + ini->separator.size()));
    if (name.empty() || value.empty()) return;

    bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    if (quoted) value = value.substr(1, value.size() - 2);
    // Order and pieces are noted now, while the previous item is at hand, so that the passes
    // after the read need to look only at the sections that want them.
    auto &items = current->items;
    if (current->readInOrder && !items.empty() && NameLess(name, items.back()->Name()))
        current->readInOrder = false;
    if (!current->readPieces && StartsPieces(name)) current->readPieces = true;
    items.push_back(NewItem(name, value, quoted, lineNumber, &ini->arena));
}

// For "Base Line0007" gives the base name and 7; false when the name is not a piece name.
bool SplitPieceName(std::string_view name, std::string_view *base, unsigned *number) {
    size_t d = name.size();
    while (d > 0 && name[d - 1] >= '0' && name[d - 1] <= '9') --d;
    if (d == name.size() || d < kLineSuffix.size() + 1) return false;
    if (name.compare(d - kLineSuffix.size(), kLineSuffix.size(), kLineSuffix) != 0) return false;
    unsigned v = 0;
    for (size_t i = d; i < name.size(); ++i)
        v = std::min(v * 10 + unsigned(name[i] - '0'), 100000u);
    // Names are kept without surrounding blanks, so "A  Line1" joins into "A".
    *base = Trim(name.substr(0, d - kLineSuffix.size()));
    *number = v;
    return true;
}

// Joins runs of "Name Line0001", "Name Line0002", ... into one item "Name". A run continues
// only over pieces of the same base name, so that neighbouring long items stay apart.
void JoinPieces(IniDoc ini, IniSection *sec) {
    if (!sec->readPieces) return;
    auto &items = sec->items;
    std::vector<ItemPtr> joined;
    joined.reserve(items.size());
    std::string value;
    for (size_t i = 0; i < items.size();) {
        std::string_view base;
        unsigned k;
        if (!SplitPieceName(items[i]->Name(), &base, &k) || k != 1) {
            joined.push_back(std::move(items[i++]));
            continue;
        }
        const IniItem &first = *items[i++];
        value.assign(first.Value());
        for (; i < items.size(); ++i) {
            std::string_view b;
            unsigned n;
            if (!SplitPieceName(items[i]->Name(), &b, &n) || n == 1 || CompareNames(b, base) != 0)
                break;
            value += items[i]->Value();
        }
        // base points into the first piece, which stays in items until the swap below.
        joined.push_back(NewItem(base, value, first.quoted, first.line, &ini->arena));
    }
    items.swap(joined);
    sec->readInOrder = false; // joined names are base names: the order is to be checked again
}

// Length of the next piece of a long value starting at pos: at most 80 characters, never
// ending inside a UTF-8 sequence, and for an unquoted value never ending or starting with white
// space, which the reader would trim away.
size_t PieceLength(std::string_view v, size_t pos, bool quoted) {
    size_t n = std::min<size_t>(INI_MAX_VALUE_PIECE, v.size() - pos);
    if (pos + n == v.size()) return n;
    auto cont = [&v](size_t i) { return (static_cast<unsigned char>(v[i]) & 0xC0) == 0x80; };
    if (cont(pos + n)) {
        size_t k = n;
        while (k > 0 && n - k < 3 && cont(pos + k)) --k;
        if (k > 0 && static_cast<unsigned char>(v[pos + k]) >= 0xC0) n = k;
    }
    if (!quoted) {
        // Stepping back from a blank should not land inside a letter either; but where only
        // such a cut is left (bytes that are no UTF-8), keeping the blanks comes first.
        auto blankCut = [&v, pos](size_t k) {
            return IsBlank(v[pos + k - 1]) || IsBlank(v[pos + k]);
        };
        size_t k = n;
        while (k > 1 && (blankCut(k) || cont(pos + k))) --k;
        if (k == 1)
            for (k = n; k > 1 && blankCut(k);) --k;
        if (k > 1) n = k;
    }
    return n;
}

bool LineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// The whole stream into text; 0, or INI_ERR_READ with text holding what came before the error.
int ReadWhole(FILE *f, IniText *text) {
    struct stat st {};
    size_t room = 64 * 1024;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        room = static_cast<size_t>(st.st_size) + 1; // one more, to see the end without a regrow
    text->bytes.reset(new char[room]);
    text->size = 0;
    for (;;) {
        if (text->size == room) {
            size_t bigger = room * 2;
            std::unique_ptr<char[]> grown(new char[bigger]);
            std::memcpy(grown.get(), text->bytes.get(), text->size);
            text->bytes = std::move(grown);
            room = bigger;
        }
        size_t n = std::fread(text->bytes.get() + text->size, 1, room - text->size, f);
        text->size += n;
        if (n > 0) continue;
        return std::ferror(f) ? INI_ERR_READ : 0;
    }
}

int WriteStdout(void *, const char *line) {
    if (std::fputs(line, stdout) == EOF || std::fputs("\r\n", stdout) == EOF) return INI_ERR_IO;
    return 0;
}

} // namespace

int Ini_LineFileSource(void *callbackData, char *line, int *endOfSource, int *lineNumber) {
    auto lf = static_cast<LineFile>(callbackData);
    int rc = LineFile_ReadNonEmpty(lf, line, INI_MAX_LINE_CHARS, nullptr, endOfSource);
    *lineNumber = LineFile_NumLinesRead(lf);
    return rc;
}

namespace {

// The one parse loop. next(&line, &number) hands out the next non-empty line and its number in
// the file, and returns 0, 1 when no line is left, or a negative error, which ends the read.
template <class NextLine>
int ParseLoop(IniDoc ini, IniSection *&current, const Bodies *bodies, NextLine next) {
    std::string_view line;
    int number = 0;
    int rc;
    while ((rc = next(&line, &number)) == 0) ParseLine(ini, line, number, current, bodies);
    return rc < 0 ? rc : 0;
}

// A read into the document; with bodies, the items are left in the text for later.
template <class NextLine> int ParseLines(IniDoc ini, const Bodies *bodies, NextLine next) {
    return Guarded([&] {
        ini->last = nullptr;
        size_t firstNew = ini->sections.size();
        IniSection *current = nullptr;
        int rc = ParseLoop(ini, current, bodies, next);
        // Even after a failed read the document stays consistent: pieces joined, order kept.
        for (size_t i = firstNew; i < ini->sections.size(); ++i)
            JoinPieces(ini, ini->sections[i].get());
        if (ini->autoSort) {
            SortSections(ini);
            for (auto &s : ini->sections)
                if (s->Pending())
                    s->sortBody = true;
                else if (!s->readInOrder)
                    SortItems(s.get());
        }
        for (size_t i = firstNew; i < ini->sections.size(); ++i)
            ini->sections[i]->readInOrder = ini->sections[i]->readPieces = false;
        if (ini->hasIndex) BuildIndexes(ini);
        return rc;
    });
}

// The lines the source hands out in place, without a copy.
auto InPlaceLines(LineFile lf, char *spill) {
    return [lf, spill](std::string_view *line, int *number) {
        const char *text = nullptr;
        int n = 0, end = 0;
        int rc = LineFile_ReadNonEmptyInPlace(lf, spill, INI_MAX_LINE_CHARS, &text, &n, &end);
        *number = LineFile_NumLinesRead(lf);
        if (rc < 0) return rc;
        if (end) return 1;
        *line = std::string_view(text, static_cast<size_t>(n));
        return 0;
    };
}

// Files and memory are read whole, and only their headers parsed: a document of thousands of
// items is mostly looked at in a few sections, and each section's items are made when it is
// first asked for, by the same loop over the same lines. readError is the error that cut the
// text short, returned once what came before it is read.
int ReadText(IniDoc ini, std::shared_ptr<IniText> text, int readError) {
    if (readError < 0) {
        // As a read line by line would: the line the error broke off is not taken.
        size_t keep = text->size;
        while (keep > 0 && !LineEnd(text->bytes[keep - 1])) --keep;
        text->size = keep;
    }
    LineFile_Memory src{text->bytes.get(), text->size};
    LineFile lf = LineFile_New(LineFile_ReadFromMemory, &src);
    if (lf == nullptr) return INI_ERR_OUT_OF_MEMORY;
    char spill[INI_MAX_LINE_CHARS + 1];
    Bodies bodies{std::move(text), lf};
    int rc = ParseLines(ini, &bodies, InPlaceLines(lf, spill));
    LineFile_Dispose(lf);
    return rc < 0 ? rc : readError;
}

} // namespace

namespace ini {

void ParseBody(IniDoc ini, IniSection *sec) {
    std::shared_ptr<const IniText> text = std::move(sec->text); // no longer pending
    if (text == nullptr) return;
    LineFile_Memory src{text->bytes.get() + sec->bodyStart, sec->bodyEnd - sec->bodyStart};
    LineFile lf = LineFile_New(LineFile_ReadFromMemory, &src);
    if (lf == nullptr) return; // out of memory: the section stays empty, as after a failed read
    LineFile_Resume(lf, sec->bodyLines, sec->bodyLineEnd);
    char spill[INI_MAX_LINE_CHARS + 1];
    Guarded([&] {
        sec->readInOrder = true;
        IniSection *current = sec; // the lines hold no header: they stay in this section
        ParseLoop(ini, current, nullptr, InPlaceLines(lf, spill));
        JoinPieces(ini, sec);
        if (sec->sortBody && !sec->readInOrder) SortItems(sec);
        if (ini->hasIndex && sec->items.size() >= kItemIndexFrom) BuildItemIndex(sec);
        return 0;
    });
    sec->readInOrder = sec->readPieces = sec->sortBody = false;
    LineFile_Dispose(lf);
}

void ParseAllBodies(IniDoc ini) {
    for (auto &s : ini->sections)
        if (s->Pending()) ParseBody(ini, s.get());
}

} // namespace ini

int Ini_ReadGeneric(IniDoc ini, Ini_LineSourceFunc lineSource, void *callbackData) {
    if (ini == nullptr || lineSource == nullptr) return INI_ERR_NULL_ARGUMENT;
    char text[INI_MAX_LINE_CHARS + 1];
    return ParseLines(ini, nullptr, [&](std::string_view *line, int *number) {
        int end = 0;
        *number = 0;
        text[0] = '\0';
        int rc = lineSource(callbackData, text, &end, number);
        if (rc < 0) return rc;
        if (end) return 1;
        text[INI_MAX_LINE_CHARS] = '\0';
        *line = text;
        return 0;
    });
}

int Ini_ReadFromFile(IniDoc ini, const char *path) {
    if (ini == nullptr || path == nullptr) return INI_ERR_NULL_ARGUMENT;
    FILE *f = std::fopen(path, "rb");
    if (f == nullptr) return INI_ERR_OPEN_READ;
    int rc = Guarded([&] {
        auto text = std::make_shared<IniText>();
        int readError = ReadWhole(f, text.get());
        return ReadText(ini, std::move(text), readError);
    });
    std::fclose(f); // opened for reading only: nothing to lose on close
    return rc;
}

int Ini_ReadFromMemory(IniDoc ini, const char *text, size_t size) {
    if (ini == nullptr || (text == nullptr && size > 0)) return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        // A copy: the caller's text need not outlive the read.
        auto copy = std::make_shared<IniText>();
        copy->bytes.reset(new char[size + 1]);
        if (size > 0) std::memcpy(copy->bytes.get(), text, size);
        copy->size = size;
        return ReadText(ini, std::move(copy), 0);
    });
}

int Ini_WriteGeneric(IniDoc ini, Ini_LineSinkFunc writeLine, void *callbackData) {
    if (ini == nullptr || writeLine == nullptr) return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        ParseAllBodies(ini);
        std::string line;
        line.reserve(INI_MAX_LINE_CHARS + 1);
        auto emit = [&](const std::string &s) { return writeLine(callbackData, s.c_str()); };
        auto item = [&](std::string_view name, const char *value, size_t n, bool quoted) {
            line.assign(name);
            line += ini->writtenSeparator;
            if (quoted) line += '"';
            line.append(value, n);
            if (quoted) line += '"';
            return emit(line);
        };
        for (auto &sec : ini->sections) {
            line.assign(1, ini->sectionStart);
            line += sec->name;
            line += ini->sectionEnd;
            int rc = emit(line);
            if (rc < 0) return rc;
            for (auto &it : sec->items) {
                std::string_view v = it->Value();
                if (v.size() <= static_cast<size_t>(INI_MAX_VALUE_PIECE)) {
                    rc = item(it->Name(), v.data(), v.size(), it->quoted);
                    if (rc < 0) return rc;
                    continue;
                }
                int k = 1;
                for (size_t pos = 0; pos < v.size(); ++k) {
                    size_t n = PieceLength(v, pos, it->quoted);
                    char suffix[24];
                    std::snprintf(suffix, sizeof suffix, "%s%04d", " Line", k);
                    rc = item(std::string(it->Name()) + suffix, v.data() + pos, n, it->quoted);
                    if (rc < 0) return rc;
                    pos += n;
                }
            }
            line.clear();
            rc = emit(line);
            if (rc < 0) return rc;
        }
        return 0;
    });
}

// Writing to standard output is the one write that needs no temporary file.
int ini::IniWriteToStdout(IniDoc ini) {
    int rc = Ini_WriteGeneric(ini, WriteStdout, nullptr);
    if (rc == 0 && std::fflush(stdout) != 0) rc = INI_ERR_IO;
    return rc;
}
