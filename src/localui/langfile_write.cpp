// Writing a language file from trees built with the objects' own texts, and the table that
// turns the file's codes into the user-interface codes the loaders return.
#include "localui/langfile.h"

#include "platform/ui/userint.h"

#include <new>

namespace {

struct Writer {
    IniDoc doc;
    int failed = 0; // a put failed: the export stops with -1

    void Int(const std::string &section, const char *key, int value) {
        if (!failed && Ini_PutInt(doc, section.c_str(), key, value) < 0) failed = 1;
    }
    void Text(const std::string &section, const std::string &key, const TextSlot &slot) {
        if (failed || slot.flag != LOCALUI_TEXT_PRESENT) return;
        if (Ini_PutString(doc, section.c_str(), key.c_str(), slot.text.c_str()) < 0) failed = 1;
    }
    void Flags(const std::string &section, const std::vector<TextSlot> &slots) {
        std::string bytes;
        bytes.reserve(slots.size());
        for (const TextSlot &s : slots) bytes += Flag(s);
        if (!failed && Ini_PutData(doc, section.c_str(), "Flags", bytes.data(), bytes.size()) < 0)
            failed = 1;
    }
    // A text counts as present only when it has characters: an empty one is never translated.
    static char Flag(const TextSlot &s) {
        return s.flag == LOCALUI_TEXT_PRESENT && !s.text.empty() ? LOCALUI_TEXT_PRESENT
                                                                 : LOCALUI_TEXT_ABSENT;
    }
};

// The slots as they are written: flagged by their texts, so flags and keys always agree.
std::vector<TextSlot> Normalised(const std::vector<TextSlot> &slots) {
    std::vector<TextSlot> out(slots);
    for (TextSlot &s : out) s.flag = Writer::Flag(s);
    return out;
}

void PutPanel(Writer *w, const PNL &panel) {
    std::vector<TextSlot> title = Normalised({panel.builtInTitle});
    w->Flags(panel.constName, title);
    w->Text(panel.constName, "Title", title[0]);
    for (const CTRL &c : panel.ctrls) {
        const std::string section = CtrlSectionName(panel, c);
        w->Int(section, "Type", c.kind);
        int n = CtrlFlagCount(c.kind, c.counts);
        if (n < 0 || static_cast<int>(c.builtIn.size()) != n) {
            w->failed = 1; // a record that is not what its kind and counts say
            return;
        }
        if (c.kind == LOCALUI_KIND_NO_TEXT) continue;
        std::vector<TextSlot> slots = Normalised(c.builtIn);
        const CountKey *keys = nullptr;
        const int numKeys = CtrlCountKeys(c.kind, &keys);
        const bool flagsFirst = numKeys == 0 || CtrlFlagsBeforeCounts(c.kind);
        if (flagsFirst) w->Flags(section, slots);
        for (int i = 0; i < numKeys; ++i) w->Int(section, keys[i].key, c.counts[keys[i].index]);
        if (!flagsFirst) w->Flags(section, slots);
        for (int i = 0; i < n; ++i)
            w->Text(section, CtrlTextKey(c, i), slots[static_cast<size_t>(i)]);
    }
}

void PutMenuItems(Writer *w, const std::string &parentSection,
                  const std::vector<std::unique_ptr<MENUITEM>> &items) {
    for (const auto &item : items) {
        const std::string section = MenuItemSectionName(parentSection, *item);
        std::vector<TextSlot> name = Normalised({item->builtInName});
        w->Flags(section, name);
        w->Text(section, "Name", name[0]);
        PutMenuItems(w, section, item->items);
    }
}

int Export(const std::vector<const PNL *> &panels, const std::vector<const MENUBAR *> &menuBars,
           const char *path) {
    IniDoc doc = Ini_New(0); // file order: the file reads like the panels it describes
    if (!doc) return LANG_ERR_MEMORY;
    Writer w{doc};
    w.Int(LANG_HEADER_SECTION, "Version", LANG_FILE_VERSION);
    w.Int(LANG_HEADER_SECTION, "Magic", LANG_FILE_MAGIC);
    for (const PNL *p : panels)
        if (p) PutPanel(&w, *p);
    for (const MENUBAR *m : menuBars)
        if (m) PutMenuItems(&w, m->constName, m->menus);
    int result = 0;
    if (w.failed) {
        result = LANG_ERR_MEMORY;
    } else {
        int r = Ini_WriteToFile(doc, path);
        if (r < 0) result = r == INI_ERR_OUT_OF_MEMORY ? LANG_ERR_MEMORY : LANG_ERR_FILE_IO;
    }
    Ini_Dispose(doc);
    return result;
}

} // namespace

int ExportAllObjectsToLangFile(const std::vector<const PNL *> &panels,
                               const std::vector<const MENUBAR *> &menuBars, const char *path) {
    if (!path || !*path) return LANG_ERR_ARGUMENT;
    try {
        return Export(panels, menuBars, path);
    } catch (const std::bad_alloc &) {
        return LANG_ERR_MEMORY;
    }
}

int LangFileErrorToUIError(int code) {
    switch (code) {
    case LANG_ERR_MEMORY:
    case LANG_ERR_COPY_MEMORY:
        return UIE_OUT_OF_MEMORY;
    case LANG_ERR_ARGUMENT:
        return UIE_MISSING_ARGUMENT;
    case LANG_ERR_NOT_LANG_FILE:
    case LANG_ERR_BAD_FLAGS:
    case LANG_ERR_MISSING:
        return UIE_LANG_BAD_FILE;
    case LANG_ERR_KIND:
        return UIE_LANG_KIND_DIFFERS;
    case LANG_ERR_COUNT:
        return UIE_LANG_COUNT_DIFFERS;
    case LANG_ERR_FILE_IO:
        return UIE_FILE_ACCESS;
    case LANG_ERR_FILE_OPEN:
        return UIE_FILE_OPEN;
    default:
        return code;
    }
}
