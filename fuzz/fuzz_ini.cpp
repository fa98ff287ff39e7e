// Feeds arbitrary bytes to the INI reader, then reads every item through every accessor, writes
// the document out and reads that back. Any crash, sanitizer report or lost section is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "inifile/inifile.h"

namespace {

int Collect(void *data, const char *line) {
    auto *out = static_cast<std::string *>(data);
    *out += line;
    *out += "\r\n";
    return 0;
}

void ReadEverything(IniDoc ini) {
    int sections = Ini_NumberOfSections(ini);
    for (int s = 1; s <= sections; ++s) {
        const char *sec = nullptr;
        if (Ini_NthSectionName(ini, s, &sec) != 1) abort();
        std::string section(sec); // the name may move when items change
        int items = Ini_NumberOfItems(ini, section.c_str());
        for (int i = 1; i <= items; ++i) {
            const char *name = nullptr;
            if (Ini_NthItemName(ini, section.c_str(), i, &name) != 1) abort();
            std::string item(name);
            int iv;
            unsigned uv;
            double dv;
            const char *p;
            char buf[8];
            char *copy = nullptr;
            unsigned char *data = nullptr;
            size_t size = 0;
            Ini_GetInt(ini, section.c_str(), item.c_str(), &iv);
            Ini_GetUInt(ini, section.c_str(), item.c_str(), &uv);
            Ini_GetDouble(ini, section.c_str(), item.c_str(), &dv);
            Ini_GetBoolean(ini, section.c_str(), item.c_str(), &iv);
            Ini_GetPointerToString(ini, section.c_str(), item.c_str(), &p);
            Ini_GetStringIntoBuffer(ini, section.c_str(), item.c_str(), buf, sizeof buf);
            if (Ini_GetStringCopy(ini, section.c_str(), item.c_str(), &copy) == 1) free(copy);
            if (Ini_GetData(ini, section.c_str(), item.c_str(), &data, &size) == 1) free(data);
            if (Ini_ItemExists(ini, section.c_str(), item.c_str()) != 1) abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the document's modes; the rest is the text.
    const unsigned mode = bytes[0];
    const char *text = reinterpret_cast<const char *>(bytes + 1);
    IniDoc ini = Ini_New(mode & 1);
    if (ini == nullptr) return 0;
    if (mode & 2) Ini_SortInternally(ini);
    if (mode & 4) Ini_SetTokens(ini, '<', '>', ":", "#");
    Ini_ReadFromMemory(ini, text, size - 1);
    ReadEverything(ini);

    std::string written;
    if (Ini_WriteGeneric(ini, Collect, &written) != 0) abort();
    // The same text read line by line, every item made at once, gives the same document.
    if (IniDoc direct = Ini_New(mode & 1)) {
        if (mode & 2) Ini_SortInternally(direct);
        if (mode & 4) Ini_SetTokens(direct, '<', '>', ":", "#");
        LineFile_Memory src{text, size - 1};
        LineFile lf = LineFile_New(LineFile_ReadFromMemory, &src);
        if (lf != nullptr) {
            Ini_ReadGeneric(direct, Ini_LineFileSource, lf);
            LineFile_Dispose(lf);
            std::string same;
            if (Ini_WriteGeneric(direct, Collect, &same) != 0 || same != written) abort();
        }
        Ini_Dispose(direct);
    }
    IniDoc again = Ini_New(mode & 1);
    if (mode & 4) Ini_SetTokens(again, '<', '>', ":", "#");
    Ini_ReadFromMemory(again, written.data(), written.size());
    if (Ini_NumberOfSections(again) != Ini_NumberOfSections(ini)) abort();

    // Edits on the parsed document: copy, replace, remove.
    Ini_CopySection(ini, nullptr, again, mode & 8);
    const char *first = nullptr;
    if (Ini_NthSectionName(ini, 1, &first) == 1) {
        std::string name(first);
        std::string value(text, size - 1); // the input has no terminating NUL of its own
        Ini_PutString(ini, name.c_str(), "fuzz", value.c_str());
        Ini_PutData(ini, name.c_str(), "data", bytes, size);
        Ini_RemoveItem(again, name.c_str(), "fuzz");
        Ini_RemoveSection(ini, name.c_str());
    }
    if (mode == 0xf0) { // rarely: every file write waits for the disk
        static std::string dir;
        if (dir.empty()) {
            char tmpl[] = "/tmp/fuzz-ini-XXXXXX";
            if (mkdtemp(tmpl) == nullptr) abort();
            dir = tmpl;
        }
        Ini_WriteToFile(again, (dir + "/out.ini").c_str());
    }
    Ini_Dispose(again);
    Ini_Dispose(ini);
    return 0;
}
