// kr7mctl's commands: each opens the link with the settings in force, does its exchanges through
// the same core as the configurator's window, closes the link and returns the exit status.
#pragma once

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // link or file failure, or a refused confirmation
constexpr int kExitUsage = 2;

int CmdInfo();
int CmdReadConfig(const char *path);
int CmdSendConfig(const char *path, bool yes);
int CmdProbe(int address);
