// Reading a language file into the translated slots of a panel or menu-bar tree. Every check
// runs before a text is taken, and the first fault ends the read: a file that does not fit the
// panel as it is now is never half applied.
#include "localui/langfile.h"

#include <cstdlib>
#include <new>

namespace {

// An integer item: 1 with the value, LANG_ERR_MISSING when absent, LANG_ERR_BAD_FLAGS when
// its text is not a number.
int ReadInt(IniDoc doc, const std::string &section, const char *key, int *value) {
    int r = Ini_GetInt(doc, section.c_str(), key, value);
    if (r == 0) return LANG_ERR_MISSING;
    if (r < 0) return r == INI_ERR_OUT_OF_MEMORY ? LANG_ERR_MEMORY : LANG_ERR_BAD_FLAGS;
    return 1;
}

// The flag bytes of a section: 1 and the bytes, 0 when "Flags" is missing, or an error.
// Bytes other than 'v' and 'u' make the flags malformed.
int ReadFlags(IniDoc doc, const std::string &section, std::string *flags) {
    unsigned char *data = nullptr;
    size_t size = 0;
    int r = Ini_GetData(doc, section.c_str(), "Flags", &data, &size);
    if (r <= 0) {
        free(data);
        if (r == 0) return 0;
        return r == INI_ERR_OUT_OF_MEMORY ? LANG_ERR_MEMORY : LANG_ERR_BAD_FLAGS;
    }
    flags->assign(reinterpret_cast<const char *>(data), size);
    free(data);
    for (char f : *flags)
        if (f != LOCALUI_TEXT_PRESENT && f != LOCALUI_TEXT_ABSENT) return LANG_ERR_BAD_FLAGS;
    return 1;
}

// Fills a slot: flagged texts must be there.
int ReadText(IniDoc doc, const std::string &section, const std::string &key, char flag,
             TextSlot *slot) {
    *slot = TextSlot();
    if (flag != LOCALUI_TEXT_PRESENT) return 0;
    const char *text = nullptr;
    int r = Ini_GetPointerToString(doc, section.c_str(), key.c_str(), &text);
    if (r == 0 || !text) return LANG_ERR_MISSING;
    if (r < 0) return LANG_ERR_BAD_FLAGS;
    try {
        slot->text = text;
    } catch (const std::bad_alloc &) {
        return LANG_ERR_COPY_MEMORY;
    }
    slot->flag = LOCALUI_TEXT_PRESENT;
    return 0;
}

int ReadCtrl(IniDoc doc, const PNL &panel, CTRL *c) {
    const std::string section = CtrlSectionName(panel, *c);
    if (!Ini_SectionExists(doc, section.c_str())) return LANG_ERR_MISSING;
    int type = 0;
    int r = ReadInt(doc, section, "Type", &type);
    if (r < 0) return r;
    if (type != c->kind) return LANG_ERR_KIND;
    const CountKey *keys = nullptr;
    int numKeys = CtrlCountKeys(c->kind, &keys);
    for (int i = 0; i < numKeys; ++i) {
        int count = 0;
        if ((r = ReadInt(doc, section, keys[i].key, &count)) < 0) return r;
        if (count != c->counts[keys[i].index]) return LANG_ERR_COUNT;
    }
    int n = CtrlFlagCount(c->kind, c->counts);
    if (n < 0) return LANG_ERR_KIND; // the tree holds a kind no file can match
    c->local.assign(static_cast<size_t>(n), TextSlot());
    if (n == 0) return 0; // nothing to translate: no flags either
    std::string flags;
    r = ReadFlags(doc, section, &flags);
    if (r < 0) return r;
    if (r == 0 || static_cast<int>(flags.size()) != n) return LANG_ERR_MISSING;
    for (int i = 0; i < n; ++i) {
        r = ReadText(doc, section, CtrlTextKey(*c, i), flags[static_cast<size_t>(i)],
                     &c->local[static_cast<size_t>(i)]);
        if (r < 0) return r;
    }
    return 0;
}

// A one-flag record (panel title, menu name): the flag must be there and be one byte.
int ReadSingle(IniDoc doc, const std::string &section, const char *key, TextSlot *slot) {
    *slot = TextSlot();
    std::string flags;
    int r = ReadFlags(doc, section, &flags);
    if (r < 0) return r;
    if (r == 0 || flags.size() != 1) return LANG_ERR_BAD_FLAGS;
    return ReadText(doc, section, key, flags[0], slot);
}

int ReadMenuItems(IniDoc doc, const std::string &parentSection,
                  std::vector<std::unique_ptr<MENUITEM>> *items) {
    for (auto &item : *items) {
        const std::string section = MenuItemSectionName(parentSection, *item);
        int r = ReadSingle(doc, section, "Name", &item->localName);
        if (r < 0) return r;
        if ((r = ReadMenuItems(doc, section, &item->items)) < 0) return r;
    }
    return 0;
}

} // namespace

