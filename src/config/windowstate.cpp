// The window state file: a small INI document of its own beside no other settings.
#include "config/windowstate.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "config/settings.h"
#include "inifile/inifile.h"

WindowState gWindowState = {};

namespace {

const char kWindow[] = "Window";
const char kFiles[] = "Files";

std::string gPath;
std::string gStart;

struct Field {
    const char *key;
    int WindowState::*value;
};
const Field kFields[] = {
    {"Top", &WindowState::top},
    {"Left", &WindowState::left},
    {"Width", &WindowState::width},
    {"Height", &WindowState::height},
    {"Maximized", &WindowState::maximized},
};

bool IsFolder(const char *path) {
    struct stat st;
    return path[0] == '/' && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

const char *WindowStatePath() {
    const char *xdg = std::getenv("XDG_STATE_HOME");
    const char *home = std::getenv("HOME");
    std::string folder;
    if (xdg && xdg[0] == '/')
        folder = std::string(xdg) + "/kr7m";
    else if (home && home[0])
        folder = std::string(home) + "/.local/state/kr7m";
    else
        folder = "/tmp/kr7m-state"; // no home at all: remember for this machine's session only
    gPath = folder + "/window.ini";
    return gPath.c_str();
}

int ReadWindowState() {
    gWindowState = WindowState{};
    IniDoc ini = Ini_New(0);
    if (!ini) return 0;
    if (Ini_ReadFromFile(ini, WindowStatePath()) < 0) {
        Ini_Dispose(ini);
        return 0;
    }
    WindowState s{};
    int found = 0;
    for (const Field &f : kFields) found += Ini_GetInt(ini, kWindow, f.key, &(s.*f.value)) > 0;
    // A place is taken only whole and with a size a window can have.
    s.haveGeometry = found == 5 && s.width > 0 && s.height > 0 ? 1 : 0;
    if (!s.haveGeometry) s.top = s.left = s.width = s.height = s.maximized = 0;
    Ini_GetStringIntoBuffer(ini, kFiles, "LastFolder", s.lastFolder, sizeof s.lastFolder);
    Ini_Dispose(ini);
    gWindowState = s;
    return 1;
}

int WriteWindowState() {
    IniDoc ini = Ini_New(0);
    if (!ini) return 0;
    int rc = 0;
    if (gWindowState.haveGeometry)
        for (const Field &f : kFields)
            if (rc >= 0) rc = Ini_PutInt(ini, kWindow, f.key, gWindowState.*f.value);
    if (rc >= 0 && gWindowState.lastFolder[0])
        rc = Ini_PutString(ini, kFiles, "LastFolder", gWindowState.lastFolder);
    std::string path = WindowStatePath();
    if (rc >= 0 && !MakeFolders(path.substr(0, path.rfind('/')).c_str())) rc = -1;
    if (rc >= 0) rc = Ini_WriteToFile(ini, path.c_str());
    Ini_Dispose(ini);
    return rc >= 0 ? 1 : 0;
}

void RememberFolderOf(const char *path) {
    if (!path || path[0] != '/') return;
    const char *slash = std::strrchr(path, '/');
    size_t length = static_cast<size_t>(slash - path);
    if (length == 0) length = 1; // a file in the root folder
    if (length >= sizeof gWindowState.lastFolder) return;
    char folder[sizeof gWindowState.lastFolder];
    std::memcpy(folder, path, length);
    folder[length] = '\0';
    if (std::strcmp(folder, gWindowState.lastFolder) == 0) return;
    std::snprintf(gWindowState.lastFolder, sizeof gWindowState.lastFolder, "%s", folder);
    WriteWindowState();
}

const char *DialogStartFolder() {
    if (IsFolder(gWindowState.lastFolder)) return gWindowState.lastFolder;
    const char *home = std::getenv("HOME");
    gStart = home && IsFolder(home) ? home : "/";
    return gStart.c_str();
}
