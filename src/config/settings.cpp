// The settings file: a table of (section, key, program value, default) read and written whole.
#include "config/settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "config/record.h"
#include "inifile/inifile.h"
#include "link/linksettings.h"
#include "platform/file/readfile.h"
#include "platform/serial/portmap.h"
#include "platform/ui/programdir.h"

int Language = 1;

namespace {

const char kFileName[] = "KR7M.ini";
const char kOptions[] = "Options";
const char kInterface[] = "Interface";
const char kPorts[] = "Ports";

// Integer settings in the order they are read; the 16-bit record fields follow separately.
struct IntSetting {
    const char *section;
    const char *key;
    int *value;
    int fallback;
};

const IntSetting kIntSettings[] = {
    {kOptions, "Language", &Language, 1},  {kInterface, "COMPort", &CommPort, 1},
    {kInterface, "COMType", &CommType, 0}, {kInterface, "Baudrate", &Baudrate, 3},
    {kInterface, "Parity", &Parity, 0},    {kInterface, "DevAddr", &DeviceAddr, 247},
    {kInterface, "RTSFlow", &RTSFlow, 1},
};

struct ShortSetting {
    const char *key;
    int16_t record::*field;
    int fallback;
};

const ShortSetting kRecordSettings[] = {
    {"Module", &record::Module, 1},
    {"RatedI", &record::RatedI, 500},
    {"RatedU", &record::RatedU, 500},
};

std::string gPath;

// The bytes ReadINIFile found in the file, while nothing has been written since. Start-up reads
// the file and then writes it again from the same values; a file that would get back exactly the
// bytes it holds is left as it is, which spares the disk a sync and a rename at every start.
std::string gReadBytes;
bool gHaveReadBytes = false;

int AppendLine(void *text, const char *line) {
    static_cast<std::string *>(text)->append(line).append("\r\n");
    return 0;
}

// Whether writing `ini` would put back the bytes the file held when it was read and holds still
// (a file changed by someone else since is written anew).
bool WouldLeaveFileAsRead(IniDoc ini, const std::string &path) {
    if (!gHaveReadBytes) return false;
    std::string text;
    text.reserve(gReadBytes.size());
    if (Ini_WriteGeneric(ini, AppendLine, &text) < 0 || text != gReadBytes) return false;
    std::string now;
    return ReadFile_Whole(path.c_str(), &now) == 0 && now == gReadBytes;
}

std::string UserConfigFolder() {
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/kr7m";
    const char *home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config/kr7m";
    return std::string();
}

std::string SettingsFolder() {
    const char *dir = std::getenv("KR7M_CONFIG_DIR");
    if (dir != nullptr && dir[0] != '\0') return dir;
    // An installed program never writes into the system's folders, not even as root.
    std::string program = ExecutableFolder();
    if (!InstalledLayout() && ::access(program.c_str(), W_OK | X_OK) == 0) return program;
    std::string user = UserConfigFolder();
    return user.empty() ? program : user;
}

} // namespace

bool MakeFolders(const char *path) {
    const std::string folder = path ? path : "";
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos < folder.size() && folder[pos] != '/') continue;
        std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

const char *SettingsFilePath() {
    gPath = SettingsFolder() + "/" + kFileName;
    return gPath.c_str();
}

void LoadINIDefault() {
    for (const IntSetting &s : kIntSettings) *s.value = s.fallback;
    for (const ShortSetting &s : kRecordSettings) Konf.*s.field = static_cast<int16_t>(s.fallback);
    for (int &slot : DevSearch) slot = 0;
    ResetComPortDevices();
}

int ReadINIFile() {
    std::string bytes;
    if (ReadFile_Whole(SettingsFilePath(), &bytes) != 0) return 0;
    IniDoc ini = Ini_New(1);
    if (ini == nullptr) return 0;
    if (Ini_ReadFromMemory(ini, bytes.data(), bytes.size()) < 0) {
        Ini_Dispose(ini);
        return 0;
    }
    for (const IntSetting &s : kIntSettings) Ini_GetInt(ini, s.section, s.key, s.value);
    for (int i = 0; i < 32; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "DevAddr%d", i + 1);
        Ini_GetInt(ini, kInterface, key, &DevSearch[i]);
    }
    // The record's fields are 16 bits wide; the values are taken over only after every key
    // was read, as they are.
    int shorts[3];
    for (int i = 0; i < 3; ++i) {
        shorts[i] = Konf.*kRecordSettings[i].field;
        Ini_GetInt(ini, kOptions, kRecordSettings[i].key, &shorts[i]);
    }
    for (int i = 0; i < 3; ++i) Konf.*kRecordSettings[i].field = static_cast<int16_t>(shorts[i]);
    for (int port = 1; port <= kPortCount; ++port) {
        char key[8], path[kPortPathSize];
        std::snprintf(key, sizeof key, "COM%d", port);
        // An empty entry would leave the port without a device: keep the current one.
        if (Ini_GetStringIntoBuffer(ini, kPorts, key, path, sizeof path) > 0 && path[0] != '\0')
            SetComPortDevice(port, path);
    }
    Ini_Dispose(ini);
    gReadBytes = std::move(bytes);
    gHaveReadBytes = true;
    return 1;
}

int NewINIFile() {
    IniDoc ini = Ini_New(1);
    if (ini == nullptr) return 0;
    int rc = 0;
    for (const IntSetting &s : kIntSettings)
        if (rc >= 0) rc = Ini_PutInt(ini, s.section, s.key, *s.value);
    for (const ShortSetting &s : kRecordSettings)
        if (rc >= 0) rc = Ini_PutInt(ini, kOptions, s.key, Konf.*s.field);
    for (int i = 0; i < 32 && rc >= 0; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "DevAddr%d", i + 1);
        rc = Ini_PutInt(ini, kInterface, key, DevSearch[i]);
    }
    for (int port = 1; port <= kPortCount && rc >= 0; ++port) {
        char key[8];
        std::snprintf(key, sizeof key, "COM%d", port);
        rc = Ini_PutString(ini, kPorts, key, ComPortDevice(port));
    }
    std::string path = SettingsFilePath();
    if (rc >= 0 && WouldLeaveFileAsRead(ini, path)) {
        Ini_Dispose(ini);
        return 1;
    }
    gHaveReadBytes = false;
    gReadBytes.clear();
    if (rc >= 0) {
        std::string folder = path.substr(0, path.rfind('/'));
        if (!MakeFolders(folder.c_str())) rc = -1;
    }
    if (rc >= 0) rc = Ini_WriteToFile(ini, path.c_str());
    Ini_Dispose(ini);
    return rc >= 0 ? 1 : 0;
}
