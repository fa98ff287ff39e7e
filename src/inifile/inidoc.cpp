// The INI document in memory: life cycle, tokens, ordering, lookup, and structural edits.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "inifile/inifile_impl.h"

using ini::CompareNames;

namespace {
constexpr size_t kArenaBlock = 64 * 1024;

// Left uninitialised: every byte handed out is written by the item built in it.
std::unique_ptr<char[]> RawBlock(size_t bytes) {
    return std::unique_ptr<char[]>(new char[bytes]);
}
} // namespace

void *ItemArena::AllocateSlow(size_t bytes) {
    if (bytes > kArenaBlock / 4) {
        // A long joined value gets a block of its own instead of wasting the rest of one.
        blocks_.push_back(RawBlock(bytes));
        return blocks_.back().get();
    }
    blocks_.push_back(RawBlock(kArenaBlock));
    next_ = blocks_.back().get() + bytes;
    room_ = kArenaBlock - bytes;
    return blocks_.back().get();
}

void ItemRelease::operator()(IniItem *item) const noexcept {
    if (item != nullptr && !item->pooled) ::operator delete(item);
}

namespace ini {

ItemPtr NewItem(std::string_view name, std::string_view value, bool quoted, int line,
                ItemArena *arena) {
    // Names are at most a line long; a value past 4 GiB is treated like a heap that ran out.
    if (name.size() > UINT16_MAX || value.size() > UINT32_MAX) throw std::length_error("item");
    size_t bytes = sizeof(IniItem) + name.size() + value.size() + 2;
    void *block = arena != nullptr ? arena->Allocate(bytes) : ::operator new(bytes);
    auto *item = new (block) IniItem;
    char *text = reinterpret_cast<char *>(item + 1);
    if (!name.empty()) std::memcpy(text, name.data(), name.size());
    text[name.size()] = '\0';
    char *val = text + name.size() + 1;
    if (!value.empty()) std::memcpy(val, value.data(), value.size());
    val[value.size()] = '\0';
    item->nameSize = static_cast<uint16_t>(name.size());
    item->valueSize = static_cast<uint32_t>(value.size());
    item->quoted = quoted;
    item->pooled = arena != nullptr;
    item->line = line;
    return ItemPtr(item);
}

namespace {

// First element of a name-sorted pointer range whose name equals key, or nullptr.
template <class Ptr> Ptr *BinaryFind(std::vector<Ptr> &v, std::string_view key) {
    auto it = std::lower_bound(v.begin(), v.end(), key, [](const Ptr &p, std::string_view k) {
        return CompareNames(p->Name(), k) < 0;
    });
    if (it != v.end() && CompareNames((*it)->Name(), key) == 0) return &*it;
    return nullptr;
}

// Position after every element whose name sorts at or before name: keeps equal names in the
// order they were added.
template <class Ptr> size_t UpperPosition(const std::vector<Ptr> &v, std::string_view name) {
    auto it = std::upper_bound(v.begin(), v.end(), name, [](std::string_view k, const Ptr &p) {
        return CompareNames(k, p->Name()) < 0;
    });
    return static_cast<size_t>(it - v.begin());
}

template <class Ptr> void EraseFromIndex(std::vector<Ptr> &index, const void *p) {
    auto it = std::find(index.begin(), index.end(), p);
    if (it != index.end()) index.erase(it);
}

// Sorts by name, keeping equal names in their order. Files are mostly written sorted, so a range
// that already is in order (which a stable sort would leave as it is) costs one pass.
template <class Ptr> void StableSortByName(std::vector<Ptr> &v) {
    auto less = [](const Ptr &a, const Ptr &b) { return NameLess(a->Name(), b->Name()); };
    if (!std::is_sorted(v.begin(), v.end(), less)) std::stable_sort(v.begin(), v.end(), less);
}

std::unique_ptr<IniSection> NewSection(IniDoc ini, std::string_view name, int line) {
    auto sec = std::make_unique<IniSection>();
    sec->name.assign(name.data(), name.size());
    sec->autoSort = ini->autoSort;
    sec->line = line;
    return sec;
}

// Names that the reader would not give back unchanged are refused: an empty name, line ends,
// and lines longer than the reader takes. Item names must also not hold the separator nor look
// like a comment or a header.
bool SectionNameOk(std::string_view name) {
    if (name.empty() || name.size() > INI_MAX_LINE_CHARS - 2) return false;
    return name.find_first_of("\r\n") == std::string_view::npos;
}

bool ItemNameOk(IniDoc ini, std::string_view name) {
    // Room for the piece suffix " Line0001", the separator and a quoted piece of 80 characters.
    size_t room = INI_MAX_LINE_CHARS - 9 - ini->writtenSeparator.size() - (INI_MAX_VALUE_PIECE + 2);
    if (name.empty() || name.size() > room) return false;
    if (name.find_first_of("\r\n") != std::string_view::npos) return false;
    if (name.find(ini->separator) != std::string_view::npos) return false;
    if (name.front() == ini->sectionStart) return false;
    return name.compare(0, ini->comment.size(), ini->comment) != 0;
}

} // namespace

void BuildItemIndex(IniSection *sec) {
    sec->index.clear();
    sec->index.reserve(sec->items.size());
    for (auto &it : sec->items) sec->index.push_back(it.get());
    StableSortByName(sec->index);
    sec->hasIndex = true;
}

namespace {
IniSection *FindSectionOnly(IniDoc ini, std::string_view name) {
    if (ini->last != nullptr && CompareNames(ini->last->name, name) == 0) return ini->last;
    IniSection *found = nullptr;
    if (ini->hasIndex) {
        if (auto p = BinaryFind(ini->index, name)) found = *p;
    } else if (ini->autoSort) {
        if (auto p = BinaryFind(ini->sections, name)) found = p->get();
    } else {
        for (auto &s : ini->sections)
            if (CompareNames(s->name, name) == 0) {
                found = s.get();
                break;
            }
    }
    if (found != nullptr) ini->last = found;
    return found;
}
} // namespace

IniSection *FindSection(IniDoc ini, std::string_view name) {
    IniSection *sec = FindSectionOnly(ini, name);
    if (sec != nullptr && sec->Pending()) ParseBody(ini, sec);
    return sec;
}

IniItem *FindItem(const IniSection *csec, std::string_view name) {
    auto *sec = const_cast<IniSection *>(csec);
    if (sec->hasIndex) {
        auto p = BinaryFind(sec->index, name);
        return p != nullptr ? *p : nullptr;
    }
    if (sec->autoSort) {
        auto p = BinaryFind(sec->items, name);
        return p != nullptr ? p->get() : nullptr;
    }
    for (auto &it : sec->items)
        if (CompareNames(it->Name(), name) == 0) return it.get();
    return nullptr;
}

IniItem *LookupItem(IniDoc ini, const char *section, const char *item) {
    if (ini == nullptr || section == nullptr || item == nullptr) return nullptr;
    IniSection *sec = FindSection(ini, TrimmedName(section));
    return sec != nullptr ? FindItem(sec, TrimmedName(item)) : nullptr;
}

IniSection *AppendSection(IniDoc ini, std::string_view name, int line) {
    ini->sections.push_back(NewSection(ini, name, line));
    ini->sections.back()->readInOrder = true; // nothing in it yet
    return ini->sections.back().get();
}

int AddItem(IniDoc ini, const char *section, const char *item, std::string_view value,
            bool quoted) {
    if (ini == nullptr || section == nullptr || item == nullptr) return INI_ERR_NULL_ARGUMENT;
    std::string_view secName = TrimmedName(section);
    std::string_view itemName = TrimmedName(item);
    if (!SectionNameOk(secName) || !ItemNameOk(ini, itemName)) return INI_ERR_BAD_NAME;
    return Guarded([&] {
        ItemPtr newItem = NewItem(itemName, value, quoted, 0);
        IniItem *raw = newItem.get();

        IniSection *sec = FindSection(ini, secName);
        if (sec == nullptr) {
            auto fresh = NewSection(ini, secName, 0);
            fresh->items.push_back(std::move(newItem));
            IniSection *s = fresh.get();
            size_t pos =
                ini->autoSort ? UpperPosition(ini->sections, secName) : ini->sections.size();
            if (ini->hasIndex) ini->index.reserve(ini->index.size() + 1);
            ini->sections.insert(ini->sections.begin() + static_cast<long>(pos), std::move(fresh));
            if (ini->hasIndex)
                ini->index.insert(
                    ini->index.begin() + static_cast<long>(UpperPosition(ini->index, secName)), s);
            return 0;
        }

        size_t keep = sec->items.size(); // where a replaced item stood
        if (ini->duplicateChecking && sec->autoSort) {
            // Sorted: the items of that name stand together, found by binary search.
            size_t hi = UpperPosition(sec->items, itemName);
            size_t lo = hi;
            while (lo > 0 && CompareNames(sec->items[lo - 1]->Name(), itemName) == 0) --lo;
            if (sec->hasIndex)
                for (size_t i = lo; i < hi; ++i) EraseFromIndex(sec->index, sec->items[i].get());
            sec->items.erase(sec->items.begin() + static_cast<long>(lo),
                             sec->items.begin() + static_cast<long>(hi));
        } else if (ini->duplicateChecking) {
            for (size_t i = sec->items.size(); i-- > 0;) {
                if (CompareNames(sec->items[i]->Name(), itemName) != 0) continue;
                if (sec->hasIndex) EraseFromIndex(sec->index, sec->items[i].get());
                sec->items.erase(sec->items.begin() + static_cast<long>(i));
                keep = i;
            }
        }
        size_t pos = sec->autoSort ? UpperPosition(sec->items, itemName) : keep;
        sec->items.insert(sec->items.begin() + static_cast<long>(pos), std::move(newItem));
        try {
            if (sec->hasIndex)
                sec->index.insert(sec->index.begin() +
                                      static_cast<long>(UpperPosition(sec->index, itemName)),
                                  raw);
            else if (ini->hasIndex && sec->items.size() >= kItemIndexFrom)
                BuildItemIndex(sec);
        } catch (const std::bad_alloc &) {
            // A wrong index would answer lookups wrongly; no index only answers slower.
            sec->index.clear();
            sec->hasIndex = false;
        }
        return 0;
    });
}

void SortSections(IniDoc ini) {
    StableSortByName(ini->sections);
}

void SortItems(IniSection *sec) {
    StableSortByName(sec->items);
}

void BuildIndexes(IniDoc ini) {
    ini->index.clear();
    ini->index.reserve(ini->sections.size());
    for (auto &s : ini->sections) {
        ini->index.push_back(s.get());
        if (s->Pending()) continue; // indexed when its items are made
        if (s->items.size() >= kItemIndexFrom) {
            BuildItemIndex(s.get());
        } else {
            s->index.clear();
            s->hasIndex = false;
        }
    }
    StableSortByName(ini->index);
    ini->hasIndex = true;
}

void DropIndexes(IniDoc ini) {
    ini->index.clear();
    ini->index.shrink_to_fit();
    ini->hasIndex = false;
    for (auto &s : ini->sections) {
        s->index.clear();
        s->index.shrink_to_fit();
        s->hasIndex = false;
    }
}

} // namespace ini

