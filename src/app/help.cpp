// The help command: the help page of the interface language, from the program's directory.
#include "platform/ui/help.h"
#include "config/settings.h"
#include "platform/ui/resourcefile.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstring>

namespace {

const char kGermanPage[] = "KR7M_DEU.html";
const char kEnglishPage[] = "KR7M_ENG.html";

// The program's directory, as the rest of its run-time files are found: the folder of the
// resource file (which is looked up in the program's directory unless it was named otherwise).
void ProgramFolder(char *folder, int size) {
    std::snprintf(folder, static_cast<size_t>(size), "%s", MainResourceFile());
    char *slash = std::strrchr(folder, '/');
    if (slash) {
        *(slash == folder ? slash + 1 : slash) = '\0';
        return;
    }
    if (GetProjectDir(folder, size) < 0) std::snprintf(folder, static_cast<size_t>(size), ".");
}

} // namespace

void CmHelpContents(int /*menuBar*/, int /*menuItem*/, void * /*callbackData*/, int /*panel*/) {
    char folder[1024], path[1280];
    ProgramFolder(folder, sizeof folder);
    // Only German has a page of its own besides English; every other language reads English.
    if (MakePathname(folder, Language == 0 ? kGermanPage : kEnglishPage, path, sizeof path) < 0)
        return;
    if (!GetFileInfo(path, nullptr) && MakePathname(folder, kEnglishPage, path, sizeof path) < 0)
        return;
    // A missing English page too is reported by the viewer, naming the file.
    SystemHelp(path, HELP_CONTENTS, 0);
}
