// Feeds arbitrary bytes to the language-file reader: as the file of a fixed panel with a control
// of every text kind and a menu bar with a submenu, and as the file of a panel shaped after the
// document itself (so the fuzzer reaches the texts of any kind and count it writes). A read that
// succeeds must have filled exactly the slots its flags promise; any crash or sanitizer report
// is a fault. Now and then a successful read is exported again and must read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "localui/langfile.h"

namespace {

// No control of the program has more entries than this; larger counts in a file only have to
// be refused, which a smaller tree does as well.
constexpr int kMaxCount = 24;

void AddCtrl(PNL *panel, const std::string &name, int kind, int a, int b, int c) {
    CTRL ctrl;
    ctrl.panel = panel;
    ctrl.constName = name;
    ctrl.kind = kind;
    ctrl.counts[0] = a;
    ctrl.counts[1] = b;
    ctrl.counts[2] = c;
    if (CtrlResetSlots(&ctrl) != 0) abort();
    panel->ctrls.push_back(ctrl);
}

void FixedPanel(PNL *p) {
    p->constName = "P";
    AddCtrl(p, "PIC", 1, 0, 0, 0);
    AddCtrl(p, "NUM", 2, 0, 0, 0);
    AddCtrl(p, "STR", 3, 0, 0, 0);
    AddCtrl(p, "MSG", 4, 0, 0, 0);
    AddCtrl(p, "SW", 5, 0, 0, 0);
    AddCtrl(p, "GR", 6, 1, 2, 1);
    AddCtrl(p, "SC", 7, 2, 1, 0);
    AddCtrl(p, "RING", 8, 3, 0, 0);
    AddCtrl(p, "LIST", 8, 2, 2, 0);
    AddCtrl(p, "TB", 9, 2, 3, 0);
}

int Count(IniDoc doc, const char *section, const char *key) {
    int n = 0;
    if (Ini_GetInt(doc, section, key, &n) != 1 || n < 0) return 0;
    return n > kMaxCount ? kMaxCount : n;
}

// A panel "D" whose controls are the document's sections "D_..." with their kinds and counts.
void PanelOfDocument(IniDoc doc, PNL *p) {
    p->constName = "D";
    for (int s = 1; s <= Ini_NumberOfSections(doc) && p->ctrls.size() < 64; ++s) {
        const char *name = nullptr;
        if (Ini_NthSectionName(doc, s, &name) != 1) abort();
        if (std::strncmp(name, "D_", 2) != 0 || !name[2]) continue;
        const std::string section = name;
        int kind = 0;
        if (Ini_GetInt(doc, section.c_str(), "Type", &kind) != 1 || kind < 1 || kind > 9) continue;
        const char *s0 = section.c_str();
        int a = 0, b = 0, c = 0;
        switch (kind) {
        case 6:
            c = Count(doc, s0, "RYitems");
            [[fallthrough]];
        case 7:
            a = Count(doc, s0, "Xitems");
            b = Count(doc, s0, "LYitems");
            break;
        case 8:
            a = Count(doc, s0, "NumItemLabels");
            b = Count(doc, s0, "NumItemValues") ? a : 0;
            break;
        case 9:
            a = Count(doc, s0, "Rows");
            b = Count(doc, s0, "Cols");
            break;
        default:
            break;
        }
        AddCtrl(p, section.substr(2), kind, a, b, c);
    }
}

std::unique_ptr<MENUITEM> Item(MENUBAR *bar, MENUITEM *parent, const char *name) {
    auto item = std::make_unique<MENUITEM>();
    item->menuBar = bar;
    item->parent = parent;
    item->constName = name;
    return item;
}

void FixedMenuBar(MENUBAR *bar) {
    bar->constName = "M";
    auto file = Item(bar, nullptr, "FILE");
    auto more = Item(bar, file.get(), "MORE");
    more->items.push_back(Item(bar, more.get(), "DEEP"));
    file->items.push_back(Item(bar, file.get(), "NEW"));
    file->items.push_back(std::move(more));
    bar->menus.push_back(std::move(file));
    bar->menus.push_back(Item(bar, nullptr, "HELP"));
}

// A read that says 0 has a slot for every flag of every control, and text only where flagged.
void CheckSlots(const PNL &p) {
    for (const CTRL &c : p.ctrls) {
        if (static_cast<int>(c.local.size()) != CtrlFlagCount(c.kind, c.counts)) abort();
        for (const TextSlot &s : c.local)
            if (s.flag != LOCALUI_TEXT_PRESENT && !s.text.empty()) abort();
    }
}

// Exports what was read as a panel's own texts and reads the export back: the same texts.
void RoundTrip(const PNL &read) {
    static std::string path;
    if (path.empty()) {
        char tmpl[] = "/tmp/fuzz-langfile-XXXXXX";
        if (mkdtemp(tmpl) == nullptr) abort();
        path = std::string(tmpl) + "/out.lwl";
    }
    PNL written;
    written.constName = read.constName;
    written.builtInTitle = read.localTitle;
    for (const CTRL &c : read.ctrls) {
        written.ctrls.push_back(c);
        written.ctrls.back().panel = &written;
        written.ctrls.back().builtIn = c.local;
    }
    if (ExportAllObjectsToLangFile({&written}, {}, path.c_str()) != 0) abort();
    PNL again;
    again.constName = read.constName;
    for (const CTRL &c : read.ctrls) {
        again.ctrls.push_back(c);
        again.ctrls.back().panel = &again;
        again.ctrls.back().local.clear();
    }
    if (LangFileToPNLAndCTRLLocalStrs(path.c_str(), &again) != 0) abort();
    for (size_t i = 0; i < again.ctrls.size(); ++i)
        for (size_t s = 0; s < again.ctrls[i].local.size(); ++s) {
            const TextSlot &x = again.ctrls[i].local[s], &y = read.ctrls[i].local[s];
            // An empty flagged text is written as absent: it can never be translated.
            const bool present = y.flag == LOCALUI_TEXT_PRESENT && !y.text.empty();
            if ((x.flag == LOCALUI_TEXT_PRESENT) != present || (present && x.text != y.text))
                abort();
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (size == 0) return 0;
    const unsigned mode = bytes[0];
    IniDoc doc = Ini_New(0);
    if (doc == nullptr) return 0;
    Ini_ReadFromMemory(doc, reinterpret_cast<const char *>(bytes + 1), size - 1);

    PNL fixed;
    FixedPanel(&fixed);
    if (LangDocToPNLAndCTRLLocalStrs(doc, &fixed) == 0) CheckSlots(fixed);

    PNL shaped;
    PanelOfDocument(doc, &shaped);
    const int shapedResult = LangDocToPNLAndCTRLLocalStrs(doc, &shaped);
    if (shapedResult == 0) {
        CheckSlots(shaped);
        if (mode == 0xf0) RoundTrip(shaped); // rarely: it writes a file
    }

    MENUBAR bar;
    FixedMenuBar(&bar);
    LangDocToMENUBARAndMENUITEMLocalStrs(doc, &bar);

    const int mapped = LangFileErrorToUIError(shapedResult);
    if (shapedResult < 0 && mapped >= 0) abort();
    FreeDataForPNLAndCTRLs(&shaped);
    FreeDataForMENUBARAndMENUITEMs(&bar);
    Ini_Dispose(doc);
    return 0;
}
