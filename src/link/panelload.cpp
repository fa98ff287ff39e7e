// Panels and menu bars in the current language, with English to fall back on.
#include "link/panelload.h"

#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>

namespace {

// Three-letter language code after the product prefix; the index is the language number.
const char *const kLanguageFiles[] = {
    "kr7mdeu.lwl", "kr7meng.lwl", "kr7mfra.lwl", "kr7mned.lwl", "kr7mita.lwl",
    "kr7mesp.lwl", "kr7mpor.lwl", "kr7mdan.lwl", "kr7msuo.lwl",
};
constexpr int kLanguageCount = sizeof kLanguageFiles / sizeof kLanguageFiles[0];

LanguageRefusal gRefusal = {"", 0};

void NoteRefusal(const char *file, int code) {
    if (gRefusal.code != 0) return;
    std::snprintf(gRefusal.file, sizeof gRefusal.file, "%s", file);
    gRefusal.code = code;
}

// Tries the current language file, then the English one, then the resource's own texts, each
// only as long as it is the language file that refuses. `load` is (file, &handle) -> code.
template <typename Load> int LoadFallingBack(Load load) {
    int handle = 0;
    int r = load(LanguageFile, &handle);
    if (r >= 0) return handle;
    if (IsLanguageFileError(r)) NoteRefusal(LanguageFile, r);
    const char *english = LanguageFileName(kEnglish);
    if (IsLanguageFileError(r) && std::strcmp(LanguageFile, english) != 0) {
        r = load(english, &handle);
        if (r >= 0) return handle;
    }
    if (IsLanguageFileError(r)) {
        const char *builtIn = BuiltInLanguageFile();
        if (builtIn && std::strcmp(LanguageFile, builtIn) != 0) {
            r = load(builtIn, &handle);
            if (r >= 0) return handle;
        }
    }
    return r;
}

} // namespace

const char *LanguageFileName(int language) {
    if (language < 0 || language >= kLanguageCount) return LanguageFileName(kEnglish);
    return kLanguageFiles[language];
}

bool IsLanguageFileError(int code) {
    switch (code) {
    case UIE_LANG_BAD_FILE:
    case UIE_LANG_KIND_DIFFERS:
    case UIE_LANG_COUNT_DIFFERS:
    case UIE_FILE_ACCESS:
    case UIE_FILE_OPEN:
    case UIE_MISSING_ARGUMENT:
        return true;
    default:
        return false;
    }
}

const LanguageRefusal &FirstLanguageRefusal() {
    return gRefusal;
}

void ClearLanguageRefusal() {
    gRefusal = LanguageRefusal{"", 0};
}

int LoadPanelWith(int parent, int resourceId, const char *languageFile, int *panel) {
    if (IsBuiltInLanguageFile(languageFile))
        return LoadBuiltInPanel(parent, MainResourceFile(), resourceId, panel);
    return LoadLocalizedPanel(parent, MainResourceFile(), resourceId, languageFile, panel);
}

int LoadMenuBarWith(int panel, int resourceId, const char *languageFile, int *menuBar) {
    if (IsBuiltInLanguageFile(languageFile))
        return LoadBuiltInMenuBar(panel, MainResourceFile(), resourceId, menuBar);
    return LoadLocalizedMenuBar(panel, MainResourceFile(), resourceId, languageFile, menuBar);
}

int LoadPanelInLanguage(int parent, int resourceId) {
    return LoadFallingBack([&](const char *file, int *handle) {
        return LoadPanelWith(parent, resourceId, file, handle);
    });
}

int LoadMenuBarInLanguage(int panel, int resourceId) {
    return LoadFallingBack([&](const char *file, int *handle) {
        return LoadMenuBarWith(panel, resourceId, file, handle);
    });
}

// Brackets cannot start a language file's name of this program, so no file is mistaken for it.
const char kBuiltInTexts[] = "(built-in)";

const char *BuiltInLanguageFile() {
    return kBuiltInTexts;
}

bool IsBuiltInLanguageFile(const char *languageFile) {
    return languageFile && std::strcmp(languageFile, kBuiltInTexts) == 0;
}

std::string TextOfRing(int panel, int ring, int entry, std::initializer_list<std::string> values) {
    char pattern[512] = "";
    GetLabelFromIndex(panel, ring, entry, pattern, sizeof pattern);
    std::string out = pattern;
    size_t from = 0;
    for (const std::string &v : values) {
        size_t at = out.find("%s", from);
        if (at == std::string::npos) break;
        out.replace(at, 2, v);
        from = at + v.size();
    }
    return out;
}
