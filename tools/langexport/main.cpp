// langexport: writes the language file of a resource file (every panel and menu bar with the
// texts the resource gives them). The English file is made this way; so is the first draft of
// a translation. Build tool: runs on the offscreen platform, shows nothing.
#include "localui/localui.h"
#include "platform/ui/userint.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: langexport RESOURCE.uir OUTPUT.lwl\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (InitUserInterface(0, nullptr) < 0) {
        std::fprintf(stderr, "langexport: the user-interface platform cannot start\n");
        return 1;
    }
    int r = ExportResourceToLangFile(argv[1], argv[2]);
    if (r < 0) {
        const char *detail = UILastErrorDetail();
        std::fprintf(stderr, "langexport: %s -> %s failed (code %d)%s%s\n", argv[1], argv[2], r,
                     detail && *detail ? ": " : "", detail ? detail : "");
        return 1;
    }
    return 0;
}
