// The bus search over the echo probe.
#include "link/search.h"

#include "link/frame.h"
#include "link/linksettings.h"
#include "link/port.h"
#include "platform/serial/rs232.h"

int SearchDevices(int port, int lastAddress, SearchProgressFn progress, void *data) {
    if (!InitInterface(port)) return 0;
    // Only a port that opened replaces the list: a failed open must not lose the known ones.
    Search_Result = 0;
    for (int &slot : DevSearch) slot = 0;
    int found = 0;
    for (int address = 1; address <= lastAddress; ++address) {
        if (progress && progress(address, data)) break;
        if (found < kMaxFoundDevices) {
            int answered = Diagnose(port, address);
            // The first frame after opening can meet a line driver that is still settling.
            if (!answered && address == 1) answered = Diagnose(port, address);
            if (answered) {
                Search_Result = 1;
                DevSearch[found++] = address;
            }
        }
        Delay(kSearchPause);
    }
    CloseInterface();
    return 1;
}

int CountKnownDevices() {
    int n = 0;
    for (int slot : DevSearch)
        if (slot != 0) ++n;
    return n;
}
