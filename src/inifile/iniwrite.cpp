// Writing an INI document to a file so that a crash, a full disk or a refused write at any moment
// leaves the target either as it was or complete: the platform's file replacement does the work,
// under the engine's own temporary names and result codes.
#include "inifile/inifile_impl.h"
#include "platform/file/replacefile.h"

using namespace ini;

namespace {

// The engine's codes for the replacement's results. Whatever keeps the target from being
// written (a missing folder, a path that is no file, refused permissions) is access denied.
int IniCode(int result) {
    switch (result) {
    case REPLACE_OK:
        return 0;
    case REPLACE_BAD_ARGUMENT:
        return INI_ERR_NULL_ARGUMENT;
    case REPLACE_NOT_A_FILE:
    case REPLACE_ACCESS_DENIED:
    case REPLACE_NO_FOLDER:
        return INI_ERR_ACCESS_DENIED;
    case REPLACE_NO_TEMP_NAME:
        return INI_ERR_NO_TEMP_NAME;
    case REPLACE_CREATE_TEMP:
        return INI_ERR_CREATE_TEMP;
    case REPLACE_DISK_FULL:
        return INI_ERR_DISK_FULL;
    case REPLACE_NO_MEMORY:
        return INI_ERR_OUT_OF_MEMORY;
    default:
        return INI_ERR_IO;
    }
}

int SinkLine(void *data, const char *line) {
    ReplaceFile file = static_cast<ReplaceFile>(data);
    int rc = ReplaceFile_WriteText(file, line);
    if (rc == 0) rc = ReplaceFile_Write(file, "\r\n", 2);
    return IniCode(rc);
}

} // namespace

int Ini_WriteToFile(IniDoc ini, const char *path) {
    if (ini == nullptr) return INI_ERR_NULL_ARGUMENT;
    if (path == nullptr) return IniWriteToStdout(ini);
    if (*path == '\0') return INI_ERR_NULL_ARGUMENT;
    return Guarded([&] {
        // "ini$$0.TMP" to "ini$$999.TMP" beside the target, the first free one.
        static const ReplaceOptions kTempNames = {"ini$$", ".TMP", 1000};
        int result = 0;
        ReplaceFile file = ReplaceFile_Open(path, &kTempNames, &result);
        if (file == nullptr) return IniCode(result);
        int rc = Ini_WriteGeneric(ini, SinkLine, file);
        if (rc < 0) {
            ReplaceFile_Abandon(file);
            return rc;
        }
        return IniCode(ReplaceFile_Commit(file));
    });
}
