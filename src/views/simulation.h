// Switching the instrument's two outputs by hand, without panel work: manual mode (bit 7 of an
// output's function byte) set for the outputs that lack it and taken back from exactly those,
// and the command words that switch an output on or off. The simulation view and kr7mctl share
// it.
#pragma once

#include <cstdint>

struct record;

// Element i is 1 when the opening put output i into manual mode (so the close takes it back).
extern int ModifiedOutputs[2];

constexpr unsigned kManualMode = 0x80; // function byte bit 7: no limit or pulse function

// Switch buttons of the view, in this order.
enum SimButton { SIM_OUT1_ON = 0, SIM_OUT1_OFF, SIM_OUT2_ON, SIM_OUT2_OFF };

// Outputs of `image` not yet in manual mode, as a mask (bit i = output i).
unsigned OutputsNotManual(const record *image);
// Puts both outputs of `image` into manual mode and notes in ModifiedOutputs which ones this
// changed (both 0 when neither). Returns the mask of the changed ones.
unsigned SetManualMode(record *image);
// Clears bit 7 of exactly the outputs ModifiedOutputs names; returns their mask.
unsigned ClearManualMode(record *image);

// The command word of one output's state: bit 8 or 9 names output 1 or 2, bit 13 or 14 is on.
uint16_t OutputCommandWord(int output, int on);
// What pressing switch button `button` to `value` does: the command word it sends, and the
// value its partner button takes (*partner), so that the two buttons of an output always show
// opposite states. An on button pressed in, or an off button released, switches on.
uint16_t SwitchCommandWord(int button, int value, int *partner);
// Sends a command word (WriteDevStatus, errors reported). The port must be open.
int SendOutputCommand(uint16_t word);

// The opening steps after the configuration was read into Lese: asks with Warnung(2, 2) when an
// output is not in manual mode, sets manual mode (WriteSimulation), then reads the device
// status. 1 when the simulation may begin; 0 when declined or a write or read failed (reported)
// with nothing left changed in the instrument that the close would have to take back.
int BeginOutputSimulation();
// Takes manual mode back from the outputs the opening changed (WriteSimulation, errors
// reported, with a detail naming the outputs left in manual mode). 1 when nothing had to be
// written or the write succeeded; ModifiedOutputs is cleared either way.
int EndOutputSimulation();
