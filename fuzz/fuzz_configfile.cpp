// Fuzzing the configuration-file reader: any file content must give 1 or 0 without a crash,
// an overrun or a hang, and a record that was read must survive being written and read again.
#include "config/configfile.h"
#include "link/report_console.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string gPath;
int gFd = -1;

void Prepare() {
    if (gFd >= 0) return;
    Console_SetOutput(nullptr);
    const char *tmp = std::getenv("TMPDIR");
    gPath = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/kr7m-fuzz-XXXXXX";
    gFd = mkstemp(&gPath[0]);
    if (gFd < 0) std::abort();
    std::atexit([] { unlink(gPath.c_str()); });
}

void PutFile(const uint8_t *data, size_t size) {
    if (ftruncate(gFd, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(gFd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Prepare();
    PutFile(data, size);

    record rec;
    std::memset(&rec, 0xa5, sizeof rec);
    record before = rec;
    if (OpenConfigFile(gPath.c_str(), &rec) == 0) {
        // A rejected file leaves the record exactly as it was.
        if (std::memcmp(&rec, &before, sizeof rec) != 0) std::abort();
        return 0;
    }

    // What was read is written again and read back; from then on the text is stable (the
    // first pass may round floats to six decimals and turn line breaks into blanks).
    ConfigStamp stamp = {"01.01.2000", "00:00:00"};
    std::string first = ConfigValueLine(&rec, stamp, ConfigShownOf(&rec));
    record again = before;
    if (ParseConfigValueLine(first, &again, nullptr) != 1) std::abort();
    std::string second = ConfigValueLine(&again, stamp, ConfigShownOf(&again));
    if (first != second) std::abort();
    return 0;
}
