// The language file of a whole resource file: every panel and menu bar loaded, mirrored with
// its texts and written out in resource order.
#include "localui/localui.h"

#include "platform/ui/userint.h"

#include <new>

namespace {

struct Loaded {
    std::vector<int> panels, menuBars;
    ~Loaded() {
        for (int m : menuBars) DiscardMenuBar(m);
        for (int p : panels) DiscardPanel(p);
    }
};

// Loads ids 1, 2, ... until the resource has no more; 0 or the first other failure.
template <typename Load> int LoadAll(Load load, std::vector<int> *handles) {
    for (int id = 1;; ++id) {
        int h = load(id);
        if (h == UIE_RESOURCE_NOT_FOUND) return 0;
        if (h < 0) return h;
        handles->push_back(h);
    }
}

int Export(const char *uirFile, const char *path) {
    Loaded loaded;
    int r = LoadAll([&](int id) { return LoadPanel(0, uirFile, id); }, &loaded.panels);
    if (r < 0) return r;
    r = LoadAll([&](int id) { return LoadMenuBar(0, uirFile, id); }, &loaded.menuBars);
    if (r < 0) return r;

    std::vector<std::unique_ptr<PNL>> panels;
    std::vector<std::unique_ptr<MENUBAR>> menuBars;
    std::vector<const PNL *> panelList;
    std::vector<const MENUBAR *> menuBarList;
    for (int p : loaded.panels) {
        panels.push_back(std::make_unique<PNL>());
        if ((r = UIPanelToPNLAndCTRLs(p, panels.back().get(), 1)) < 0) return r;
        panelList.push_back(panels.back().get());
    }
    for (int m : loaded.menuBars) {
        menuBars.push_back(std::make_unique<MENUBAR>());
        if ((r = UIMenubarToMENUBARAndMENUITEMs(m, menuBars.back().get(), 1)) < 0) return r;
        menuBarList.push_back(menuBars.back().get());
    }
    r = ExportAllObjectsToLangFile(panelList, menuBarList, path);
    return r < 0 ? LangFileErrorToUIError(r) : 0;
}

} // namespace

int ExportResourceToLangFile(const char *uirFile, const char *path) {
    if (!uirFile || !*uirFile || !path || !*path) return UIE_MISSING_ARGUMENT;
    try {
        return Export(uirFile, path);
    } catch (const std::bad_alloc &) {
        return UIE_OUT_OF_MEMORY;
    }
}
