// Port numbers 1..8 name device paths. The map is kept in the settings file (section "Ports")
// and shown in the interface dialog; the defaults suit a Linux PC with USB serial adapters.
#pragma once

constexpr int kPortCount = 8;
constexpr int kPortPathSize = 256;

// Device path of port 1..8, or nullptr for a number outside 1..8.
const char *ComPortDevice(int port);
// Sets the device path of port 1..8; 0 on success, -1 for a bad port or a path of
// kPortPathSize characters or more (the old path stays).
int SetComPortDevice(int port, const char *path);
// Restores the built-in defaults of all eight ports.
void ResetComPortDevices();
// Built-in default of port 1..8 (nullptr outside).
const char *DefaultComPortDevice(int port);
