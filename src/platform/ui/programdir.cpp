// The run-time folder: beside the executable in a build tree, <prefix>/share/kr7m when installed.
#include "platform/ui/programdir.h"

#include <climits>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set by the build from its install folders; the default is that of every usual prefix.
#ifndef KR7M_DATA_FROM_BIN
#define KR7M_DATA_FROM_BIN "../share/kr7m"
#endif

const char kResourceName[] = "MainPan.uir";

// Programs in these folders belong to the system, whatever the prefix the build was set up for.
const char *const kSystemFolders[] = {"/bin",      "/sbin",          "/usr/bin",
                                      "/usr/sbin", "/usr/local/bin", "/usr/local/sbin"};

bool IsFile(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Join(const std::string &folder, const std::string &name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string Trimmed(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// The installed data folder seen from exeFolder, written without "..": paths end up in messages.
std::string InstalledDataFolder(const std::string &exeFolder) {
    std::string joined = Join(exeFolder, KR7M_DATA_FROM_BIN);
    return Trimmed(std::filesystem::path(joined).lexically_normal().string());
}

} // namespace

std::string ExecutableFolder() {
    char exe[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return ".";
    exe[n] = '\0';
    std::string path(exe);
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RunTimeFolderOf(const std::string &exeFolder) {
    if (IsFile(Join(exeFolder, kResourceName))) return exeFolder;
    std::string data = InstalledDataFolder(exeFolder);
    if (IsFile(Join(data, kResourceName))) return data;
    return exeFolder;
}

bool InstalledLayoutOf(const std::string &exeFolder) {
    if (IsFile(Join(exeFolder, kResourceName))) return false;
    if (IsFolder(InstalledDataFolder(exeFolder))) return true;
    std::string folder = Trimmed(exeFolder);
    for (const char *system : kSystemFolders)
        if (folder == system) return true;
    return false;
}

std::string RunTimeFolder() {
    return RunTimeFolderOf(ExecutableFolder());
}

bool InstalledLayout() {
    return InstalledLayoutOf(ExecutableFolder());
}
