// The resource file's path, resolved once against the program's directory.
#include "platform/ui/resourcefile.h"

#include <cstdio>

#include "platform/ui/userint.h"

namespace {
char gPath[1024] = "";
}

const char *MainResourceFile() {
    if (gPath[0] == '\0') {
        char dir[1024];
        if (GetProjectDir(dir, sizeof dir) < 0 ||
            MakePathname(dir, "MainPan.uir", gPath, sizeof gPath) < 0)
            std::snprintf(gPath, sizeof gPath, "MainPan.uir");
    }
    return gPath;
}

void SetMainResourceFile(const char *path) {
    std::snprintf(gPath, sizeof gPath, "%s", path ? path : "");
}
