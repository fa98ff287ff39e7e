// Inside of an INI document, shared by the engine's source files only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "inifile/inifile.h"

// An item and its text in one block: this header, then the name, a NUL, the value and a NUL, so
// that name and value are at hand as terminated texts without allocations of their own. The
// header is kept small: a read of thousands of items writes little more than their text.
struct IniItem {
    uint32_t valueSize = 0; // the value as stored in the file, without enclosing quotes
    int line = 0;           // file line it was read from; 0 when added in memory
    uint16_t nameSize = 0;
    bool quoted = false;
    bool pooled = false; // lives in the document's arena, released with the document

    IniItem() = default;
    IniItem(const IniItem &) = delete; // the text lives in the item's own block
    IniItem &operator=(const IniItem &) = delete;

    const char *Text() const { return reinterpret_cast<const char *>(this + 1); }
    std::string_view Name() const { return {Text(), nameSize}; }
    std::string_view Value() const { return {Text() + nameSize + 1, valueSize}; }
};

struct ItemRelease {
    void operator()(IniItem *item) const noexcept;
};
using ItemPtr = std::unique_ptr<IniItem, ItemRelease>;

// Memory for the items a read creates, taken in large blocks and given back only with the
// document: a file of thousands of lines needs a few allocations instead of one per line.
// Items the program puts are allocated one by one, so that a value replaced again and again
// does not pile up.
class ItemArena {
  public:
    void *Allocate(size_t bytes) {
        bytes = (bytes + alignof(IniItem) - 1) / alignof(IniItem) * alignof(IniItem);
        if (bytes > room_) return AllocateSlow(bytes);
        void *p = next_;
        next_ += bytes;
        room_ -= bytes;
        return p;
    }

  private:
    void *AllocateSlow(size_t bytes);

    std::vector<std::unique_ptr<char[]>> blocks_;
    char *next_ = nullptr;
    size_t room_ = 0;
};

// The text of a file or memory read, kept while some section's lines in it are still unread.
struct IniText {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
};

struct IniSection {
    std::string name;
    std::string_view Name() const { return name; }
    std::vector<ItemPtr> items;   // visible order
    std::vector<IniItem *> index; // sorted lookup copy, valid while hasIndex
    bool hasIndex = false;
    bool autoSort = false;
    int line = 0;
    // Notes of the read that is adding this section: its items came in order, and some item
    // starts a run of value pieces. Both false outside that read.
    bool readInOrder = false;
    bool readPieces = false;
    // Lines not parsed yet: a read only finds the headers, and a section's items are made when
    // the section is first asked for. bodyStart and bodyEnd are offsets into text; the lines
    // before bodyStart number bodyLines and the last of them ended in bodyLineEnd.
    std::shared_ptr<const IniText> text;
    size_t bodyStart = 0;
    size_t bodyEnd = 0;
    int bodyLines = 0;
    char bodyLineEnd = '\0';
    bool sortBody = false; // the read was sorting: the items are sorted once parsed
    bool Pending() const { return text != nullptr; }
};

struct IniDocRec {
    ItemArena arena; // first, so that it outlives the sections whose items it holds
    std::vector<std::unique_ptr<IniSection>> sections; // visible order
    std::vector<IniSection *> index;                   // sorted lookup copy, valid while hasIndex
    bool hasIndex = false;
    IniSection *last = nullptr; // one-entry cache of the last section found
    bool autoSort = false;
    int lastLine = -1;
    std::string separator = "=";
    std::string writtenSeparator = " = ";
    char sectionStart = '[';
    char sectionEnd = ']';
    std::string comment = ";";
    bool duplicateChecking = true;
    Ini_SectionFilterFunc filter = nullptr;
    void *filterData = nullptr;
    std::string stringBuffer; // result of Ini_GetPointerToString
};

namespace ini {

// Space, tab, LF, VT, FF, CR.
inline bool IsBlank(char c) {
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}
inline std::string_view TrimStart(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return s.substr(b);
}
inline std::string_view TrimEnd(std::string_view s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return s.substr(0, e);
}
inline std::string_view Trim(std::string_view s) {
    return TrimEnd(TrimStart(s));
}
inline std::string_view TrimmedName(const char *s) {
    return Trim(s != nullptr ? std::string_view(s) : std::string_view());
}

// Case-insensitive order of names (ASCII letters folded; other bytes compare as unsigned, which
// keeps UTF-8 text in code-point order).
inline int CompareNames(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    // Names mostly share a long start: skip equal stretches a word at a time.
    for (uint64_t wa, wb; i + 8 <= n; i += 8) {
        std::memcpy(&wa, a.data() + i, 8);
        std::memcpy(&wb, b.data() + i, 8);
        if (wa != wb) break;
    }
    if (uint32_t wa, wb; i + 4 <= n) {
        std::memcpy(&wa, a.data() + i, 4);
        std::memcpy(&wb, b.data() + i, 4);
        if (wa == wb) i += 4;
    }
    for (; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca == cb) continue; // names mostly share long stretches: fold only where they differ
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
inline bool NameLess(std::string_view a, std::string_view b) {
    return CompareNames(a, b) < 0;
}

// A new item holding copies of name and value; from the arena when one is given.
ItemPtr NewItem(std::string_view name, std::string_view value, bool quoted, int line,
                ItemArena *arena = nullptr);

// Finds a section and makes its items, if they are not made yet.
IniSection *FindSection(IniDoc ini, std::string_view name);
// Makes the items of a section whose lines a read left for later; of all such sections.
void ParseBody(IniDoc ini, IniSection *sec);
void ParseAllBodies(IniDoc ini);
IniItem *FindItem(const IniSection *sec, std::string_view name);
// Looks up an item for a read access (the line of last access is set by the caller on success).
IniItem *LookupItem(IniDoc ini, const char *section, const char *item);

// Appends a section while reading (no sorting, no index upkeep: the reader rebuilds both).
IniSection *AppendSection(IniDoc ini, std::string_view name, int line);
// The common body of every Put: finds or creates the section and adds or replaces the item.
int AddItem(IniDoc ini, const char *section, const char *item, std::string_view value, bool quoted);

// Ini_WriteToFile without a path.
int IniWriteToStdout(IniDoc ini);

void SortSections(IniDoc ini);
void SortItems(IniSection *sec);
void BuildIndexes(IniDoc ini);
void BuildItemIndex(IniSection *sec);
// A section of fewer items is searched as quickly item by item, so it gets no index of its
// own: a language file has hundreds of small sections, most never looked up.
constexpr size_t kItemIndexFrom = 8;
void DropIndexes(IniDoc ini);

// Runs body, turning an exhausted heap into the out-of-memory code.
template <class F> int Guarded(F body) {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return INI_ERR_OUT_OF_MEMORY;
    } catch (const std::length_error &) {
        return INI_ERR_OUT_OF_MEMORY;
    }
}

} // namespace ini