using namespace ini;

IniDoc Ini_New(int automaticSorting) {
    auto *doc = new (std::nothrow) IniDocRec;
    if (doc != nullptr) doc->autoSort = automaticSorting != 0;
    return doc;
}

void Ini_Dispose(IniDoc ini) {
    delete ini;
}

int Ini_SetTokens(IniDoc ini, char sectionStart, char sectionEnd, const char *valueSeparator,
                  const char *commentMarker) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        ParseAllBodies(ini); // unread lines are read with the tokens they were written with
        if (sectionStart != '\0') ini->sectionStart = sectionStart;
        if (sectionEnd != '\0') ini->sectionEnd = sectionEnd;
        if (valueSeparator != nullptr && *valueSeparator != '\0') {
            ini->separator.assign(valueSeparator, strnlen(valueSeparator, 7));
            ini->writtenSeparator = " " + ini->separator + " ";
        }
        if (commentMarker != nullptr && *commentMarker != '\0')
            ini->comment.assign(commentMarker, strnlen(commentMarker, 7));
        return 0;
    });
}

int Ini_SetSectionFilter(IniDoc ini, Ini_SectionFilterFunc filter, void *callbackData) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    ini->filter = filter;
    ini->filterData = callbackData;
    return 0;
}

int Ini_SetDuplicateChecking(IniDoc ini, int on) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    int previous = ini->duplicateChecking ? 1 : 0;
    ini->duplicateChecking = on != 0;
    return previous;
}

