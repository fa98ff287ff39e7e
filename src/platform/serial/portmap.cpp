// The port-number -> device-path map with its defaults.
#include "platform/serial/portmap.h"

#include <cstring>

namespace {
const char *const kDefaults[kPortCount] = {
    "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyACM1",
    "/dev/ttyS0",   "/dev/ttyS1",   "/dev/ttyUSB2", "/dev/ttyUSB3",
};
char gPaths[kPortCount][kPortPathSize];
bool gInitialised = false;

void EnsureInitialised() {
    if (gInitialised) return;
    gInitialised = true;
    for (int i = 0; i < kPortCount; ++i) {
        std::strncpy(gPaths[i], kDefaults[i], kPortPathSize - 1);
        gPaths[i][kPortPathSize - 1] = '\0';
    }
}
} // namespace

const char *DefaultComPortDevice(int port) {
    return port >= 1 && port <= kPortCount ? kDefaults[port - 1] : nullptr;
}

const char *ComPortDevice(int port) {
    if (port < 1 || port > kPortCount) return nullptr;
    EnsureInitialised();
    return gPaths[port - 1];
}

int SetComPortDevice(int port, const char *path) {
    if (port < 1 || port > kPortCount || path == nullptr) return -1;
    // A shortened path would name another device: refuse it and keep the one we have.
    if (std::strlen(path) >= static_cast<size_t>(kPortPathSize)) return -1;
    EnsureInitialised();
    std::memcpy(gPaths[port - 1], path, std::strlen(path) + 1);
    return 0;
}

void ResetComPortDevices() {
    gInitialised = false;
    EnsureInitialised();
}
