// The bus search: probes every address of a range with the function-8 echo and keeps the
// addresses that answered as the list of known instruments (DevSearch, Search_Result). The
// interface dialog and kr7mctl both run it; neither needs the other's front end.
#pragma once

constexpr int kMaxFoundDevices = 32;
constexpr double kSearchPause = 0.01; // seconds between two addresses

// Called before each address of the search (also after 32 finds, when the address is no longer
// probed). A non-zero return stops the search there: what was found so far is kept.
typedef int (*SearchProgressFn)(int address, void *data);

// Searches addresses 1..lastAddress on `port` with the link settings in force (CommType,
// Baudrate, Parity, RTSFlow). Address 1 is probed a second time when it does not answer the
// first time; at most 32 finds are kept, the lowest addresses first; each address is followed
// by a pause. DeviceAddr is not changed.
//
// 1 when the search ran: DevSearch then holds exactly the finds (packed from the first slot, the
// rest 0) and Search_Result tells whether there was one. 0 when the port could not be opened:
// the link has shown why, and DevSearch and Search_Result are as they were.
int SearchDevices(int port, int lastAddress, SearchProgressFn progress, void *data);

// Number of addresses in DevSearch (the non-zero slots).
int CountKnownDevices();