int Ini_Sort(IniDoc ini) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        ParseAllBodies(ini);
        SortSections(ini);
        for (auto &s : ini->sections) {
            SortItems(s.get());
            s->autoSort = true;
        }
        ini->autoSort = true;
        return 0;
    });
}

int Ini_DisableSorting(IniDoc ini) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    ini->autoSort = false;
    for (auto &s : ini->sections) s->autoSort = false;
    return 0;
}

int Ini_SortInternally(IniDoc ini) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    int rc = Guarded([&] {
        BuildIndexes(ini);
        return 0;
    });
    if (rc < 0) DropIndexes(ini);
    return rc;
}

int Ini_DisableInternalSorting(IniDoc ini) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    DropIndexes(ini);
    return 0;
}

int Ini_SectionExists(IniDoc ini, const char *section) {
    if (ini == nullptr || section == nullptr) return 0;
    return FindSectionOnly(ini, TrimmedName(section)) != nullptr ? 1 : 0;
}

int Ini_ItemExists(IniDoc ini, const char *section, const char *item) {
    return LookupItem(ini, section, item) != nullptr ? 1 : 0;
}

int Ini_ItemOrMultiLineItemExists(IniDoc ini, const char *section, const char *item) {
    return Ini_ItemExists(ini, section, item);
}

int Ini_NumberOfSections(IniDoc ini) {
    return ini != nullptr ? static_cast<int>(ini->sections.size()) : 0;
}

