// Loading panels and menu bars in a language: load, mirror into a tree, read the language file
// into it, apply it. A file that does not fit leaves the object untouched; a load that cannot be
// localized leaves no object behind.
#include "localui/localui.h"

#include "platform/ui/userint.h"

#include <cstring>
#include <string>
#include <sys/stat.h>

char LanguageFile[32] = "kr7meng.lwl";

namespace {

// The document of the language file read last, kept while the file stays the same: every
// pop-up is loaded localized, and reading the whole file for each would be wasted work.
struct CachedLangFile {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    struct timespec mtime = {0, 0};
    IniDoc doc = nullptr;
};
CachedLangFile gCache;

bool SameFile(const struct stat &st) {
    return gCache.doc && st.st_dev == gCache.device && st.st_ino == gCache.inode &&
           st.st_size == gCache.size && st.st_mtim.tv_sec == gCache.mtime.tv_sec &&
           st.st_mtim.tv_nsec == gCache.mtime.tv_nsec;
}

// The checked document of a language file, owned by the cache. 0 or a file code.
int LangDoc(const char *languageFile, IniDoc *doc) {
    *doc = nullptr;
    if (!languageFile || !*languageFile) return LANG_ERR_ARGUMENT;
    const char *path = LanguageFilePath(languageFile);
    struct stat st;
    if (stat(path, &st) != 0) {
        // The reader says why: a file that is not there cannot be opened for reading.
        IniDoc none = nullptr;
        int r = LangFileOpen(path, &none);
        if (none) Ini_Dispose(none);
        return r < 0 ? r : LANG_ERR_FILE_OPEN;
    }
    if (gCache.path != path || !SameFile(st)) {
        if (gCache.doc) Ini_Dispose(gCache.doc);
        gCache = CachedLangFile();
        IniDoc fresh = nullptr;
        int r = LangFileOpen(path, &fresh);
        if (r < 0) return r;
        gCache.path = path;
        gCache.device = st.st_dev;
        gCache.inode = st.st_ino;
        gCache.size = st.st_size;
        gCache.mtime = st.st_mtim;
        gCache.doc = fresh;
    }
    int r = LangFileCheckHeader(gCache.doc);
    if (r < 0) return r;
    *doc = gCache.doc;
    return 0;
}

// Loads a panel or menu bar and localizes it; one that cannot be localized is discarded, so
// the caller gets either a localized object or none (handle 0).
int LoadLocalized(int (*load)(int, const char *, int), int (*localize)(int, const char *),
                  int (*discard)(int), int parent, const char *uirFile, int resourceId,
                  const char *languageFile, int *handle) {
    if (!handle) return UIE_MISSING_ARGUMENT;
    *handle = 0;
    if (!uirFile || !*uirFile || !languageFile || !*languageFile) return UIE_MISSING_ARGUMENT;
    int h = load(parent, uirFile, resourceId);
    if (h < 0) return h;
    int r = localize(h, languageFile);
    if (r < 0) {
        discard(h);
        return r;
    }
    *handle = h;
    return r;
}

} // namespace

const char *LanguageFilePath(const char *languageFile) {
    static std::string path;
    path = languageFile ? languageFile : "";
    if (path.empty() || path.find('/') != std::string::npos) return path.c_str();
    char dir[1024] = "", full[1280] = "";
    long size = 0;
    if (GetProjectDir(dir, sizeof dir) >= 0 &&
        MakePathname(dir, path.c_str(), full, sizeof full) >= 0 && GetFileInfo(full, &size) == 1)
        path = full;
    return path.c_str();
}

int LocalizeMenuBar(int menuBar, const char *languageFile) {
    MENUBAR tree;
    int r = UIMenubarToMENUBARAndMENUITEMs(menuBar, &tree, 0);
    if (r < 0) return r;
    IniDoc doc = nullptr;
    r = LangDoc(languageFile, &doc);
    if (r >= 0) r = LangDocToMENUBARAndMENUITEMLocalStrs(doc, &tree);
    if (r < 0) return LangFileErrorToUIError(r);
    r = MENUBARAndMENUITEMLocalStrsToUIMenuAndMenuItems(tree);
    FreeDataForMENUBARAndMENUITEMs(&tree);
    return r < 0 ? r : 0;
}

int LocalizePanel(int panel, const char *languageFile) {
    if (!languageFile || !*languageFile) return UIE_MISSING_ARGUMENT;
    PNL tree;
    int r = UIPanelToPNLAndCTRLs(panel, &tree, 0);
    if (r < 0) return r;
    IniDoc doc = nullptr;
    r = LangDoc(languageFile, &doc);
    if (r >= 0) r = LangDocToPNLAndCTRLLocalStrs(doc, &tree);
    if (r < 0) return LangFileErrorToUIError(r);
    r = PNLAndCTRLLocalsToPanelAndControls(tree);
    FreeDataForPNLAndCTRLs(&tree);
    if (r < 0) return r;
    int menuBar = GetPanelMenuBar(panel);
    return menuBar > 0 ? LocalizeMenuBar(menuBar, languageFile) : 0;
}

int LoadLocalizedPanel(int parentPanel, const char *uirFile, int panelResourceId,
                       const char *languageFile, int *panelHandle) {
    return LoadLocalized(LoadPanel, LocalizePanel, DiscardPanel, parentPanel, uirFile,
                         panelResourceId, languageFile, panelHandle);
}

int LoadLocalizedMenuBar(int parentPanel, const char *uirFile, int menuBarResourceId,
                         const char *languageFile, int *menuBarHandle) {
    return LoadLocalized(LoadMenuBar, LocalizeMenuBar, DiscardMenuBar, parentPanel, uirFile,
                         menuBarResourceId, languageFile, menuBarHandle);
}

namespace {

template <typename Load>
int LoadBuiltIn(Load load, int parent, const char *uirFile, int resourceId, int *handle) {
    if (!handle) return UIE_MISSING_ARGUMENT;
    const int h = load(parent, uirFile, resourceId);
    *handle = h > 0 ? h : 0;
    return h > 0 ? 0 : h;
}

} // namespace

int LoadBuiltInPanel(int parentPanel, const char *uirFile, int panelResourceId, int *panelHandle) {
    return LoadBuiltIn(LoadPanel, parentPanel, uirFile, panelResourceId, panelHandle);
}

int LoadBuiltInMenuBar(int parentPanel, const char *uirFile, int menuBarResourceId,
                       int *menuBarHandle) {
    return LoadBuiltIn(LoadMenuBar, parentPanel, uirFile, menuBarResourceId, menuBarHandle);
}
