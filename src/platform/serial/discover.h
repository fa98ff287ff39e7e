// Which serial devices this computer has: USB adapters by their stable names under
// /dev/serial/by-id (with the product name the adapter reports), built-in ports that have a
// UART behind them, and for any path (a mapped port, one typed by hand) whether it is there now
// and whether this user may open it, and if not, what to do about it.
#pragma once

#include "platform/serial/portmap.h"

constexpr int kSerialTextSize = 256;

struct SerialDevice {
    char path[kPortPathSize];      // what a port number should name: the by-id link if any
    char device[kPortPathSize];    // the device node the path leads to now; empty when absent
    char product[kSerialTextSize]; // "FTDI FT232R USB UART", "built-in serial port", ...
    int present;                   // the device node exists
    int mayOpen;                   // this user may open it for reading and writing
    char reason[kSerialTextSize];  // why not (mayOpen 0), or "not connected" (present 0)
    char group[64];                // group that grants access, when joining it would help
};

// Where discovery looks and whose access it judges. Tests point the roots at a made-up tree
// and name an identity; the defaults are the system's and the running process's.
struct SerialRoots {
    const char *dev = "/dev";
    const char *sys = "/sys";
    long uid = -1;                    // -1: the process's effective user
    const unsigned *groups = nullptr; // with groupCount >= 0: the groups the user is in now
    int groupCount = -1;              // -1: the process's groups
};

// Fills up to `max` entries: by-id adapters in name order, then USB and built-in devices
// without a by-id name in natural order (ttyS2 before ttyS10). Returns the number found
// (which may exceed max: only max are filled).
int ListSerialDevices(SerialDevice *out, int max, const SerialRoots *roots = nullptr);

// Describes any path as the list would (a stale by-id link or a missing node: present 0).
void DescribeSerialDevice(const char *path, SerialDevice *out, const SerialRoots *roots = nullptr);