int Ini_NthSectionName(IniDoc ini, int n, const char **name) {
    if (name != nullptr) *name = nullptr;
    if (ini == nullptr || name == nullptr) return INI_ERR_NULL_ARGUMENT;
    if (n < 1 || static_cast<size_t>(n) > ini->sections.size()) return 0;
    *name = ini->sections[static_cast<size_t>(n - 1)]->name.data();
    return 1;
}

int Ini_NumberOfItems(IniDoc ini, const char *section) {
    if (ini == nullptr || section == nullptr) return 0;
    IniSection *sec = FindSection(ini, TrimmedName(section));
    return sec != nullptr ? static_cast<int>(sec->items.size()) : 0;
}

int Ini_NthItemName(IniDoc ini, const char *section, int n, const char **name) {
    if (name != nullptr) *name = nullptr;
    if (ini == nullptr || section == nullptr || name == nullptr) return INI_ERR_NULL_ARGUMENT;
    IniSection *sec = FindSection(ini, TrimmedName(section));
    if (sec == nullptr || n < 1 || static_cast<size_t>(n) > sec->items.size()) return 0;
    *name = sec->items[static_cast<size_t>(n - 1)]->Name().data();
    return 1;
}

int Ini_LineOfLastAccess(IniDoc ini) {
    return ini != nullptr ? ini->lastLine : -1;
}

int Ini_RemoveSection(IniDoc ini, const char *section) {
    if (ini == nullptr || section == nullptr) return INI_ERR_NULL_ARGUMENT;
    IniSection *sec = FindSectionOnly(ini, TrimmedName(section));
    if (sec == nullptr) return 0;
    if (ini->last == sec) ini->last = nullptr;
    if (ini->hasIndex) EraseFromIndex(ini->index, sec);
    auto it = std::find_if(ini->sections.begin(), ini->sections.end(),
                           [sec](const std::unique_ptr<IniSection> &p) { return p.get() == sec; });
    ini->sections.erase(it);
    return 1;
}

int Ini_RemoveItem(IniDoc ini, const char *section, const char *item) {
    if (ini == nullptr || section == nullptr || item == nullptr) return INI_ERR_NULL_ARGUMENT;
    IniSection *sec = FindSection(ini, TrimmedName(section));
    if (sec == nullptr) return 0;
    std::string_view name = TrimmedName(item);
    int removed = 0;
    for (size_t i = sec->items.size(); i-- > 0;) {
        if (CompareNames(sec->items[i]->Name(), name) != 0) continue;
        if (sec->hasIndex) EraseFromIndex(sec->index, sec->items[i].get());
        sec->items.erase(sec->items.begin() + static_cast<long>(i));
        removed = 1;
    }
    return removed;
}

namespace {
int CopyOne(const IniSection &src, IniDoc destination, bool replaceExisting) {
    // The name is copied first: removing the destination's section must not pull it away.
    std::string name = src.name;
    if (replaceExisting) Ini_RemoveSection(destination, name.c_str());
    if (src.items.empty()) {
        if (FindSection(destination, name) == nullptr) {
            int ok = SectionNameOk(name) ? 0 : INI_ERR_BAD_NAME;
            if (ok < 0) return ok;
            auto fresh = NewSection(destination, name, 0);
            if (destination->hasIndex) fresh->hasIndex = true;
            IniSection *s = fresh.get();
            size_t pos = destination->autoSort ? UpperPosition(destination->sections, name)
                                               : destination->sections.size();
            destination->sections.insert(destination->sections.begin() + static_cast<long>(pos),
                                         std::move(fresh));
            if (destination->hasIndex)
                destination->index.insert(
                    destination->index.begin() +
                        static_cast<long>(UpperPosition(destination->index, name)),
                    s);
        }
        return 0;
    }
    for (auto &item : src.items) {
        int rc =
            Ini_PutRawString(destination, name.c_str(), item->Name().data(), item->Value().data());
        if (rc < 0) return rc;
    }
    return 0;
}
} // namespace

int Ini_CopySection(IniDoc source, const char *sectionName, IniDoc destination,
                    int replaceExisting) {
    if (source == nullptr || destination == nullptr) return INI_ERR_NULL_ARGUMENT;
    if (source == destination) return 0;
    return Guarded([&] {
        if (sectionName != nullptr) {
            IniSection *sec = FindSection(source, TrimmedName(sectionName));
            return sec != nullptr ? CopyOne(*sec, destination, replaceExisting != 0) : 0;
        }
        ParseAllBodies(source);
        for (auto &sec : source->sections) {
            int rc = CopyOne(*sec, destination, replaceExisting != 0);
            if (rc < 0) return rc;
        }
        return 0;
    });
}
