// INI text both ways: the parser (one loop over lines from any line source, so files and memory
// parse alike) and the writer that hands out finished lines.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "inifile/inifile_impl.h"

using namespace ini;

namespace {

constexpr std::string_view kLineSuffix = " Line";

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// Parses one line that the source handed over (never empty or blank).
void ParseLine(IniDoc ini, std::string_view s, int lineNumber, IniSection *&current) {
    s = Trim(s);
    if (s.empty() || StartsWith(s, ini->comment)) return;

    if (s.front() == ini->sectionStart) {
        size_t end = s.rfind(ini->sectionEnd);
        if (end == std::string_view::npos || end == 0) return;
        if (!Trim(s.substr(end + 1)).empty()) return; // text after the header: not a header
        std::string_view name = Trim(s.substr(1, end - 1));
        if (name.empty()) return;
        if (ini->filter != nullptr) {
            std::string copy(name);
            if (ini->filter(ini, ini->filterData, copy.c_str()) == 0) {
                current = nullptr; // items under a rejected header are dropped
                return;
            }
        }
        current = AppendSection(ini, name, lineNumber);
        return;
    }

    size_t sep = s.find(ini->separator);
    if (sep == std::string_view::npos) return;
    std::string_view name = Trim(s.substr(0, sep));
    std::string_view value = Trim(s.substr(sep + ini->separator.size()));
    if (name.empty() || value.empty() || current == nullptr) return;

    auto item = std::make_unique<IniItem>();
    item->name.assign(name.data(), name.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
        item->quoted = true;
    }
    item->value.assign(value.data(), value.size());
    item->line = lineNumber;
    current->items.push_back(std::move(item));
}

// For "Base Line0007" gives the base name and 7; false when the name is not a piece name.
bool SplitPieceName(const std::string &name, std::string_view *base, unsigned *number) {
    size_t d = name.size();
    while (d > 0 && name[d - 1] >= '0' && name[d - 1] <= '9') --d;
    if (d == name.size() || d < kLineSuffix.size() + 1) return false;
    if (name.compare(d - kLineSuffix.size(), kLineSuffix.size(), kLineSuffix) != 0) return false;
    unsigned v = 0;
    for (size_t i = d; i < name.size(); ++i)
        v = std::min(v * 10 + unsigned(name[i] - '0'), 100000u);
    // Names are kept without surrounding blanks, so "A  Line1" joins into "A".
    *base = Trim(std::string_view(name).substr(0, d - kLineSuffix.size()));
    *number = v;
    return true;
}

// Joins runs of "Name Line0001", "Name Line0002", ... into one item "Name". A run continues
// only over pieces of the same base name, so that neighbouring long items stay apart.
void JoinPieces(IniSection *sec) {
    auto &items = sec->items;
    bool any = false;
    for (auto &it : items) {
        std::string_view base;
        unsigned k;
        if (SplitPieceName(it->name, &base, &k) && k == 1) {
            any = true;
            break;
        }
    }
    if (!any) return;
    std::vector<std::unique_ptr<IniItem>> joined;
    joined.reserve(items.size());
    for (size_t i = 0; i < items.size();) {
        std::string_view base;
        unsigned k;
        if (!SplitPieceName(items[i]->name, &base, &k) || k != 1) {
            joined.push_back(std::move(items[i++]));
            continue;
        }
        std::string baseName(base);
        auto first = std::move(items[i++]);
        for (; i < items.size(); ++i) {
            std::string_view b;
            unsigned n;
            if (!SplitPieceName(items[i]->name, &b, &n) || n == 1 || CompareNames(b, baseName) != 0)
                break;
            first->value += items[i]->value;
        }
        first->name = std::move(baseName);
        joined.push_back(std::move(first));
    }
    items.swap(joined);
}

// Length of the next piece of a long value starting at pos: at most 80 characters, never
// ending inside a UTF-8 sequence, and for an unquoted value never ending or starting with white
// space, which the reader would trim away.
size_t PieceLength(const std::string &v, size_t pos, bool quoted) {
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

struct MemorySource {
    const char *p;
    size_t left;
};

int ReadMemory(void *data, int maxBytes, int *bytesRead, char *buffer) {
    auto *m = static_cast<MemorySource *>(data);
    size_t n = std::min(m->left, static_cast<size_t>(maxBytes > 0 ? maxBytes : 0));
    if (n > 0) std::memcpy(buffer, m->p, n);
    m->p += n;
    m->left -= n;
    *bytesRead = static_cast<int>(n);
    return 0;
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

int Ini_ReadGeneric(IniDoc ini, Ini_LineSourceFunc lineSource, void *callbackData) {
    if (ini == nullptr || lineSource == nullptr) return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        ini->last = nullptr;
        size_t firstNew = ini->sections.size();
        IniSection *current = nullptr;
        char line[INI_MAX_LINE_CHARS + 1];
        int rc = 0;
        for (;;) {
            int end = 0, number = 0;
            line[0] = '\0';
            rc = lineSource(callbackData, line, &end, &number);
            if (rc < 0 || end) break;
            line[INI_MAX_LINE_CHARS] = '\0';
            ParseLine(ini, line, number, current);
        }
        // Even after a failed read the document stays consistent: pieces joined, order kept.
        for (size_t i = firstNew; i < ini->sections.size(); ++i) JoinPieces(ini->sections[i].get());
        if (ini->autoSort) {
            SortSections(ini);
            for (auto &s : ini->sections) SortItems(s.get());
        }
        if (ini->hasIndex) BuildIndexes(ini);
        return rc < 0 ? rc : 0;
    });
}

int Ini_ReadFromFile(IniDoc ini, const char *path) {
    if (ini == nullptr || path == nullptr) return INI_ERR_NULL_ARGUMENT;
    FILE *f = std::fopen(path, "rb");
    if (f == nullptr) return INI_ERR_OPEN_READ;
    LineFile lf = LineFile_New(nullptr, f);
    if (lf == nullptr) {
        std::fclose(f);
        return INI_ERR_OUT_OF_MEMORY;
    }
    int rc = Ini_ReadGeneric(ini, Ini_LineFileSource, lf);
    LineFile_Dispose(lf);
    std::fclose(f); // opened for reading only: nothing to lose on close
    return rc;
}

int Ini_ReadFromMemory(IniDoc ini, const char *text, size_t size) {
    if (ini == nullptr || (text == nullptr && size > 0)) return INI_ERR_NULL_ARGUMENT;
    MemorySource src{text, size};
    LineFile lf = LineFile_New(ReadMemory, &src);
    if (lf == nullptr) return INI_ERR_OUT_OF_MEMORY;
    int rc = Ini_ReadGeneric(ini, Ini_LineFileSource, lf);
    LineFile_Dispose(lf);
    return rc;
}

int Ini_WriteGeneric(IniDoc ini, Ini_LineSinkFunc writeLine, void *callbackData) {
    if (ini == nullptr || writeLine == nullptr) return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        std::string line;
        line.reserve(INI_MAX_LINE_CHARS + 1);
        auto emit = [&](const std::string &s) { return writeLine(callbackData, s.c_str()); };
        auto item = [&](const std::string &name, const char *value, size_t n, bool quoted) {
            line = name;
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
                const std::string &v = it->value;
                if (v.size() <= static_cast<size_t>(INI_MAX_VALUE_PIECE)) {
                    rc = item(it->name, v.data(), v.size(), it->quoted);
                    if (rc < 0) return rc;
                    continue;
                }
                int k = 1;
                for (size_t pos = 0; pos < v.size(); ++k) {
                    size_t n = PieceLength(v, pos, it->quoted);
                    char suffix[24];
                    std::snprintf(suffix, sizeof suffix, "%s%04d", " Line", k);
                    rc = item(it->name + suffix, v.data() + pos, n, it->quoted);
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