int LangFileOpen(const char *path, IniDoc *doc) {
    if (!doc) return LANG_ERR_ARGUMENT;
    *doc = nullptr;
    if (!path || !*path) return LANG_ERR_ARGUMENT;
    IniDoc d = Ini_New(0);
    if (!d) return LANG_ERR_MEMORY;
    int r = Ini_ReadFromFile(d, path);
    if (r < 0) {
        Ini_Dispose(d);
        if (r == INI_ERR_OPEN_READ) return LANG_ERR_FILE_OPEN;
        return r == INI_ERR_OUT_OF_MEMORY ? LANG_ERR_MEMORY : LANG_ERR_FILE_IO;
    }
    // Every control looks its section up by name: a sorted index beside the file's order makes
    // that a search instead of a walk through hundreds of sections. Without one (no memory for
    // it) the look-ups still work.
    Ini_SortInternally(d);
    *doc = d;
    return 0;
}

int LangFileCheckHeader(IniDoc doc) {
    if (!doc) return LANG_ERR_ARGUMENT;
    int version = 0;
    int r = Ini_GetInt(doc, LANG_HEADER_SECTION, "Version", &version);
    // Only running out of memory is the engine's fault; a header whose numbers do not read
    // is simply not the header of a language file.
    if (r == INI_ERR_OUT_OF_MEMORY) return LANG_ERR_MEMORY;
    if (r != 1 || version != LANG_FILE_VERSION) return LANG_ERR_NOT_LANG_FILE;
    int magic = 0;
    r = Ini_GetInt(doc, LANG_HEADER_SECTION, "Magic", &magic);
    if (r == INI_ERR_INVALID_INT) {
        // The same bit pattern written as an unsigned number is the same magic.
        unsigned int pattern = 0;
        r = Ini_GetUInt(doc, LANG_HEADER_SECTION, "Magic", &pattern);
        magic = static_cast<int>(pattern);
    }
    if (r == INI_ERR_OUT_OF_MEMORY) return LANG_ERR_MEMORY;
    if (r != 1 || magic != LANG_FILE_MAGIC) return LANG_ERR_NOT_LANG_FILE;
    return 0;
}

int LangDocToPNLAndCTRLLocalStrs(IniDoc doc, PNL *tree) {
    if (!doc || !tree) return LANG_ERR_ARGUMENT;
    try {
        int r = LangFileCheckHeader(doc);
        if (r < 0) return r;
        for (CTRL &c : tree->ctrls) c.local.clear();
        r = ReadSingle(doc, tree->constName, "Title", &tree->localTitle);
        // A title that is flagged but missing is a missing text, as for every other text.
        if (r < 0) return r;
        for (CTRL &c : tree->ctrls)
            if ((r = ReadCtrl(doc, *tree, &c)) < 0) return r;
        return 0;
    } catch (const std::bad_alloc &) {
        return LANG_ERR_COPY_MEMORY;
    }
}

int LangDocToMENUBARAndMENUITEMLocalStrs(IniDoc doc, MENUBAR *tree) {
    if (!doc || !tree) return LANG_ERR_ARGUMENT;
    try {
        int r = LangFileCheckHeader(doc);
        if (r < 0) return r;
        return ReadMenuItems(doc, tree->constName, &tree->menus);
    } catch (const std::bad_alloc &) {
        return LANG_ERR_COPY_MEMORY;
    }
}

namespace {

// Reads the file at `path` and then the tree from it.
template <typename Tree> int ReadFile(const char *path, Tree *tree, int (*read)(IniDoc, Tree *)) {
    if (!tree) return LANG_ERR_ARGUMENT;
    IniDoc doc = nullptr;
    int r = LangFileOpen(path, &doc);
    if (r < 0) return r;
    r = read(doc, tree);
    Ini_Dispose(doc);
    return r;
}

} // namespace

int LangFileToPNLAndCTRLLocalStrs(const char *path, PNL *panelTree) {
    return ReadFile(path, panelTree, LangDocToPNLAndCTRLLocalStrs);
}

int LangFileToMENUBARAndMENUITEMLocalStrs(const char *path, MENUBAR *menuBarTree) {
    return ReadFile(path, menuBarTree, LangDocToMENUBARAndMENUITEMLocalStrs);
}
